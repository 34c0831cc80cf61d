#pragma once
// The registry as the system uses it: keys below two hives holding named string and dword
// values. Key paths are written with backslashes and no hive name ("SOFTWARE\ORACLE"); key and
// value names compare without regard to letter case. The program's registry is file-backed
// (file_registry.h) with an environment view for the Oracle keys (registry_environment_view.h);
// tests install their own.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace qm {

enum class RegistryHive { LocalMachine, CurrentUser };

struct RegistryValue {
  enum class Type {
    String,  // `text`
    Dword,   // `dword`
    Other,   // any other kind a file holds; `text` is its data as written there (kept, not read)
  };
  Type type = Type::String;
  std::string text;
  std::uint32_t dword = 0;

  static RegistryValue String(std::string text) { return {Type::String, std::move(text), 0}; }
  static RegistryValue Dword(std::uint32_t value) { return {Type::Dword, {}, value}; }
  bool operator==(const RegistryValue&) const = default;
};

// A registry that could not be written: the message names the file and the reason.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // True when the key exists (a key with sub-keys exists even when it holds no values).
  virtual bool KeyExists(RegistryHive hive, const std::string& key) const = 0;
  // The value, or nothing when the key or the value does not exist or cannot be read.
  virtual std::optional<RegistryValue> ReadValue(RegistryHive hive, const std::string& key,
                                                 const std::string& name) const = 0;
  // Creates the key and its parents when missing. Throws RegistryError.
  virtual void CreateKey(RegistryHive hive, const std::string& key) = 0;
  // Creates the key when missing and sets the value. Throws RegistryError.
  virtual void WriteValue(RegistryHive hive, const std::string& key, const std::string& name,
                          const RegistryValue& value) = 0;
  // Deletes the value; false when there was none. Throws RegistryError when it could not be
  // saved.
  virtual bool DeleteValue(RegistryHive hive, const std::string& key, const std::string& name) = 0;
};

// A string value read as the system reads registry text: into a buffer of `bufferSize` bytes
// holding the text and its terminating NUL. A missing key or value, a value that is not a
// string, or a text that does not fit gives "".
std::string ReadRegistryText(const Registry& registry, RegistryHive hive, const std::string& key,
                             const std::string& name, std::size_t bufferSize = 1024);

// The registry of the program: until a test or the program installs another one, the file-backed
// registry at the paths the environment names (file_registry.h), seen through the environment
// view for the Oracle keys.
Registry& AppRegistry();
// Installs `registry` (not owned; nullptr restores the default) and returns the previous one.
Registry* SetAppRegistry(Registry* registry);

}  // namespace qm
