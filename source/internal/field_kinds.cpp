#include "source/internal/field_kinds.h"

#include "source/internal/dbf_format.h"

namespace qm {

TFieldType FieldKindOf(char type, std::uint32_t length, std::uint8_t decimals, DbfDialect dialect) {
  if (length == 0) return ftUnknown;
  switch (type) {
    case 'C':
    case 'V':
      return ftString;
    case 'N':
    case 'F':
      if (decimals != 0) return ftFloat;
      if (length <= dbf::kIntegerMaxWidth) return ftInteger;
      if (length <= dbf::kLargeintMaxWidth) return ftLargeint;
      return ftFloat;
    case 'I':
      return length == dbf::kInt32Width ? ftInteger : ftUnknown;
    case '+':
      return length == dbf::kInt32Width ? ftAutoInc : ftUnknown;
    case 'O':
      return length == dbf::kDoubleWidth ? ftFloat : ftUnknown;
    case 'B':
      if (dialect == DbfDialect::kVisualFoxPro)
        return length == dbf::kDoubleWidth ? ftFloat : ftUnknown;
      return ftBlob;
    case 'Y':
      return length == dbf::kInt64Width ? ftCurrency : ftUnknown;
    case 'D':
      return length == dbf::kDateWidth ? ftDate : ftUnknown;
    case '@':
    case 'T':
      return length == dbf::kInt64Width ? ftDateTime : ftUnknown;
    case 'L':
      return ftBoolean;
    case 'M':
      return ftMemo;
    case 'W':
      return ftBlob;
    case 'G':
      return ftDBaseOle;
    case 'P':
      return ftGraphic;
    case 'Q':
      return ftVarBytes;
    default:
      return ftUnknown;
  }
}

int FieldSizeOf(TFieldType kind, std::uint32_t length) {
  return kind == ftString || kind == ftBytes || kind == ftVarBytes ? static_cast<int>(length) : 0;
}

int FieldDataSizeOf(TFieldType kind, std::uint32_t length) {
  switch (kind) {
    case ftString:
      return static_cast<int>(length) + 1;
    case ftSmallint:
    case ftWord:
    case ftBoolean:
      return 2;
    case ftInteger:
    case ftAutoInc:
    case ftDate:
    case ftTime:
      return 4;
    case ftLargeint:
    case ftFloat:
    case ftCurrency:
    case ftDateTime:
      return 8;
    case ftBCD:
      return 34;
    case ftBytes:
      return static_cast<int>(length);
    case ftVarBytes:
      return static_cast<int>(length) + 2;
    default:
      return 0;
  }
}

}  // namespace qm
