#include "ocilite/internal/number_text.h"

#include <gtest/gtest.h>

#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/sql_type.h"

namespace qm::ocilite {
namespace {

TEST(NumberText, TextToNumberAndBack) {
  struct Case {
    const char* text;
    char decimal;
    const char* shown;  // nullptr: not a number
  };
  const Case cases[] = {
      {"12", '.', "12"},
      {" -12.50 ", '.', "-12.5"},
      {"+.5", '.', ".5"},
      {"5.", '.', "5"},
      {"1e3", '.', "1000"},
      {"1.5E-3", '.', ".0015"},
      {"0012,25", ',', "12,25"},
      {"12.25", ',', nullptr},
      {"1 2", '.', nullptr},
      {"", '.', nullptr},
      {"-", '.', nullptr},
      {"1e", '.', nullptr},
      {"9223372036854775807", '.', "9223372036854775807"},
      {"12345678901234567890", '.', "12345678901234567890"},
  };
  for (const Case& k : cases) {
    const auto d = ParseDecimal(k.text, k.decimal);
    if (!k.shown) {
      EXPECT_FALSE(d) << k.text;
      continue;
    }
    ASSERT_TRUE(d) << k.text;
    EXPECT_EQ(NumberToText(NumberValue(*d), k.decimal), k.shown) << k.text;
  }
}

TEST(NumberText, FitNumberRoundsDecimallyAndChecksPrecision) {
  struct Case {
    const char* text;
    int precision, scale;
    const char* stored;  // nullptr: ORA-01438
  };
  const Case cases[] = {
      {"2.675", 5, 2, "2.68"},
      {"-2.675", 5, 2, "-2.68"},
      {"999.994", 5, 2, "999.99"},
      {"999.995", 5, 2, nullptr},
      {"12345", 5, 0, "12345"},
      {"123456", 5, 0, nullptr},
      {"1250", 4, -2, "1300"},
      {"0.00012", 2, 5, ".00012"},
      {"0.0012", 2, 5, nullptr},
      {"2.5", 0, 0, "3"},
      {"1e39", 0, kFloatScale, "1000000000000000000000000000000000000000"},
  };
  for (const Case& k : cases) {
    const Value v = NumberValue(*ParseDecimal(k.text, '.'));
    if (!k.stored) {
      EXPECT_THROW(FitNumber(v, k.precision, k.scale), OraError) << k.text;
      continue;
    }
    EXPECT_EQ(NumberToText(FitNumber(v, k.precision, k.scale), '.'), k.stored) << k.text;
  }
}

// The short way must store what the general one stores, or leave the text to it: never a
// different value, and never a value where the general way raises an error.
TEST(NumberText, FitPlainNumberTextStoresWhatTheGeneralWayStores) {
  struct Case {
    const char* text;
    char decimal;
    int precision, scale;
    bool short_way;  // whether the short way takes it
  };
  const std::string forty(40, '9');
  const std::string thirty_eight = std::string(37, '1') + "5";
  const std::string tiny = "0." + std::string(125, '0') + "1";
  const Case cases[] = {
      {"0", '.', 0, kFloatScale, true},
      {"-0", '.', 0, kFloatScale, true},
      {" 12 ", '.', 9, 0, true},
      {"\t-12.50\r\n", '.', 9, 2, true},
      {"+.5", '.', 0, kFloatScale, true},
      {"5.", '.', 3, 1, true},
      {"007.0100", '.', 0, kFloatScale, true},
      {"0.000123", '.', 0, kFloatScale, true},
      {"12,25", ',', 6, 2, true},
      {"12.25", ',', 6, 2, false},  // not a number under ','
      {"1 2", '.', 0, kFloatScale, false},
      {"", '.', 0, kFloatScale, false},
      {"-", '.', 0, kFloatScale, false},
      {".", '.', 0, kFloatScale, false},
      {"1.2.3", '.', 0, kFloatScale, false},
      {"1e3", '.', 0, kFloatScale, false},  // exponents go the general way
      {"2.675", '.', 5, 2, true},           // rounding half away from zero
      {"-2.675", '.', 5, 2, true},
      {"2.674999", '.', 5, 2, true},
      {"9.995", '.', 5, 2, true},   // the carry adds a digit in front
      {"-99.5", '.', 2, 0, false},  // ... and then overflows: ORA-01438
      {"999.994", '.', 5, 2, true},
      {"999.995", '.', 5, 2, false},
      {"123456", '.', 5, 0, false},
      {"0.5", '.', 1, 0, true},
      {"0.4", '.', 1, 0, true},
      {"-0.004", '.', 3, 2, true},  // rounds to zero, which has no sign
      {"1250", '.', 4, -2, true},
      {"49", '.', 4, -2, true},
      {"0.00012", '.', 2, 5, true},
      {"0.0012", '.', 2, 5, false},
      {"123", '.', 2, kFloatScale, false},
      {"99", '.', 2, kFloatScale, true},
      {"12345678901234567890.123456789", '.', 38, 10, true},
      {"12345678901234567890123456789012345678", '.', 0, kFloatScale, true},
      {"123456789012345678901234567890123456789", '.', 0, kFloatScale, false},  // 39 digits
      {thirty_eight.c_str(), '.', 0, kFloatScale, true},
      {thirty_eight.c_str(), '.', 38, 0, true},
      {forty.c_str(), '.', 0, kFloatScale, false},
      {tiny.c_str(), '.', 0, kFloatScale, false},  // too small for a NUMBER: zero, the long way
  };
  for (const Case& k : cases) {
    std::string general;
    try {
      general = FitNumber(TextToNumber(k.text, k.decimal), k.precision, k.scale).s;
    } catch (const OraError& e) {
      general = "ORA-" + std::to_string(e.Code());
    }
    std::string form = "untouched";
    const bool taken = FitPlainNumberText(k.text, k.decimal, k.precision, k.scale, form);
    EXPECT_EQ(taken, k.short_way) << k.text << " " << k.precision << "," << k.scale;
    if (taken) {
      EXPECT_EQ(form, general) << k.text << " " << k.precision << "," << k.scale;
    } else {
      EXPECT_EQ(form, "untouched") << k.text;
    }
  }
}

}  // namespace
}  // namespace qm::ocilite
