#include "import/server_value_check.h"

#include <array>
#include <cctype>

#include "platform/civil_date.h"
#include "platform/codepage.h"

namespace qm {
namespace {

std::string Ora(int code, std::string_view text) {
  std::string number = std::to_string(code);
  return "ORA-" + std::string(5 - std::min<std::size_t>(5, number.size()), '0') + number + ": " +
         std::string(text);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsAlnum(char c) { return IsDigit(c) || IsAlpha(c); }

// ---- dates ----------------------------------------------------------------------------------

enum class Element { kLiteral, kQuoted, kYYYY, kRRRR, kYY, kRR, kMM, kDD, kHH24, kHH, kMI, kSS };

struct FormatElement {
  Element code;
  std::string text;  // of a quoted literal
};

// The model's elements; nullopt for one with an element this check does not read.
std::optional<std::vector<FormatElement>> ParseFormat(std::string_view format) {
  static constexpr std::pair<std::string_view, Element> kCodes[] = {
      {"HH24", Element::kHH24}, {"HH12", Element::kHH}, {"YYYY", Element::kYYYY},
      {"RRRR", Element::kRRRR}, {"YY", Element::kYY},   {"RR", Element::kRR},
      {"MM", Element::kMM},     {"DD", Element::kDD},   {"HH", Element::kHH},
      {"MI", Element::kMI},     {"SS", Element::kSS}};
  std::vector<FormatElement> out;
  std::size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    if (c == '"') {
      const std::size_t end = format.find('"', i + 1);
      if (end == std::string_view::npos) return std::nullopt;
      out.push_back({Element::kQuoted, std::string(format.substr(i + 1, end - i - 1))});
      i = end + 1;
      continue;
    }
    if (!IsAlnum(c)) {
      out.push_back({Element::kLiteral, {}});
      ++i;
      continue;
    }
    const std::string rest = Cp1251Upper(format.substr(i, 4));
    bool found = false;
    for (const auto& [name, code] : kCodes)
      if (rest.compare(0, name.size(), name) == 0) {
        out.push_back({code, {}});
        i += name.size();
        found = true;
        break;
      }
    if (!found) return std::nullopt;
  }
  return out;
}

bool IsTimeElement(Element e) {
  return e == Element::kLiteral || e == Element::kHH24 || e == Element::kHH ||
         e == Element::kMI || e == Element::kSS;
}

// English month names, which the server also takes where MM stands (its full name or the first
// three letters).
constexpr std::array<std::string_view, 12> kMonths = {
    "JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
    "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && Cp1251Upper(text.substr(0, prefix.size())) == prefix;
}

// A fault of the date: its ORA number.
struct DateError {
  int code;
};

void ReadDate(std::string_view text, const std::vector<FormatElement>& elements, int currentYear) {
  int year = currentYear, month = 1, day = 1;
  std::size_t i = 0;
  const std::size_t n = text.size();
  auto skipBlanks = [&] {
    while (i < n && text[i] == ' ') ++i;
  };
  auto readNumber = [&](int maxDigits, int& digits) -> long {
    skipBlanks();
    if (i >= n) throw DateError{1840};
    if (!IsDigit(text[i])) throw DateError{IsAlpha(text[i]) ? 1858 : 1861};
    long v = 0;
    digits = 0;
    while (i < n && IsDigit(text[i]) && digits < maxDigits) {
      v = v * 10 + (text[i++] - '0');
      ++digits;
    }
    return v;
  };
  for (std::size_t k = 0; k < elements.size(); ++k) {
    const FormatElement& e = elements[k];
    if (e.code != Element::kLiteral) {
      std::size_t j = i;
      while (j < n && text[j] == ' ') ++j;
      if (j >= n) {
        // The text may end where only the time is left to read.
        for (std::size_t r = k; r < elements.size(); ++r)
          if (!IsTimeElement(elements[r].code)) throw DateError{1840};
        break;
      }
    }
    int digits = 0;
    switch (e.code) {
      case Element::kLiteral:
        while (i < n && !IsAlnum(text[i])) ++i;
        break;
      case Element::kQuoted:
        skipBlanks();
        if (!StartsWithNoCase(text.substr(i), Cp1251Upper(e.text))) throw DateError{1861};
        i += e.text.size();
        break;
      case Element::kYYYY:
      case Element::kRRRR:
      case Element::kYY:
      case Element::kRR: {
        const long v = readNumber(4, digits);
        if (e.code == Element::kYYYY || digits > 2) {
          year = static_cast<int>(v);
        } else if (e.code == Element::kRR || e.code == Element::kRRRR) {
          int century = currentYear / 100;
          if (v < 50 && currentYear % 100 >= 50) ++century;
          if (v >= 50 && currentYear % 100 < 50) --century;
          year = century * 100 + static_cast<int>(v);
        } else {
          year = currentYear / 100 * 100 + static_cast<int>(v);
        }
        if (year == 0) throw DateError{1841};
        break;
      }
      case Element::kMM:
        skipBlanks();
        if (i < n && IsAlpha(text[i])) {
          int found = -1;
          std::size_t length = 0;
          for (std::size_t m = 0; m < kMonths.size(); ++m) {
            if (StartsWithNoCase(text.substr(i), kMonths[m]) && kMonths[m].size() > length) {
              found = static_cast<int>(m);
              length = kMonths[m].size();
            } else if (StartsWithNoCase(text.substr(i), kMonths[m].substr(0, 3)) && length < 3) {
              found = static_cast<int>(m);
              length = 3;
            }
          }
          if (found < 0) throw DateError{1843};
          i += length;
          month = found + 1;
        } else {
          month = static_cast<int>(readNumber(2, digits));
          if (month < 1 || month > 12) throw DateError{1843};
        }
        break;
      case Element::kDD:
        day = static_cast<int>(readNumber(2, digits));
        if (day < 1 || day > 31) throw DateError{1847};
        break;
      case Element::kHH24:
        if (readNumber(2, digits) > 23) throw DateError{1850};
        break;
      case Element::kHH: {
        const long hour = readNumber(2, digits);
        if (hour < 1 || hour > 12) throw DateError{1849};
        break;
      }
      case Element::kMI:
        if (readNumber(2, digits) > 59) throw DateError{1851};
        break;
      case Element::kSS:
        if (readNumber(2, digits) > 59) throw DateError{1852};
        break;
    }
  }
  skipBlanks();
  if (i < n) throw DateError{1830};
  if (day > DaysInMonth(year, month)) throw DateError{1839};
}

std::string_view DateMessage(int code) {
  switch (code) {
    case 1830:
      return "date format picture ends before converting entire input string";
    case 1839:
      return "date not valid for month specified";
    case 1840:
      return "input value not long enough for date format";
    case 1841:
      return "(full) year must be between -4713 and +9999, and not be 0";
    case 1843:
      return "not a valid month";
    case 1847:
      return "day of month must be between 1 and last day of month";
    case 1849:
      return "hour must be between 1 and 12";
    case 1850:
      return "hour must be between 0 and 23";
    case 1851:
      return "minutes must be between 0 and 59";
    case 1852:
      return "seconds must be between 0 and 59";
    case 1858:
      return "a non-numeric character was found where a numeric was expected";
    default:
      return "literal does not match format string";
  }
}

// ---- numbers --------------------------------------------------------------------------------

// A decimal as 0.d1d2d3... x 10^exponent; no leading or trailing zero digits, none at all for 0.
struct Decimal {
  std::string digits;
  long exponent = 0;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The server's implicit conversion of text to NUMBER: blanks around, a sign, digits with one
// decimal point, an optional exponent.
std::optional<Decimal> ParseNumber(std::string_view t) {
  std::size_t i = 0, n = t.size();
  while (i < n && IsSpace(t[i])) ++i;
  while (n > i && IsSpace(t[n - 1])) --n;
  if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
  Decimal d;
  bool any = false;
  long point = -1;
  for (; i < n; ++i) {
    if (IsDigit(t[i])) {
      d.digits += t[i];
      any = true;
    } else if (t[i] == '.' && point < 0) {
      point = static_cast<long>(d.digits.size());
    } else {
      break;
    }
  }
  if (!any) return std::nullopt;
  d.exponent = point < 0 ? static_cast<long>(d.digits.size()) : point;
  if (i < n && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < n && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    if (i >= n) return std::nullopt;
    long e = 0;
    for (; i < n && IsDigit(t[i]); ++i) e = std::min(e * 10 + (t[i] - '0'), 100000L);
    d.exponent += negative ? -e : e;
  }
  if (i != n) return std::nullopt;
  const std::size_t first = d.digits.find_first_not_of('0');
  if (first == std::string::npos) return Decimal{};
  d.digits.erase(0, first);
  d.exponent -= static_cast<long>(first);
  d.digits.erase(d.digits.find_last_not_of('0') + 1);
  return d;
}

// Rounds half away from zero to `scale` places after the point (before it, for a negative one).
void RoundToScale(Decimal& d, long scale) {
  if (d.digits.empty()) return;
  const long keep = d.exponent + scale;
  if (keep >= static_cast<long>(d.digits.size())) return;
  if (keep < 0) {
    d = {};
    return;
  }
  const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    long k = keep - 1;
    while (k >= 0 && d.digits[static_cast<std::size_t>(k)] == '9') --k;
    if (k < 0) {
      d.digits = "1";
      ++d.exponent;
    } else {
      d.digits.resize(static_cast<std::size_t>(k) + 1);
      ++d.digits[static_cast<std::size_t>(k)];
    }
  }
  d.digits.erase(d.digits.find_last_not_of('0') + 1);
  if (d.digits.empty()) d = {};
}

// A NUMBER holds magnitudes below 1E126.
constexpr long kNumberExponentLimit = 126;
constexpr int kMaxPrecision = 38;

std::optional<std::string> NumberFault(const TargetColumn& column, std::string_view value) {
  std::optional<Decimal> d = ParseNumber(value);
  if (!d) return Ora(1722, "invalid number");
  if (!d->digits.empty() && d->exponent > kNumberExponentLimit) return Ora(1426, "numeric overflow");
  if (column.dataType == "FLOAT" || (!column.precision && !column.scale)) return std::nullopt;
  const long precision = column.precision.value_or(kMaxPrecision);
  const long scale = column.scale.value_or(0);
  RoundToScale(*d, scale);
  if (!d->digits.empty() && d->exponent > precision - scale)
    return Ora(1438, "value larger than specified precision allowed for this column");
  return std::nullopt;
}

bool IsText(const std::string& type) {
  return type == "VARCHAR2" || type == "VARCHAR" || type == "CHAR" || type == "NVARCHAR2" ||
         type == "NCHAR";
}

}  // namespace

std::string TargetFacts::QualifiedColumn(const std::string& column) const {
  return "\"" + owner + "\".\"" + table + "\".\"" + column + "\"";
}

const TargetColumn* TargetFacts::FindColumn(const std::string& linkName) const {
  const std::string_view name = Trim(linkName);
  const std::string wanted = name.size() >= 2 && name.front() == '"' && name.back() == '"'
                                 ? std::string(name.substr(1, name.size() - 2))
                                 : Cp1251Upper(name);
  for (const TargetColumn& c : columns)
    if (c.name == wanted) return &c;
  return nullptr;
}

bool DateFormatCheckable(std::string_view format) { return ParseFormat(format).has_value(); }

std::optional<std::string> DateFault(std::string_view text, std::string_view format,
                                     int currentYear) {
  if (text.empty()) return std::nullopt;
  const auto elements = ParseFormat(format);
  if (!elements) return std::nullopt;
  try {
    ReadDate(text, *elements, currentYear);
  } catch (const DateError& e) {
    return Ora(e.code, DateMessage(e.code));
  }
  return std::nullopt;
}

std::optional<std::string> LiteralFault(std::string_view value) {
  if (value.size() > kMaxTextLiteral) return Ora(1704, "string literal too long");
  return std::nullopt;
}

std::optional<std::string> ComparisonFault(const TargetFacts& facts, const TargetColumn& column,
                                           std::string_view value) {
  if (value.empty()) return std::nullopt;
  if (column.dataType == "NUMBER" || column.dataType == "FLOAT") {
    const std::optional<Decimal> d = ParseNumber(value);
    if (!d) return Ora(1722, "invalid number");
    if (!d->digits.empty() && d->exponent > kNumberExponentLimit)
      return Ora(1426, "numeric overflow");
    return std::nullopt;
  }
  if (column.dataType == "DATE") return DateFault(value, facts.dateFormat, facts.currentYear);
  return std::nullopt;
}

bool Comparable(const std::string& dataType) {
  return dataType != "LONG" && dataType != "LONG RAW" && dataType != "CLOB" &&
         dataType != "NCLOB" && dataType != "BLOB" && dataType != "BFILE";
}

std::optional<std::string> ColumnFault(const TargetFacts& facts, const TargetColumn& column,
                                       std::string_view value) {
  // The server keeps the empty text as NULL.
  if (value.empty()) {
    if (column.nullable) return std::nullopt;
    return Ora(1400, "cannot insert NULL into (" + facts.QualifiedColumn(column.name) + ")");
  }
  if (IsText(column.dataType)) {
    const bool characters = column.charSemantics || column.dataType[0] == 'N';
    const long maximum = characters ? column.charLength : column.dataLength;
    const long actual = characters || !facts.utf8Database
                            ? static_cast<long>(value.size())
                            : static_cast<long>(Cp1251ToUtf8(value).size());
    if (actual > maximum)
      return Ora(12899, "value too large for column " + facts.QualifiedColumn(column.name) +
                            " (actual: " + std::to_string(actual) +
                            ", maximum: " + std::to_string(maximum) + ")");
    return std::nullopt;
  }
  if (column.dataType == "NUMBER" || column.dataType == "FLOAT")
    return NumberFault(column, value);
  if (column.dataType == "DATE") return DateFault(value, facts.dateFormat, facts.currentYear);
  return std::nullopt;
}

}  // namespace qm
