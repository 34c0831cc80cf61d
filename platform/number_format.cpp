#include "platform/number_format.h"

#include <cmath>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace qm {

std::string FormatFloatGeneral(double value, char decimalSeparator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";

  // 15 significant digits in scientific form: d.dddddddddddddde[+-]x
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", value);
  std::string text(buf);
  const bool negative = text[0] == '-';
  if (negative) text.erase(0, 1);
  const std::size_t e = text.find('e');
  const int exponent = std::atoi(text.c_str() + e + 1);
  std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= 15 || exponent < -5) {
    out += digits[0];
    if (digits.size() > 1) {
      out += decimalSeparator;
      out += digits.substr(1);
    }
    out += 'E';
    out += std::to_string(exponent);
    return out;
  }
  if (exponent < 0) {
    out += '0';
    out += decimalSeparator;
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out += digits;
    return out;
  }
  const auto intDigits = static_cast<std::size_t>(exponent) + 1;
  if (digits.size() <= intDigits) {
    out += digits;
    out.append(intDigits - digits.size(), '0');
  } else {
    out += digits.substr(0, intDigits);
    out += decimalSeparator;
    out += digits.substr(intDigits);
  }
  return out;
}

int StrToInt(const std::string& text) {
  std::size_t used = 0;
  int number = 0;
  try {
    number = std::stoi(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size())
    throw std::runtime_error("'" + text + "' is not a valid integer value");
  return number;
}

double StrToFloat(const std::string& text, char decimalSeparator) {
  std::string plain = text;
  std::replace(plain.begin(), plain.end(), decimalSeparator, '.');
  std::size_t used = 0;
  double number = 0;
  try {
    number = std::stod(plain, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != plain.size())
    throw std::runtime_error("'" + text + "' is not a valid floating point value");
  return number;
}

}  // namespace qm
