#pragma once
// Code page 1251 text. Every core module holds text as single-byte code page 1251 in std::string;
// conversion to Unicode happens only where text meets a window or a UTF-8 file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/utf8.h"

namespace qm {

// Unicode code points of the bytes 0x80..0xFF of code page 1251 (0 where the byte is unassigned).
inline constexpr std::array<char16_t, 128> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// The code page 1251 byte of a code point, or '?' when the code page has none.
constexpr char Cp1251FromCodePoint(char32_t cp) {
  if (cp < 0x80) return static_cast<char>(cp);
  for (std::size_t i = 0; i < kCp1251High.size(); ++i)
    if (kCp1251High[i] == cp && cp != 0) return static_cast<char>(0x80 + i);
  return '?';
}

constexpr char32_t CodePointFromCp1251(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b < 0x80) return b;
  const char32_t cp = kCp1251High[b - 0x80];
  return cp ? cp : 0xFFFD;
}

std::string Utf8ToCp1251(std::string_view utf8);
std::string Cp1251ToUtf8(std::string_view cp1251);

// A code page 1251 text made from a UTF-8 literal at compile time: the system's Russian texts
// stay readable in the source.
template <std::size_t N>
struct Cp1251Literal {
  char data[N] = {};
  std::size_t size = 0;
  constexpr operator std::string_view() const { return {data, size}; }
  std::string str() const { return std::string(data, size); }
  operator std::string() const { return str(); }
};

template <std::size_t N>
consteval Cp1251Literal<N> Cp1251(const char (&utf8)[N]) {
  Cp1251Literal<N> out;
  const std::string_view s(utf8, N - 1);
  std::size_t i = 0;
  while (i < s.size()) out.data[out.size++] = Cp1251FromCodePoint(DecodeUtf8(s, i));
  return out;
}

// Upper case of a code page 1251 character: Latin and Cyrillic letters, byte for byte.
char Cp1251Upper(char c);
std::string Cp1251Upper(std::string_view s);
// Equality without regard to letter case (Latin and Cyrillic).
bool Cp1251EqualNoCase(std::string_view a, std::string_view b);

// The text without the blanks and control characters (codes up to 32) at both ends.
std::string_view Trim(std::string_view s);

}  // namespace qm
