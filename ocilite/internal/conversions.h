// The implicit and explicit conversions between Oracle types, by the session's NLS settings, and
// the checks a value passes on its way into a column. Used alike by the translator (for
// literals), by the SQL functions inside SQLite and by the client buffers. All throw OraError.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ocilite/internal/eval_context.h"
#include "ocilite/internal/sql_type.h"
#include "ocilite/internal/value.h"

namespace qm::ocilite {

// Text (or a number) to NUMBER; empty text is NULL. ORA-01722 for text that is not a number.
Value ToNumber(const Value& v, EvalContext& ctx);
// Text to DATE (stored form) by `model` or the session's date format; dates pass unchanged.
Value ToDate(const Value& v, EvalContext& ctx, const std::string* model = nullptr);
// Any value to text: numbers in their default form with the session's decimal character, dates
// (given as `type` kDate) by `model` or the session's date format.
Value ToText(const Value& v, DataType type, EvalContext& ctx, const std::string* model = nullptr);

// Text to RAW as Oracle reads it: hexadecimal digits, two to a byte, an odd count read as if a
// 0 led ("ABC" is 0A BC); empty text is NULL and RAW values pass unchanged. ORA-01465 for text
// that is not hexadecimal.
Value HexToRaw(const Value& v);

// TO_CHAR(number, model) and TO_NUMBER(text, model) with the model elements 9 0 . , D G $ S MI
// FM; ORA-01481 for a model the engine cannot read, ORA-01722 for text that does not fit.
std::string FormatNumberModel(const Value& number, std::string_view model, EvalContext& ctx);
Value ParseNumberModel(std::string_view text, std::string_view model, EvalContext& ctx);

// What a column demands of the values stored into it.
struct ColumnCheck {
  SqlType type;
  bool not_null = false;
  bool update = false;  // the NOT NULL error of UPDATE (ORA-01407) instead of ORA-01400
  // The column as the errors name it, "OWNER"."TABLE"."COLUMN"; made only when one is raised.
  std::function<std::string()> qualified_name;
};

// The value as stored: NUMBER rounded to its scale (ORA-01438 past its precision), CHAR padded,
// lengths checked (ORA-12899), NULL refused for NOT NULL columns (ORA-01400 / ORA-01407). The
// value already has the column's type family.
Value CheckColumnValue(Value v, const ColumnCheck& check);

}  // namespace qm::ocilite
