#pragma once
// The registry kept in two text files, one per hive (format in registry_file.h):
//
//  - HKEY_CURRENT_USER: $QUILLMOVE_USER_REGISTRY, else quillmove/user.reg in the user's
//    configuration folder ($XDG_CONFIG_HOME, else ~/.config). It holds the logon history,
//    passwords included, so every save leaves it with mode 0600 (a folder created for it gets
//    0700), and a symbolic link in its place is replaced by the file, not written through.
//  - HKEY_LOCAL_MACHINE: $QUILLMOVE_MACHINE_REGISTRY, else /etc/quillmove/machine.reg.
//
// Every call reads the file anew, so edits by other programs are seen at once; a missing or
// unreadable file is an empty hive. A change rewrites the whole file through a temporary file and
// a rename (platform/file_write.h), so a crash while saving leaves the previous file whole.

#include <string>

#include "platform/registry.h"

namespace qm {

class Environment;
class RegistryFile;

class FileRegistry : public Registry {
 public:
  FileRegistry(std::string machinePath, std::string userPath);
  // The paths the environment names, with the defaults above.
  static FileRegistry FromEnvironment(const Environment& env);

  const std::string& PathOf(RegistryHive hive) const;

  bool KeyExists(RegistryHive hive, const std::string& key) const override;
  std::optional<RegistryValue> ReadValue(RegistryHive hive, const std::string& key,
                                         const std::string& name) const override;
  void CreateKey(RegistryHive hive, const std::string& key) override;
  void WriteValue(RegistryHive hive, const std::string& key, const std::string& name,
                  const RegistryValue& value) override;
  bool DeleteValue(RegistryHive hive, const std::string& key, const std::string& name) override;

 private:
  RegistryFile Load(RegistryHive hive) const;
  void Save(RegistryHive hive, const RegistryFile& file) const;

  std::string machinePath_;
  std::string userPath_;
};

}  // namespace qm
