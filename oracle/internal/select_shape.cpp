#include "oracle/internal/select_shape.h"

#include <cstddef>

namespace qm {
namespace {

// The position just past the literal that opens at `at`, its doubled apostrophes inside; npos
// when it does not close.
std::size_t LiteralEnd(std::string_view text, std::size_t at) {
  for (std::size_t i = at + 1; i < text.size(); ++i) {
    if (text[i] != '\'') continue;
    if (i + 1 < text.size() && text[i + 1] == '\'') {
      ++i;
      continue;
    }
    return i + 1;
  }
  return std::string_view::npos;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool SameSelectShape(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  char previous = '\0';  // the last character outside literals that is no blank
  bool insideName = false;
  while (i < a.size() && j < b.size()) {
    const char c = a[i];
    if (c != b[j]) return false;
    if (insideName) {
      insideName = c != '"';
      ++i, ++j;
      continue;
    }
    if (c == '"') {
      insideName = true;
    } else if ((c == '-' || c == '/') && i + 1 < a.size() && a[i + 1] == (c == '-' ? '-' : '*')) {
      return false;
    } else if (c == '\'') {
      const char before = i > 0 ? a[i - 1] : '\0';
      if (before == 'q' || before == 'Q') return false;
      const std::size_t endA = LiteralEnd(a, i), endB = LiteralEnd(b, j);
      if (endA == std::string_view::npos || endB == std::string_view::npos) return false;
      if (previous != '=' && a.substr(i, endA - i) != b.substr(j, endB - j)) return false;
      i = endA, j = endB;
      previous = '\'';
      continue;
    }
    if (!IsBlank(c)) previous = c;
    ++i, ++j;
  }
  return i == a.size() && j == b.size();
}

}  // namespace qm
