#include "oracle/data_set_field.h"

#include "oracle/oracle_dataset.h"
#include "oracle/oracle_date_time.h"
#include "platform/number_format.h"
#include "platform/regional_formats.h"

namespace qm {

bool TDataSetField::IsNull() const {
  return std::holds_alternative<std::monostate>(dataSet_.FieldValue(index_));
}

std::string TDataSetField::AsString() const {
  const TOracleDataSet::Value value = dataSet_.FieldValue(index_);
  if (const auto* number = std::get_if<int>(&value)) return std::to_string(*number);
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* real = std::get_if<double>(&value))
    return kind_ == ftDateTime
               ? FormatDateTimeValue(*real)
               : FormatFloatGeneral(*real, CurrentRegionalFormats().decimalSeparator);
  return "";
}

}  // namespace qm
