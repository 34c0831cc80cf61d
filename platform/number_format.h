#pragma once
// The general number format values are shown in: at most 15 significant digits, no trailing
// zeros, no digit grouping, the given decimal separator; scientific form ("1E20", "1,5E-6") when
// the integer part has more than 15 digits or the magnitude is below 0.00001.

#include <string>

namespace qm {

std::string FormatFloatGeneral(double value, char decimalSeparator);

// The whole text as a decimal integer; throws std::runtime_error
// "'<text>' is not a valid integer value" otherwise.
int StrToInt(const std::string& text);
// The whole text as a number written with `decimalSeparator`; throws std::runtime_error
// "'<text>' is not a valid floating point value" otherwise.
double StrToFloat(const std::string& text, char decimalSeparator = '.');

}  // namespace qm
