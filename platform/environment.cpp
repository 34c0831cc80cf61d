#include "platform/environment.h"

#include <cstdlib>

namespace qm {

std::optional<std::string> ProcessEnvironment::Get(const std::string& name) const {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

void ProcessEnvironment::Set(const std::string& name, const std::string& value) {
  setenv(name.c_str(), value.c_str(), 1);
}

std::optional<std::string> MemoryEnvironment::Get(const std::string& name) const {
  const auto it = values_.find(name);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::string GetOrEmpty(const Environment& env, const std::string& name) {
  return env.Get(name).value_or(std::string());
}

}  // namespace qm
