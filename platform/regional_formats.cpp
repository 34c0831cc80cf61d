#include "platform/regional_formats.h"

#include <langinfo.h>

#include <clocale>
#include <ctime>

namespace qm {
namespace {

RegionalFormats& Formats() {
  static RegionalFormats formats;
  return formats;
}

std::string Strftime(const std::string& format, const std::tm& tm) {
  char buffer[256];
  const std::size_t n = std::strftime(buffer, sizeof buffer, format.c_str(), &tm);
  return std::string(buffer, n);
}

std::string WidenYear(std::string format) {
  for (std::size_t i = 0; i + 1 < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (format[i + 1] == 'y') format[i + 1] = 'Y';
    ++i;
  }
  return format;
}

}  // namespace

const RegionalFormats& CurrentRegionalFormats() { return Formats(); }

void SetRegionalFormats(const RegionalFormats& formats) { Formats() = formats; }

void LoadRegionalFormats() {
  RegionalFormats f;
  const char* timeLocale = std::setlocale(LC_TIME, nullptr);
  const std::string timeName = timeLocale ? timeLocale : "C";
  // The C locale states no preference of the user's; dates then take the day-first form the
  // client session is set up to read (DD.MM.RRRR) and the "D" conversion expects.
  const bool neutral = timeName == "C" || timeName == "POSIX" || timeName.rfind("C.", 0) == 0;
  const char* radix = nl_langinfo(RADIXCHAR);
  if (radix && radix[0] && !radix[1]) f.decimalSeparator = radix[0];
  const char* date = nl_langinfo(D_FMT);
  if (neutral)
    f.shortDate = "%d.%m.%Y";
  else if (date && *date)
    f.shortDate = WidenYear(date);
  const char* time = nl_langinfo(T_FMT);
  if (time && *time) f.longTime = time;
  Formats() = f;
}

std::string FormatShortDate(int year, int month, int day, const RegionalFormats& f) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  return Strftime(f.shortDate, tm);
}

std::string FormatLongTime(int hour, int minute, int second, const RegionalFormats& f) {
  std::tm tm{};
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  return Strftime(f.longTime, tm);
}

std::string FormatDateTime(int year, int month, int day, int hour, int minute, int second,
                           const RegionalFormats& f) {
  std::string text = FormatShortDate(year, month, day, f);
  if (hour || minute || second) text += ' ' + FormatLongTime(hour, minute, second, f);
  return text;
}

}  // namespace qm
