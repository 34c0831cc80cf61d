#pragma once
// One column of a dBASE table as its descriptor states it, with what the reader derived from it:
// where it sits in the record, its null and length bits (Visual FoxPro) and its field kind.

#include <cstdint>
#include <string>

#include "platform/field_type.h"

namespace qm {

// The family member a table belongs to, by its version byte. It decides how some column types
// are stored (an I column is little-endian in Visual FoxPro, sign-flipped big-endian in dBASE 7;
// B is a double in Visual FoxPro and a binary memo elsewhere).
enum class DbfDialect { kDbase, kDbase7, kFoxPro, kVisualFoxPro };

struct DbfColumn {
  std::string name;  // as stored (the table's code page), cut at the first NUL, blanks trimmed
  char type = 0;     // the type letter, upper case
  std::uint32_t offset = 0;  // of the value within the record; the mark byte is at 0
  std::uint32_t length = 0;
  std::uint8_t decimals = 0;
  std::uint8_t flags = 0;  // Visual FoxPro field flags
  int nullBit = -1;        // bit of the null flags that says the value is null, or -1
  int varLengthBit = -1;   // V/Q: bit that says the slot's last byte holds the length, or -1
  TFieldType kind = ftUnknown;
};

// Whether the column's slot points into the memo file.
inline bool IsMemoColumn(const DbfColumn& c) {
  return c.kind == ftMemo || c.kind == ftBlob || c.kind == ftDBaseOle || c.kind == ftGraphic;
}

}  // namespace qm
