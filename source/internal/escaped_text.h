#pragma once
// Values written for a terminal by dbfview: each value on one line and in one cell, so tabs,
// line ends, the backslash and the other control bytes become escapes ("\t", "\n", "\r", "\\",
// "\xHH" with upper-case hex digits); every other byte is the code page 1251 character it is.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// Appends text (code page 1251) with its control bytes escaped, still in code page 1251.
void AppendEscaped(std::string_view text, std::string& out);

// The same, written in UTF-8 at once: one lookup per byte in a table of 256 ready sequences
// (an escape or the character's UTF-8 bytes, U+FFFD for the one unassigned byte), built once.
// Appends exactly what Cp1251ToUtf8 of the AppendEscaped text is.
class EscapedUtf8 {
 public:
  EscapedUtf8();
  void Append(std::string_view text, std::string& out) const;

 private:
  struct Sequence {
    char bytes[4];
    std::uint8_t size;
  };
  std::array<Sequence, 256> table_{};
};

}  // namespace qm
