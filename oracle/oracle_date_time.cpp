#include "oracle/oracle_date_time.h"

#include <cmath>

#include "platform/regional_formats.h"

namespace qm {
namespace {

// Day numbers of the proleptic Gregorian calendar, counted from 1 January 1970.
long DaysFromCivil(long y, long m, long d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long z, int& year, int& month, int& day) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

constexpr long kUnixDayOfDayZero = -25569;  // 30 December 1899
constexpr double kInvalidDay = -693594;

bool LeapYear(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

bool ValidDate(int y, int m, int d) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
  return d <= kDays[m - 1] + (m == 2 && LeapYear(y) ? 1 : 0);
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
  CivilFromDays(static_cast<long>(day) + kUnixDayOfDayZero, p.year, p.month, p.day);
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
