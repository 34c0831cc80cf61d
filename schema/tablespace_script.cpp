#include "schema/tablespace_script.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "import/value_conversions.h"

namespace qm {

std::vector<std::string> ReadScriptLines(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw std::runtime_error("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string text = buffer.str();
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

void FillPlaceholders(std::vector<std::string>& lines, const ScriptInputs& inputs) {
  for (std::string& line : lines) {
    line = ReplaceAll(line, "#USERNAME", inputs.userName);
    line = ReplaceAll(line, "#USERPSW", inputs.userPassword);
    line = ReplaceAll(line, "#TABLESPACENAME", inputs.tablespaceName);
    line = ReplaceAll(line, "#PATH", inputs.path);
  }
}

std::optional<std::string> RunScriptStatements(
    const std::vector<std::string>& lines, const std::function<void(const std::string&)>& execute) {
  std::size_t i = 0;
  while (i < lines.size()) {
    std::string sql;
    while (lines[i].find(';') == std::string::npos) {
      sql += ' ' + lines[i];
      if (++i == lines.size()) return sql + "\r\n";  // the script ends inside a statement
    }
    sql += ' ' + lines[i];
    sql = ReplaceAll(sql, ";", "");
    try {
      execute(sql);
    } catch (const std::exception&) {
      return sql + "\r\n";
    }
    ++i;
  }
  return std::nullopt;
}

}  // namespace qm
