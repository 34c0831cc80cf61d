// The engine's own SQL functions inside SQLite ("ocl_num", "ocl_concat", "ocl_col", ...), which
// carry Oracle's semantics into translated statements. A function that fails leaves its OraError
// in the EvalContext and fails the SQLite statement; the session raises that error.
#pragma once

#include <sqlite3.h>

#include "ocilite/eval_context.h"

namespace qm::ocilite {

// Registers every function on `db`; `ctx` must outlive the connection.
void RegisterSqlFunctions(sqlite3* db, EvalContext* ctx);

}  // namespace qm::ocilite
