// The engine's own SQL functions inside SQLite ("ocl_num", "ocl_concat", "ocl_col", ...), which
// carry Oracle's semantics into translated statements. A function that fails leaves its OraError
// in the EvalContext and fails the SQLite statement; the session raises that error.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string_view>

#include "ocilite/internal/eval_context.h"

namespace qm::ocilite {

// Registers every function on `db`; `ctx` must outlive the connection.
void RegisterSqlFunctions(sqlite3* db, EvalContext* ctx);

// How many rows "ROWNUM <op> n" lets through, as Oracle numbers the rows the WHERE accepts:
// "< 3.5" and "<= 3" three, "= 1" one, "!= 3" two; "= 2" and "> 1" none, as the first row would
// be 1, fail, and so would every other; "> 0" every row (nullopt). `op` is one of < <= = > >= !=.
std::optional<long long> RownumRows(std::string_view op, double n);

}  // namespace qm::ocilite
