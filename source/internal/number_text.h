#pragma once
// Number texts as dBASE stores them (ASCII decimals) turned into the texts values are shown in,
// without a round trip through binary where the digits already say everything.

#include <string>
#include <string_view>

namespace qm {

// Appends the general number format (see platform/number_format.h) of a plain decimal text:
// an optional sign, digits, optionally '.' or ',' and more digits. Returns false, appending
// nothing, when the text is not of that form or needs rounding or the scientific form (more than
// 15 significant digits or integer digits, magnitude below 0.00001); the caller then formats the
// parsed value. What it appends equals FormatFloatGeneral of the text's value.
bool AppendGeneralDecimal(std::string_view text, char decimalSeparator, std::string& out);

// Appends a plain decimal text digit for digit: an optional "-", the integer digits without
// leading zeros ("0" when there are none), and the fraction without trailing zeros after
// `decimalSeparator`; never rounded, never in the scientific form. Returns false, appending
// nothing, for a text not of the form AppendGeneralDecimal takes.
bool AppendExactDecimal(std::string_view text, char decimalSeparator, std::string& out);

// Appends the decimal form of an integer text: an optional sign, digits, and optionally a decimal
// point followed by zeros only. No leading zeros, "-" only before a value other than 0. Returns
// false, appending nothing, for any other text.
bool AppendIntegerText(std::string_view text, std::string& out);

// The common case of a number slot read in one pass: blanks or NULs, an optional sign, digits,
// optionally '.' or ',' and more digits, blanks or NULs, with at least one digit. For an integer
// column appends what AppendIntegerText appends for the trimmed text, else what
// AppendGeneralDecimal appends. Returns false, appending nothing, for any other slot and for
// those two's own refusals (a fraction in an integer column, too many digits, a magnitude the
// general format writes in the scientific form); the caller then takes the long way.
bool AppendPlainSlotNumber(std::string_view slot, bool integer, char decimalSeparator,
                           std::string& out);

}  // namespace qm
