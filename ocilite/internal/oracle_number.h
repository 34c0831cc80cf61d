// NUMBER values as the engine keeps them: exact decimals in Oracle's internal form.
//
// A NUMBER is stored, compared and handed around as Oracle's own bytes: an exponent byte and up
// to 20 base-100 digits, that is 38 to 40 significant decimal digits as the position of the point
// allows, for magnitudes from 1E-130 to below 1E126. The form is canonical (one byte string per
// value) and ordered: compared byte by byte, shorter first on a common prefix (memcmp, as SQLite
// compares BLOBs), two forms order as their numbers do. So SQLite's own comparison serves
// equality, ORDER BY, indexes, unique keys, MIN and MAX, and a client defining SQLT_NUM gets a
// copy.
//
// Decimal is the working form for parsing, rounding, arithmetic and formatting: any number of
// digits, never a binary fraction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ocilite/internal/value.h"

namespace qm::ocilite {

// A decimal number as digits and a power of ten: value = 0.d1d2d3... * 10^exponent.
struct Decimal {
  bool negative = false;
  std::string digits;  // no leading or trailing zeros; empty for zero
  int exponent = 0;

  bool IsZero() const { return digits.empty(); }
  // Digits before the decimal point (0 for values below one).
  int IntegerDigits() const { return digits.empty() || exponent < 0 ? 0 : exponent; }
  bool IsInteger() const { return static_cast<int>(digits.size()) <= exponent || IsZero(); }
  // Rounds half away from zero to `scale` digits after the point (negative: before it).
  void RoundToScale(int scale);
  // Cuts toward zero after `scale` digits after the point (negative: before it).
  void TruncateToScale(int scale);
  // Rounds half away from zero to `count` significant digits (count >= 1).
  void RoundToDigits(int count);
  // Rounds half away from zero to the digits a NUMBER holds, as EncodeNumber does.
  void RoundToNumberDigits() { RoundToDigits(exponent % 2 == 0 ? 40 : 39); }
  // Drops leading and trailing zeros; zero loses its sign.
  void Normalize();
};

// The largest form: the exponent byte and 20 digits. A negative number of fewer digits ends with
// a byte 102, which keeps it after the longer numbers it is a prefix of.
inline constexpr std::size_t kMaxNumberBytes = 21;

// The form of `d`, rounded half away from zero to the digits a NUMBER holds. Throws ORA-01426
// when the rounded magnitude is 1E126 or more; magnitudes below 1E-130 become 0.
std::string EncodeNumber(Decimal d);
// The form of -1^negative * 0.digits * 10^exponent, `digits` without leading or trailing zeros
// and no more than a NUMBER holds (RoundToNumberDigits); no digits make zero. Throws ORA-01426 as
// EncodeNumber does.
std::string EncodeDigits(bool negative, std::string_view digits, int exponent);
// The same into `out`, whose room it takes; `out` is unchanged when it throws.
void EncodeDigits(bool negative, std::string_view digits, int exponent, std::string& out);
// The value of a form. Any byte string decodes to some number; EncodeNumber(DecodeNumber(b))
// is the canonical form of what a client handed over.
Decimal DecodeNumber(std::string_view bytes);

Value NumberValue(const Decimal& d);
Value NumberValue(std::int64_t v);
// The number a value of kind kNumber holds.
Decimal ToDecimal(const Value& v);

Decimal DecimalFromInt(std::int64_t v);
// A binary double to decimal with 15 significant digits: what a double holds exactly from a
// decimal text, so that 0.1 stays .1. Throws ORA-01426 for infinities and NaN.
Decimal DecimalFromDouble(double v);
// The nearest double.
double ToDouble(const Decimal& d);
// The whole part, cut toward zero; nullopt when it does not fit 64 bits.
std::optional<std::int64_t> ToInt64(const Decimal& d);

}  // namespace qm::ocilite
