#pragma once
// Settings in INI files, with the behaviour of the Windows private-profile services the
// field-link file was made with. Text is taken and returned as bytes (code page 1251 for the
// system's files); section and key names are matched without regard to letter case.
//
// File form: "[Section]" lines open sections; "key=value" lines inside a section are its keys;
// lines whose first non-blank character is ";" are comments; other lines are kept but carry no
// key. Lines written here end with CR LF; lines that are not touched keep their bytes.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace qm {

// The buffer through which the key names of one section are read, each name followed by a zero
// byte and the list by one more: names that do not fit whole are not read.
inline constexpr std::size_t kIniKeyNamesBufferSize = 16384;
// The buffer through which one value is read, with its zero byte: longer values are cut to 2047
// characters.
inline constexpr std::size_t kIniValueBufferSize = 2048;

// Writes `value` under `key` of `section` in the file `fileName`: the value of the key's first
// line in the section is replaced in place, or a new key line is added after the section's last
// non-blank line, or the section with the key is added at the end of the file; a missing file is
// created. The whole file is written out, flushed to disk and closed before returning; a failure
// part-way leaves the old file whole. Throws std::runtime_error "Unable to write to <fileName>"
// when the file cannot be read back or written (a read-only file included).
void WriteSetting(const std::string& fileName, const std::string& section, const std::string& key,
                  const std::string& value);

// Writes every key of `keys` in order, as that many WriteSetting calls would, but with one
// rewrite of the file: either all of them are written or the old file stays as it was. A new
// file gets `mode` (before the umask); an existing one keeps its own.
void WriteSettings(const std::string& fileName, const std::string& section,
                   const std::vector<std::pair<std::string, std::string>>& keys,
                   unsigned mode = 0666);

// One line "key=value" for each key of the first section named `section`, in file order. A key
// listed twice reads the value of its first line. Values lose their blanks at both ends and one
// pair of matching quotation marks (' or ") enclosing the whole value, then are cut to fit
// kIniValueBufferSize. A missing or unreadable file, or a missing section, gives no lines.
std::vector<std::string> ReadSettingsSection(const std::string& fileName,
                                             const std::string& section);

}  // namespace qm
