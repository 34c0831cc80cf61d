#pragma once
// dbfview --codepage-report: what a table says about its code page, which one the reader takes
// and why, and the first records' text decoded in the likely candidates side by side, with the
// text that looks wrong in each marked, so that a wrong mark (a .cpg file or language driver that
// names the wrong code page, or none) shows at a glance.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The code pages the report decodes in, besides the one in use: the DOS and Windows code pages
// of Russian, Western and Central European text, and KOI8-R.
inline constexpr const char* kCandidateCodePages[] = {"CP866",  "CP1251", "CP437", "CP850",
                                                      "CP1252", "CP1250", "KOI8-R"};

// Why a decoded text looks wrong, as a comma-separated list of: "box-drawing characters",
// "control characters", "characters the code page lacks" (U+FFFD), "mixed scripts in one word"
// (Latin, Cyrillic and Greek letters in one word), "signs amid letters" (a sign of the Latin-1
// range, a spacing modifier or a general punctuation mark inside a word), "words of signs only"
// (two or more such signs with no letter or digit). Empty when nothing does.
std::string LooksWrong(std::u32string_view text);

// The report for the table at `path`, in UTF-8: the language-driver byte, the .cpg file, the code
// page in use and why (`given` is a code page the user chose, as CodePageName takes it), then for
// each of the first `records` live records every text field that holds a byte above 127 or a
// control byte, decoded in the code page in use and in each candidate, one line each, with
// LooksWrong's reasons; then the candidates ranked by how many of those values look wrong, and
// the likely one (the code page in use wins a tie). Throws what opening the table throws.
std::string CodePageReport(const std::string& path, const std::string& given, std::size_t records);

}  // namespace qm
