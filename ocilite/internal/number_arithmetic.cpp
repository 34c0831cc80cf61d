#include "ocilite/internal/number_arithmetic.h"

#include <algorithm>
#include <boost/multiprecision/cpp_dec_float.hpp>
#include <boost/multiprecision/cpp_int.hpp>
#include <stdexcept>

#include "ocilite/internal/number_text.h"
#include "ocilite/internal/ora_error.h"

namespace qm::ocilite {
namespace {

namespace mp = boost::multiprecision;

// Wide enough to align any two NUMBER values exactly: 40 digits each, 256 powers of ten apart,
// is some 300 digits, below 10^420. Fixed width keeps the arithmetic off the heap.
using BigInt = mp::number<mp::cpp_int_backend<1400, 1400, mp::signed_magnitude, mp::checked, void>>;

// value = coefficient * 10^scale
struct Scaled {
  BigInt coefficient;
  int scale = 0;
};

BigInt Pow10(int n) {
  return mp::pow(BigInt(10), static_cast<unsigned>(n));
}

Scaled ToScaled(const Decimal& d) {
  Scaled s;
  for (const char c : d.digits) s.coefficient = s.coefficient * 10 + (c - '0');
  if (d.negative) s.coefficient = -s.coefficient;
  s.scale = d.exponent - static_cast<int>(d.digits.size());
  return s;
}

Decimal FromScaled(const BigInt& coefficient, int scale) {
  Decimal d;
  if (coefficient == 0) return d;
  d.negative = coefficient < 0;
  d.digits = (d.negative ? BigInt(-coefficient) : coefficient).str();
  d.exponent = scale + static_cast<int>(d.digits.size());
  d.Normalize();
  return d;
}

// Both coefficients at the smaller of the two scales.
void Align(Scaled& a, Scaled& b) {
  if (a.scale > b.scale) {
    a.coefficient *= Pow10(a.scale - b.scale);
    a.scale = b.scale;
  } else if (b.scale > a.scale) {
    b.coefficient *= Pow10(b.scale - a.scale);
    b.scale = a.scale;
  }
}

// Every digit of `d`, as a decimal float reads it.
std::string ExactText(const Decimal& d) {
  return (d.negative ? "-0." : "0.") + d.digits + "e" + std::to_string(d.exponent);
}

// Runs a computation; a width the operands cannot reach in range is an overflow all the same.
template <typename Body>
Decimal Guarded(Body&& body) {
  try {
    return body();
  } catch (const std::overflow_error&) {
    throw OraError(1426);
  } catch (const std::range_error&) {
    throw OraError(1426);
  }
}

// Intermediate powers keep more digits than a NUMBER, so that the result rounds as the exact
// one would in all but freak cases.
constexpr int kPowerDigits = 50;
// Past these exponents an intermediate power can only end outside the NUMBER range.
constexpr int kHugeExponent = 200;

enum class Magnitude { kInRange, kHuge, kTiny };

Magnitude IntegerPower(Decimal base, std::uint64_t n, Decimal& result) {
  result = DecimalFromInt(1);
  auto check = [](const Decimal& d) {
    if (d.exponent > kHugeExponent) return Magnitude::kHuge;
    if (d.exponent < -kHugeExponent) return Magnitude::kTiny;
    return Magnitude::kInRange;
  };
  while (n != 0) {
    if (n & 1) {
      result = Multiply(result, base);
      result.RoundToDigits(kPowerDigits);
      if (const Magnitude m = check(result); m != Magnitude::kInRange) return m;
    }
    n >>= 1;
    if (n != 0) {
      base = Multiply(base, base);
      base.RoundToDigits(kPowerDigits);
      if (const Magnitude m = check(base); m != Magnitude::kInRange) return m;
    }
  }
  return Magnitude::kInRange;
}

}  // namespace

Decimal Add(const Decimal& a, const Decimal& b) {
  if (a.IsZero()) return b;
  if (b.IsZero()) return a;
  return Guarded([&] {
    Scaled x = ToScaled(a), y = ToScaled(b);
    Align(x, y);
    return FromScaled(x.coefficient + y.coefficient, x.scale);
  });
}

Decimal Subtract(const Decimal& a, Decimal b) {
  if (!b.IsZero()) b.negative = !b.negative;
  return Add(a, b);
}

Decimal Multiply(const Decimal& a, const Decimal& b) {
  if (a.IsZero() || b.IsZero()) return {};
  return Guarded([&] {
    const Scaled x = ToScaled(a), y = ToScaled(b);
    return FromScaled(x.coefficient * y.coefficient, x.scale + y.scale);
  });
}

Decimal Divide(const Decimal& a, const Decimal& b) {
  if (b.IsZero()) throw OraError(1476);
  if (a.IsZero()) return {};
  return Guarded([&] {
    const Scaled x = ToScaled(a), y = ToScaled(b);
    // At least 43 digits in the quotient: the digits a NUMBER keeps and more, cut off, round as
    // the exact quotient does.
    const int extra =
        std::max(0, static_cast<int>(b.digits.size()) - static_cast<int>(a.digits.size()) + 43);
    const BigInt quotient = x.coefficient * Pow10(extra) / y.coefficient;
    return FromScaled(quotient, x.scale - extra - y.scale);
  });
}

Decimal Remainder(const Decimal& a, const Decimal& b) {
  if (b.IsZero() || a.IsZero()) return a;
  return Guarded([&] {
    Scaled x = ToScaled(a), y = ToScaled(b);
    Align(x, y);
    return FromScaled(x.coefficient % y.coefficient, x.scale);
  });
}

Decimal Power(const Decimal& a, const Decimal& b) {
  if (b.IsInteger()) {
    const auto n = ToInt64(b);
    if (a.IsZero()) {
      if (b.negative) throw OraError(1476);
      return b.IsZero() ? DecimalFromInt(1) : Decimal{};
    }
    // A whole exponent past 64 bits leaves only 1, -1 or something out of range.
    const std::uint64_t magnitude =
        n ? (*n < 0 ? 0 - static_cast<std::uint64_t>(*n) : static_cast<std::uint64_t>(*n))
          : ~std::uint64_t{0};
    Decimal result;
    Magnitude m = IntegerPower(a, magnitude, result);
    if (b.negative) {
      if (m == Magnitude::kHuge) return {};
      if (m == Magnitude::kTiny) throw OraError(1426);
      return Divide(DecimalFromInt(1), result);
    }
    if (m == Magnitude::kHuge) throw OraError(1426);
    if (m == Magnitude::kTiny) return {};
    return result;
  }
  if (a.negative) throw OraError(1428, {NumberToText(a, '.')});
  if (a.IsZero()) {
    if (b.negative) throw OraError(1476);
    return {};
  }
  using Float = mp::cpp_dec_float_50;
  const Float r = mp::pow(Float(ExactText(a)), Float(ExactText(b)));
  if (r.backend().isinf() || r.backend().isnan()) throw OraError(1426);
  auto d = ParseDecimal(r.str(kPowerDigits - 5, std::ios_base::scientific), '.');
  if (!d) throw OraError(1426);
  return *d;
}

Decimal Floor(Decimal a) {
  if (a.IsInteger()) return a;
  const bool negative = a.negative;
  a.TruncateToScale(0);
  return negative ? Subtract(a, DecimalFromInt(1)) : a;
}

Decimal Ceil(Decimal a) {
  if (a.IsInteger()) return a;
  const bool negative = a.negative;
  a.TruncateToScale(0);
  return negative ? a : Add(a, DecimalFromInt(1));
}

}  // namespace qm::ocilite
