#include "source/internal/date_time_text.h"

#include <charconv>
#include <ctime>
#include <string_view>

namespace qm {
namespace {

std::string Strftime(const char* format, int hour) {
  std::tm tm{};
  tm.tm_hour = hour;
  char text[64];
  const std::size_t n = std::strftime(text, sizeof text, format, &tm);
  return std::string(text, n);
}

}  // namespace

DateTimeText::DateTimeText(const RegionalFormats& formats)
    : formats_(formats),
      date_(Compile(formats.shortDate)),
      time_(Compile(formats.longTime)),
      am_(Strftime("%p", 0)),
      pm_(Strftime("%p", 12)) {}

DateTimeText::Compiled DateTimeText::Compile(const std::string& format) {
  Compiled c;
  const auto literal = [&](char ch) {
    if (c.pieces.empty() || c.pieces.back().conversion != 0) c.pieces.push_back({0, {}});
    c.pieces.back().literal += ch;
  };
  const auto conversion = [&](char ch) { c.pieces.push_back({ch, {}}); };
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      literal(format[i]);
      continue;
    }
    const char ch = format[++i];
    switch (ch) {
      case 'd':
      case 'e':
      case 'm':
      case 'y':
      case 'Y':
      case 'H':
      case 'I':
      case 'M':
      case 'S':
      case 'p':
        conversion(ch);
        break;
      case '%':
        literal('%');
        break;
      case 'T':
        conversion('H');
        literal(':');
        conversion('M');
        literal(':');
        conversion('S');
        break;
      case 'R':
        conversion('H');
        literal(':');
        conversion('M');
        break;
      case 'D':
        conversion('m');
        literal('/');
        conversion('d');
        literal('/');
        conversion('y');
        break;
      case 'F':
        conversion('Y');
        literal('-');
        conversion('m');
        literal('-');
        conversion('d');
        break;
      default:
        c.byStrftime = true;
    }
  }
  return c;
}

void DateTimeText::Append(const Compiled& compiled, std::string& out, int year, int month, int day,
                          int hour, int minute, int second) const {
  // Written into a small buffer and appended once: a value is a handful of characters.
  char text[64];
  std::size_t n = 0;
  const auto put = [&](std::string_view s) {
    if (n + s.size() > sizeof text) {
      out.append(text, n);
      n = 0;
      if (s.size() > sizeof text) {
        out += s;
        return;
      }
    }
    for (char c : s) text[n++] = c;
  };
  const auto two = [&](int value, char pad = '0') {
    if (n + 2 > sizeof text) {
      out.append(text, n);
      n = 0;
    }
    text[n++] = value < 10 ? pad : static_cast<char>('0' + value / 10 % 10);
    text[n++] = static_cast<char>('0' + value % 10);
  };
  for (const Piece& p : compiled.pieces) {
    switch (p.conversion) {
      case 0:
        put(p.literal);
        break;
      case 'd':
        two(day);
        break;
      case 'e':
        two(day, ' ');
        break;
      case 'm':
        two(month);
        break;
      case 'y':
        two((year % 100 + 100) % 100);
        break;
      case 'Y': {
        if (year >= 1000 && year <= 9999) {
          two(year / 100);
          two(year % 100);
          break;
        }
        char digits[16];
        const auto [end, error] = std::to_chars(digits, digits + sizeof digits, year);
        put(std::string_view(digits, static_cast<std::size_t>(end - digits)));
        break;
      }
      case 'H':
        two(hour);
        break;
      case 'I':
        two(hour % 12 == 0 ? 12 : hour % 12);
        break;
      case 'M':
        two(minute);
        break;
      case 'S':
        two(second);
        break;
      case 'p':
        put(hour < 12 ? am_ : pm_);
        break;
    }
  }
  out.append(text, n);
}

void DateTimeText::AppendDate(std::string& out, int year, int month, int day) const {
  if (date_.byStrftime) {
    out += FormatShortDate(year, month, day, formats_);
  } else {
    Append(date_, out, year, month, day, 0, 0, 0);
  }
}

void DateTimeText::AppendTime(std::string& out, int hour, int minute, int second) const {
  if (time_.byStrftime) {
    out += FormatLongTime(hour, minute, second, formats_);
  } else {
    Append(time_, out, 1900, 1, 1, hour, minute, second);
  }
}

void DateTimeText::AppendDateTime(std::string& out, int year, int month, int day, int hour,
                                  int minute, int second) const {
  AppendDate(out, year, month, day);
  if (hour || minute || second) {
    out += ' ';
    AppendTime(out, hour, minute, second);
  }
}

}  // namespace qm
