// Conversions between NUMBER values and text with Oracle's rules: the implicit conversion of text
// (session decimal character, optional sign and exponent, surrounding blanks), the default text
// form of a number (".5", "-12.25", no trailing zeros), rounding to a scale and the precision
// check of NUMBER(p,s).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ocilite/value.h"

namespace qm::ocilite {

// A decimal number as digits and a power of ten: value = 0.d1d2d3... * 10^exponent.
struct Decimal {
  bool negative = false;
  std::string digits;  // no leading or trailing zeros; empty for zero
  int exponent = 0;

  static Decimal FromValue(const Value& v);  // v must be a number
  Value ToValue() const;
  // Rounds half away from zero to `scale` digits after the point (negative: before it).
  void RoundToScale(int scale);
  // Digits before the decimal point (0 for values below one).
  int IntegerDigits() const { return digits.empty() ? 0 : exponent; }
  bool IsZero() const { return digits.empty(); }
};

// Text to number by the implicit conversion rules; nullopt when the text is not a number.
std::optional<Decimal> ParseDecimal(std::string_view text, char decimal_char);
// Text to a NUMBER value; throws ORA-01722 for text that is not a number.
Value TextToNumber(std::string_view text, char decimal_char);

// The default text form of a number, with `decimal_char` as the decimal point.
std::string NumberToText(const Value& number, char decimal_char);

// Rounds to NUMBER(precision, scale) and checks the precision: throws ORA-01438 when the value
// has more digits before the point than the column allows. precision 0 means not given.
Value FitNumber(const Value& number, int precision, int scale);

}  // namespace qm::ocilite
