#include "platform/civil_date.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(CivilDate, DayCountsOfKnownDates) {
  struct Case {
    CivilDate date;
    std::int64_t days;
  };
  const Case cases[] = {
      {{1970, 1, 1}, 0},      {{1969, 12, 31}, -1},      {{1899, 12, 30}, -25569},
      {{2000, 2, 29}, 11016}, {{2000, 3, 1}, 11017},     {{1900, 3, 1}, -25508},
      {{1, 1, 1}, -719162},   {{9999, 12, 31}, 2932896}, {{2024, 12, 31}, 20088},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DaysFromCivil(c.date.year, c.date.month, c.date.day), c.days) << c.days;
    EXPECT_EQ(CivilFromDays(c.days), c.date) << c.days;
  }
}

TEST(CivilDate, EveryDayOfYears1To9999FollowsTheOneBefore) {
  CivilDate expected{1, 1, 1};
  for (std::int64_t days = DaysFromCivil(1, 1, 1); days <= DaysFromCivil(9999, 12, 31); ++days) {
    const CivilDate date = CivilFromDays(days);
    ASSERT_EQ(date, expected) << days;
    ASSERT_EQ(DaysFromCivil(date.year, date.month, date.day), days);
    if (++expected.day > DaysInMonth(expected.year, expected.month)) {
      expected.day = 1;
      if (++expected.month > 12) {
        expected.month = 1;
        ++expected.year;
      }
    }
  }
}

TEST(CivilDate, LeapYearsAndMonthLengths) {
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_FALSE(IsLeapYear(2023));
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2023, 4), 30);
  EXPECT_EQ(DaysInMonth(2023, 12), 31);
  // A day past the end of its month counts on into the next one.
  EXPECT_EQ(DaysFromCivil(2023, 2, 29), DaysFromCivil(2023, 3, 1));
}

}  // namespace
}  // namespace qm
