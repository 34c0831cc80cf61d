#pragma once
// The text of a column's value in one record, as the source table hands it on:
//   character kinds   the characters up to the first NUL, trailing blanks removed, in code
//                     page 1251 (binary Visual FoxPro columns unconverted)
//   integer kinds     decimal digits, "-" before negative values; a stored text with a fraction
//                     the column does not declare ("12.5" in N(5,0)) as a float's text
//   float, currency   the general number format with the regional decimal separator
//   date, date-time   the regional short date, a blank and the long time (left out at 00:00:00)
//   logical           "True" or "False"
//   memo              the whole content in code page 1251; other blobs and bytes unchanged
// Blank numbers, dates and logicals, empty memos and Visual FoxPro nulls give the empty text.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/regional_formats.h"
#include "source/date_time_text.h"

namespace qm {

class DbfReader;
struct DbfColumn;

class ValueFormatter {
 public:
  // Takes the regional formats as they are now; later changes do not reach this formatter.
  explicit ValueFormatter(const RegionalFormats& formats);

  // Replaces out with the text of column's value in record, the bytes of the reader's live
  // record n, and returns how many of its characters became '?' for want of an equivalent in
  // code page 1251. Throws DbfError naming the table, the record and the column when the stored
  // value is damaged (a number or date that is none, a memo that cannot be read).
  std::size_t Format(DbfReader& reader, const DbfColumn& column, const char* record,
                     std::uint32_t n, std::string& out) const;

 private:
  void FormatStored(DbfReader& reader, const DbfColumn& column, const char* record,
                    std::string& out, std::size_t& lost) const;

  char decimalSeparator_;
  DateTimeText dateTime_;
  mutable std::string scratch_;  // a memo before its conversion, kept to reuse its storage
};

}  // namespace qm
