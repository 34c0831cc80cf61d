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

}  // namespace
}  // namespace qm::ocilite
