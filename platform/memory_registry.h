#pragma once
// A registry held in memory, for tests: one registry file per hive, never saved. Writes can be
// made to fail, to test the paths that must ignore or report a registry that cannot be written.

#include "platform/registry.h"
#include "platform/registry_file.h"

namespace qm {

class MemoryRegistry : public Registry {
 public:
  // Sets a string value (creating the key).
  void Set(RegistryHive hive, const std::string& key, const std::string& name,
           const std::string& text) {
    WriteValue(hive, key, name, RegistryValue::String(text));
  }
  void FailWrites(bool fail) { failWrites_ = fail; }
  const RegistryFile& Hive(RegistryHive hive) const;

  bool KeyExists(RegistryHive hive, const std::string& key) const override;
  std::optional<RegistryValue> ReadValue(RegistryHive hive, const std::string& key,
                                         const std::string& name) const override;
  void CreateKey(RegistryHive hive, const std::string& key) override;
  void WriteValue(RegistryHive hive, const std::string& key, const std::string& name,
                  const RegistryValue& value) override;
  bool DeleteValue(RegistryHive hive, const std::string& key, const std::string& name) override;

 private:
  RegistryFile& HiveFor(RegistryHive hive);
  void CheckWritable() const;

  RegistryFile machine_;
  RegistryFile user_;
  bool failWrites_ = false;
};

}  // namespace qm
