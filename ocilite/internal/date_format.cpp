#include "ocilite/internal/date_format.h"

#include <array>
#include <cstdio>

#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {
namespace {

constexpr std::array<std::string_view, 12> kMonths = {
    "JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
    "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
constexpr std::array<std::string_view, 7> kDays = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                                   "THURSDAY", "FRIDAY", "SATURDAY"};

bool IsAlpha(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsAlnum(char c) {
  return IsAlpha(c) || IsDigit(c) || static_cast<unsigned char>(c) >= 0x80;
}
char Up(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view upper) {
  if (text.size() < upper.size()) return false;
  for (std::size_t i = 0; i < upper.size(); ++i)
    if (Up(text[i]) != upper[i]) return false;
  return true;
}

std::string ApplyCase(std::string_view upper, int letter_case) {
  std::string out(upper);
  for (std::size_t i = 0; i < out.size(); ++i)
    if (letter_case == 2 || (letter_case == 1 && i > 0))
      out[i] = static_cast<char>(out[i] >= 'A' && out[i] <= 'Z' ? out[i] + 32 : out[i]);
  return out;
}

std::string Number(long value, int width, bool fill) {
  char buf[24];
  std::snprintf(buf, sizeof buf, fill ? "%0*ld" : "%*ld", fill ? width : 0, value);
  return buf;
}

// Day of the week, 1 = Sunday as in the AMERICA territory.
int DayOfWeek(const OraDate& d) {
  const std::int64_t days = DaysFromCivil(d.year, d.month, d.day);  // 1970-01-01 was a Thursday
  return static_cast<int>(((days % 7) + 7 + 4) % 7) + 1;
}

int DayOfYear(const OraDate& d) {
  return static_cast<int>(DaysFromCivil(d.year, d.month, d.day) - DaysFromCivil(d.year, 1, 1)) + 1;
}

}  // namespace

DateFormat::DateFormat(std::string_view model) {
  struct Known {
    std::string_view name;
    Code code;
  };
  // Longest names first so that MONTH wins over MON and MM, HH24 over HH, and so on.
  static constexpr Known kKnown[] = {
      {"SSSSS", Code::kSSSSS}, {"MONTH", Code::kMONTH}, {"YYYY", Code::kYYYY},
      {"RRRR", Code::kRRRR},   {"HH24", Code::kHH24},   {"HH12", Code::kHH},
      {"A.M.", Code::kAM},     {"P.M.", Code::kAM},     {"YYY", Code::kYYY},
      {"MON", Code::kMON},     {"DDD", Code::kDDD},     {"DAY", Code::kDAY},
      {"YY", Code::kYY},       {"RR", Code::kRR},       {"MM", Code::kMM},
      {"DD", Code::kDD},       {"DY", Code::kDY},       {"HH", Code::kHH},
      {"MI", Code::kMI},       {"SS", Code::kSS},       {"AM", Code::kAM},
      {"PM", Code::kAM},       {"FM", Code::kFM},       {"FX", Code::kFX},
      {"Y", Code::kY},         {"D", Code::kD},         {"J", Code::kJ},
  };
  std::size_t i = 0;
  while (i < model.size()) {
    const char c = model[i];
    if (c == '"') {
      const auto close = model.find('"', i + 1);
      if (close == std::string_view::npos) throw OraError(1821);
      elements_.push_back(
          {Code::kLiteral, std::string(model.substr(i + 1, close - i - 1)), true, Case::kUpper});
      i = close + 1;
      continue;
    }
    if (!IsAlnum(c)) {
      elements_.push_back({Code::kLiteral, std::string(1, c), false, Case::kUpper});
      ++i;
      continue;
    }
    bool found = false;
    for (const auto& k : kKnown) {
      if (StartsWithNoCase(model.substr(i), k.name)) {
        Element e{k.code, {}, false, Case::kUpper};
        const bool first_lower = !(model[i] >= 'A' && model[i] <= 'Z');
        const bool second_lower = k.name.size() > 1 && model[i + 1] >= 'a' && model[i + 1] <= 'z';
        e.letter_case = first_lower ? Case::kLower : second_lower ? Case::kCapital : Case::kUpper;
        elements_.push_back(std::move(e));
        i += k.name.size();
        found = true;
        break;
      }
    }
    if (!found) throw OraError(1821);
  }
  // Plain: numbers, each after the first behind one punctuation character, no part twice.
  std::vector<PlainStep> plain;
  unsigned parts = 0;
  bool separated = false;
  char separator = 0;
  for (const Element& e : elements_) {
    if (e.code == Code::kLiteral) {
      if (e.quoted || separated || plain.empty()) return;
      separated = true;
      separator = e.text[0];
      continue;
    }
    unsigned part = 0;
    switch (e.code) {
      case Code::kDD:
        part = 1;
        break;
      case Code::kMM:
        part = 2;
        break;
      case Code::kYYYY:
      case Code::kRRRR:
      case Code::kYY:
      case Code::kRR:
        part = 4;
        break;
      case Code::kHH24:
        part = 8;
        break;
      case Code::kMI:
        part = 16;
        break;
      case Code::kSS:
        part = 32;
        break;
      default:
        return;
    }
    if ((parts & part) || (!plain.empty() && !separated)) return;
    parts |= part;
    plain.push_back({e.code, separator});
    separated = false;
  }
  if (separated) return;
  plain_ = std::move(plain);
}

std::string DateFormat::Format(const OraDate& d) const {
  std::string out;
  bool fm = false;
  for (const auto& e : elements_) {
    const int lc = static_cast<int>(e.letter_case);
    const bool pad = !fm;
    switch (e.code) {
      case Code::kLiteral:
        out += e.text;
        break;
      case Code::kFM:
        fm = !fm;
        break;
      case Code::kFX:
        break;
      case Code::kYYYY:
      case Code::kRRRR:
        out += Number(d.year, 4, pad);
        break;
      case Code::kYYY:
        out += Number(d.year % 1000, 3, pad);
        break;
      case Code::kYY:
      case Code::kRR:
        out += Number(d.year % 100, 2, pad);
        break;
      case Code::kY:
        out += Number(d.year % 10, 1, pad);
        break;
      case Code::kMM:
        out += Number(d.month, 2, pad);
        break;
      case Code::kMON:
        out += ApplyCase(kMonths[d.month - 1].substr(0, 3), lc);
        break;
      case Code::kMONTH: {
        std::string name = ApplyCase(kMonths[d.month - 1], lc);
        if (pad) name.resize(9, ' ');
        out += name;
        break;
      }
      case Code::kDD:
        out += Number(d.day, 2, pad);
        break;
      case Code::kDDD:
        out += Number(DayOfYear(d), 3, pad);
        break;
      case Code::kD:
        out += Number(DayOfWeek(d), 1, pad);
        break;
      case Code::kDY:
        out += ApplyCase(kDays[DayOfWeek(d) - 1].substr(0, 3), lc);
        break;
      case Code::kDAY: {
        std::string name = ApplyCase(kDays[DayOfWeek(d) - 1], lc);
        if (pad) name.resize(9, ' ');
        out += name;
        break;
      }
      case Code::kHH:
        out += Number(d.hour % 12 == 0 ? 12 : d.hour % 12, 2, pad);
        break;
      case Code::kHH24:
        out += Number(d.hour, 2, pad);
        break;
      case Code::kMI:
        out += Number(d.minute, 2, pad);
        break;
      case Code::kSS:
        out += Number(d.second, 2, pad);
        break;
      case Code::kSSSSS:
        out += Number(d.hour * 3600 + d.minute * 60 + d.second, 5, pad);
        break;
      case Code::kAM:
        out += ApplyCase(d.hour < 12 ? "AM" : "PM", lc);
        break;
      case Code::kJ:
        out += Number(static_cast<long>(DaysFromCivil(d.year, d.month, d.day) + 2440588), 7, pad);
        break;
    }
  }
  return out;
}

namespace {

// Which parts of a date an element sets, for the "format code appears twice" check.
enum Part { kYear, kMonth, kDay, kHour, kMinute, kSecond, kMeridian, kWeekday };

}  // namespace

OraDate DateFormat::Parse(std::string_view text, const OraDate& today) const {
  int year = today.year, month = today.month, day = 1;
  int hour = 0, minute = 0, second = 0;
  int meridian = -1;  // 0 AM, 1 PM
  bool twelve_hour = false;
  bool fx = false;
  std::size_t i = 0;
  const std::size_t n = text.size();
  bool seen[8] = {};
  auto mark = [&](Part p) {
    if (seen[p]) throw OraError(1810);
    seen[p] = true;
  };
  auto skip_blanks = [&] {
    if (!fx)
      while (i < n && text[i] == ' ') ++i;
  };
  auto read_number = [&](int max_digits, int& digits_read) -> long {
    skip_blanks();
    if (i >= n) throw OraError(1840);
    if (!IsDigit(text[i])) throw OraError(IsAlpha(text[i]) ? 1858 : 1861);
    long v = 0;
    digits_read = 0;
    while (i < n && IsDigit(text[i]) && digits_read < max_digits) {
      v = v * 10 + (text[i++] - '0');
      ++digits_read;
    }
    return v;
  };
  auto read_name = [&](auto names, std::size_t short_len, int error) -> int {
    skip_blanks();
    int best = -1;
    std::size_t best_len = 0;
    for (std::size_t k = 0; k < names.size(); ++k) {
      const std::string_view full = names[k];
      if (StartsWithNoCase(text.substr(i), full) && full.size() > best_len) {
        best = static_cast<int>(k);
        best_len = full.size();
      } else if (StartsWithNoCase(text.substr(i), full.substr(0, short_len)) &&
                 short_len > best_len) {
        best = static_cast<int>(k);
        best_len = short_len;
      }
    }
    if (best < 0) throw OraError(i >= n ? 1840 : error);
    i += best_len;
    return best;
  };

  // Whether the next element that reads text after element `k` reads a name.
  auto name_follows = [&](std::size_t k) {
    for (std::size_t r = k + 1; r < elements_.size(); ++r) {
      switch (elements_[r].code) {
        case Code::kLiteral:
        case Code::kFM:
        case Code::kFX:
          continue;
        case Code::kMON:
        case Code::kMONTH:
        case Code::kDY:
        case Code::kDAY:
        case Code::kAM:
          return true;
        default:
          return false;
      }
    }
    return false;
  };

  for (std::size_t k = 0; k < elements_.size(); ++k) {
    const Element& e = elements_[k];
    if (e.code == Code::kFX) {
      fx = !fx;
      continue;
    }
    if (e.code == Code::kFM) continue;
    if (e.code != Code::kLiteral) {
      std::size_t j = i;
      while (!fx && j < n && text[j] == ' ') ++j;
      if (j >= n) {
        // Input ended: only time fields (and punctuation) may be left out.
        bool only_time = true;
        for (std::size_t r = k; r < elements_.size(); ++r) {
          const Code c = elements_[r].code;
          if (!(c == Code::kLiteral || c == Code::kHH || c == Code::kHH24 || c == Code::kMI ||
                c == Code::kSS || c == Code::kSSSSS || c == Code::kAM || c == Code::kFM ||
                c == Code::kFX))
            only_time = false;
        }
        if (!only_time) throw OraError(1840);
        break;
      }
    }
    int digits = 0;
    switch (e.code) {
      case Code::kLiteral:
        if (e.quoted) {
          skip_blanks();
          if (!StartsWithNoCase(text.substr(i), Utf8Upper(e.text))) throw OraError(1861);
          i += e.text.size();
        } else if (fx) {
          if (i >= n || text[i] != e.text[0]) throw OraError(1861);
          ++i;
        } else {
          // Punctuation stands for any run of other punctuation, and may be left out where the
          // text goes straight on; but a digit where a name comes next is no date in this model.
          if (i < n && IsDigit(text[i]) && name_follows(k)) throw OraError(1861);
          while (i < n && !IsAlnum(text[i])) ++i;
        }
        break;
      case Code::kYYYY:
      case Code::kRRRR:
      case Code::kYY:
      case Code::kRR:
      case Code::kYYY:
      case Code::kY: {
        mark(kYear);
        const int max = (e.code == Code::kY) ? 1 : (e.code == Code::kYYY) ? 3 : 4;
        const long v = read_number(max, digits);
        year = YearOf(e.code, v, digits, today);
        if (year == 0) throw OraError(1841);
        break;
      }
      case Code::kMM:
        mark(kMonth);
        skip_blanks();
        if (!fx && i < n && IsAlpha(text[i])) {
          month = read_name(kMonths, 3, 1843) + 1;
        } else {
          month = static_cast<int>(read_number(2, digits));
          if (month < 1 || month > 12) throw OraError(1843);
        }
        break;
      case Code::kMON:
      case Code::kMONTH:
        mark(kMonth);
        month = read_name(kMonths, 3, 1843) + 1;
        break;
      case Code::kDD:
        mark(kDay);
        day = static_cast<int>(read_number(2, digits));
        if (day < 1 || day > 31) throw OraError(1847);
        break;
      case Code::kDDD: {
        mark(kDay);
        const long v = read_number(3, digits);
        if (v < 1 || v > (IsLeapYear(year) ? 366 : 365)) throw OraError(1847);
        const OraDate d = OraDate::FromDayNumber(static_cast<double>(DaysFromCivil(year, 1, 1)) +
                                                 static_cast<double>(v - 1));
        month = d.month;
        day = d.day;
        seen[kMonth] = true;
        break;
      }
      case Code::kD:
        mark(kWeekday);
        read_number(1, digits);
        break;
      case Code::kDY:
      case Code::kDAY:
        mark(kWeekday);
        read_name(kDays, 3, 1846);
        break;
      case Code::kHH:
        mark(kHour);
        twelve_hour = true;
        hour = static_cast<int>(read_number(2, digits));
        if (hour < 1 || hour > 12) throw OraError(1849);
        break;
      case Code::kHH24:
        mark(kHour);
        hour = static_cast<int>(read_number(2, digits));
        if (hour > 23) throw OraError(1850);
        break;
      case Code::kMI:
        mark(kMinute);
        minute = static_cast<int>(read_number(2, digits));
        if (minute > 59) throw OraError(1851);
        break;
      case Code::kSS:
        mark(kSecond);
        second = static_cast<int>(read_number(2, digits));
        if (second > 59) throw OraError(1852);
        break;
      case Code::kSSSSS: {
        mark(kSecond);
        const long v = read_number(5, digits);
        if (v > 86399) throw OraError(1853);
        hour = static_cast<int>(v / 3600);
        minute = static_cast<int>(v / 60 % 60);
        second = static_cast<int>(v % 60);
        break;
      }
      case Code::kAM: {
        mark(kMeridian);
        skip_blanks();
        static constexpr std::array<std::string_view, 4> kMarks = {"A.M.", "P.M.", "AM", "PM"};
        int found = -1;
        for (std::size_t m = 0; m < kMarks.size() && found < 0; ++m)
          if (StartsWithNoCase(text.substr(i), kMarks[m])) {
            found = static_cast<int>(m);
            i += kMarks[m].size();
          }
        if (found < 0) throw OraError(1855);
        meridian = found % 2;
        break;
      }
      case Code::kJ: {
        mark(kDay);
        const long v = read_number(7, digits);
        const OraDate d = OraDate::FromDayNumber(static_cast<double>(v - 2440588));
        year = d.year;
        month = d.month;
        day = d.day;
        seen[kYear] = seen[kMonth] = true;
        break;
      }
      case Code::kFM:
      case Code::kFX:
        break;
    }
  }
  while (i < n && text[i] == ' ') ++i;
  if (i < n) throw OraError(1830);
  if (twelve_hour && meridian == 1 && hour < 12) hour += 12;
  if (twelve_hour && meridian != 1 && hour == 12) hour = 0;
  if (day > DaysInMonth(year, month)) throw OraError(1839);
  return {year, month, day, hour, minute, second};
}

int DateFormat::YearOf(Code code, long v, int digits, const OraDate& today) {
  if (code == Code::kYYYY || digits > 2 || (code == Code::kYYY && digits == 3))
    return static_cast<int>(v);
  if (code == Code::kRR || code == Code::kRRRR) {
    const int current = today.year % 100;
    int century = today.year / 100;
    if (v < 50 && current >= 50) ++century;
    if (v >= 50 && current < 50) --century;
    return century * 100 + static_cast<int>(v);
  }
  if (code == Code::kY) return today.year / 10 * 10 + static_cast<int>(v);
  if (code == Code::kYYY) return today.year / 1000 * 1000 + static_cast<int>(v);
  return today.year / 100 * 100 + static_cast<int>(v);
}

std::optional<OraDate> DateFormat::ParsePlain(std::string_view text, const OraDate& today) const {
  if (plain_.empty()) return std::nullopt;
  OraDate date{today.year, today.month, 1, 0, 0, 0};
  std::size_t i = 0;
  const std::size_t n = text.size();
  for (std::size_t k = 0; k < plain_.size(); ++k) {
    const PlainStep& step = plain_[k];
    if (i == n) {
      // Parse lets the text end before the time of day, not before any other part.
      for (std::size_t r = k; r < plain_.size(); ++r) {
        const Code c = plain_[r].code;
        if (c != Code::kHH24 && c != Code::kMI && c != Code::kSS) return std::nullopt;
      }
      break;
    }
    if (k > 0 && text[i++] != step.separator) return std::nullopt;
    const bool year = step.code == Code::kYYYY || step.code == Code::kRRRR ||
                      step.code == Code::kYY || step.code == Code::kRR;
    const int max_digits = year ? 4 : 2;
    int digits = 0;
    long v = 0;
    while (i < n && IsDigit(text[i]) && digits < max_digits) {
      v = v * 10 + (text[i++] - '0');
      ++digits;
    }
    if (digits == 0) return std::nullopt;
    switch (step.code) {
      case Code::kDD:
        if (v < 1 || v > 31) return std::nullopt;
        date.day = static_cast<int>(v);
        break;
      case Code::kMM:
        if (v < 1 || v > 12) return std::nullopt;
        date.month = static_cast<int>(v);
        break;
      case Code::kHH24:
        if (v > 23) return std::nullopt;
        date.hour = static_cast<int>(v);
        break;
      case Code::kMI:
        if (v > 59) return std::nullopt;
        date.minute = static_cast<int>(v);
        break;
      case Code::kSS:
        if (v > 59) return std::nullopt;
        date.second = static_cast<int>(v);
        break;
      default:
        date.year = YearOf(step.code, v, digits, today);
        if (date.year == 0) return std::nullopt;
        break;
    }
  }
  if (i != n || date.day > DaysInMonth(date.year, date.month)) return std::nullopt;
  return date;
}

}  // namespace qm::ocilite
