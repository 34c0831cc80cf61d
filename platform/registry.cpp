#include "platform/registry.h"

#include "platform/environment.h"
#include "platform/file_registry.h"
#include "platform/file_system.h"
#include "platform/internal/registry_environment_view.h"

namespace qm {

namespace {

// The program's registry, made on first use from the environment of that moment.
struct DefaultRegistry {
  ProcessEnvironment env;
  LocalFileSystem fs;
  FileRegistry files = FileRegistry::FromEnvironment(env);
  RegistryEnvironmentView view{files, env, fs};
};

Registry* installed = nullptr;

Registry& Default() {
  static DefaultRegistry registry;
  return registry.view;
}

}  // namespace

std::string ReadRegistryText(const Registry& registry, RegistryHive hive, const std::string& key,
                             const std::string& name, std::size_t bufferSize) {
  const auto value = registry.ReadValue(hive, key, name);
  if (!value || value->type != RegistryValue::Type::String) return std::string();
  if (value->text.size() + 1 > bufferSize) return std::string();
  return value->text;
}

Registry& AppRegistry() {
  return installed != nullptr ? *installed : Default();
}

Registry* SetAppRegistry(Registry* registry) {
  Registry* previous = &AppRegistry();
  installed = registry;
  return previous;
}

}  // namespace qm
