#include "source/internal/escaped_text.h"

#include <cstddef>
#include <cstring>

#include "platform/codepage.h"

namespace qm {

void AppendEscaped(std::string_view text, std::string& out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (b < 0x20 || b == 0x7F) {
          const char escape[4] = {'\\', 'x', kHex[b >> 4], kHex[b & 0xF]};
          out.append(escape, sizeof escape);
        } else {
          out += c;
        }
    }
  }
}

EscapedUtf8::EscapedUtf8() {
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    std::string escaped;
    AppendEscaped(std::string_view(&byte, 1), escaped);
    const std::string utf8 = Cp1251ToUtf8(escaped);  // at most four bytes: one escape or letter
    Sequence& s = table_[static_cast<std::size_t>(b)];
    s.size = static_cast<std::uint8_t>(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) s.bytes[i] = utf8[i];
  }
}

void EscapedUtf8::Append(std::string_view text, std::string& out) const {
  // Room for the longest form first, then the bytes written through a pointer; the string is cut
  // back to what was written.
  const std::size_t start = out.size();
  out.resize(start + text.size() * 4);
  char* w = out.data() + start;
  for (char c : text) {
    const Sequence& s = table_[static_cast<unsigned char>(c)];
    std::memcpy(w, s.bytes, 4);
    w += s.size;
  }
  out.resize(static_cast<std::size_t>(w - out.data()));
}

}  // namespace qm
