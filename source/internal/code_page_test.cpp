#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/codepage.h"
#include "platform/testing/error_text.h"
#include "source/internal/code_page_names.h"
#include "source/internal/text_decoder.h"

namespace qm {
namespace {

TEST(CodePageNames, LanguageDrivers) {
  const struct {
    std::uint8_t driver;
    const char* codePage;
  } cases[] = {
      {0x00, ""},       {0x26, "CP866"},  {0x65, "CP866"},        {0xC9, "CP1251"},
      {0x03, "CP1252"}, {0x57, "CP1252"}, {0x01, "CP437"},        {0xC8, "CP1250"},
      {0x7B, "CP932"},  {0xF0, "UTF-8"},  {0x96, "MAC-CYRILLIC"}, {0x7F, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CodePageOfLanguageDriver(c.driver), c.codePage) << int(c.driver);
}

TEST(CodePageNames, CpgTexts) {
  const struct {
    const char* text;
    const char* codePage;
  } cases[] = {
      {"1251", "CP1251"},       {"CP1251\r\n", "CP1251"},
      {"ANSI 1251", "CP1251"},  {" cp866 ", "CP866"},
      {"UTF-8\n", "UTF-8"},     {"utf8", "UTF-8"},
      {"8859-5", "ISO-8859-5"}, {"88595", "ISO-8859-5"},
      {"KOI8-R", "KOI8-R"},     {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CodePageOfCpgText(c.text), c.codePage) << c.text;
}

TEST(TextDecoder, SingleAndMultiByteCodePagesGiveCodePage1251) {
  const std::string expected = Cp1251("Ёлка ёж Ы");
  EXPECT_EQ(TextDecoder().Decode(expected), expected);
  // The same words in code page 866, KOI8-R and UTF-8.
  EXPECT_EQ(TextDecoder("CP866").Decode("\xF0\xAB\xAA\xA0 \xF1\xA6 \x9B"), expected);
  EXPECT_EQ(TextDecoder("KOI8-R").Decode("\xB3\xCC\xCB\xC1 \xA3\xD6 \xF9"), expected);
  EXPECT_EQ(TextDecoder("UTF-8").Decode("Ёлка ёж Ы"), expected);
  // Characters code page 1251 lacks, and bytes that are no character, become '?'.
  EXPECT_EQ(TextDecoder("UTF-8").Decode("a\xE4\xB8\xAD"
                                        "b\xFF"
                                        "c\xD0"),
            "a?b?c?");
  EXPECT_EQ(TextDecoder("CP437").Decode("\xE1\x9B"), "??");  // ß is not in 1251: '?', ¢ too
}

// Append tells how many characters became '?' because code page 1251 lacks them or the bytes are
// no character; a '?' that was one already is not counted.
TEST(TextDecoder, CountsTheCharactersThatBecomeQuestionMarks) {
  const struct {
    const char* codePage;
    std::string text;
    std::string decoded;
    std::size_t lost;
  } cases[] = {
      {"CP1251", "a?\x98", "a?\x98", 0},
      {"CP866", "\xF0? ", Cp1251("Ё? ").str(), 0},
      {"CP437", "\xE1?\x9B", "???", 2},
      // Longer texts are looked at a word at a time: a non-ASCII byte in the last, overlapping word.
      {"CP866", "abcdefghi\xF0", Cp1251("abcdefghiЁ").str(), 0},
      {"CP866", "abcdefgh", "abcdefgh", 0},
      {"CP437", "a longer text \xE1 ", "a longer text ? ", 1},
      {"UTF-8", "a\xE4\xB8\xAD?\xFF\xD0", "a????", 3},
  };
  for (const auto& c : cases) {
    const TextDecoder decoder(c.codePage);
    std::string out = "x";
    EXPECT_EQ(decoder.Append(c.text, out), c.lost) << c.codePage;
    EXPECT_EQ(out, "x" + c.decoded) << c.codePage;
  }
}

TEST(TextDecoder, UnknownCodePageIsRefused) {
  EXPECT_EQ(testing::ErrorText<std::runtime_error>([] { TextDecoder decoder("NO-SUCH-PAGE"); }),
            "unknown code page NO-SUCH-PAGE");
}

}  // namespace
}  // namespace qm
