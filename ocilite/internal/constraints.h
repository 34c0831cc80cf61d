// Constraints of tables: NOT NULL, PRIMARY KEY, UNIQUE, CHECK and FOREIGN KEY (REFERENCES, ON
// DELETE CASCADE or SET NULL). Each is one row of ocl_constraints (type C, P, U or R; its columns;
// a CHECK's condition as written; a foreign key's parent key and delete rule), shown by the
// USER_/ALL_/DBA_CONSTRAINTS and _CONS_COLUMNS views.
//
// NOT NULL is the column's own check (ORA-01400 / ORA-01407) and a key is a unique index
// (ORA-00001). CHECK and FOREIGN KEY are enforced by triggers that every session keeps on its own
// connection and builds anew when the constraints of the database change (a version in
// ocl_meta): a CHECK that a row fails raises "ORA-02290: check constraint (OWNER.NAME) violated",
// a child row without its parent "ORA-02291: integrity constraint (OWNER.NAME) violated - parent
// key not found", deleting or changing a parent key that rows still use "ORA-02292: integrity
// constraint (OWNER.NAME) violated - child record found"; ON DELETE CASCADE deletes those rows
// and ON DELETE SET NULL empties their keys instead. A row is checked as it is written, not at
// the end of its statement: a statement that passes through a state Oracle would not see at its
// end (deleting a parent before its children in one DELETE of a table that references itself)
// can fail where Oracle would not.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ocilite/internal/catalog.h"
#include "ocilite/internal/eval_context.h"
#include "ocilite/internal/sql_ast.h"
#include "ocilite/internal/sqlite_db.h"

namespace qm::ocilite {

struct DdlContext;

// The columns ocl_constraints gained with CHECK and FOREIGN KEY; databases made before them get
// them when a session opens.
void UpgradeConstraintCatalog(SqliteDb& db);

// A constraint of `table` and the columns it is on (indexes into table.columns; for a column's
// own constraint that column).
struct ConstraintOnTable {
  const ConstraintDef* def = nullptr;
  std::vector<std::size_t> columns;
};

// Adds constraints to `table`, whose catalogue rows exist (in the same transaction), checking
// the rows it holds. Names come in the order given: the one written, or SYS_Cnnnnnn. Errors:
// ORA-02264 (name in use), ORA-02260 (second primary key), ORA-02261 (same columns as another
// key), ORA-00904 (unknown column), ORA-02438 (a column's CHECK reading another column), ORA-02251
// (subquery), ORA-02436 (SYSDATE, USER, ROWNUM and the like in a CHECK), ORA-00942 (unknown
// parent), ORA-02268 / ORA-02270 (no such parent key), ORA-02256 (column count), ORA-02267
// (column type), ORA-02275 (same foreign key twice); on rows already there ORA-02293, ORA-02298,
// ORA-02437, ORA-02299 and ORA-02296 (cannot validate).
void AddConstraints(DdlContext& d, const std::shared_ptr<const TableInfo>& table,
                    const std::vector<ConstraintOnTable>& constraints);

// ALTER TABLE ... DROP CONSTRAINT / PRIMARY KEY / UNIQUE (columns): ORA-02443, ORA-02441,
// ORA-02442 when there is none; ORA-02273 for a key foreign keys use, unless CASCADE, which drops
// them too.
void DropConstraint(DdlContext& d, const TableInfo& table, const DropConstraintClause& s);

// NOT NULL set or cleared on a column (of `table`) by ALTER TABLE ... MODIFY: the column's
// nullability and the constraint's row.
void SetNotNull(DdlContext& d, const std::shared_ptr<const TableInfo>& table,
                const ColumnInfo& column, bool not_null, const std::optional<Name>& name);
// Whether a column is one of its table's primary key.
bool InPrimaryKey(SqliteDb& db, const TableInfo& table, const ColumnInfo& column);

// Before tables are dropped: forgets their constraints and, with `cascade`, the foreign keys of
// other tables that reference them; without it such a foreign key fails the drop with ORA-02449.
void ForgetConstraintsOf(SqliteDb& db, const std::vector<std::int64_t>& object_ids, bool cascade);

// TRUNCATE TABLE: ORA-02266 while foreign keys of other tables reference `table`; the rows go
// without firing the triggers of its constraints.
void TruncateRows(SqliteDb& db, const TableInfo& table);

// Whether a column takes part in a constraint other than its own NOT NULL, which would stop the
// column from being dropped.
bool ColumnInConstraint(SqliteDb& db, const TableInfo& table, const ColumnInfo& column);
// Forgets the NOT NULL constraints of a column being dropped.
void ForgetNotNull(SqliteDb& db, const TableInfo& table, const ColumnInfo& column);

// The version of the database's constraints: it changes whenever a CHECK or FOREIGN KEY comes or
// goes.
std::int64_t ConstraintVersion(SqliteDb& db);

// Keeps the triggers of this session's connection in step with the constraints of the database;
// call inside a transaction that writes, before its first statement. `built` is the version the
// triggers were built for (-1: none yet, or lost with a rolled-back transaction).
void SyncConstraintTriggers(SqliteDb& db, Catalog& catalog, EvalContext& ctx, std::int64_t& built);

}  // namespace qm::ocilite
