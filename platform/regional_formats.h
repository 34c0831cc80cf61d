#pragma once
// The user's regional settings the system formats values with: decimal separator, short date
// format and long time format. Read once from the process locale at start-up.
//
// Formats use strftime conversions (%d %m %Y %H %M %S ...), as the C library reports them.

#include <string>

namespace qm {

struct RegionalFormats {
  char decimalSeparator = '.';
  std::string shortDate = "%m/%d/%Y";
  std::string longTime = "%H:%M:%S";
};

// The formats in force. Until LoadRegionalFormats or SetRegionalFormats runs they are the
// defaults above.
const RegionalFormats& CurrentRegionalFormats();
// Reads LC_NUMERIC and LC_TIME of the process locale (setlocale(LC_ALL, "") must have run). A
// two-digit year in the date format is widened to four digits, since dates written with the
// century cut off could not be read back unambiguously by the target database. Under the neutral
// C locale the short date is day first, "%d.%m.%Y", the form the client session reads dates in.
void LoadRegionalFormats();
void SetRegionalFormats(const RegionalFormats& formats);

// A date in the short date format.
std::string FormatShortDate(int year, int month, int day,
                            const RegionalFormats& f = CurrentRegionalFormats());
// A time of day in the long time format.
std::string FormatLongTime(int hour, int minute, int second,
                            const RegionalFormats& f = CurrentRegionalFormats());
// Short date, then a blank and the long time unless the time of day is 00:00:00.
std::string FormatDateTime(int year, int month, int day, int hour, int minute, int second,
                           const RegionalFormats& f = CurrentRegionalFormats());

}  // namespace qm
