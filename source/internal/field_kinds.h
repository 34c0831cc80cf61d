#pragma once
// Which field kind a dBASE column becomes, and the sizes the kind reports. Columns of kind
// ftUnknown are left out of the source table's field list.
//
//   C (width > 0), V            ftString        N/F, no decimals, width <= 9   ftInteger
//   N/F, no decimals, 10..18    ftLargeint      other N/F, O, B (Visual FoxPro) ftFloat
//   I                           ftInteger       + (dBASE 7)                     ftAutoInc
//   Y                           ftCurrency      D                               ftDate
//   @, T                        ftDateTime      L                               ftBoolean
//   M                           ftMemo          B (dBASE), W                    ftBlob
//   G                           ftDBaseOle      P                               ftGraphic
//   Q                           ftVarBytes      anything else, width 0          ftUnknown

#include <cstdint>

#include "platform/field_type.h"
#include "source/internal/dbf_column.h"

namespace qm {

TFieldType FieldKindOf(char type, std::uint32_t length, std::uint8_t decimals, DbfDialect dialect);

// Width in characters for ftString, length in bytes for ftBytes and ftVarBytes, else 0.
int FieldSizeOf(TFieldType kind, std::uint32_t length);

// Bytes one value takes in a record buffer: w + 1 for ftString, n + 2 for ftVarBytes, the fixed
// sizes of the numeric, date and logical kinds, 0 for blobs.
int FieldDataSizeOf(TFieldType kind, std::uint32_t length);

}  // namespace qm
