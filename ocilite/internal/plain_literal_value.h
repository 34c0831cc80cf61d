// The short ways of the shape caches from a plain literal to the value a full compile gives it:
// a number text or number literal to a NUMBER, a text in the session's plain date format to a
// DATE. Each answers false, leaving `out` as it was, for anything it does not take and for every
// literal that would raise an error, so that the translator deals with those.
#pragma once

#include "ocilite/internal/date_format.h"
#include "ocilite/internal/eval_context.h"
#include "ocilite/internal/shape_scan.h"
#include "ocilite/internal/value.h"

namespace qm::ocilite {

// As a NUMBER of `precision` and `scale`, rounded and checked as a column stores it; with
// precision 0 and kFloatScale, exactly as written (as a comparison takes it). A number literal
// is read with its point, a text with the session's decimal character.
bool PlainNumberValue(const ScannedLiteral& literal, EvalContext& ctx, int precision, int scale,
                      Value& out);

// A text in the session's date format when that format is plain (DateFormat::ParsePlain).
// `format` keeps the session's format from one literal of a statement to the next.
bool PlainDateValue(const ScannedLiteral& literal, EvalContext& ctx, const DateFormat*& format,
                    Value& out);

}  // namespace qm::ocilite
