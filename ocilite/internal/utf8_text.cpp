#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {

std::size_t Utf8Length(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      ++i;
    } else if (b >= 0xC0 && b < 0xE0 && i + 1 < s.size() &&
               (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80) {
      i += 2;  // a whole two-byte character, as DecodeUtf8 would take it, without decoding it
    } else {
      DecodeUtf8(s, i);
    }
    ++n;
  }
  return n;
}

std::size_t Utf8Offset(std::string_view s, std::size_t chars) {
  std::size_t i = 0;
  for (; i < s.size() && chars > 0; --chars) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
    } else {
      DecodeUtf8(s, i);
    }
  }
  return i;
}

std::string_view Utf8Substr(std::string_view s, std::size_t first, std::size_t count) {
  const std::size_t begin = Utf8Offset(s, first);
  const std::size_t end = begin + Utf8Offset(s.substr(begin), count);
  return s.substr(begin, end - begin);
}

namespace {
// Ranges where upper and lower case letters alternate (even code point upper case).
bool InPairedRange(char32_t c) {
  return (c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177) ||
         (c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F);
}
// Ranges where the odd code point is the upper case letter.
bool InOddPairedRange(char32_t c) {
  return (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E) || (c >= 0x4C1 && c <= 0x4CE);
}
}  // namespace

char32_t UpperCodePoint(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
  if (c == 0xFF) return 0x178;
  if (InPairedRange(c)) return c & ~char32_t{1};
  if (InOddPairedRange(c)) return (c % 2 == 0) ? c - 1 : c;
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
  if (c == 0x3C2) return 0x3A3;
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}

char32_t LowerCodePoint(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  if (c == 0x178) return 0xFF;
  if (InPairedRange(c)) return c | 1;
  if (InOddPairedRange(c)) return (c % 2 == 1) ? c + 1 : c;
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

namespace {
template <char32_t (*Map)(char32_t)>
std::string MapCase(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      out += static_cast<char>(Map(b));
      ++i;
    } else {
      AppendUtf8(out, Map(DecodeUtf8(s, i)));
    }
  }
  return out;
}
}  // namespace

std::string Utf8Upper(std::string_view s) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto b = static_cast<unsigned char>(out[i]);
    if (b >= 0x80) return MapCase<UpperCodePoint>(s);
    if (b >= 'a' && b <= 'z') out[i] = static_cast<char>(b - 32);
  }
  return out;
}
std::string Utf8Lower(std::string_view s) {
  return MapCase<LowerCodePoint>(s);
}

}  // namespace qm::ocilite
