#pragma once
// The version record an executable carries: a table of named values, stored in its own ELF
// section (kVersionSection) when the program is linked, and read back from any executable file.
//
// Record layout (little-endian): the magic "QMVR", a uint32 byte count of the whole record, then
// entries of uint16 key length, key bytes, uint16 value length, value bytes. Keys are paths as
// the system queries them: "\VarFileInfo\Translation" holds the first translation as a uint16
// language and a uint16 code page; "\StringFileInfo\041904E3\FileVersion" a zero-terminated text.

#include <optional>
#include <string>
#include <string_view>

namespace qm {

inline constexpr const char* kVersionSection = ".qm_verinfo";

class VersionInfo {
 public:
  // The version record of the executable at `path`, or nothing when the file cannot be read, is
  // no ELF file, or carries no well-formed record.
  static std::optional<VersionInfo> FromFile(const std::string& path);
  static std::optional<VersionInfo> FromRecord(std::string record);

  std::size_t Size() const { return record_.size(); }
  // The value stored under `key`, or nothing.
  std::optional<std::string_view> Query(std::string_view key) const;

 private:
  explicit VersionInfo(std::string record) : record_(std::move(record)) {}
  std::string record_;
};

// The FileVersion text of the executable at `path` in the language and code page of its first
// translation, or the empty text.
std::string GetFileVersionString(const std::string& path);

// Full path of the running executable.
std::string OwnExecutablePath();

}  // namespace qm
