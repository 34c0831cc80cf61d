#include "platform/ini_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include "platform/codepage.h"
#include "platform/file_write.h"

namespace qm {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// One line of the file: its text and the line break that ended it (empty on a last line
// without one).
struct Line {
  std::string text;
  std::string ending;
};

enum class LineKind { Other, Section, Key };

struct ParsedLine {
  LineKind kind = LineKind::Other;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // key value, trimmed
};

ParsedLine Parse(std::string_view text) {
  const std::string_view line = Trim(text);
  if (line.empty() || line.front() == ';') return {};
  if (line.front() == '[') {
    const std::string_view inner = line.substr(1);
    return {LineKind::Section, Trim(inner.substr(0, inner.find(']'))), {}};
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return {};
  return {LineKind::Key, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

std::vector<Line> SplitLines(std::string_view content) {
  std::vector<Line> lines;
  while (!content.empty()) {
    const std::size_t lf = content.find('\n');
    std::string_view text = content.substr(0, lf);
    std::string_view ending;
    if (lf != std::string_view::npos) {
      ending = "\n";
      if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1);
        ending = kCrLf;
      }
      content.remove_prefix(lf + 1);
    } else {
      content = {};
    }
    lines.push_back({std::string(text), std::string(ending)});
  }
  return lines;
}

// The file's bytes; empty when it does not exist, nothing when it exists but cannot be read.
std::optional<std::string> ReadWhole(const std::string& fileName) {
  const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? std::optional<std::string>(std::string()) : std::nullopt;
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  return content;
}

// Index of the first line opening `section`, or lines.size().
std::size_t FindSection(const std::vector<Line>& lines, std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const ParsedLine p = Parse(lines[i].text);
    if (p.kind == LineKind::Section && Cp1251EqualNoCase(p.name, section)) return i;
  }
  return lines.size();
}

// One past the last line of the section opened at `header`.
std::size_t SectionEnd(const std::vector<Line>& lines, std::size_t header) {
  std::size_t i = header + 1;
  while (i < lines.size() && Parse(lines[i].text).kind != LineKind::Section) ++i;
  return i;
}

std::string_view StripEnclosingQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

[[noreturn]] void ThrowUnableToWrite(const std::string& fileName) {
  throw std::runtime_error("Unable to write to " + fileName);
}

// Puts `key`=`value` into `section` of `lines`, as WriteSetting describes.
void SetKey(std::vector<Line>& lines, const std::string& section, const std::string& key,
            const std::string& value) {
  const std::size_t header = FindSection(lines, section);
  if (header == lines.size()) {
    if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = kCrLf;
    lines.push_back({"[" + section + "]", std::string(kCrLf)});
    lines.push_back({key + "=" + value, std::string(kCrLf)});
  } else {
    const std::size_t end = SectionEnd(lines, header);
    std::size_t insertAt = header + 1;
    bool replaced = false;
    for (std::size_t i = header + 1; i < end && !replaced; ++i) {
      const ParsedLine p = Parse(lines[i].text);
      if (p.kind == LineKind::Key && Cp1251EqualNoCase(p.name, key)) {
        lines[i] = {std::string(p.name) + "=" + value, std::string(kCrLf)};
        replaced = true;
      } else if (!Trim(lines[i].text).empty()) {
        insertAt = i + 1;
      }
    }
    if (!replaced) {
      if (lines[insertAt - 1].ending.empty()) lines[insertAt - 1].ending = kCrLf;
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                   Line{key + "=" + value, std::string(kCrLf)});
    }
  }
}

}  // namespace

void WriteSetting(const std::string& fileName, const std::string& section, const std::string& key,
                  const std::string& value) {
  WriteSettings(fileName, section, {{key, value}});
}

void WriteSettings(const std::string& fileName, const std::string& section,
                   const std::vector<std::pair<std::string, std::string>>& keys, unsigned mode) {
  // Replacing the file goes through a new file, which would get past a read-only one.
  if (access(fileName.c_str(), F_OK) == 0 && access(fileName.c_str(), W_OK) != 0)
    ThrowUnableToWrite(fileName);
  const std::optional<std::string> content = ReadWhole(fileName);
  if (!content) ThrowUnableToWrite(fileName);
  std::vector<Line> lines = SplitLines(*content);
  for (const auto& [key, value] : keys) SetKey(lines, section, key, value);

  std::string out;
  out.reserve(content->size() + 64 * keys.size());
  for (const Line& line : lines) out += line.text + line.ending;
  try {
    ReplaceFileContent(fileName, out, mode);
  } catch (const FileWriteError&) {
    ThrowUnableToWrite(fileName);
  }
}

std::vector<std::string> ReadSettingsSection(const std::string& fileName,
                                             const std::string& section) {
  std::vector<std::string> result;
  const std::optional<std::string> content = ReadWhole(fileName);
  if (!content) return result;
  const std::vector<Line> lines = SplitLines(*content);
  const std::size_t header = FindSection(lines, section);
  if (header == lines.size()) return result;
  const std::size_t end = SectionEnd(lines, header);

  // The key names as the names buffer delivers them, then each one's value looked up by name,
  // which finds the first line of a key written twice.
  std::vector<std::string_view> names;
  std::unordered_map<std::string, std::string_view> firstValues;
  std::size_t used = 1;  // the zero byte that ends the list
  bool namesFull = false;
  for (std::size_t i = header + 1; i < end; ++i) {
    const ParsedLine p = Parse(lines[i].text);
    if (p.kind != LineKind::Key || p.name.empty()) continue;
    firstValues.try_emplace(Cp1251Upper(p.name), p.value);
    if (namesFull || used + p.name.size() + 1 > kIniKeyNamesBufferSize) {
      namesFull = true;
      continue;
    }
    used += p.name.size() + 1;
    names.push_back(p.name);
  }
  result.reserve(names.size());
  for (const std::string_view name : names) {
    const std::string_view value = StripEnclosingQuotes(firstValues.at(Cp1251Upper(name)));
    result.push_back(std::string(name) + "=" +
                     std::string(value.substr(0, kIniValueBufferSize - 1)));
  }
  return result;
}

}  // namespace qm
