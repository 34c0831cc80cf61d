#pragma once
// Date-time values as the Oracle layer hands them out: a double counting days from 30 December
// 1899 (day 0), the time of day as the fraction; before day 0 the fraction is subtracted. Also the
// 7-byte Oracle date the client fetches and binds: century + 100, year of century + 100, month,
// day, hour + 1, minute + 1, second + 1.

#include <string>

namespace qm {

using TDateTime = double;

struct TDateTimeParts {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// An invalid calendar date gives day -693594 (the day before 1 January of year 1); an invalid
// time of day gives no time part.
TDateTime DecodeOracleDate(const unsigned char* bytes);
void EncodeOracleDate(TDateTime value, unsigned char* bytes);

TDateTime PartsToDateTime(const TDateTimeParts& parts);
// Seconds are truncated, milliseconds dropped.
TDateTimeParts DateTimeToParts(TDateTime value);
// The regional short date, then a blank and the long time unless the time of day is 00:00:00.
std::string FormatDateTimeValue(TDateTime value);

}  // namespace qm
