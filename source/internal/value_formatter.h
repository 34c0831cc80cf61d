#pragma once
// The text of a column's value in one record, as the source table hands it on:
//   character kinds   the characters up to the first NUL, trailing blanks removed, in code
//                     page 1251 (binary Visual FoxPro columns unconverted)
//   integer kinds     decimal digits, "-" before negative values; a stored text with a fraction
//                     the column does not declare ("12.5" in N(5,0)) as a float's text
//   float, currency   the general number format with the regional decimal separator; with
//                     exact numbers, a stored text or currency value that the general format
//                     would round is written digit for digit instead
//   date, date-time   the regional short date, a blank and the long time (left out at 00:00:00)
//   logical           "True" or "False"
//   memo              the whole content in code page 1251; other blobs and bytes unchanged
// Blank numbers, dates and logicals, empty memos and Visual FoxPro nulls give the empty text.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/regional_formats.h"
#include "source/internal/date_time_text.h"

namespace qm {

class DbfReader;
struct DbfColumn;

// The forms a target database's client session reads whatever the regional settings: a decimal
// point, dates DD.MM.YYYY and times HH:MM:SS (the client session sets its numeric characters and
// date format to match, oracle/internal/client_language.h).
RegionalFormats TransferFormats();

class ValueFormatter {
 public:
  // Takes the formats as they are now; later changes do not reach this formatter. With
  // `exactNumbers`, no number is rounded to the general format's 15 significant digits on its way
  // (values that are binary doubles in the file excepted).
  explicit ValueFormatter(const RegionalFormats& formats, bool exactNumbers = false);

  // Replaces out with the text of column's value in record, the bytes of the reader's live
  // record n, and returns how many of its characters became '?' for want of an equivalent in
  // code page 1251. Throws DbfError naming the table, the record and the column when the stored
  // value is damaged (a number or date that is none, a memo that cannot be read).
  std::size_t Format(DbfReader& reader, const DbfColumn& column, const char* record,
                     std::uint32_t n, std::string& out) const;

 private:
  // Appends the text of a number stored as text (a comma taken as the decimal point); false,
  // appending nothing, when the text is no number.
  bool AppendStoredNumber(std::string_view text, std::string& out) const;

  char decimalSeparator_;
  bool exactNumbers_;
  DateTimeText dateTime_;
  mutable std::string scratch_;  // a memo before its conversion, kept to reuse its storage
};

}  // namespace qm
