#include "oracle/internal/select_shape.h"

#include <cstring>
#include <utility>

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

}  // namespace

SelectShape::SelectShape(std::string text) : text_(std::move(text)) {
  const std::string_view t = text_;
  std::size_t fixedFrom = 0;  // where the stretch that must stay equal began
  char previous = '\0';       // the last character outside literals that is no blank
  for (std::size_t i = 0; i < t.size();) {
    const char c = t[i];
    if (c == '"') {
      // A quoted name, equal through its closing quote (or to the end when it has none).
      const std::size_t close = t.find('"', i + 1);
      i = close == std::string_view::npos ? t.size() : close + 1;
      previous = '"';
    } else if (c == '\'') {
      if (i > 0 && (t[i - 1] == 'q' || t[i - 1] == 'Q')) return;
      const std::size_t end = LiteralEnd(t, i);
      if (end == std::string_view::npos) return;
      if (previous == '=') {
        parts_.push_back({fixedFrom, i - fixedFrom, false});
        parts_.push_back({i, 0, true});
        fixedFrom = end;
      }
      i = end;
      previous = '\'';
    } else if ((c == '-' || c == '/') && i + 1 < t.size() && t[i + 1] == (c == '-' ? '-' : '*')) {
      return;  // a comment
    } else {
      if (!IsBlank(c)) previous = c;
      ++i;
    }
  }
  parts_.push_back({fixedFrom, t.size() - fixedFrom, false});
  comparable_ = true;
}

bool SelectShape::Matches(std::string_view text) const {
  if (!comparable_) return false;
  std::size_t j = 0;
  for (const Part& part : parts_) {
    if (part.anyLiteral) {
      if (j >= text.size() || text[j] != '\'') return false;
      j = LiteralEnd(text, j);
      if (j == std::string_view::npos) return false;
    } else {
      if (text.size() - j < part.length ||
          std::memcmp(text.data() + j, text_.data() + part.at, part.length) != 0)
        return false;
      j += part.length;
    }
  }
  return j == text.size();
}

}  // namespace qm
