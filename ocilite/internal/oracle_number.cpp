#include "ocilite/internal/oracle_number.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "ocilite/internal/ora_error.h"

namespace qm::ocilite {
namespace {

// Exponent bytes: 192 + E for a positive number 0.D1D2... * 100^E, 63 - E for a negative one;
// 0x80 alone is zero. E runs from -64 (0x80 followed by digits: 1E-130 and up) to 63.
constexpr int kMaxExponent100 = 63;
constexpr int kMinExponent100 = -64;
constexpr unsigned char kZeroByte = 0x80;
constexpr unsigned char kNegativeEnd = 102;

// Keeps the first `keep` digits, rounding half away from zero (or cutting); keep may be 0 or
// less.
void CutDigits(Decimal& d, long keep, bool round) {
  if (d.digits.empty() || keep >= static_cast<long>(d.digits.size())) return;
  if (keep < 0) {
    d = Decimal{};
    return;
  }
  const bool up = round && d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    long k = keep - 1;
    for (; k >= 0; --k) {
      char& digit = d.digits[static_cast<std::size_t>(k)];
      if (digit == '9') {
        digit = '0';
      } else {
        ++digit;
        break;
      }
    }
    if (k < 0) {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exponent;
    }
  }
  d.Normalize();
}

}  // namespace

void Decimal::Normalize() {
  std::size_t lead = 0;
  while (lead < digits.size() && digits[lead] == '0') ++lead;
  digits.erase(0, lead);
  exponent -= static_cast<int>(lead);
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  if (digits.empty()) {
    negative = false;
    exponent = 0;
  }
}

void Decimal::RoundToScale(int scale) {
  CutDigits(*this, static_cast<long>(exponent) + scale, true);
}

void Decimal::TruncateToScale(int scale) {
  CutDigits(*this, static_cast<long>(exponent) + scale, false);
}

void Decimal::RoundToDigits(int count) {
  CutDigits(*this, count, true);
}

std::string EncodeNumber(Decimal d) {
  if (d.IsZero()) return std::string(1, static_cast<char>(kZeroByte));
  // Twenty base-100 digits: forty decimal ones when the first base-100 digit has two, else
  // thirty-nine.
  d.RoundToNumberDigits();
  return EncodeDigits(d.negative, d.digits, d.exponent);
}

std::string EncodeDigits(bool negative, std::string_view digits, int exponent) {
  std::string out;
  EncodeDigits(negative, digits, exponent, out);
  return out;
}

void EncodeDigits(bool negative, std::string_view digits, int exponent, std::string& out) {
  if (digits.empty()) {
    out.assign(1, static_cast<char>(kZeroByte));
    return;
  }
  // The base-100 digits pair the decimal ones from an even exponent: an odd one takes a zero in
  // front, and an odd count a zero behind.
  const bool lead_zero = exponent % 2 != 0;
  if (lead_zero) ++exponent;
  const int exponent100 = exponent / 2;
  if (exponent100 > kMaxExponent100) throw OraError(1426);
  if (exponent100 < kMinExponent100) {
    out.assign(1, static_cast<char>(kZeroByte));
    return;
  }
  const std::size_t count = digits.size() + (lead_zero ? 1 : 0);
  auto digit = [&](std::size_t k) {
    const std::size_t at = lead_zero ? k - 1 : k;
    return (lead_zero && k == 0) || at >= digits.size() ? 0 : digits[at] - '0';
  };
  out.clear();
  out += static_cast<char>(negative ? 63 - exponent100 : 192 + exponent100);
  for (std::size_t k = 0; k < count; k += 2) {
    const int pair = digit(k) * 10 + digit(k + 1);
    out += static_cast<char>(negative ? 101 - pair : pair + 1);
  }
  if (negative && out.size() < kMaxNumberBytes) out += static_cast<char>(kNegativeEnd);
}

Decimal DecodeNumber(std::string_view bytes) {
  Decimal d;
  if (bytes.size() < 2) return d;
  const auto first = static_cast<unsigned char>(bytes[0]);
  d.negative = first < kZeroByte;
  const int exponent100 = d.negative ? 63 - first : first - 192;
  d.digits.reserve(2 * (bytes.size() - 1));
  for (std::size_t i = 1; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (d.negative && b == kNegativeEnd) break;
    int pair = d.negative ? 101 - b : b - 1;
    pair = pair < 0 ? 0 : pair > 99 ? 99 : pair;
    d.digits += static_cast<char>('0' + pair / 10);
    d.digits += static_cast<char>('0' + pair % 10);
  }
  d.exponent = exponent100 * 2;
  d.Normalize();
  return d;
}

Value NumberValue(const Decimal& d) {
  return Value::Number(EncodeNumber(d));
}

Value NumberValue(std::int64_t v) {
  return NumberValue(DecimalFromInt(v));
}

Decimal ToDecimal(const Value& v) {
  return DecodeNumber(v.s);
}

Decimal DecimalFromInt(std::int64_t v) {
  Decimal d;
  const std::uint64_t magnitude =
      v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  d.negative = v < 0;
  d.digits = std::to_string(magnitude);
  d.exponent = static_cast<int>(d.digits.size());
  d.Normalize();
  return d;
}

Decimal DecimalFromDouble(double v) {
  if (!std::isfinite(v)) throw OraError(1426);
  char buf[40];
  *std::to_chars(buf, buf + sizeof buf - 1, v, std::chars_format::scientific, 14).ptr = 0;
  Decimal d;
  const char* p = buf;
  if (*p == '-') {
    d.negative = true;
    ++p;
  }
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') d.digits += *p;
  d.exponent = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;
  d.Normalize();
  return d;
}

double ToDouble(const Decimal& d) {
  if (d.IsZero()) return 0;
  const std::string text =
      (d.negative ? "-0." : "0.") + d.digits + "e" + std::to_string(d.exponent);
  double r = 0;
  std::from_chars(text.data(), text.data() + text.size(), r);
  return r;
}

std::optional<std::int64_t> ToInt64(const Decimal& d) {
  if (d.exponent <= 0 || d.IsZero()) return 0;
  if (d.exponent > 19) return std::nullopt;
  std::uint64_t v = 0;
  for (int k = 0; k < d.exponent; ++k) {
    const unsigned digit =
        k < static_cast<int>(d.digits.size()) ? static_cast<unsigned>(d.digits[k] - '0') : 0;
    if (v > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
    v = v * 10 + digit;
  }
  const std::uint64_t limit =
      static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (d.negative ? 1 : 0);
  if (v > limit) return std::nullopt;
  return d.negative ? static_cast<std::int64_t>(0 - v) : static_cast<std::int64_t>(v);
}

}  // namespace qm::ocilite
