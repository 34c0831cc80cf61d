// Conversions between NUMBER values and text with Oracle's rules: the implicit conversion of text
// (session decimal character, optional sign and exponent, surrounding blanks), the default text
// form of a number (".5", "-12.25", no trailing zeros; past 40 digits the scientific form of 40
// characters, "1.0000000000000000000000000000000000E+41"), rounding to a scale and the precision
// checks of NUMBER(p,s) and FLOAT(b).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ocilite/internal/oracle_number.h"
#include "ocilite/internal/value.h"

namespace qm::ocilite {

// Text to number by the implicit conversion rules; nullopt when the text is not a number. The
// digits are kept as written: storing the number (EncodeNumber) rounds them.
std::optional<Decimal> ParseDecimal(std::string_view text, char decimal_char);
// Text to a NUMBER value; throws ORA-01722 for text that is not a number, ORA-01426 for one of
// 1E126 or more.
Value TextToNumber(std::string_view text, char decimal_char);

// The form FitNumber(TextToNumber(text, decimal_char), precision, scale) gives, for the plain
// texts an import sends: blanks, a sign, up to 38 significant digits with at most one
// `decimal_char`, blanks. False, with `form` untouched, for any other text (an exponent, more
// digits) and whenever those two would throw, so that the error comes from them.
bool FitPlainNumberText(std::string_view text, char decimal_char, int precision, int scale,
                        std::string& form);

// The default text form of a number, with `decimal_char` as the decimal point.
std::string NumberToText(const Decimal& number, char decimal_char);
std::string NumberToText(const Value& number, char decimal_char);

// Rounds to NUMBER(precision, scale) and checks the precision: throws ORA-01438 when the value
// has more digits before the point than the column allows. precision 0 means not given.
Value FitNumber(const Value& number, int precision, int scale);
// Rounds to the decimal digits of FLOAT(binary_precision): binary digits times 0.30103, rounded
// up.
Value FitFloat(const Value& number, int binary_precision);

}  // namespace qm::ocilite
