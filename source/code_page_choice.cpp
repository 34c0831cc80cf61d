#include "source/code_page_choice.h"

#include <cctype>
#include <cstdio>

#include "source/internal/code_page_names.h"
#include "source/internal/read_only_file.h"
#include "source/internal/sibling_file.h"

namespace qm {
namespace {

// A .cpg file holds one short name; anything longer is not one.
constexpr std::size_t kMaxCpgBytes = 64;

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

std::string Trimmed(std::string_view text) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

std::string CodePageName(std::string_view given) {
  std::string name = CodePageOfCpgText(given);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

CodePageChoice ChooseCodePage(const std::string& tablePath, std::uint8_t languageDriver,
                              const std::string& given) {
  CodePageChoice choice;
  choice.languageDriver = languageDriver;
  choice.cpgPath = FindSibling(tablePath, ".cpg");
  if (choice.cpgPath) {
    char text[kMaxCpgBytes] = {};
    const ReadOnlyFile file(*choice.cpgPath);
    choice.cpgText = Trimmed(std::string_view(text, file.ReadAt(0, text, sizeof text)));
  }
  if (!Trimmed(given).empty()) {
    choice.codePage = CodePageName(given);
    choice.reason = "given by the user";
    return choice;
  }
  if (choice.cpgPath) {
    choice.codePage = CodePageOfCpgText(choice.cpgText);
    if (!choice.codePage.empty()) {
      choice.reason = "the .cpg file names it: " + *choice.cpgPath + " says \"" + choice.cpgText +
                      "\"";
      return choice;
    }
  }
  choice.codePage = CodePageOfLanguageDriver(languageDriver);
  if (!choice.codePage.empty()) {
    choice.reason = "the language driver " + Hex(languageDriver) + " stands for it";
    return choice;
  }
  choice.codePage = "CP1251";
  choice.reason = "nothing names a code page (language driver " + Hex(languageDriver) +
                  (choice.cpgPath ? ", an empty .cpg file" : ", no .cpg file") +
                  "): code page 1251";
  return choice;
}

}  // namespace qm
