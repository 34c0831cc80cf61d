#include "source/internal/number_text.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace qm {
namespace {

// FormatFloatGeneral writes at most this many significant digits and integer digits.
constexpr std::size_t kSignificantDigits = 15;
// Below 0.00001 (five zeros after the point) it switches to the scientific form.
constexpr std::size_t kMaxLeadingFractionZeros = 4;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::uint64_t Load8(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Of a word loaded from memory, the position (in memory order) of its first byte that is not zero.
int FirstMarkedByte(std::uint64_t word) {
  if constexpr (std::endian::native == std::endian::little) {
    return std::countr_zero(word) / 8;
  } else {
    return std::countl_zero(word) / 8;
  }
}

// Past the blanks and NULs at p, the blanks a word at a time (the padding of a number slot).
const char* SkipBlanks(const char* p, const char* end) {
  while (end - p >= 8) {
    if (const std::uint64_t other = Load8(p) ^ 0x2020202020202020ull) {
      p += FirstMarkedByte(other);
      break;
    }
    p += 8;
  }
  while (p != end && (*p == ' ' || *p == '\0')) ++p;
  return p;
}

// Past the digits at p, eight at a time: only a digit's byte XOR '0' is below 10, and adding 0x76
// to the low seven bits sets the high bit of each byte that is not.
const char* SkipDigits(const char* p, const char* end) {
  while (end - p >= 8) {
    const std::uint64_t word = Load8(p) ^ 0x3030303030303030ull;
    const std::uint64_t other =
        (((word & 0x7F7F7F7F7F7F7F7Full) + 0x7676767676767676ull) | word) & 0x8080808080808080ull;
    if (other) return p + FirstMarkedByte(other);
    p += 8;
  }
  while (p != end && IsDigit(*p)) ++p;
  return p;
}

struct DecimalParts {
  bool negative = false;
  std::string_view integer;   // without leading zeros
  std::string_view fraction;  // without trailing zeros
};

bool Split(std::string_view text, DecimalParts& parts) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) parts.negative = text[i++] == '-';
  const std::size_t intStart = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  std::size_t intEnd = i;
  std::size_t fracStart = i;
  std::size_t fracEnd = i;
  if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
    fracStart = ++i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    fracEnd = i;
  }
  if (i != text.size() || (intEnd == intStart && fracEnd == fracStart)) return false;
  std::size_t first = intStart;
  while (first < intEnd && text[first] == '0') ++first;
  while (fracEnd > fracStart && text[fracEnd - 1] == '0') --fracEnd;
  parts.integer = text.substr(first, intEnd - first);
  parts.fraction = text.substr(fracStart, fracEnd - fracStart);
  return true;
}

}  // namespace

bool AppendGeneralDecimal(std::string_view text, char decimalSeparator, std::string& out) {
  DecimalParts p;
  if (!Split(text, p)) return false;
  if (p.integer.empty() && p.fraction.empty()) {
    out += '0';
    return true;
  }
  std::size_t significant = p.integer.size() + p.fraction.size();
  if (p.integer.empty()) {
    const std::size_t zeros = p.fraction.find_first_not_of('0');
    if (zeros > kMaxLeadingFractionZeros) return false;
    significant = p.fraction.size() - zeros;
  }
  if (p.integer.size() > kSignificantDigits || significant > kSignificantDigits) return false;
  if (p.negative) out += '-';
  if (p.integer.empty()) {
    out += '0';
  } else {
    out += p.integer;
  }
  if (!p.fraction.empty()) {
    out += decimalSeparator;
    out += p.fraction;
  }
  return true;
}

bool AppendExactDecimal(std::string_view text, char decimalSeparator, std::string& out) {
  DecimalParts p;
  if (!Split(text, p)) return false;
  if (p.negative && !(p.integer.empty() && p.fraction.empty())) out += '-';
  if (p.integer.empty()) {
    out += '0';
  } else {
    out += p.integer;
  }
  if (!p.fraction.empty()) {
    out += decimalSeparator;
    out += p.fraction;
  }
  return true;
}

bool AppendIntegerText(std::string_view text, std::string& out) {
  DecimalParts p;
  if (!Split(text, p) || !p.fraction.empty()) return false;
  if (p.integer.empty()) {
    out += '0';
    return true;
  }
  if (p.negative) out += '-';
  out += p.integer;
  return true;
}

bool AppendPlainSlotNumber(std::string_view slot, bool integer, char decimalSeparator,
                           std::string& out) {
  const char* p = slot.data();
  const char* const end = p + slot.size();
  p = SkipBlanks(p, end);
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  const char* const digitsStart = p;
  while (p != end && *p == '0') ++p;  // leading zeros
  const char* const intStart = p;
  p = SkipDigits(p, end);
  const char* const intEnd = p;
  bool digits = intEnd != digitsStart;
  const char* fracStart = p;
  const char* fracEnd = p;
  if (p != end && (*p == '.' || *p == ',')) {
    fracStart = ++p;
    p = SkipDigits(p, end);
    fracEnd = p;
    digits = digits || fracEnd != fracStart;
  }
  p = SkipBlanks(p, end);
  if (p != end || !digits) return false;
  while (fracEnd != fracStart && fracEnd[-1] == '0') --fracEnd;  // trailing zeros

  const auto intDigits = static_cast<std::size_t>(intEnd - intStart);
  auto fracDigits = static_cast<std::size_t>(fracEnd - fracStart);
  if (integer && fracDigits) return false;
  if (intDigits == 0 && fracDigits == 0) {
    out += '0';
    return true;
  }
  if (!integer) {
    std::size_t significant = intDigits + fracDigits;
    if (intDigits == 0) {
      std::size_t zeros = 0;
      while (fracStart[zeros] == '0') ++zeros;
      if (zeros > kMaxLeadingFractionZeros) return false;
      significant = fracDigits - zeros;
    }
    if (intDigits > kSignificantDigits || significant > kSignificantDigits) return false;
  }
  // Mostly the text is a piece of the slot as it stands, its sign right before the digits, with
  // the separator put in place of its point.
  if (intDigits != 0 && (!negative || intStart == digitsStart)) {
    const char* const from = negative ? intStart - 1 : intStart;
    const char* const to = fracDigits ? fracEnd : intEnd;
    out.append(from, static_cast<std::size_t>(to - from));
    if (fracDigits) out[out.size() - static_cast<std::size_t>(to - intEnd)] = decimalSeparator;
    return true;
  }
  char text[64];
  if (intDigits + fracDigits + 3 > sizeof text) return false;
  char* w = text;
  if (negative) *w++ = '-';
  if (intDigits == 0) {
    *w++ = '0';
  } else {
    std::memcpy(w, intStart, intDigits);
    w += intDigits;
  }
  if (fracDigits) {
    *w++ = decimalSeparator;
    std::memcpy(w, fracStart, fracDigits);
    w += fracDigits;
  }
  out.append(text, static_cast<std::size_t>(w - text));
  return true;
}

}  // namespace qm
