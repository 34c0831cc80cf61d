#pragma once
// Which code page a table's text is in, as iconv names it: from the language-driver byte of the
// header, or from the text of a .cpg file beside the table.

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// The iconv name for a language-driver byte, or the empty text when the byte records no code page
// (0) or one we do not know.
std::string CodePageOfLanguageDriver(std::uint8_t driver);

// The iconv name for the contents of a .cpg file: "1251", "CP1251" or "ANSI 1251" -> "CP1251",
// "8859-5" -> "ISO-8859-5", "UTF8" -> "UTF-8"; anything else is handed to iconv as written.
// Surrounding blanks and line ends are ignored; an empty text gives the empty text.
std::string CodePageOfCpgText(std::string_view text);

}  // namespace qm
