#include "platform/number_format.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(NumberFormat, GeneralFormat) {
  const struct {
    double value;
    char separator;
    const char* text;
  } cases[] = {
      {1234.5, ',', "1234,5"},
      {1234.5, '.', "1234.5"},
      {0, '.', "0"},
      {-2.25, '.', "-2.25"},
      {100, '.', "100"},
      {0.1, '.', "0.1"},
      {1e20, ',', "1E20"},
      {1.5e-6, ',', "1,5E-6"},
      {0.00001, '.', "0.00001"},
      {123456789012345.0, '.', "123456789012345"},
      {1234567890123456.0, '.', "1.23456789012346E15"},
      {1.0 / 3, '.', "0.333333333333333"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFloatGeneral(c.value, c.separator), c.text) << c.value;
}

}  // namespace
}  // namespace qm
