#include "oracle/tns_names_reader.h"

#include <algorithm>
#include <string_view>

#include "platform/codepage.h"
#include "platform/file_system.h"

namespace qm {

namespace {

bool LessNoCase(const std::string& a, const std::string& b) {
  return Cp1251Upper(a) < Cp1251Upper(b);
}

}  // namespace

void AliasList::Add(const std::string& name) {
  const auto at = std::lower_bound(names_.begin(), names_.end(), name, LessNoCase);
  if (at != names_.end() && Cp1251EqualNoCase(*at, name)) return;
  names_.insert(at, name);
}

void TnsNamesReader::Read(const std::string& path, AliasList& aliases) {
  std::string file = path;
  while (file.rfind("\\\\\\", 0) == 0) file.erase(0, 1);
  if (!visited_.insert(fs_.CanonicalPath(file)).second) return;
  const auto content = fs_.ReadFile(file);
  if (!content) return;

  int depth = 0;
  bool ifilePending = false;
  std::size_t lineStart = 0;
  while (lineStart < content->size()) {
    std::size_t lineEnd = content->find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = content->size();
    const std::string_view line(content->data() + lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;
    if (!line.empty() && line.front() == '#') continue;

    std::string collected;
    for (char c : line) {
      if (c == '(') ++depth;
      if (depth == 0 && static_cast<unsigned char>(c) > 31) collected.push_back(c);
      if (c == ')') --depth;
    }
    const std::string text(Trim(collected));
    if (text.empty()) continue;

    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
      if (ifilePending) {
        ifilePending = false;
        Read(text, aliases);
      }
      continue;
    }
    std::string name(Trim(std::string_view(text).substr(0, equals)));
    const std::string value(Trim(std::string_view(text).substr(equals + 1)));
    const std::size_t world = Cp1251Upper(name).find(".WORLD");
    if (world != std::string::npos) name.erase(world);
    if (Cp1251EqualNoCase(name, "IFILE")) {
      if (value.empty())
        ifilePending = true;
      else
        Read(value, aliases);
    } else if (!name.empty()) {
      aliases.Add(name);
    }
  }
}

}  // namespace qm
