#include "import/value_conversions.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/codepage.h"
#include "platform/testing/error_text.h"

namespace qm {
namespace {

struct ReplaceCase {
  const char* text;
  const char* pattern;
  const char* replacement;
  const char* expected;
};

TEST(ReplaceAll, ReplacesLeftToRightWithoutOverlapOrRescanning) {
  const ReplaceCase cases[] = {
      {"a''b", "'", "x", "axxb"},
      {"aaa", "aa", "a", "aa"},            // no overlap, the replacement is not searched again
      {"x", "", "y", "x"},                 // empty pattern
      {"abab", "ab", "abab", "abababab"},  // replacement containing the pattern
      {"#USER/#USER", "#USER", "", "/"},   // removal, at both ends
      {"none here", "zz", "y", "none here"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReplaceAll(c.text, c.pattern, c.replacement), c.expected)
        << c.text << " / " << c.pattern;
}

TEST(SqlTextLiteral, DoublesApostrophesAndKeepsEveryOtherCharacter) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "''"},
      {"O'Neil", "'O''Neil'"},
      {"''", "''''''"},
      {"say \"hi\", 'x'", "'say \"hi\", ''x'''"},
      {"Moscow, Lenina 5", "'Moscow, Lenina 5'"},
      {"12,5", "'12,5'"},
      {"a; drop table T; --", "'a; drop table T; --'"},
      {"C:\\data\\", "'C:\\data\\'"},
      {"x'); delete from T; --", "'x''); delete from T; --'"},
      {Cp1251("Иванов, Пётр"), Cp1251("'Иванов, Пётр'")},
  };
  for (const auto& [value, literal] : cases)
    EXPECT_EQ(SqlTextLiteral(value), literal) << Cp1251ToUtf8(value);
}

struct LexemeCase {
  std::int32_t n;
  const char* text;
  const char* delimiter;
  const char* expected;
};

TEST(ExtractLexeme, CountsTokensFromOneIncludingEmptyOnes) {
  const LexemeCase cases[] = {
      {2, "Ivanov Ivan Ivanovich", " ", "Ivan"},
      {3, "Ivanov Ivan Ivanovich", " ", "Ivanovich"},
      {4, "Ivanov Ivan Ivanovich", " ", ""},
      {1, "Ivanov Ivan Ivanovich", " ", "Ivanov"},
      {0, "Ivanov Ivan", " ", "Ivanov"},
      {-5, "Ivanov Ivan", " ", "Ivanov"},
      {2, "a  b", " ", ""},
      {3, "a  b", " ", "b"},
      {1, " a", " ", ""},
      {2, " a", " ", "a"},
      {1, "", " ", ""},
      {1, "whole", " ", "whole"},
      {2, "whole", " ", ""},
      {4, "ID,NUMBER,1,ID,,", ",", "ID"},
      {5, "ID,NUMBER,1,ID,,", ",", ""},
      {6, "ID,NUMBER,1,ID,,", ",", ""},
      {7, "ID,NUMBER,1,ID,,", ",", ""},
      {2, "a::b:c::d", "::", "b:c"},  // a delimiter of several characters is matched whole
      {3, "a::b:c::d", "::", "d"},
      {1, "a,b", "", "a,b"},  // an empty delimiter never occurs
      {2, "a,b", "", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ExtractLexeme(c.n, c.text, c.delimiter), c.expected)
        << c.n << " of '" << c.text << "' by '" << c.delimiter << "'";
}

TEST(ExtractLexeme, HandlesAHundredThousandTokens) {
  std::string text;
  for (int i = 1; i <= 100000; ++i) text += "t" + std::to_string(i) + " ";
  EXPECT_EQ(ExtractLexeme(100000, text, " "), "t100000");
  EXPECT_EQ(ExtractLexeme(100001, text, " "), "");
  EXPECT_EQ(ExtractLexeme(std::numeric_limits<std::int32_t>::max(), text, " "), "");
}

TEST(NormalizeDate, FollowsTheRulesStepByStep) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "01.01.1900"},
      {Cp1251("1995г."), "01.01.1995"},
      {"95", "01.01.1995"},
      {"1995", "01.01.1995"},
      {Cp1251("15.03.2003г."), "15.03.2003"},
      {"15,03,2003", "15.03.2003"},
      {"15.03.2003", "15.03.2003"},
      {"15.03.2003 12:00:00", "15.03.2003"},
      {".05.2001.", "05.2001"},
      {"..", ""},
      {".95.", "01.01.1995"},  // both full stops go before the length is looked at
      {"  95", "01.01.  95"},  // blanks are not trimmed
      {"abc", "abc"},          // nor digits checked
      {Cp1251("г."), ""},      // empty after removing the year mark
      {".", ""},               // empty after cutting the leading full stop
      {",", ""},
      {Cp1251("Г."), Cp1251("Г")},  // the year mark is matched in lower case only
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(NormalizeDate(text), expected) << Cp1251ToUtf8(text);
}

TEST(ApplyConversionCode, LTakesTheNumberedTokenDNormalisesTheDate) {
  const std::pair<const char*, const char*> cases[] = {
      {"L2", "Ivan"},    {"l2", "Ivan"},   {"L 2", "Ivan"},
      {"L  +2", "Ivan"}, {"L0", "Ivanov"}, {"L-1", "Ivanov"},
      {"L1", "Ivanov"},  {"L3", ""},       {"L-2147483648", "Ivanov"},
  };
  for (const auto& [code, expected] : cases)
    EXPECT_EQ(ApplyConversionCode(code, "Ivanov Ivan"), expected) << code;
  for (const char* code : {"D", "d", "Dabc"})
    EXPECT_EQ(ApplyConversionCode(code, "15,03,2003"), "15.03.2003") << code;
  EXPECT_EQ(ApplyConversionCode("D", ""), "01.01.1900");
  EXPECT_EQ(ApplyConversionCode("D", "15.03.2003, 'x'"), "15.03.2003");
  EXPECT_EQ(ApplyConversionCode("", "as is, 'quoted'"), "as is, 'quoted'");
}

TEST(ApplyConversionCode, LSplitsAtCommasAsAtBlanksAndKeepsQuotes) {
  const std::pair<const char*, const char*> cases[] = {
      {"L1", "Ivanov"}, {"L2", ""}, {"L3", "Pyotr"}, {"L4", "\"O'B\""}, {"L5", ""},
  };
  for (const auto& [code, expected] : cases)
    EXPECT_EQ(ApplyConversionCode(code, "Ivanov, Pyotr \"O'B\""), expected) << code;
  EXPECT_EQ(ApplyConversionCode("L2", "a,b c"), "b");
}

TEST(ApplyConversionCode, UnknownLetterGivesNoValue) {
  EXPECT_EQ(ApplyConversionCode("X1", "Ivanov Ivan"), std::nullopt);
  EXPECT_EQ(ApplyConversionCode(Cp1251("Л2"), "Ivanov Ivan"), std::nullopt);
  EXPECT_FALSE(IsKnownConversionCode("X1"));
  EXPECT_FALSE(IsKnownConversionCode(" L1"));
  for (const char* code : {"", "L1", "l", "D", "dx"}) EXPECT_TRUE(IsKnownConversionCode(code));
}

TEST(ApplyConversionCode, NumberThatIsNoInt32IsTheIntegerError) {
  const std::pair<const char*, const char*> cases[] = {
      {"L", "''"},
      {"L2x", "'2x'"},
      {"L2 ", "'2 '"},
      {"L- 2", "'- 2'"},
      {"L+", "'+'"},
      {"L0x10", "'0x10'"},
      {"L2147483648", "'2147483648'"},
      {"L-2147483649", "'-2147483649'"},
      {"L99999999999999999999", "'99999999999999999999'"},
  };
  for (const auto& [code, quoted] : cases)
    EXPECT_EQ(
        testing::ErrorText<std::runtime_error>([&] { ApplyConversionCode(code, "Ivanov Ivan"); }),
        std::string(quoted) + " is not a valid integer value")
        << code;
  EXPECT_EQ(ApplyConversionCode("L2147483647", "a b"), "");
}

}  // namespace
}  // namespace qm
