#include "platform/internal/registry_environment_view.h"

#include "platform/codepage.h"
#include "platform/environment.h"
#include "platform/file_system.h"

namespace qm {

namespace {

constexpr const char* kOracleKey = "SOFTWARE\\ORACLE";
constexpr const char* kClientLibrary = "libclntsh.so";

}  // namespace

RegistryEnvironmentView::RegistryEnvironmentView(Registry& base, const Environment& env,
                                                 const FileSystem& fs)
    : base_(base), env_(env), fs_(fs) {}

std::string RegistryEnvironmentView::EnvironmentHome() const {
  const std::string home = GetOrEmpty(env_, "ORACLE_HOME");
  if (!home.empty()) return home;
  const std::string path = GetOrEmpty(env_, "LD_LIBRARY_PATH");
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    std::string folder = path.substr(start, end - start);
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (!folder.empty() && fs_.FileExists(folder + "/" + kClientLibrary)) return folder;
    start = end + 1;
  }
  return std::string();
}

bool RegistryEnvironmentView::AnswersFor(RegistryHive hive, const std::string& key) const {
  return hive == RegistryHive::LocalMachine && Cp1251EqualNoCase(key, kOracleKey) &&
         !base_.KeyExists(hive, kOracleKey);
}

bool RegistryEnvironmentView::KeyExists(RegistryHive hive, const std::string& key) const {
  if (base_.KeyExists(hive, key)) return true;
  return AnswersFor(hive, key) && !EnvironmentHome().empty();
}

std::optional<RegistryValue> RegistryEnvironmentView::ReadValue(RegistryHive hive,
                                                                const std::string& key,
                                                                const std::string& name) const {
  if (!AnswersFor(hive, key)) return base_.ReadValue(hive, key, name);
  if (!Cp1251EqualNoCase(name, "ORACLE_HOME")) return std::nullopt;
  const std::string home = EnvironmentHome();
  if (home.empty()) return std::nullopt;
  return RegistryValue::String(home);
}

void RegistryEnvironmentView::CreateKey(RegistryHive hive, const std::string& key) {
  base_.CreateKey(hive, key);
}

void RegistryEnvironmentView::WriteValue(RegistryHive hive, const std::string& key,
                                         const std::string& name, const RegistryValue& value) {
  base_.WriteValue(hive, key, name, value);
}

bool RegistryEnvironmentView::DeleteValue(RegistryHive hive, const std::string& key,
                                          const std::string& name) {
  return base_.DeleteValue(hive, key, name);
}

}  // namespace qm
