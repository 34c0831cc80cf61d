#include "oracle/oracle_date_time.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(OracleDateTime, DecodesAndEncodesTheSevenByteDate) {
  struct Case {
    unsigned char bytes[7];
    double value;
  };
  const Case cases[] = {
      {{118, 199, 12, 30, 1, 1, 1}, 0.0},                     // 30.12.1899 00:00:00
      {{120, 120, 3, 5, 11, 16, 1}, 43895.0 + 10.25 / 24.0},  // 05.03.2020 10:15:00
      {{118, 199, 12, 29, 13, 1, 1}, -1.5},                   // 29.12.1899 12:00:00
      {{100, 101, 1, 1, 1, 1, 1}, -693593.0},                 // 01.01.0001
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(DecodeOracleDate(c.bytes), c.value);
    unsigned char encoded[7] = {};
    EncodeOracleDate(c.value, encoded);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(encoded[i], c.bytes[i]) << c.value << " byte " << i;
  }
}

TEST(OracleDateTime, AnInvalidDateGivesTheDayBeforeYearOneAndABadTimeNoTimePart) {
  const unsigned char february30[7] = {120, 120, 2, 30, 11, 1, 1};
  EXPECT_DOUBLE_EQ(DecodeOracleDate(february30), -693594.0 - 10.0 / 24.0);
  const unsigned char badHour[7] = {120, 120, 3, 5, 30, 1, 1};
  EXPECT_DOUBLE_EQ(DecodeOracleDate(badHour), 43895.0);
}

}  // namespace
}  // namespace qm
