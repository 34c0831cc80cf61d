#include "source/internal/number_text.h"

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
  while (p != end && (*p == ' ' || *p == '\0')) ++p;
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  const char* const digitsStart = p;
  while (p != end && *p == '0') ++p;  // leading zeros
  const char* const intStart = p;
  while (p != end && IsDigit(*p)) ++p;
  const char* const intEnd = p;
  bool digits = intEnd != digitsStart;
  const char* fracStart = p;
  const char* fracEnd = p;
  if (p != end && (*p == '.' || *p == ',')) {
    fracStart = ++p;
    while (p != end && IsDigit(*p)) ++p;
    fracEnd = p;
    digits = digits || fracEnd != fracStart;
  }
  while (p != end && (*p == ' ' || *p == '\0')) ++p;
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
