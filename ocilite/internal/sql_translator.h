// Resolves a parsed query or DML statement against the catalogue and turns it into one SQLite
// statement that keeps Oracle's semantics: implicit conversions by the session's NLS settings
// (text compared with or stored into NUMBER and DATE columns), the empty text as NULL, column
// checks on every value stored (ocl_col), Oracle's NULL ordering, and Oracle's errors with the
// offset of the offending name (ORA-00942, 00904, 00918, 00913, 00947, 00957, 00932, 00937, ...).
//
// Literals become SQLite parameters, so statements that differ only in their literals share one
// SQLite text (and one prepared SQLite statement). Literals converted here are converted once.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ocilite/internal/catalog.h"
#include "ocilite/internal/eval_context.h"
#include "ocilite/internal/sql_ast.h"
#include "ocilite/internal/value.h"

namespace qm::ocilite {

// One placeholder occurrence (":name"), in text order; position counts from 1.
struct BindSlot {
  std::string name;
  int position = 0;
};

// A SQLite parameter: a literal's value, or the value of a placeholder.
struct Param {
  bool is_bind = false;
  std::size_t bind_slot = 0;
  Value constant;
};

struct ResultColumn {
  std::string name;
  SqlType type;
  bool nullable = true;
};

struct TranslatedStatement {
  std::string sql;            // SQLite text
  std::vector<Param> params;  // ?1, ?2, ...
  std::vector<BindSlot> binds;
  std::vector<ResultColumn> columns;        // queries
  std::shared_ptr<const TableInfo> target;  // DML: the table written
  // Queries over one table whose WHERE compares columns with values: the columns, for the
  // session's automatic indexes.
  std::shared_ptr<const TableInfo> lookup_table;
  std::vector<std::string> lookup_columns;
  // Takes sequence numbers (NEXTVAL): a query that must not be run again in place of once.
  bool takes_sequence_numbers = false;
};

// A literal of an INSERT's VALUES list taken out of its translation: the parameter that carries
// it (an index into `params`) and the column it is stored into, owned by the statement's target.
struct LiftedLiteral {
  std::size_t param = 0;
  const ColumnInfo* column = nullptr;
};

struct CExpr;

// A literal a query's condition compares with a column ("COL = 'x'", "'x' = COL") taken out of
// its translation: the parameter that carries it, where it stood, and the column's side as
// compiled, before and after the comparison's conversions.
struct LiftedComparison {
  std::size_t param = 0;
  int pos = 0;
  bool literal_first = false;
  std::shared_ptr<const CExpr> column;
  std::string column_sql;
  SqlType column_type;  // the column's own type, before any conversion for the comparison
};

// The type a placeholder's client buffer gives its value; throws ORA-01008 when unbound.
using BindTypes = std::function<SqlType(const std::string& name, int position)>;
// For a statement that has no placeholders: ORA-01008 for any.
const BindTypes& NoBindTypes();

class Translator {
 public:
  // `sql_text` is the statement as parsed; unaliased expressions take their names from it.
  Translator(Catalog& catalog, EvalContext& ctx, const BindTypes& bind_types,
             std::string_view sql_text);

  TranslatedStatement Query(const SelectStmt& s);
  // Query, but each literal compared with a column whose comparison leaves it a value (not NULL,
  // not a conversion left to run time) is listed in `lifted`, in the order of the text, for
  // ComparedLiteral to replace. Throws what Query throws.
  TranslatedStatement QueryShape(const SelectStmt& s, std::vector<LiftedComparison>& lifted);
  // Another literal in the place of a lifted one: its value as Query would compare it, or nullopt
  // when Query would not make it a parameter of the same text. Throws the OraError Query would
  // throw for it (a number that is none).
  std::optional<Value> ComparedLiteral(const LiftedComparison& slot, const Expr& literal);
  TranslatedStatement Insert(const InsertStmt& s);
  // Insert, but each literal among the VALUES ('text', a number, NULL) becomes a parameter left
  // empty and listed in `lifted`, in the order of the values, for StoredLiteral to fill. Throws
  // what Insert throws for anything but the literals' values.
  TranslatedStatement InsertShape(const InsertStmt& s, std::vector<LiftedLiteral>& lifted);
  // A literal as stored into `column` of `table`: converted and checked exactly as Insert does it
  // in place, throwing the same OraError. nullopt when Insert would leave the conversion to run
  // time (text that is no number or date fails only when the row is written).
  std::optional<Value> StoredLiteral(const Expr& literal, const TableInfo& table,
                                     const ColumnInfo& column);
  TranslatedStatement Update(const UpdateStmt& s);
  TranslatedStatement Delete(const DeleteStmt& s);

  // Resolves a table named in a statement: own schema first, then the dictionary; ORA-00942.
  std::shared_ptr<const TableInfo> ResolveTable(const ObjectName& name);

  // A CHECK condition over one row of `table` as SQLite text standing alone (literals written
  // in place), its columns read as `row`.<column>; `columns` gets those it reads, in the table's
  // order. Throws as a WHERE clause would, and ORA-02251 for a subquery, ORA-02436 for SYSDATE,
  // USER, UID, ROWNUM or LEVEL, ORA-02287 for a sequence, ORA-01027 for a placeholder.
  std::string RowCondition(const Expr& condition, const std::shared_ptr<const TableInfo>& table,
                           const std::string& row, std::vector<const ColumnInfo*>& columns);

 private:
  struct Impl;
  TranslatedStatement TranslateInsert(const InsertStmt& s, std::vector<LiftedLiteral>* lifted);

  Catalog& catalog_;
  EvalContext& ctx_;
  const BindTypes& bind_types_;
  std::string_view sql_text_;
};

}  // namespace qm::ocilite
