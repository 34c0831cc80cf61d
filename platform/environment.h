#pragma once
// Environment variables behind a small interface, so that the logic that reads and sets them
// (client discovery, the registry's environment view) runs in tests on values of their own.

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace qm {

class Environment {
 public:
  virtual ~Environment() = default;
  // The variable's value, or nothing when it is not set (a variable set to "" is set).
  virtual std::optional<std::string> Get(const std::string& name) const = 0;
  // Sets the variable for this process and the programs and libraries it loads afterwards.
  virtual void Set(const std::string& name, const std::string& value) = 0;
};

// The process environment (getenv/setenv).
class ProcessEnvironment : public Environment {
 public:
  std::optional<std::string> Get(const std::string& name) const override;
  void Set(const std::string& name, const std::string& value) override;
};

// Variables held in memory, for tests.
class MemoryEnvironment : public Environment {
 public:
  MemoryEnvironment() = default;
  MemoryEnvironment(std::initializer_list<std::pair<const std::string, std::string>> values)
      : values_(values) {}
  std::optional<std::string> Get(const std::string& name) const override;
  void Set(const std::string& name, const std::string& value) override { values_[name] = value; }
  void Unset(const std::string& name) { values_.erase(name); }

 private:
  std::map<std::string, std::string> values_;
};

// The value of `name` in `env`, or "" when it is not set.
std::string GetOrEmpty(const Environment& env, const std::string& name);

}  // namespace qm
