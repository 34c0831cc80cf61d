#include "platform/field_type.h"

#include <array>

namespace qm {

std::string_view FieldTypeName(TFieldType type) {
  static constexpr std::array<std::string_view, 32> kNames = {
      "ftUnknown",    "ftString",     "ftSmallint", "ftInteger",     "ftWord",      "ftBoolean",
      "ftFloat",      "ftCurrency",   "ftBCD",      "ftDate",        "ftTime",      "ftDateTime",
      "ftBytes",      "ftVarBytes",   "ftAutoInc",  "ftBlob",        "ftMemo",      "ftGraphic",
      "ftFmtMemo",    "ftParadoxOle", "ftDBaseOle", "ftTypedBinary", "ftCursor",    "ftFixedChar",
      "ftWideString", "ftLargeint",   "ftADT",      "ftArray",       "ftReference", "ftDataSet",
      "ftOraBlob",    "ftOraClob",
  };
  const int i = static_cast<int>(type);
  return i >= 0 && i < static_cast<int>(kNames.size()) ? kNames[i] : kNames[0];
}

}  // namespace qm
