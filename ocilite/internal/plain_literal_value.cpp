#include "ocilite/internal/plain_literal_value.h"

#include <optional>
#include <string>
#include <utility>

#include "ocilite/internal/number_text.h"
#include "ocilite/internal/oracle_date.h"

namespace qm::ocilite {

bool PlainNumberValue(const ScannedLiteral& literal, EvalContext& ctx, int precision, int scale,
                      Value& out) {
  const char decimal = literal.kind == ExprKind::kNumber ? '.' : ctx.nls.decimal;
  if (!FitPlainNumberText(literal.text, decimal, precision, scale, out.s)) return false;
  out.kind = Value::Kind::kNumber;
  return true;
}

bool PlainDateValue(const ScannedLiteral& literal, EvalContext& ctx, const DateFormat*& format,
                    Value& out) {
  if (literal.kind != ExprKind::kString) return false;
  if (!format) format = &ctx.SessionDateFormat();
  const std::optional<OraDate> date = format->ParsePlain(literal.text, ctx.statement_time);
  if (!date) return false;
  date->ToStorage(out.s);
  out.kind = Value::Kind::kText;
  return true;
}

}  // namespace qm::ocilite
