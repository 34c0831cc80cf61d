// CREATE TABLE, DROP TABLE and TRUNCATE TABLE: the catalogue rows and the SQLite table behind
// each table ("o<object id>", columns "c<n>"), with its constraints (constraints.h). The caller
// runs them inside its DDL transaction.
//
// Errors: ORA-00955 (name in use), ORA-00957 (duplicate column), ORA-01754 (second LONG),
// ORA-00904 (constraint on an unknown column), ORA-00984 (column in a DEFAULT), ORA-01918
// (unknown owner), ORA-00959 (unknown tablespace), ORA-02195 (a temporary tablespace), those of
// AddConstraints, ORA-00942 and ORA-01031 for dropping what is not there or not a table, and
// ORA-02449 / ORA-02266 for dropping or truncating a table other tables' foreign keys reference.
#pragma once

#include <string>
#include <string_view>

#include "ocilite/internal/catalog.h"
#include "ocilite/internal/eval_context.h"
#include "ocilite/internal/sql_ast.h"
#include "ocilite/internal/sqlite_db.h"

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

// The catalogue table of indexes made by CREATE INDEX; databases made before it get it when a
// session opens.
inline constexpr const char* kIndexesTable =
    "CREATE TABLE IF NOT EXISTS ocl_indexes (index_id INTEGER PRIMARY KEY, owner TEXT NOT NULL, "
    "index_name TEXT NOT NULL, table_id INTEGER NOT NULL, uniqueness TEXT NOT NULL, "
    "column_list TEXT NOT NULL, UNIQUE (owner, index_name))";

// CREATE INDEX: ORA-00942 / ORA-00904 for an unknown table or column, ORA-00955 for an index
// name in use, ORA-01031 on another's table without CREATE ANY INDEX, ORA-01452 for a UNIQUE
// index over duplicate keys. DROP INDEX: ORA-01418 when there is no such index.
void CreateIndex(DdlContext& d, const CreateIndexStmt& s);
// ALTER TABLE ADD / DROP of columns and constraints, MODIFY. Errors: ORA-01430 (column exists),
// ORA-01758 (NOT NULL or key column added to a table with rows), ORA-00904 (no such column),
// ORA-12983 (dropping every column), ORA-01442 / ORA-01451 (NOT NULL / NULL already so, or of
// the primary key), those of AddConstraints and DropConstraint, ORA-03001 for a DEFAULT added to
// a table with rows and for dropping a column of a constraint (but its own NOT NULL) or index.
void AlterTable(DdlContext& d, const AlterTableStmt& s);
// RENAME of one's own table: ORA-00942 when there is none, ORA-00955 when the new name is taken.
void RenameTable(DdlContext& d, const RenameStmt& s);
// COMMENT ON TABLE / COLUMN: checks the table (ORA-00942) and column (ORA-00904); the text is
// not kept, as nothing here reads it back.
void CheckComment(DdlContext& d, const CommentStmt& s);
void DropIndex(DdlContext& d, const DropIndexStmt& s);

}  // namespace qm::ocilite
