// Moving values between the engine and a client's buffers by Oracle external type (SQLT_*):
// fetched values into define buffers, bound values out of bind buffers. Text crosses in the
// client's character set; numbers and dates in text form follow the session's NLS settings.
#pragma once

#include <string>

#include "oci/oci.h"
#include "ocilite/internal/code_page.h"
#include "ocilite/internal/eval_context.h"
#include "ocilite/internal/sql_type.h"
#include "ocilite/internal/value.h"

namespace qm::ocilite {

// Whether the engine can define or bind external type `dty`.
bool IsSupportedExternalType(ub2 dty);

// The value in the client's text form (numbers and dates as the session writes them, RAW as
// hexadecimal digits) and character set.
std::string ClientText(const Value& v, const SqlType& type, EvalContext& ctx, const CodePage& cp);

enum class StoreResult { kValue, kNull, kTruncated };

// Writes a non-NULL value of type `type` into a buffer of `size` bytes as external type `dty`;
// `*length` receives the bytes written (before truncation, the full length is `*full_length`).
// Throws ORA-01722, 00932, 01455 when the value cannot take that form.
StoreResult StoreValue(const Value& v, const SqlType& type, ub2 dty, void* buffer, sb4 size,
                       ub4* length, ub4* full_length, EvalContext& ctx, const CodePage& cp);

// Reads a bound value. `length` is the actual length the client gave (or the buffer size).
// The empty text is NULL.
Value LoadValue(const void* buffer, ub4 length, ub2 dty, const CodePage& cp);

// The engine type a client buffer of external type `dty` presents to SQL.
SqlType BindType(ub2 dty, sb4 size);

}  // namespace qm::ocilite
