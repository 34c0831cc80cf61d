#include "ocilite/internal/oracle_date.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace qm::ocilite {
namespace {

int Digits(std::string_view s, std::size_t pos, std::size_t count, bool& ok) {
  int v = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (i >= s.size() || s[i] < '0' || s[i] > '9') {
      ok = false;
      return 0;
    }
    v = v * 10 + (s[i] - '0');
  }
  return v;
}
}  // namespace

std::string OraDate::ToStorage() const {
  std::string s;
  ToStorage(s);
  return s;
}

void OraDate::ToStorage(std::string& s) const {
  s.assign("0000-00-00 00:00:00");
  auto put = [&](std::size_t at, int value, int digits) {
    for (int k = digits - 1; k >= 0; --k, value /= 10)
      s[at + k] = static_cast<char>('0' + value % 10);
  };
  put(0, year, 4);
  put(5, month, 2);
  put(8, day, 2);
  put(11, hour, 2);
  put(14, minute, 2);
  put(17, second, 2);
}

std::optional<OraDate> OraDate::FromStorage(std::string_view s) {
  if (s.size() != 19 || s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' || s[16] != ':')
    return std::nullopt;
  bool ok = true;
  OraDate d{Digits(s, 0, 4, ok),  Digits(s, 5, 2, ok),  Digits(s, 8, 2, ok),
            Digits(s, 11, 2, ok), Digits(s, 14, 2, ok), Digits(s, 17, 2, ok)};
  if (!ok || d.month < 1 || d.month > 12 || d.day < 1 || d.day > DaysInMonth(d.year, d.month))
    return std::nullopt;
  return d;
}

void OraDate::ToExternal(unsigned char out[7]) const {
  out[0] = static_cast<unsigned char>(year / 100 + 100);
  out[1] = static_cast<unsigned char>(year % 100 + 100);
  out[2] = static_cast<unsigned char>(month);
  out[3] = static_cast<unsigned char>(day);
  out[4] = static_cast<unsigned char>(hour + 1);
  out[5] = static_cast<unsigned char>(minute + 1);
  out[6] = static_cast<unsigned char>(second + 1);
}

std::optional<OraDate> OraDate::FromExternal(const unsigned char in[7]) {
  OraDate d{(in[0] - 100) * 100 + (in[1] - 100), in[2], in[3], in[4] - 1, in[5] - 1, in[6] - 1};
  if (d.year < 1 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1 ||
      d.day > DaysInMonth(d.year, d.month) || d.hour < 0 || d.hour > 23 || d.minute < 0 ||
      d.minute > 59 || d.second < 0 || d.second > 59)
    return std::nullopt;
  return d;
}

double OraDate::ToDayNumber() const {
  return static_cast<double>(DaysFromCivil(year, month, day)) +
         (hour * 3600 + minute * 60 + second) / 86400.0;
}

OraDate OraDate::FromDayNumber(double days) {
  const auto total = static_cast<std::int64_t>(std::llround(days * 86400.0));
  std::int64_t whole = total / 86400;
  std::int64_t secs = total % 86400;
  if (secs < 0) {
    secs += 86400;
    --whole;
  }
  OraDate d;
  const CivilDate date = CivilFromDays(whole);
  d.year = date.year;
  d.month = date.month;
  d.day = date.day;
  d.hour = static_cast<int>(secs / 3600);
  d.minute = static_cast<int>(secs / 60 % 60);
  d.second = static_cast<int>(secs % 60);
  return d;
}

OraDate OraDate::Now() {
  // Every statement asks; the local time is worked out once a second, not once a statement.
  thread_local std::time_t last = -1;
  thread_local OraDate now;
  const std::time_t t = std::time(nullptr);
  if (t != last) {
    std::tm tm{};
    localtime_r(&t, &tm);
    now = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    last = t;
  }
  return now;
}

}  // namespace qm::ocilite
