#include "oracle/oracle_date_time.h"

#include <cmath>

#include "platform/civil_date.h"
#include "platform/regional_formats.h"

namespace qm {
namespace {

constexpr long kUnixDayOfDayZero = -25569;  // 30 December 1899
constexpr double kInvalidDay = -693594;

bool ValidDate(int y, int m, int d) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
  return d <= DaysInMonth(y, m);
}

}  // namespace

TDateTime PartsToDateTime(const TDateTimeParts& p) {
  const double days =
      static_cast<double>(DaysFromCivil(p.year, p.month, p.day) - kUnixDayOfDayZero);
  const double time = (p.hour * 3600.0 + p.minute * 60.0 + p.second) / 86400.0;
  return days >= 0 ? days + time : days - time;
}

TDateTime DecodeOracleDate(const unsigned char* b) {
  const int year = b[0] * 100 + b[1] - 10100;
  const int hour = b[4] - 1, minute = b[5] - 1, second = b[6] - 1;
  const double day = ValidDate(year, b[2], b[3])
                         ? static_cast<double>(DaysFromCivil(year, b[2], b[3]) - kUnixDayOfDayZero)
                         : kInvalidDay;
  const bool validTime =
      hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
  const double time = validTime ? (hour * 3600.0 + minute * 60.0 + second) / 86400.0 : 0;
  return day >= 0 ? day + time : day - time;
}

TDateTimeParts DateTimeToParts(TDateTime value) {
  TDateTimeParts p;
  double day = std::trunc(value);
  long long ms = std::llround(std::fabs(value - day) * 86400000.0);
  if (ms >= 86400000) {  // rounding reached the next day
    ms -= 86400000;
    day += value >= 0 ? 1 : -1;
  }
  const CivilDate date = CivilFromDays(static_cast<long>(day) + kUnixDayOfDayZero);
  p.year = date.year;
  p.month = date.month;
  p.day = date.day;
  const long long seconds = ms / 1000;
  p.hour = static_cast<int>(seconds / 3600);
  p.minute = static_cast<int>(seconds / 60 % 60);
  p.second = static_cast<int>(seconds % 60);
  return p;
}

void EncodeOracleDate(TDateTime value, unsigned char* b) {
  const TDateTimeParts p = DateTimeToParts(value);
  b[0] = static_cast<unsigned char>(p.year / 100 + 100);
  b[1] = static_cast<unsigned char>(p.year % 100 + 100);
  b[2] = static_cast<unsigned char>(p.month);
  b[3] = static_cast<unsigned char>(p.day);
  b[4] = static_cast<unsigned char>(p.hour + 1);
  b[5] = static_cast<unsigned char>(p.minute + 1);
  b[6] = static_cast<unsigned char>(p.second + 1);
}

std::string FormatDateTimeValue(TDateTime value) {
  const TDateTimeParts p = DateTimeToParts(value);
  return FormatDateTime(p.year, p.month, p.day, p.hour, p.minute, p.second);
}

}  // namespace qm
