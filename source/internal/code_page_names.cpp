#include "source/internal/code_page_names.h"

#include <algorithm>
#include <cctype>

namespace qm {
namespace {

std::string Cp(int number) {
  return "CP" + std::to_string(number);
}

// Code pages the language drivers select. Both Russian OEM drivers (0x26 and 0x65) mean 866.
int CodePageNumber(std::uint8_t driver) {
  switch (driver) {
    case 0x01:
    case 0x09:
    case 0x0B:
    case 0x0D:
    case 0x0F:
    case 0x11:
    case 0x15:
    case 0x18:
    case 0x19:
    case 0x1B:
      return 437;
    case 0x02:
    case 0x0A:
    case 0x0E:
    case 0x10:
    case 0x12:
    case 0x14:
    case 0x16:
    case 0x1A:
    case 0x1D:
    case 0x25:
    case 0x37:
      return 850;
    case 0x03:
    case 0x57:
    case 0x58:
    case 0x59:
      return 1252;
    case 0x04:
      return 10000;
    case 0x08:
    case 0x17:
    case 0x66:
      return 865;
    case 0x13:
    case 0x7B:
      return 932;
    case 0x1C:
    case 0x6C:
      return 863;
    case 0x1F:
    case 0x22:
    case 0x23:
    case 0x40:
    case 0x64:
    case 0x87:
      return 852;
    case 0x24:
      return 860;
    case 0x26:
    case 0x65:
      return 866;
    case 0x4D:
    case 0x7A:
      return 936;
    case 0x4E:
    case 0x79:
      return 949;
    case 0x4F:
    case 0x78:
      return 950;
    case 0x50:
    case 0x7C:
      return 874;
    case 0x67:
      return 861;
    case 0x6A:
    case 0x86:
      return 737;
    case 0x6B:
    case 0x88:
      return 857;
    case 0x7D:
      return 1255;
    case 0x7E:
      return 1256;
    case 0x96:
      return 10007;
    case 0x97:
      return 10029;
    case 0x98:
      return 10006;
    case 0xC8:
      return 1250;
    case 0xC9:
      return 1251;
    case 0xCA:
      return 1254;
    case 0xCB:
      return 1253;
    case 0xCC:
      return 1257;
    default:
      return 0;
  }
}

std::string MacName(int number) {
  switch (number) {
    case 10000:
      return "MACINTOSH";
    case 10007:
      return "MAC-CYRILLIC";
    case 10029:
      return "MAC-CENTRALEUROPE";
    case 10006:
      return "MAC-GREEK";  // not in every iconv; opening it then reports the name
    default:
      return Cp(number);
  }
}

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string CodePageOfLanguageDriver(std::uint8_t driver) {
  if (driver == 0xF0) return "UTF-8";  // written by some tools for UTF-8 text
  const int number = CodePageNumber(driver);
  if (number == 0) return "";
  return number >= 10000 ? MacName(number) : Cp(number);
}

std::string CodePageOfCpgText(std::string_view text) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

  std::string_view rest = upper;
  for (std::string_view prefix : {"ANSI ", "OEM ", "CP", "WINDOWS-"})
    if (rest.substr(0, prefix.size()) == prefix) {
      rest.remove_prefix(prefix.size());
      break;
    }
  if (AllDigits(rest) && rest.size() <= 5) {
    const int number = std::stoi(std::string(rest));
    if ((number >= 437 && number <= 950) || (number >= 1250 && number <= 1258)) return Cp(number);
  }
  if (upper.rfind("8859", 0) == 0) {
    std::string_view part = std::string_view(upper).substr(4);
    if (!part.empty() && part.front() == '-') part.remove_prefix(1);
    if (AllDigits(part)) return "ISO-8859-" + std::string(part);
  }
  if (upper == "UTF8" || upper == "UTF-8") return "UTF-8";
  return std::string(text);
}

}  // namespace qm
