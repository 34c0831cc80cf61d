#include "source/internal/date_time_text.h"

#include <charconv>
#include <cstring>
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
  c.fixed = !c.byStrftime;
  for (const Piece& p : c.pieces) {
    if (p.conversion == 0) {
      c.pattern += p.literal;
      continue;
    }
    if (p.conversion == 'p') c.fixed = false;
    c.places.push_back({c.pattern.size(), p.conversion});
    c.fourDigitYear = c.fourDigitYear || p.conversion == 'Y';
    c.pattern += p.conversion == 'Y' ? "0000" : "00";
  }
  return c;
}

void DateTimeText::AppendFixed(const Compiled& compiled, std::string& out, int year, int month,
                               int day, int hour, int minute, int second) {
  // The two digits of 0 .. 99 in a row: every value written here is below 100 (a value's last two
  // digits otherwise, as the general way writes them).
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  const std::size_t start = out.size();
  out += compiled.pattern;
  char* const text = out.data() + start;
  const auto two = [](char* at, int value) { std::memcpy(at, kPairs + 2 * (value % 100), 2); };
  for (const Place& p : compiled.places) {
    char* const at = text + p.at;
    switch (p.conversion) {
      case 'd':
        two(at, day);
        break;
      case 'e':
        two(at, day);
        if (day < 10) at[0] = ' ';
        break;
      case 'm':
        two(at, month);
        break;
      case 'y':
        two(at, (year % 100 + 100) % 100);
        break;
      case 'Y':
        two(at, year / 100);
        two(at + 2, year % 100);
        break;
      case 'H':
        two(at, hour);
        break;
      case 'I':
        two(at, hour % 12 == 0 ? 12 : hour % 12);
        break;
      case 'M':
        two(at, minute);
        break;
      case 'S':
        two(at, second);
        break;
    }
  }
}

void DateTimeText::Append(const Compiled& compiled, std::string& out, int year, int month, int day,
                          int hour, int minute, int second) const {
  if (compiled.fixed && (!compiled.fourDigitYear || (year >= 1000 && year <= 9999))) {
    AppendFixed(compiled, out, year, month, day, hour, minute, second);
    return;
  }
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
  if (date_.fixed && year >= 1000 && year <= 9999) {
    AppendFixed(date_, out, year, month, day, 0, 0, 0);
  } else if (date_.byStrftime) {
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
