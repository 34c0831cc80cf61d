#include "oracle/internal/count_query_text.h"

#include <cctype>

#include "platform/codepage.h"

namespace qm {
namespace {

bool WordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '#' || c == '$' ||
         static_cast<unsigned char>(c) >= 128;
}

// Whether `word` (upper case) stands at `i` of `text` as a whole word.
bool WordAt(const std::string& text, size_t i, const std::string& word) {
  if (i > 0 && WordChar(text[i - 1])) return false;
  if (text.size() - i < word.size()) return false;
  if (Cp1251Upper(text.substr(i, word.size())) != word) return false;
  return i + word.size() == text.size() || !WordChar(text[i + word.size()]);
}

}  // namespace

std::string SelectForCounting(const std::string& select) {
  std::string out;
  int depth = 0;
  for (size_t i = 0; i < select.size(); ++i) {
    const char c = select[i];
    if (c == '\'') {
      const size_t close = select.find('\'', i + 1);
      const size_t end = close == std::string::npos ? select.size() : close + 1;
      out.append(select, i, end - i);
      i = end - 1;
    } else if (c == '/' && i + 1 < select.size() && select[i + 1] == '*') {
      const size_t close = select.find("*/", i + 2);
      i = close == std::string::npos ? select.size() : close + 1;
    } else if (c == '-' && i + 1 < select.size() && select[i + 1] == '-') {
      const size_t lineEnd = select.find_first_of("\r\n", i);
      i = (lineEnd == std::string::npos ? select.size() : lineEnd) - 1;
    } else {
      if (c == '(') ++depth;
      if (c == ')') --depth;
      if (depth == 0 && (WordAt(select, i, "ORDER") || WordAt(select, i, "FOR"))) break;
      out += c;
    }
  }
  return out;
}

}  // namespace qm
