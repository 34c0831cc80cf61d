#include "ocilite/internal/sql_script.h"

#include <algorithm>

#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool IsCommand(std::string_view line) {
  const std::string upper = Utf8Upper(line.substr(0, std::min<std::size_t>(line.size(), 9)));
  std::string word;
  for (const char c : upper) {
    if (c == ' ' || c == '\t' || c == ';') break;
    word += c;
  }
  for (std::string_view w :
       {"EXIT", "QUIT", "PROMPT", "SET", "DESC", "DESCRIBE", "REM", "REMARK", "SPOOL", "WHENEVER"})
    if (word == w) return true;
  return false;
}

}  // namespace

std::optional<ScriptItem> SqlScript::AddLine(std::string_view raw) {
  ++line_;
  const std::string_view line = Trim(raw);
  if (buffer_.empty()) {
    if (line.empty() || line.substr(0, 2) == "--") return std::nullopt;
    if (IsCommand(line)) {
      std::string text(line);
      if (!text.empty() && text.back() == ';') text.pop_back();
      return ScriptItem{ScriptItem::Kind::kCommand, text, line_};
    }
  }
  if (line == "/") {
    if (Trim(buffer_).empty()) return std::nullopt;
    return Finish();
  }
  if (buffer_.empty()) first_line_ = line_;
  // Follow quotes and comments, so that a ";" inside them does not end the statement.
  std::size_t last_code = std::string_view::npos;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (in_comment_) {
      if (c == '*' && i + 1 < raw.size() && raw[i + 1] == '/') {
        in_comment_ = false;
        ++i;
      }
      continue;
    }
    if (in_quote_) {
      if (c == '\'') in_quote_ = false;
      last_code = i;
      continue;
    }
    if (c == '-' && i + 1 < raw.size() && raw[i + 1] == '-') break;
    if (c == '/' && i + 1 < raw.size() && raw[i + 1] == '*') {
      in_comment_ = true;
      ++i;
      continue;
    }
    if (c == '\'') in_quote_ = true;
    if (c != ' ' && c != '\t' && c != '\r') last_code = i;
  }
  if (!buffer_.empty()) buffer_ += '\n';
  if (!in_quote_ && !in_comment_ && last_code != std::string_view::npos && raw[last_code] == ';') {
    buffer_ += raw.substr(0, last_code);
    return Finish();
  }
  buffer_ += raw;
  return std::nullopt;
}

std::optional<ScriptItem> SqlScript::Finish() {
  std::string text = std::move(buffer_);
  buffer_.clear();
  in_quote_ = in_comment_ = false;
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\r'))
    text.pop_back();
  if (Trim(text).empty()) return std::nullopt;
  return ScriptItem{ScriptItem::Kind::kStatement, text, first_line_};
}

}  // namespace qm::ocilite
