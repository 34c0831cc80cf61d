#pragma once
// The registry as the Oracle client discovery sees it on a machine whose Oracle client was
// installed without registry entries (the usual case here). While the local-machine hive has no
// key SOFTWARE\ORACLE, the environment answers for that key's ORACLE_HOME value:
//
//  - $ORACLE_HOME when it is set and not empty;
//  - else the first folder on $LD_LIBRARY_PATH that holds libclntsh.so (an Instant Client).
//
// Everything else, and everything once the hive has an Oracle key, goes to the registry below.

#include <string>

#include "platform/registry.h"

namespace qm {

class Environment;
class FileSystem;

class RegistryEnvironmentView : public Registry {
 public:
  // None of the three is owned; all must outlive the view.
  RegistryEnvironmentView(Registry& base, const Environment& env, const FileSystem& fs);

  bool KeyExists(RegistryHive hive, const std::string& key) const override;
  std::optional<RegistryValue> ReadValue(RegistryHive hive, const std::string& key,
                                         const std::string& name) const override;
  void CreateKey(RegistryHive hive, const std::string& key) override;
  void WriteValue(RegistryHive hive, const std::string& key, const std::string& name,
                  const RegistryValue& value) override;
  bool DeleteValue(RegistryHive hive, const std::string& key, const std::string& name) override;

 private:
  // The home the environment names, or "" when it names none.
  std::string EnvironmentHome() const;
  // True when `hive` and `key` are the Oracle key and the hive below does not have it.
  bool AnswersFor(RegistryHive hive, const std::string& key) const;

  Registry& base_;
  const Environment& env_;
  const FileSystem& fs_;
};

}  // namespace qm
