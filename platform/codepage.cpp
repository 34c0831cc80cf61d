#include "platform/codepage.h"

namespace qm {

std::string Utf8ToCp1251(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) out.push_back(Cp1251FromCodePoint(DecodeUtf8(utf8, i)));
  return out;
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
  std::string out;
  out.reserve(cp1251.size() * 2);
  for (char c : cp1251) AppendUtf8(out, CodePointFromCp1251(c));
  return out;
}

char Cp1251Upper(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
  if (b >= 0xE0) return static_cast<char>(b - 32);  // а..я -> А..Я
  switch (b) {
    case 0xB8: return static_cast<char>(0xA8);  // ё
    case 0xBA: return static_cast<char>(0xAA);  // є
    case 0xBF: return static_cast<char>(0xAF);  // ї
    case 0xB3: return static_cast<char>(0xB2);  // і
    case 0xB4: return static_cast<char>(0xA5);  // ґ
    case 0xA2: return static_cast<char>(0xA1);  // ў
    case 0xBC: return static_cast<char>(0xA3);  // ј
    case 0xBE: return static_cast<char>(0xBD);  // ѕ
    case 0x83: return static_cast<char>(0x81);  // ѓ
    case 0x90: return static_cast<char>(0x80);  // ђ
    case 0x9A: return static_cast<char>(0x8A);  // љ
    case 0x9C: return static_cast<char>(0x8C);  // њ
    case 0x9D: return static_cast<char>(0x8D);  // ќ
    case 0x9E: return static_cast<char>(0x8E);  // ћ
    case 0x9F: return static_cast<char>(0x8F);  // џ
    default: return c;
  }
}

std::string Cp1251Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = Cp1251Upper(c);
  return out;
}

bool Cp1251EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Cp1251Upper(a[i]) != Cp1251Upper(b[i])) return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  std::size_t begin = 0;
  std::size_t end = s.size();
  while (begin < end && static_cast<unsigned char>(s[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(s[end - 1]) <= ' ') --end;
  return s.substr(begin, end - begin);
}

}  // namespace qm
