#include "source/internal/date_time_text.h"

#include <ctime>

namespace qm {
namespace {

void AppendTwoDigits(std::string& out, int value, char pad = '0') {
  out += value < 10 ? pad : static_cast<char>('0' + value / 10 % 10);
  out += static_cast<char>('0' + value % 10);
}

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
  for (const Piece& p : compiled.pieces) {
    switch (p.conversion) {
      case 0:
        out += p.literal;
        break;
      case 'd':
        AppendTwoDigits(out, day);
        break;
      case 'e':
        AppendTwoDigits(out, day, ' ');
        break;
      case 'm':
        AppendTwoDigits(out, month);
        break;
      case 'y':
        AppendTwoDigits(out, (year % 100 + 100) % 100);
        break;
      case 'Y':
        out += std::to_string(year);
        break;
      case 'H':
        AppendTwoDigits(out, hour);
        break;
      case 'I':
        AppendTwoDigits(out, hour % 12 == 0 ? 12 : hour % 12);
        break;
      case 'M':
        AppendTwoDigits(out, minute);
        break;
      case 'S':
        AppendTwoDigits(out, second);
        break;
      case 'p':
        out += hour < 12 ? am_ : pm_;
        break;
    }
  }
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
