// The translator's working state, shared by the source files that hold its parts:
// sql_translator.cpp (queries, their blocks and clauses, DML and the Translator's own functions),
// sql_translator_expressions.cpp (conversions, names and expressions) and
// sql_translator_functions.cpp (the SQL functions). One Impl translates one statement (or one
// condition or literal) and is thrown away.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ocilite/internal/conversions.h"
#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/sql_translator.h"

namespace qm::ocilite {

// A compiled expression: SQLite text, or a constant still to be made a parameter.
struct CExpr {
  std::string sql;
  std::optional<Value> constant;
  SqlType type;
  bool nullable = true;
  bool aggregate = false;            // contains an aggregate
  bool has_column = false;           // refers to a column outside any aggregate
  std::vector<std::string> columns;  // those columns, as SQLite text
  bool condition = false;
  int pos = 0;
};

struct Source {
  std::shared_ptr<const TableInfo> table;
  std::optional<std::string> alias;  // Oracle alias
  std::string sql_alias;             // t0, t1, ...
};

// Where an expression stands, which decides what it may hold (aggregates, sequences, ROWNUM, ...).
enum class Clause { kSelectList, kWhere, kGroupBy, kHaving, kOrderBy, kValues, kSet, kDefault };

// One of the functions that only convert their arguments and call the engine's SQLite function
// (sql_translator_functions.cpp).
struct SimpleFunction;

// A value as a SQLite literal of the same storage class.
std::string SqlLiteral(const Value& v);
// A dotted name as written, each part quoted, for ORA-00904.
std::string JoinNames(const std::vector<Name>& path);

struct Translator::Impl {
  Translator& owner;
  Catalog& catalog;
  EvalContext& ctx;
  const BindTypes& bind_types;
  std::string_view sql_text;  // for the names of unaliased expressions
  TranslatedStatement out;
  std::vector<Source> sources;
  int bind_position = 0;
  // Sources from here on belong to the query block being compiled; those before it to the
  // blocks enclosing it (a subquery sees them).
  std::size_t scope_start = 0;
  // Literals written into the text rather than made parameters: for text that stands alone.
  bool inline_literals = false;
  // Where a query's shape lists the literals it compares with columns (Translator::QueryShape).
  std::vector<LiftedComparison>* lifted_comparisons = nullptr;

  // ---- parameters --------------------------------------------------------------------------
  std::string Emit(const CExpr& e) {
    if (!e.constant) return e.sql;
    if (e.constant->IsNull()) return "NULL";
    if (inline_literals) return SqlLiteral(*e.constant);
    out.params.push_back(Param{false, 0, *e.constant});
    return "?" + std::to_string(out.params.size());
  }

  static CExpr Constant(Value v, SqlType type, int pos) {
    CExpr e;
    if (v.kind == Value::Kind::kText && v.s.empty()) v = Value::Null();
    e.nullable = v.IsNull();
    e.constant = std::move(v);
    e.type = type;
    e.pos = pos;
    return e;
  }

  static CExpr Sql(std::string sql, SqlType type, int pos) {
    CExpr e;
    e.sql = std::move(sql);
    e.type = type;
    e.pos = pos;
    return e;
  }

  // Carries the flags of the operands into a new expression at the place of the first.
  static CExpr Derived(std::string sql, SqlType type, std::span<const CExpr* const> from) {
    CExpr e = Sql(std::move(sql), type, from.front()->pos);
    e.nullable = false;
    for (const CExpr* f : from) {
      e.aggregate |= f->aggregate;
      e.has_column |= f->has_column;
      e.nullable |= f->nullable;
      e.columns.insert(e.columns.end(), f->columns.begin(), f->columns.end());
    }
    return e;
  }

  static CExpr Derived(std::string sql, SqlType type, std::initializer_list<const CExpr*> from) {
    return Derived(std::move(sql), type, std::span<const CExpr* const>(from.begin(), from.size()));
  }

  static CExpr Condition(std::string sql, std::initializer_list<const CExpr*> from) {
    CExpr r = Derived(std::move(sql), SqlType::Number(), from);
    r.condition = true;
    return r;
  }

  void CheckArgs(const Expr& e, std::size_t min, std::size_t max) {
    if (e.args.size() < min || e.args.size() > max) throw OraError(909).At(e.pos);
  }

  static bool IsRownum(const Expr& e) {
    return e.kind == ExprKind::kColumn && e.path.size() == 1 && !e.path[0].quoted &&
           e.path[0].text == "ROWNUM";
  }

  // ---- conversions, names, expressions (sql_translator_expressions.cpp) ---------------------
  CExpr ToNumber(CExpr e);
  CExpr ToDate(CExpr e);
  CExpr ToText(CExpr e);
  CExpr ToRaw(CExpr e);
  CExpr ToColumnType(CExpr e, const SqlType& t);
  static void CheckComparable(const CExpr& e);
  void Unify(CExpr& a, CExpr& b);
  void PadChars(CExpr& a, CExpr& b);
  CExpr Column(const Source& s, const ColumnInfo& c, int pos);
  bool QualifierMatches(const Source& s, const std::vector<Name>& qualifier) const;
  CExpr ResolveColumn(const Expr& e);
  CExpr Compile(const Expr& e, Clause clause);
  CExpr Arithmetic(const Expr& e, Clause clause);
  // "a op b" of two compiled sides, a literal compared with a column listed in
  // lifted_comparisons.
  CExpr LiftedCompare(const Expr& e, CExpr a, CExpr b);

  // ---- functions (sql_translator_functions.cpp) ----------------------------------------------
  CExpr Function(const Expr& e, Clause clause);
  CExpr CallSimple(const SimpleFunction& f, const Expr& e, Clause clause);
  CExpr Arg(const Expr& e, std::size_t i, Clause clause) { return Compile(*e.args[i], clause); }
  CExpr Aggregate(const Expr& e, Clause clause);
  CExpr Nvl(const Expr& e, Clause clause);
  CExpr ToCharCall(const Expr& e, Clause clause);
  CExpr ToDateCall(const Expr& e, Clause clause);
  CExpr ToNumberCall(const Expr& e, Clause clause);
  CExpr Decode(const Expr& e, Clause clause);
  CExpr Case(const Expr& e, Clause clause);
  CExpr RoundOrTrunc(const Expr& e, Clause clause);
  CExpr HexToRawCall(const Expr& e, Clause clause);
  CExpr RawToHexCall(const Expr& e, Clause clause);
  CExpr EmptyLob(const Expr& e, Clause clause);
  CExpr ToClob(const Expr& e, Clause clause);
  CExpr BfileName(const Expr& e, Clause clause);

  // ---- queries (sql_translator.cpp) ----------------------------------------------------------
  std::pair<std::string, std::vector<ResultColumn>> Subquery(const SelectStmt& q,
                                                             bool column_aliases);
  std::shared_ptr<const TableInfo> InlineView(const SelectStmt& q);
  void AddSources(const std::vector<TableRef>& from);
  std::string FromClause() const;
  std::string CompileQuery(const SelectStmt& s, bool column_aliases);
  static void UniteColumn(ResultColumn& a, const ResultColumn& b, int pos);
  std::string CompileBlock(const SelectStmt& s, bool column_aliases, bool with_order);
  std::string CompileWhere(const Expr& where, std::vector<std::string>& row_limits);
  static std::string RowLimit(const std::vector<std::string>& limits);
  static void SplitAnd(const Expr& e, std::vector<const Expr*>& terms);
  std::optional<std::string> RownumBound(const Expr& e);
  std::string Bound(std::string_view op, const Expr& value);
  CExpr Rowid(const Expr& e);
  void NoteLookups(const Expr& where);

  // ---- DML (sql_translator.cpp) --------------------------------------------------------------
  std::string DmlWhere(const Expr& where, const TableInfo& t);
  std::shared_ptr<const TableInfo> Target(const TableRef& ref);
  std::string StoredValue(CExpr v, const TableInfo& t, const ColumnInfo& column, bool update,
                          bool check_now);
  static ColumnCheck Check(const TableInfo& t, const ColumnInfo& column, bool update);
  CExpr DefaultOf(const ColumnInfo& column);
  std::vector<const ColumnInfo*> TargetColumns(const TableInfo& t, const std::vector<Name>& names);
};

}  // namespace qm::ocilite
