#include "platform/memory_registry.h"

namespace qm {

const RegistryFile& MemoryRegistry::Hive(RegistryHive hive) const {
  return hive == RegistryHive::LocalMachine ? machine_ : user_;
}

RegistryFile& MemoryRegistry::HiveFor(RegistryHive hive) {
  return hive == RegistryHive::LocalMachine ? machine_ : user_;
}

void MemoryRegistry::CheckWritable() const {
  if (failWrites_) throw RegistryError("registry: writing is not allowed");
}

bool MemoryRegistry::KeyExists(RegistryHive hive, const std::string& key) const {
  return Hive(hive).KeyExists(key);
}

std::optional<RegistryValue> MemoryRegistry::ReadValue(RegistryHive hive, const std::string& key,
                                                       const std::string& name) const {
  return Hive(hive).Read(key, name);
}

void MemoryRegistry::CreateKey(RegistryHive hive, const std::string& key) {
  CheckWritable();
  HiveFor(hive).AddKey(key);
}

void MemoryRegistry::WriteValue(RegistryHive hive, const std::string& key, const std::string& name,
                                const RegistryValue& value) {
  CheckWritable();
  HiveFor(hive).Write(key, name, value);
}

bool MemoryRegistry::DeleteValue(RegistryHive hive, const std::string& key,
                                 const std::string& name) {
  CheckWritable();
  return HiveFor(hive).Delete(key, name);
}

}  // namespace qm
