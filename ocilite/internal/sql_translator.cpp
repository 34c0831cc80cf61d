#include "ocilite/internal/sql_translator.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/sql_functions.h"
#include "ocilite/internal/sql_parser.h"
#include "ocilite/internal/sql_translator_impl.h"
#include "ocilite/internal/sqlite_db.h"
#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {
namespace {

// What a CHECK condition may not hold.
void CheckRowCondition(const Expr& e) {
  if (e.kind == ExprKind::kSubquery || e.kind == ExprKind::kExists ||
      (e.kind == ExprKind::kIn && e.query))
    throw OraError(2251).At(e.pos);
  if (e.kind == ExprKind::kBind) throw OraError(1027).At(e.pos);
  if (e.kind == ExprKind::kColumn && !e.path.back().quoted) {
    const std::string& name = e.path.back().text;
    if (e.path.size() == 1 && (name == "SYSDATE" || name == "USER" || name == "UID" ||
                               name == "ROWNUM" || name == "LEVEL"))
      throw OraError(2436).At(e.pos);
    if (e.path.size() >= 2 && (name == "NEXTVAL" || name == "CURRVAL"))
      throw OraError(2287).At(e.pos);
  }
  for (const auto& a : e.args) CheckRowCondition(*a);
}

void CollectColumns(const Expr& e, const TableInfo& table, std::vector<const ColumnInfo*>& out) {
  if (e.kind == ExprKind::kColumn)
    if (const ColumnInfo* c = table.FindColumn(e.path.back().text))
      if (std::find(out.begin(), out.end(), c) == out.end()) out.push_back(c);
  for (const auto& a : e.args) CollectColumns(*a, table, out);
}

// The name Oracle gives an unaliased expression: its text in upper case without blanks.
std::string ExpressionName(std::string_view text) {
  std::string out;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\'') quoted = !quoted;
    if (!quoted && (c == ' ' || c == '\t' || c == '\n' || c == '\r')) continue;
    out += c;
  }
  return Utf8Upper(out);
}

}  // namespace

const BindTypes& NoBindTypes() {
  static const BindTypes none = [](const std::string&, int) -> SqlType { throw OraError(1008); };
  return none;
}

// ---- queries -----------------------------------------------------------------------------
// Compiles a subquery in a scope of its own that still sees the enclosing blocks' tables;
// gives its SQLite text and its columns (named c0, c1, ... with `column_aliases`).
std::pair<std::string, std::vector<ResultColumn>> Translator::Impl::Subquery(const SelectStmt& q,
                                                                             bool column_aliases) {
  const std::size_t saved_scope = scope_start, saved_size = sources.size();
  std::vector<ResultColumn> saved_columns = std::move(out.columns);
  out.columns.clear();
  scope_start = sources.size();
  std::string sql = CompileQuery(q, column_aliases);
  std::vector<ResultColumn> columns = std::move(out.columns);
  out.columns = std::move(saved_columns);
  sources.resize(saved_size);
  scope_start = saved_scope;
  return {std::move(sql), std::move(columns)};
}

// A query in FROM as a read-only table of its result columns.
std::shared_ptr<const TableInfo> Translator::Impl::InlineView(const SelectStmt& q) {
  auto [sql, columns] = Subquery(q, true);
  auto t = std::make_shared<TableInfo>();
  t->storage = "(" + sql + ")";
  t->dictionary = true;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    ColumnInfo c;
    c.name = columns[i].name;
    c.storage = "c" + std::to_string(i);
    c.type = columns[i].type;
    c.nullable = columns[i].nullable;
    t->columns.push_back(std::move(c));
  }
  return t;
}

void Translator::Impl::AddSources(const std::vector<TableRef>& from) {
  for (const TableRef& ref : from) {
    Source s;
    s.table = ref.query ? InlineView(*ref.query) : owner.ResolveTable(ref.table);
    if (ref.alias) s.alias = ref.alias->text;
    s.sql_alias = "t" + std::to_string(sources.size());
    sources.push_back(std::move(s));
  }
}

std::string Translator::Impl::FromClause() const {
  std::string sql;
  for (std::size_t i = scope_start; i < sources.size(); ++i)
    sql +=
        (sql.empty() ? " FROM " : ", ") + sources[i].table->storage + " AS " + sources[i].sql_alias;
  return sql;
}

// Compiles a query; with `column_aliases` every select-list item is named c0, c1, ...
std::string Translator::Impl::CompileQuery(const SelectStmt& s, bool column_aliases) {
  if (s.compound.empty()) return CompileBlock(s, column_aliases, true);
  std::string sql = CompileBlock(s, column_aliases, false);
  std::vector<ResultColumn> columns = std::move(out.columns);
  for (const CompoundBranch& branch : s.compound) {
    // Each block has its own FROM scope.
    sources.resize(scope_start);
    out.columns.clear();
    const std::string branch_sql = CompileBlock(*branch.query, false, false);
    const auto& items = branch.query->items;
    if (out.columns.size() != columns.size()) throw OraError(1789).At(items[0].expr->pos);
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const int pos = items[std::min(i, items.size() - 1)].expr->pos;
      UniteColumn(columns[i], out.columns[i], pos);
    }
    sql += " " + std::string(branch.op == "MINUS" ? "EXCEPT" : branch.op) + " " + branch_sql;
  }
  out.columns = std::move(columns);
  std::string order;
  for (const OrderItem& o : s.order_by) {
    // Only the positions and the names of the result columns can sort a compound query.
    const Expr& e = *o.expr;
    std::size_t key = 0;
    if (e.kind == ExprKind::kNumber) {
      key = static_cast<std::size_t>(std::max(0L, std::strtol(e.text.c_str(), nullptr, 10)));
      if (key < 1 || key > out.columns.size()) throw OraError(1785).At(e.pos);
    } else if (e.kind == ExprKind::kColumn && e.path.size() == 1) {
      for (std::size_t i = 0; i < out.columns.size() && key == 0; ++i)
        if (out.columns[i].name == e.path[0].text) key = i + 1;
    }
    if (key == 0) throw OraError(1785).At(e.pos);
    const bool nulls_first = o.nulls_first.value_or(o.descending);
    order += (order.empty() ? " ORDER BY " : ", ") + std::to_string(key) +
             (o.descending ? " DESC" : "") + (nulls_first ? " NULLS FIRST" : " NULLS LAST");
  }
  return sql + order;
}

// Merges the type of a compound query's column with that of a later block (ORA-01790 when
// they are of different kinds).
void Translator::Impl::UniteColumn(ResultColumn& a, const ResultColumn& b, int pos) {
  a.nullable = a.nullable || b.nullable;
  if (b.type.IsNull()) return;
  if (a.type.IsNull()) {
    a.type = b.type;
    return;
  }
  auto kind = [](const SqlType& t) { return t.IsText() ? DataType::kVarchar2 : t.type; };
  const bool same = a.type.type == b.type.type && a.type.length == b.type.length &&
                    a.type.precision == b.type.precision && a.type.scale == b.type.scale;
  if (kind(a.type) != kind(b.type)) throw OraError(1790).At(pos);
  if (a.type.type == DataType::kNumber) {
    if (!same) a.type = SqlType::Number();
  } else if (a.type.IsText() && a.type.type != DataType::kLong && !same) {
    a.type = SqlType::Varchar2(std::max(a.type.length, b.type.length));
  }
}

// One query block; `with_order` compiles its ORDER BY too (not for the blocks of a compound
// query, which is sorted as a whole).
std::string Translator::Impl::CompileBlock(const SelectStmt& s, bool column_aliases,
                                           bool with_order) {
  AddSources(s.from);
  struct Item {
    CExpr expr;
    std::string name;
    std::optional<std::string> alias;
    int pos;
  };
  std::vector<Item> items;
  for (const SelectItem& si : s.items) {
    const Expr& e = *si.expr;
    if (e.kind == ExprKind::kStar) {
      bool any = false;
      for (std::size_t k = scope_start; k < sources.size(); ++k) {
        const Source& src = sources[k];
        if (!e.path.empty() && !QualifierMatches(src, e.path)) continue;
        any = true;
        for (const ColumnInfo& c : src.table->columns)
          items.push_back({Column(src, c, e.pos), c.name, std::nullopt, e.pos});
      }
      if (!any) throw OraError(904, {JoinNames(e.path)}).At(e.pos);
      continue;
    }
    CExpr c = Compile(e, Clause::kSelectList);
    std::string name;
    if (si.alias) {
      name = si.alias->text;
    } else if (e.kind == ExprKind::kColumn) {
      name = e.path.back().text;
    } else {
      name = ExpressionName(sql_text.substr(e.pos, e.end - e.pos));
    }
    items.push_back({std::move(c), name,
                     si.alias ? std::optional<std::string>(si.alias->text) : std::nullopt, e.pos});
  }
  std::string where, group, having, order;
  std::vector<std::string> row_limits;
  if (s.where) {
    where = CompileWhere(*s.where, row_limits);
    NoteLookups(*s.where);
  }
  std::vector<std::string> group_sql;
  for (const auto& g : s.group_by) {
    CExpr c = Compile(*g, Clause::kGroupBy);
    CheckComparable(c);
    group_sql.push_back(Emit(c));
  }
  if (!group_sql.empty()) {
    group = " GROUP BY ";
    for (std::size_t i = 0; i < group_sql.size(); ++i) group += (i ? ", " : "") + group_sql[i];
  }
  if (s.having) {
    CExpr h = Compile(*s.having, Clause::kHaving);
    having = " HAVING " + Emit(h);
  }
  // Emit the select list; check the use of aggregates.
  const bool any_aggregate =
      std::any_of(items.begin(), items.end(), [](const Item& i) { return i.expr.aggregate; });
  std::string list;
  for (std::size_t i = 0; i < items.size(); ++i) {
    Item& item = items[i];
    std::string sql = Emit(item.expr);
    if (s.distinct) CheckComparable(item.expr);
    if (item.expr.has_column && (any_aggregate || !group_sql.empty())) {
      auto grouped = [&](const std::string& x) {
        return std::find(group_sql.begin(), group_sql.end(), x) != group_sql.end();
      };
      const bool ok = grouped(sql) ||
                      (!group_sql.empty() &&
                       std::all_of(item.expr.columns.begin(), item.expr.columns.end(), grouped));
      if (!ok) throw OraError(group_sql.empty() ? 937 : 979).At(item.pos);
    }
    list += (i ? ", " : "") + sql;
    if (column_aliases) list += " AS c" + std::to_string(i);
    out.columns.push_back({item.name, item.expr.type, item.expr.nullable});
  }
  static const std::vector<OrderItem> kUnsorted;
  for (const OrderItem& o : with_order ? s.order_by : kUnsorted) {
    std::string key;
    const Expr& e = *o.expr;
    if (e.kind == ExprKind::kNumber) {
      const long n = std::strtol(e.text.c_str(), nullptr, 10);
      if (n < 1 || n > static_cast<long>(items.size())) throw OraError(1785).At(e.pos);
      CheckComparable(items[static_cast<std::size_t>(n - 1)].expr);
      key = std::to_string(n);
    } else if (e.kind == ExprKind::kColumn && e.path.size() == 1) {
      for (std::size_t i = 0; i < items.size() && key.empty(); ++i)
        if (items[i].alias && *items[i].alias == e.path[0].text) {
          CheckComparable(items[i].expr);
          key = std::to_string(i + 1);
        }
    }
    if (key.empty()) {
      CExpr c = Compile(e, Clause::kOrderBy);
      CheckComparable(c);
      key = Emit(c);
    }
    const bool nulls_first = o.nulls_first.value_or(o.descending);
    order += (order.empty() ? " ORDER BY " : ", ") + key + (o.descending ? " DESC" : "") +
             (nulls_first ? " NULLS FIRST" : " NULLS LAST");
  }
  const std::string select = "SELECT " + std::string(s.distinct ? "DISTINCT " : "") + list;
  if (row_limits.empty()) return select + FromClause() + where + group + having + order;
  // The OFFSET keeps SQLite from merging the limited query into one around it, which could
  // then sort or group before limiting.
  const std::string limit = " LIMIT " + RowLimit(row_limits) + " OFFSET 0";
  // ROWNUM counts rows as the WHERE accepts them, before any grouping, DISTINCT or sorting.
  const bool plain =
      !s.distinct && !any_aggregate && group_sql.empty() && !s.having && order.empty();
  if (plain) return "SELECT * FROM (" + select + FromClause() + where + limit + ")";
  // Otherwise the rows are numbered in a table of their own, which the block reads under
  // the same name; that takes a block of one table.
  if (sources.size() - scope_start != 1) throw OraError(3001).At(s.where->pos);
  const Source& only = sources[scope_start];
  const std::string rowid = only.table->dictionary ? "" : ", " + only.sql_alias + ".rowid AS rowid";
  return select + " FROM (SELECT " + only.sql_alias + ".*" + rowid + " FROM " +
         only.table->storage + " AS " + only.sql_alias + where + limit + ") AS " + only.sql_alias +
         group + having + order;
}

// The WHERE clause (" WHERE ..." or "") of `where`'s terms but its ROWNUM bounds, which go
// into `row_limits` as the number of rows each lets through (SQLite text).
std::string Translator::Impl::CompileWhere(const Expr& where,
                                           std::vector<std::string>& row_limits) {
  std::vector<const Expr*> terms;
  SplitAnd(where, terms);
  std::string sql;
  for (const Expr* term : terms) {
    if (auto limit = RownumBound(*term)) {
      if (!limit->empty()) row_limits.push_back(std::move(*limit));
      continue;
    }
    CExpr w = Compile(*term, Clause::kWhere);
    sql += (sql.empty() ? " WHERE (" : " AND (") + Emit(w) + ")";
  }
  return sql;
}

std::string Translator::Impl::RowLimit(const std::vector<std::string>& limits) {
  if (limits.size() == 1) return limits[0];
  std::string sql = "min(";
  for (std::size_t i = 0; i < limits.size(); ++i) sql += (i ? ", " : "") + limits[i];
  return sql + ")";
}

void Translator::Impl::SplitAnd(const Expr& e, std::vector<const Expr*>& terms) {
  if (e.kind == ExprKind::kAnd) {
    SplitAnd(*e.args[0], terms);
    SplitAnd(*e.args[1], terms);
    return;
  }
  terms.push_back(&e);
}

// A term that compares ROWNUM with a value free of columns ("ROWNUM <= 10", ":n > ROWNUM",
// "ROWNUM BETWEEN 1 AND :n"): the number of rows it lets through, as SQLite text, or "" when
// it lets every row through; nullopt for any other term.
std::optional<std::string> Translator::Impl::RownumBound(const Expr& e) {
  if (e.kind == ExprKind::kBetween && !e.negated && IsRownum(*e.args[0])) {
    std::string low = Bound(">=", *e.args[1]), high = Bound("<=", *e.args[2]);
    if (low.empty() || high.empty()) return low + high;
    return "min(" + low + ", " + high + ")";
  }
  if (e.kind != ExprKind::kCompare) return std::nullopt;
  static constexpr std::pair<std::string_view, std::string_view> kMirrored[] = {
      {"<", ">"}, {"<=", ">="}, {">", "<"}, {">=", "<="}, {"=", "="}, {"!=", "!="}, {"<>", "!="}};
  std::string_view op = e.op == "<>" ? "!=" : std::string_view(e.op);
  if (IsRownum(*e.args[0])) return Bound(op, *e.args[1]);
  if (!IsRownum(*e.args[1])) return std::nullopt;
  for (const auto& [from, to] : kMirrored)
    if (from == op) return Bound(to, *e.args[0]);
  return std::nullopt;
}

// "ROWNUM <op> value" as a row count; the value must not depend on the row.
std::string Translator::Impl::Bound(std::string_view op, const Expr& value) {
  const Expr* literal = &value;
  bool negative = false;
  if (value.kind == ExprKind::kNegate && value.args[0]->kind == ExprKind::kNumber) {
    literal = value.args[0].get();
    negative = true;
  }
  if (literal->kind == ExprKind::kNumber) {
    // Read as written whatever the process locale.
    double n = 0;
    std::from_chars(literal->text.data(), literal->text.data() + literal->text.size(), n);
    const std::optional<long long> rows = RownumRows(op, negative ? -n : n);
    return rows ? std::to_string(*rows) : std::string();
  }
  CExpr v = Compile(value, Clause::kWhere);
  if (v.has_column || v.aggregate) throw OraError(3001).At(value.pos);
  return "ocl_rownum_rows(" + SqlString(op) + ", " + Emit(v) + ")";
}

// ROWID of a table in the FROM clause: the object number and the SQLite row number in
// Oracle's 18-character form.
CExpr Translator::Impl::Rowid(const Expr& e) {
  const std::vector<Name> qualifier(e.path.begin(), e.path.end() - 1);
  const Source* found = nullptr;
  for (std::size_t i = scope_start; i < sources.size(); ++i) {
    if (!qualifier.empty() && !QualifierMatches(sources[i], qualifier)) continue;
    if (found) throw OraError(918).At(e.pos);
    found = &sources[i];
  }
  if (!found) throw OraError(904, {JoinNames(e.path)}).At(e.pos);
  if (found->table->dictionary) throw OraError(1445).At(e.pos);
  CExpr r = Sql(
      "ocl_rowid(" + std::to_string(found->table->object_id) + ", " + found->sql_alias + ".rowid)",
      SqlType::Varchar2(18), e.pos);
  r.nullable = false;
  r.has_column = true;
  return r;
}

// Records "column = value" terms of a one-table WHERE joined by AND, for automatic indexes.
void Translator::Impl::NoteLookups(const Expr& where) {
  if (sources.size() != 1 || sources[0].table->dictionary) return;
  std::vector<std::string> columns;
  std::vector<const Expr*> stack{&where};
  while (!stack.empty()) {
    const Expr* e = stack.back();
    stack.pop_back();
    if (e->kind == ExprKind::kAnd) {
      // Left first, so that the columns keep the order the query compares them in.
      stack.push_back(e->args[1].get());
      stack.push_back(e->args[0].get());
      continue;
    }
    if (e->kind != ExprKind::kCompare || e->op != "=") continue;
    const Expr* col = e->args[0]->kind == ExprKind::kColumn   ? e->args[0].get()
                      : e->args[1]->kind == ExprKind::kColumn ? e->args[1].get()
                                                              : nullptr;
    const Expr* other = col == e->args[0].get() ? e->args[1].get() : e->args[0].get();
    if (!col || other->kind == ExprKind::kColumn) continue;
    const ColumnInfo* c = sources[0].table->FindColumn(col->path.back().text);
    if (!c || c->type.type == DataType::kLong) continue;
    if (std::find(columns.begin(), columns.end(), c->storage) == columns.end())
      columns.push_back(c->storage);
  }
  if (columns.empty()) return;
  out.lookup_table = sources[0].table;
  out.lookup_columns = std::move(columns);
}

// ---- DML ---------------------------------------------------------------------------------
// The WHERE clause of an UPDATE or DELETE of `t`; ROWNUM bounds pick the first rows it accepts.
std::string Translator::Impl::DmlWhere(const Expr& where, const TableInfo& t) {
  std::vector<std::string> limits;
  const std::string sql = CompileWhere(where, limits);
  if (limits.empty()) return sql;
  return " WHERE t0.rowid IN (SELECT t0.rowid FROM " + t.storage + " AS t0" + sql + " LIMIT " +
         RowLimit(limits) + " OFFSET 0)";
}

std::shared_ptr<const TableInfo> Translator::Impl::Target(const TableRef& ref) {
  auto t = owner.ResolveTable(ref.table);
  if (t->dictionary) throw OraError(1031).At(ref.table.name.pos);
  out.target = t;
  Source s;
  s.table = t;
  if (ref.alias) s.alias = ref.alias->text;
  s.sql_alias = "t0";
  sources.push_back(std::move(s));
  return t;
}

// The value stored into `column`, converted and checked; constants are checked here, at once.
std::string Translator::Impl::StoredValue(CExpr v, const TableInfo& t, const ColumnInfo& column,
                                          bool update, bool check_now) {
  v = ToColumnType(std::move(v), column.type);
  if (check_now && v.constant) {
    v.constant = CheckColumnValue(*v.constant, Check(t, column, update));
    return Emit(v);
  }
  const int flags = (column.nullable ? 0 : 1) | (update ? 2 : 0) | (column.type.is_float ? 4 : 0);
  return "ocl_col(" + Emit(v) + ", " + std::to_string(column.type.InternalCode()) + ", " +
         std::to_string(column.type.length) + ", " + std::to_string(column.type.precision) + ", " +
         std::to_string(column.type.scale) + ", " + std::to_string(flags) + ", " +
         SqlString(t.QualifiedColumn(column)) + ")";
}

ColumnCheck Translator::Impl::Check(const TableInfo& t, const ColumnInfo& column, bool update) {
  return {column.type, !column.nullable, update, [&] { return t.QualifiedColumn(column); }};
}

CExpr Translator::Impl::DefaultOf(const ColumnInfo& column) {
  if (column.default_text.empty()) return Constant(Value::Null(), SqlType{}, 0);
  const ExprPtr e = ParseExpression(column.default_text);
  const std::string_view saved = sql_text;
  sql_text = column.default_text;
  CExpr c = Compile(*e, Clause::kDefault);
  sql_text = saved;
  return c;
}

std::vector<const ColumnInfo*> Translator::Impl::TargetColumns(const TableInfo& t,
                                                               const std::vector<Name>& names) {
  std::vector<const ColumnInfo*> columns;
  if (names.empty()) {
    for (const auto& c : t.columns) columns.push_back(&c);
    return columns;
  }
  for (const Name& n : names) {
    const ColumnInfo* c = t.FindColumn(n.text);
    if (!c) throw OraError(904, {Quote(n.text)}).At(n.pos);
    if (std::find(columns.begin(), columns.end(), c) != columns.end())
      throw OraError(957).At(n.pos);
    columns.push_back(c);
  }
  return columns;
}

Translator::Translator(Catalog& catalog, EvalContext& ctx, const BindTypes& bind_types,
                       std::string_view sql_text)
    : catalog_(catalog), ctx_(ctx), bind_types_(bind_types), sql_text_(sql_text) {}

std::shared_ptr<const TableInfo> Translator::ResolveTable(const ObjectName& name) {
  std::shared_ptr<const TableInfo> t;
  if (name.owner) {
    t = catalog_.Find(name.owner->text, name.name.text, false);
  } else {
    t = catalog_.Find(ctx_.user, name.name.text, true);
  }
  if (!t) throw OraError(942).At(name.owner ? name.owner->pos : name.name.pos);
  return t;
}

std::string Translator::RowCondition(const Expr& condition,
                                     const std::shared_ptr<const TableInfo>& table,
                                     const std::string& row,
                                     std::vector<const ColumnInfo*>& columns) {
  CheckRowCondition(condition);
  Impl impl{*this, catalog_, ctx_, bind_types_, sql_text_, {}, {}, 0};
  impl.inline_literals = true;
  Source source;
  source.table = table;
  source.sql_alias = row;
  impl.sources.push_back(std::move(source));
  const CExpr c = impl.Compile(condition, Clause::kWhere);
  std::vector<const ColumnInfo*> found;
  CollectColumns(condition, *table, found);
  for (const ColumnInfo& column : table->columns)
    if (std::find(found.begin(), found.end(), &column) != found.end()) columns.push_back(&column);
  return impl.Emit(c);
}

TranslatedStatement Translator::Query(const SelectStmt& s) {
  Impl impl{*this, catalog_, ctx_, bind_types_, sql_text_, {}, {}, 0};
  impl.out.sql = impl.CompileQuery(s, false);
  return std::move(impl.out);
}

TranslatedStatement Translator::QueryShape(const SelectStmt& s,
                                           std::vector<LiftedComparison>& lifted) {
  Impl impl{*this, catalog_, ctx_, bind_types_, sql_text_, {}, {}, 0};
  impl.lifted_comparisons = &lifted;
  impl.out.sql = impl.CompileQuery(s, false);
  return std::move(impl.out);
}

std::optional<Value> Translator::ComparedLiteral(const LiftedComparison& slot,
                                                 const Expr& literal) {
  Impl impl{*this, catalog_, ctx_, bind_types_, sql_text_, {}, {}, 0};
  CExpr value = impl.Compile(literal, Clause::kWhere);
  CExpr column = *slot.column;
  if (slot.literal_first) {
    impl.Unify(value, column);
  } else {
    impl.Unify(column, value);
  }
  if (!value.constant || value.constant->IsNull() || column.constant ||
      column.sql != slot.column_sql)
    return std::nullopt;
  return std::move(*value.constant);
}

CExpr Translator::Impl::LiftedCompare(const Expr& e, CExpr a, CExpr b) {
  auto is_literal = [](const Expr& x) {
    return x.kind == ExprKind::kString || x.kind == ExprKind::kNumber;
  };
  const bool literal_first = is_literal(*e.args[0]);
  const Expr& column_expr = *e.args[literal_first ? 1 : 0];
  const Expr& literal_expr = *e.args[literal_first ? 0 : 1];
  std::shared_ptr<const CExpr> column;
  if (is_literal(literal_expr) && column_expr.kind == ExprKind::kColumn &&
      !(literal_first ? b : a).constant)
    column = std::make_shared<const CExpr>(literal_first ? b : a);
  Unify(a, b);
  const CExpr& value = literal_first ? a : b;
  const CExpr& other = literal_first ? b : a;
  if (!column || !value.constant || value.constant->IsNull() || other.constant)
    return Condition("(" + Emit(a) + " " + e.op + " " + Emit(b) + ")", {&a, &b});
  std::string first = Emit(a);
  if (literal_first) lifted_comparisons->push_back({out.params.size() - 1, literal_expr.pos, true,
                                                   column, b.sql, column->type});
  std::string second = Emit(b);
  if (!literal_first) lifted_comparisons->push_back({out.params.size() - 1, literal_expr.pos,
                                                    false, column, a.sql, column->type});
  return Condition("(" + first + " " + e.op + " " + second + ")", {&a, &b});
}

TranslatedStatement Translator::Insert(const InsertStmt& s) {
  return TranslateInsert(s, nullptr);
}

TranslatedStatement Translator::InsertShape(const InsertStmt& s,
                                            std::vector<LiftedLiteral>& lifted) {
  return TranslateInsert(s, &lifted);
}

std::optional<Value> Translator::StoredLiteral(const Expr& literal, const TableInfo& table,
                                               const ColumnInfo& column) {
  Impl impl{*this, catalog_, ctx_, bind_types_, sql_text_, {}, {}, 0};
  const CExpr v = impl.ToColumnType(impl.Compile(literal, Clause::kValues), column.type);
  if (!v.constant) return std::nullopt;
  return CheckColumnValue(*v.constant, Impl::Check(table, column, false));
}

TranslatedStatement Translator::TranslateInsert(const InsertStmt& s,
                                                std::vector<LiftedLiteral>* lifted) {
  Impl impl{*this, catalog_, ctx_, bind_types_, sql_text_, {}, {}, 0};
  auto t = impl.Target(s.table);
  const auto columns = impl.TargetColumns(*t, s.columns);
  std::string names, values;
  auto add = [&](const ColumnInfo& c, const std::string& value) {
    names += (names.empty() ? "" : ", ") + c.storage;
    values += (values.empty() ? "" : ", ") + value;
  };
  if (s.query) {
    // The query runs in its own scope; its columns are read by position.
    Impl inner{*this, catalog_, ctx_, bind_types_, sql_text_, {}, {}, 0};
    const std::string query_sql = inner.CompileQuery(*s.query, true);
    if (inner.out.columns.size() > columns.size())
      throw OraError(913).At(s.query->items[0].expr->pos);
    if (inner.out.columns.size() < columns.size())
      throw OraError(947).At(s.query->items[0].expr->pos);
    impl.out.params = std::move(inner.out.params);
    impl.out.binds = std::move(inner.out.binds);
    for (std::size_t i = 0; i < columns.size(); ++i) {
      CExpr v = Impl::Sql("q.c" + std::to_string(i), inner.out.columns[i].type, 0);
      add(*columns[i], impl.StoredValue(std::move(v), *t, *columns[i], false, false));
    }
    for (const auto& c : t->columns) {
      if (std::find(columns.begin(), columns.end(), &c) != columns.end()) continue;
      if (c.default_text.empty() && c.nullable) continue;
      add(c, impl.StoredValue(impl.DefaultOf(c), *t, c, false, false));
    }
    impl.out.sql = "INSERT INTO " + t->storage + " (" + names + ") SELECT " + values + " FROM (" +
                   query_sql + ") AS q";
    return std::move(impl.out);
  }
  if (s.values.size() > columns.size()) throw OraError(913).At(s.values[columns.size()]->pos);
  if (s.values.size() < columns.size()) throw OraError(947).At(s.values_pos);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const Expr& e = *s.values[i];
    if (lifted &&
        (e.kind == ExprKind::kString || e.kind == ExprKind::kNumber || e.kind == ExprKind::kNull)) {
      // Checked when its value is known: a bound NULL stores as the literal NULL does.
      impl.out.params.emplace_back();
      lifted->push_back({impl.out.params.size() - 1, columns[i]});
      add(*columns[i], "?" + std::to_string(impl.out.params.size()));
      continue;
    }
    CExpr v = e.kind == ExprKind::kDefault ? impl.DefaultOf(*columns[i])
                                           : impl.Compile(e, Clause::kValues);
    add(*columns[i], impl.StoredValue(std::move(v), *t, *columns[i], false, true));
  }
  for (const auto& c : t->columns) {
    if (std::find(columns.begin(), columns.end(), &c) != columns.end()) continue;
    if (c.default_text.empty() && c.nullable) continue;
    add(c, impl.StoredValue(impl.DefaultOf(c), *t, c, false, true));
  }
  impl.out.sql = "INSERT INTO " + t->storage + " (" + names + ") VALUES (" + values + ")";
  return std::move(impl.out);
}

TranslatedStatement Translator::Update(const UpdateStmt& s) {
  Impl impl{*this, catalog_, ctx_, bind_types_, sql_text_, {}, {}, 0};
  auto t = impl.Target(s.table);
  std::string sets;
  std::vector<const ColumnInfo*> seen;
  for (const auto& [name, value] : s.sets) {
    const ColumnInfo* c = t->FindColumn(name.text);
    if (!c) throw OraError(904, {Quote(name.text)}).At(name.pos);
    if (std::find(seen.begin(), seen.end(), c) != seen.end()) throw OraError(957).At(name.pos);
    seen.push_back(c);
    CExpr v =
        value->kind == ExprKind::kDefault ? impl.DefaultOf(*c) : impl.Compile(*value, Clause::kSet);
    sets += (sets.empty() ? "" : ", ") + c->storage + " = " +
            impl.StoredValue(std::move(v), *t, *c, true, false);
  }
  const std::string where = s.where ? impl.DmlWhere(*s.where, *t) : std::string();
  impl.out.sql = "UPDATE " + t->storage + " AS t0 SET " + sets + where;
  return std::move(impl.out);
}

TranslatedStatement Translator::Delete(const DeleteStmt& s) {
  Impl impl{*this, catalog_, ctx_, bind_types_, sql_text_, {}, {}, 0};
  auto t = impl.Target(s.table);
  const std::string where = s.where ? impl.DmlWhere(*s.where, *t) : std::string();
  impl.out.sql = "DELETE FROM " + t->storage + " AS t0" + where;
  return std::move(impl.out);
}

}  // namespace qm::ocilite
