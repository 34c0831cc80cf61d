#include "platform/regional_formats.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(RegionalFormats, DatesAndTimesFollowTheFormats) {
  const RegionalFormats russian{',', "%d.%m.%Y", "%H:%M:%S"};
  EXPECT_EQ(FormatShortDate(2003, 12, 25, russian), "25.12.2003");
  EXPECT_EQ(FormatDateTime(2003, 12, 25, 0, 0, 0, russian), "25.12.2003");
  EXPECT_EQ(FormatDateTime(2003, 12, 25, 7, 5, 9, russian), "25.12.2003 07:05:09");
  const RegionalFormats english{'.', "%m/%d/%Y", "%I:%M:%S %p"};
  EXPECT_EQ(FormatDateTime(2003, 3, 1, 13, 0, 0, english), "03/01/2003 01:00:00 PM");
}

TEST(RegionalFormats, TheNeutralLocaleWritesDatesDayFirst) {
  setlocale(LC_ALL, "C");
  LoadRegionalFormats();
  EXPECT_EQ(CurrentRegionalFormats().decimalSeparator, '.');
  EXPECT_EQ(FormatShortDate(2003, 12, 25), "25.12.2003");
  SetRegionalFormats({});
}

}  // namespace
}  // namespace qm
