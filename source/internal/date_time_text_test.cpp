#include "source/internal/date_time_text.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/regional_formats.h"

namespace qm {
namespace {

// Every way a value is written, the kept finished text with its open digits included, gives what
// strftime gives for the same format: formats of fixed width and others, years inside and outside
// 1000 .. 9999, times on either side of noon.
TEST(DateTimeText, AgreesWithStrftime) {
  const RegionalFormats formats[] = {
      {',', "%d.%m.%Y", "%H:%M:%S"}, {'.', "%m/%d/%Y", "%I:%M:%S %p"}, {'.', "%e/%m/%y", "%T"},
      {'.', "%F", "%R"},            {'.', "%D", "%H.%M"},             {'.', "%Y%m%d %%", "[%S]"},
      {'.', "%d %b %Y", "%l:%M"},
  };
  const struct {
    int year, month, day, hour, minute, second;
  } values[] = {
      {1999, 12, 31, 23, 59, 58}, {2024, 2, 9, 0, 0, 0}, {1000, 1, 1, 12, 0, 1},
      {9999, 10, 5, 11, 7, 30},   {999, 7, 14, 9, 5, 0}, {5, 3, 1, 13, 45, 9},
  };
  for (const RegionalFormats& f : formats) {
    const std::string format = f.shortDate + " " + f.longTime;
    const DateTimeText text(f);
    for (const auto& v : values) {
      std::string out = "<";
      text.AppendDate(out, v.year, v.month, v.day);
      EXPECT_EQ(out, "<" + FormatShortDate(v.year, v.month, v.day, f)) << format << ' ' << v.year;
      out = "<";
      text.AppendTime(out, v.hour, v.minute, v.second);
      EXPECT_EQ(out, "<" + FormatLongTime(v.hour, v.minute, v.second, f)) << format << ' ' << v.hour;
      out.clear();
      text.AppendDateTime(out, v.year, v.month, v.day, v.hour, v.minute, v.second);
      EXPECT_EQ(out, FormatDateTime(v.year, v.month, v.day, v.hour, v.minute, v.second, f))
          << format;
    }
  }
}

}  // namespace
}  // namespace qm
