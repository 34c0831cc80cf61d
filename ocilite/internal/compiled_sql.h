// A statement compiled for one session: its parse tree and, for queries and DML, its
// translation to SQLite. It goes stale when the catalogue or the session's NLS settings change.
#pragma once

#include <cstdint>
#include <string>

#include "ocilite/internal/sql_ast.h"
#include "ocilite/internal/sql_translator.h"

namespace qm::ocilite {

struct CompiledSql {
  enum class Kind { kQuery, kDml, kOther };
  Kind kind = Kind::kOther;
  int function_code = 0;  // classic SQL function code (3 INSERT, 4 SELECT, ...)
  std::string text;       // the statement as compiled; empty from an insert's shape (DDL reads it)
  Statement ast;  // an empty InsertStmt when compiled from an insert's shape: DML runs without it
  TranslatedStatement translated;
  std::uint64_t generation = 0;
  // The shape (shape_scan.h) the translation was copied from, 0 when compiled in full: a statement
  // made again from the same shape needs only its literals' parameters written.
  std::uint64_t shape = 0;
};

}  // namespace qm::ocilite
