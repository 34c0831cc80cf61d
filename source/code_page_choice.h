#pragma once
// Which code page a table's text is read in, and why: a code page the user gave, else the name
// in a .cpg file beside the table, else the header's language-driver byte, else code page 1251.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

struct CodePageChoice {
  // The iconv name of the code page ("CP866", "KOI8-R"); "CP1251" when nothing names one.
  std::string codePage;
  // Why, in a sentence: "given by the user", "the .cpg file names it: t.cpg says \"852\"", "the
  // language driver 0x65 stands for it", "nothing names a code page (language driver 0x00, no
  // .cpg file): code page 1251".
  std::string reason;
  std::uint8_t languageDriver = 0;
  std::optional<std::string> cpgPath;  // the .cpg file beside the table, if there is one
  std::string cpgText;                 // its text, blanks and line ends at the ends removed
};

// The iconv name of a code page as a user or a .cpg file writes it: "866", "cp866", "OEM 866"
// -> "CP866", "1251" -> "CP1251", "koi8-r" -> "KOI8-R", "UTF8" -> "UTF-8"; anything else in upper
// case as written. Blanks at the ends are ignored.
std::string CodePageName(std::string_view given);

// The choice for the table at `tablePath` whose header holds `languageDriver`; `given` (a name
// as CodePageName takes it) wins when it is not empty. Reads the .cpg file, nothing else.
CodePageChoice ChooseCodePage(const std::string& tablePath, std::uint8_t languageDriver,
                              const std::string& given);

}  // namespace qm
