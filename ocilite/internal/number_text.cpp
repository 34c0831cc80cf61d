#include "ocilite/internal/number_text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/sql_type.h"

namespace qm::ocilite {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The digits a fixed-point text shows: a number needing more takes the scientific form.
constexpr int kMaxFixedDigits = 40;
// The length of the scientific form without its sign.
constexpr int kScientificLength = 40;

std::string Scientific(Decimal d, char decimal_char) {
  // "d.ddd...E+xx" fills the length: the exponent's own digits decide how many are left.
  auto exponent_digits = [](int e) { return e >= 100 || e <= -100 ? 3 : 2; };
  const int first_guess = exponent_digits(d.exponent - 1);
  int keep = kScientificLength - 3 - first_guess;
  d.RoundToDigits(keep);
  if (exponent_digits(d.exponent - 1) != first_guess) {
    keep = kScientificLength - 3 - exponent_digits(d.exponent - 1);
    d.RoundToDigits(keep);
  }
  std::string out = d.negative ? "-" : "";
  out += d.digits[0];
  out += decimal_char;
  out += d.digits.substr(1);
  out.append(static_cast<std::size_t>(keep) - d.digits.size(), '0');
  const int e = d.exponent - 1;
  char exp[16];
  std::snprintf(exp, sizeof exp, "E%c%02d", e < 0 ? '-' : '+', e < 0 ? -e : e);
  return out + exp;
}

}  // namespace

std::optional<Decimal> ParseDecimal(std::string_view t, char decimal_char) {
  std::size_t i = 0, n = t.size();
  while (i < n && IsSpace(t[i])) ++i;
  while (n > i && IsSpace(t[n - 1])) --n;
  Decimal d;
  if (i < n && (t[i] == '+' || t[i] == '-')) d.negative = t[i++] == '-';
  bool any = false;
  int point = -1;
  d.digits.reserve(n - i);
  for (; i < n; ++i) {
    const char c = t[i];
    if (c >= '0' && c <= '9') {
      d.digits += c;
      any = true;
    } else if (c == decimal_char && point < 0) {
      point = static_cast<int>(d.digits.size());
    } else {
      break;
    }
  }
  if (!any) return std::nullopt;
  d.exponent = point < 0 ? static_cast<int>(d.digits.size()) : point;
  if (i < n && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    bool neg = false;
    if (i < n && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
    if (i >= n) return std::nullopt;
    long e = 0;
    for (; i < n && t[i] >= '0' && t[i] <= '9'; ++i) e = std::min(e * 10 + (t[i] - '0'), 100000L);
    d.exponent += static_cast<int>(neg ? -e : e);
  }
  if (i != n) return std::nullopt;
  d.Normalize();
  return d;
}

Value TextToNumber(std::string_view text, char decimal_char) {
  auto d = ParseDecimal(text, decimal_char);
  if (!d) throw OraError(1722);
  return NumberValue(*d);
}

bool FitPlainNumberText(std::string_view t, char decimal_char, int precision, int scale,
                        std::string& form) {
  // Beyond 38 digits storing rounds them, and far from the point EncodeNumber may throw: both
  // are left to the general way.
  constexpr int kMaxDigits = 38;
  constexpr int kMaxExponent = 120;
  std::size_t i = 0, n = t.size();
  while (i < n && IsSpace(t[i])) ++i;
  while (n > i && IsSpace(t[n - 1])) --n;
  bool negative = false;
  if (i < n && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  // The significant digits as ParseDecimal and Normalize leave them: 0.digits * 10^exponent.
  char digits[kMaxDigits + 2];
  int count = 0, exponent = 0;
  bool any = false, point = false;
  for (; i < n; ++i) {
    const char c = t[i];
    if (c >= '0' && c <= '9') {
      any = true;
      if (count == 0 && c == '0') {
        if (point) --exponent;
        continue;
      }
      if (count == kMaxDigits + 2) return false;
      digits[count++] = c;
      if (!point) ++exponent;
    } else if (c == decimal_char && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (!any) return false;
  while (count > 0 && digits[count - 1] == '0') --count;
  if (count > kMaxDigits || exponent > kMaxExponent || exponent < -kMaxExponent) return false;
  if (count == 0) exponent = 0;
  // Rounded half away from zero to the scale, as Decimal::RoundToScale does.
  if (scale != kFloatScale && count > exponent + scale) {
    const int keep = exponent + scale;
    if (keep < 0) {
      count = 0;
    } else {
      const bool up = digits[keep] >= '5';
      count = keep;
      if (up) {
        int k = keep - 1;
        for (; k >= 0 && digits[k] == '9'; --k) digits[k] = '0';
        if (k >= 0) {
          ++digits[k];
        } else {
          digits[0] = '1';
          count = 1;
          ++exponent;
        }
      }
      while (count > 0 && digits[count - 1] == '0') --count;
    }
    if (count == 0) exponent = 0;
  }
  if (count == 0) negative = false;
  // FitNumber's precision check, which raises ORA-01438.
  if (!(scale == kFloatScale && precision == 0)) {
    const int limit = precision == 0 ? 38 : precision;
    if (count > 0 && exponent > limit - (scale == kFloatScale ? 0 : scale)) return false;
  }
  EncodeDigits(negative, std::string_view(digits, static_cast<std::size_t>(count)), exponent, form);
  return true;
}

std::string NumberToText(const Decimal& d, char decimal_char) {
  if (d.IsZero()) return "0";
  const int size = static_cast<int>(d.digits.size());
  const int positions = d.exponent <= 0 ? size - d.exponent : std::max(size, d.exponent);
  if (positions > kMaxFixedDigits) return Scientific(d, decimal_char);
  std::string out = d.negative ? "-" : "";
  if (d.exponent <= 0) {
    out += decimal_char;
    out.append(static_cast<std::size_t>(-d.exponent), '0');
    out += d.digits;
  } else if (d.exponent >= size) {
    out += d.digits;
    out.append(static_cast<std::size_t>(d.exponent - size), '0');
  } else {
    out += d.digits.substr(0, static_cast<std::size_t>(d.exponent));
    out += decimal_char;
    out += d.digits.substr(static_cast<std::size_t>(d.exponent));
  }
  return out;
}

std::string NumberToText(const Value& number, char decimal_char) {
  return NumberToText(ToDecimal(number), decimal_char);
}

Value FitNumber(const Value& number, int precision, int scale) {
  if (scale == kFloatScale && precision == 0) return number;
  const int limit = precision == 0 ? 38 : precision;
  Decimal d = ToDecimal(number);
  if (scale != kFloatScale) d.RoundToScale(scale);
  if (!d.IsZero() && d.exponent > limit - (scale == kFloatScale ? 0 : scale)) throw OraError(1438);
  return NumberValue(d);
}

Value FitFloat(const Value& number, int binary_precision) {
  Decimal d = ToDecimal(number);
  d.RoundToDigits(std::max(1, (binary_precision * 30103 + 99999) / 100000));
  return NumberValue(d);
}

}  // namespace qm::ocilite
