#include "ocilite/number_text.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "ocilite/ora_error.h"
#include "ocilite/sql_type.h"

namespace qm::ocilite {
namespace {

void StripZeros(Decimal& d) {
  std::size_t lead = 0;
  while (lead < d.digits.size() && d.digits[lead] == '0') ++lead;
  d.digits.erase(0, lead);
  d.exponent -= static_cast<int>(lead);
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) {
    d.negative = false;
    d.exponent = 0;
  }
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

Decimal Decimal::FromValue(const Value& v) {
  Decimal d;
  if (v.kind == Value::Kind::kInt) {
    std::uint64_t magnitude =
        v.i < 0 ? 0 - static_cast<std::uint64_t>(v.i) : static_cast<std::uint64_t>(v.i);
    d.negative = v.i < 0;
    d.digits = std::to_string(magnitude);
    d.exponent = static_cast<int>(d.digits.size());
    StripZeros(d);
    return d;
  }
  // Fifteen significant digits: what a double holds exactly from a decimal text, and what keeps
  // 0.1 + 0.2 reading 0.3 as Oracle's decimal arithmetic would have it.
  char buf[40];
  *std::to_chars(buf, buf + sizeof buf - 1, v.r, std::chars_format::scientific, 14).ptr = 0;
  const char* p = buf;
  if (*p == '-') {
    d.negative = true;
    ++p;
  }
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') d.digits += *p;
  d.exponent = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;
  StripZeros(d);
  return d;
}

Value Decimal::ToValue() const {
  if (digits.empty()) return Value::Int(0);
  if (static_cast<int>(digits.size()) <= exponent && exponent <= 19) {
    // A whole number is an integer while it fits 64 bits.
    std::uint64_t v = 0;
    bool fits = true;
    for (int k = 0; k < exponent && fits; ++k) {
      const unsigned digit = k < static_cast<int>(digits.size()) ? digits[k] - '0' : 0;
      fits = v <= (std::numeric_limits<std::uint64_t>::max() - digit) / 10;
      v = v * 10 + digit;
    }
    const std::uint64_t limit =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
    if (fits && v <= limit)
      return Value::Int(negative ? static_cast<std::int64_t>(0 - v) : static_cast<std::int64_t>(v));
  }
  std::string text = negative ? "-0." : "0.";
  text += digits;
  text += 'e';
  text += std::to_string(exponent);
  double r = 0;
  std::from_chars(text.data(), text.data() + text.size(), r);
  return Value::Real(r);
}

void Decimal::RoundToScale(int scale) {
  if (digits.empty()) return;
  const long keep = static_cast<long>(exponent) + scale;
  if (keep >= static_cast<long>(digits.size())) return;
  if (keep < 0) {
    *this = Decimal{};
    return;
  }
  const bool up = digits[keep] >= '5';
  digits.resize(keep);
  if (up) {
    long k = keep - 1;
    for (; k >= 0; --k) {
      if (digits[k] == '9') {
        digits[k] = '0';
      } else {
        ++digits[k];
        break;
      }
    }
    if (k < 0) {
      digits.insert(digits.begin(), '1');
      ++exponent;
    }
  }
  StripZeros(*this);
}

std::optional<Decimal> ParseDecimal(std::string_view t, char decimal_char) {
  std::size_t i = 0, n = t.size();
  while (i < n && IsSpace(t[i])) ++i;
  while (n > i && IsSpace(t[n - 1])) --n;
  Decimal d;
  if (i < n && (t[i] == '+' || t[i] == '-')) d.negative = t[i++] == '-';
  bool any = false;
  int point = -1;
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
  StripZeros(d);
  return d;
}

Value TextToNumber(std::string_view text, char decimal_char) {
  auto d = ParseDecimal(text, decimal_char);
  if (!d) throw OraError(1722);
  return d->ToValue();
}

std::string NumberToText(const Value& number, char decimal_char) {
  const Decimal d = Decimal::FromValue(number);
  if (d.IsZero()) return "0";
  std::string out = d.negative ? "-" : "";
  const int size = static_cast<int>(d.digits.size());
  if (d.exponent > 64 || d.exponent < -64) {
    out += d.digits[0];
    out += decimal_char;
    out += size > 1 ? d.digits.substr(1) : "0";
    char exp[16];
    std::snprintf(exp, sizeof exp, "E%+03d", d.exponent - 1);
    return out + exp;
  }
  if (d.exponent <= 0) {
    out += decimal_char;
    out.append(-d.exponent, '0');
    out += d.digits;
  } else if (d.exponent >= size) {
    out += d.digits;
    out.append(d.exponent - size, '0');
  } else {
    out += d.digits.substr(0, d.exponent);
    out += decimal_char;
    out += d.digits.substr(d.exponent);
  }
  return out;
}

Value FitNumber(const Value& number, int precision, int scale) {
  if (scale == kFloatScale && precision == 0) return number;
  const int limit = precision == 0 ? 38 : precision;
  if (number.kind == Value::Kind::kInt && scale >= 0) {
    // A whole number needs no rounding: only its count of digits is checked.
    std::uint64_t magnitude = number.i < 0 ? 0 - static_cast<std::uint64_t>(number.i)
                                           : static_cast<std::uint64_t>(number.i);
    int digits = 0;
    for (; magnitude != 0; magnitude /= 10) ++digits;
    if (digits > limit - scale) throw OraError(1438);
    return number;
  }
  Decimal d = Decimal::FromValue(number);
  if (scale != kFloatScale) d.RoundToScale(scale);
  if (!d.IsZero() && d.exponent > limit - (scale == kFloatScale ? 0 : scale)) throw OraError(1438);
  return d.ToValue();
}

}  // namespace qm::ocilite
