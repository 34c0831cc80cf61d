#pragma once
// One registry hive kept as a text file in the export format of the Windows registry editor:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Tarnwick]
//   "Logon0"="..."
//   "Count"=dword:00000006
//
// Key sections carry the full path with the hive's root name. String data escapes backslash and
// double quote with a backslash; dword data is eight hex digits. Other kinds of data (hex:...)
// are kept as written, so that rewriting a file loses nothing. Reading is tolerant: the header
// line, comment lines (";") and lines it does not understand are passed over; a key removal
// section ("[-...]") is ignored.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace qm {

class RegistryFile {
 public:
  struct Value {
    std::string name;  // "" is the key's default value ("@" in the file)
    RegistryValue value;
  };
  struct Key {
    std::string path;  // full path with the root name, as spelt when it was first added
    std::vector<Value> values;
  };

  static RegistryFile Parse(std::string_view text);
  // The file text: header, then each key in order of addition with its values; CR LF line ends.
  std::string Format() const;

  // Full key paths compare without regard to case.
  bool KeyExists(std::string_view path) const;  // also true when only sub-keys are listed
  const Key* FindKey(std::string_view path) const;
  Key& AddKey(std::string_view path);  // the existing key, or a new one at the end
  std::optional<RegistryValue> Read(std::string_view path, std::string_view name) const;
  void Write(std::string_view path, std::string_view name, const RegistryValue& value);
  bool Delete(std::string_view path, std::string_view name);  // false when there was none

  const std::vector<Key>& Keys() const { return keys_; }

 private:
  std::vector<Key> keys_;
};

}  // namespace qm
