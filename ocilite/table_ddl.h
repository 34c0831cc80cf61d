// CREATE TABLE, DROP TABLE and TRUNCATE TABLE: the catalogue rows and the SQLite table behind
// each table ("o<object id>", columns "c<n>", one unique index per PRIMARY KEY or UNIQUE
// constraint). The caller runs them inside its DDL transaction.
//
// Errors: ORA-00955 (name in use), ORA-00957 (duplicate column), ORA-01754 (second LONG),
// ORA-02260 (second primary key), ORA-00904 (constraint on an unknown column), ORA-00984
// (column in a DEFAULT), ORA-01918 (unknown owner), ORA-00959 (unknown tablespace), ORA-00942 and
// ORA-01031 for dropping what is not there or not a table.
#pragma once

#include <string>
#include <string_view>

#include "ocilite/catalog.h"
#include "ocilite/eval_context.h"
#include "ocilite/sql_ast.h"
#include "ocilite/sqlite_db.h"

namespace qm::ocilite {

struct DdlContext {
  SqliteDb& db;
  Catalog& catalog;
  EvalContext& ctx;
  std::string default_tablespace;  // of the current user
  std::string_view sql_text;
};

void CreateTable(DdlContext& d, const CreateTableStmt& s);
void DropTable(DdlContext& d, const DropTableStmt& s);
void TruncateTable(DdlContext& d, const TruncateTableStmt& s);

}  // namespace qm::ocilite
