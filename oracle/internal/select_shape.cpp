#include "oracle/internal/select_shape.h"

#include <array>
#include <cstddef>
#include <cstring>

namespace qm {
namespace {

// The position just past the literal that opens at `at`, its doubled apostrophes inside; npos
// when it does not close.
std::size_t LiteralEnd(std::string_view text, std::size_t at) {
  for (std::size_t i = at + 1; i < text.size();) {
    const void* quote = std::memchr(text.data() + i, '\'', text.size() - i);
    if (!quote) break;
    i = static_cast<std::size_t>(static_cast<const char*>(quote) - text.data());
    if (i + 1 < text.size() && text[i + 1] == '\'') {
      i += 2;
      continue;
    }
    return i + 1;
  }
  return std::string_view::npos;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The characters that may open a quoted name, a literal or a comment, as a table: the plain
// text between them is most of a statement, and is scanned a byte at a time.
constexpr auto kSpecial = [] {
  std::array<bool, 256> special{};
  for (const unsigned char c : {'"', '\'', '-', '/'}) special[c] = true;
  return special;
}();

bool IsSpecial(char c) { return kSpecial[static_cast<unsigned char>(c)]; }

// Whether `b` holds at `j` the `length` characters `a` holds at `i`.
bool SameRun(std::string_view a, std::size_t i, std::string_view b, std::size_t j,
             std::size_t length) {
  return b.size() - j >= length && a.substr(i, length) == b.substr(j, length);
}

}  // namespace

bool SameSelectShape(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  char previous = '\0';  // the last character outside literals that is no blank
  while (i < a.size() && j < b.size()) {
    // Plain text up to the next special character must be equal as it stands.
    std::size_t end = i;
    while (end < a.size() && !IsSpecial(a[end])) ++end;
    if (end > i) {
      if (!SameRun(a, i, b, j, end - i)) return false;
      for (std::size_t k = end; k > i; --k)
        if (!IsBlank(a[k - 1])) {
          previous = a[k - 1];
          break;
        }
      j += end - i;
      i = end;
      continue;
    }
    const char c = a[i];
    if (c != b[j]) return false;
    if (c == '"') {
      // A quoted name, equal through its closing quote (or to the end when it has none).
      const std::size_t close = a.find('"', i + 1);
      const std::size_t length = (close == std::string_view::npos ? a.size() : close + 1) - i;
      if (!SameRun(a, i, b, j, length)) return false;
      previous = '"';
      i += length, j += length;
    } else if (c == '\'') {
      const char before = i > 0 ? a[i - 1] : '\0';
      if (before == 'q' || before == 'Q') return false;
      const std::size_t endA = LiteralEnd(a, i), endB = LiteralEnd(b, j);
      if (endA == std::string_view::npos || endB == std::string_view::npos) return false;
      if (previous != '=' && a.substr(i, endA - i) != b.substr(j, endB - j)) return false;
      i = endA, j = endB;
      previous = '\'';
    } else {
      if (i + 1 < a.size() && a[i + 1] == (c == '-' ? '-' : '*')) return false;  // a comment
      previous = c;
      ++i, ++j;
    }
  }
  return i == a.size() && j == b.size();
}

}  // namespace qm
