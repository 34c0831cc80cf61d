#include "ocilite/internal/sql_translator.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "ocilite/internal/conversions.h"
#include "ocilite/internal/number_text.h"
#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/sql_functions.h"
#include "ocilite/internal/sql_parser.h"
#include "ocilite/internal/sqlite_db.h"
#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {
namespace {

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

// A value as a SQLite literal of the same storage class.
std::string SqlLiteral(const Value& v) {
  switch (v.kind) {
    case Value::Kind::kNull:
      return "NULL";
    case Value::Kind::kText:
      return SqlString(v.s);
    case Value::Kind::kNumber:  // stored as its internal form, a BLOB
    case Value::Kind::kBlob: {
      static constexpr char kHex[] = "0123456789ABCDEF";
      std::string literal = "x'";
      for (const char c : v.s) {
        literal += kHex[(static_cast<unsigned char>(c) >> 4) & 15];
        literal += kHex[static_cast<unsigned char>(c) & 15];
      }
      return literal + "'";
    }
  }
  return "NULL";
}

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

std::string JoinNames(const std::vector<Name>& path) {
  std::string out;
  for (const auto& n : path) out += (out.empty() ? "" : ".") + Quote(n.text);
  return out;
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

enum class Clause { kSelectList, kWhere, kGroupBy, kHaving, kOrderBy, kValues, kSet, kDefault };

}  // namespace

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

  // Carries the flags of the operands into a new expression.
  static CExpr Derived(std::string sql, SqlType type, std::initializer_list<const CExpr*> from) {
    CExpr e = Sql(std::move(sql), type, (*from.begin())->pos);
    e.nullable = false;
    for (const CExpr* f : from) {
      e.aggregate |= f->aggregate;
      e.has_column |= f->has_column;
      e.nullable |= f->nullable;
      e.columns.insert(e.columns.end(), f->columns.begin(), f->columns.end());
    }
    return e;
  }

  // ---- conversions -------------------------------------------------------------------------
  CExpr ToNumber(CExpr e) {
    switch (e.type.type) {
      case DataType::kNumber:
        return e;
      case DataType::kNull:
        e.type = SqlType::Number();
        return e;
      case DataType::kDate:
        throw OraError(932, {"NUMBER", "DATE"}).At(e.pos);
      case DataType::kRaw:
      case DataType::kLongRaw:
        throw OraError(932, {"NUMBER", "BINARY"}).At(e.pos);
      case DataType::kBlob:
        throw OraError(932, {"NUMBER", "BLOB"}).At(e.pos);
      case DataType::kBfile:
        throw OraError(932, {"NUMBER", "FILE"}).At(e.pos);
      case DataType::kLong:
        throw OraError(997).At(e.pos);
      default:
        break;
    }
    if (e.constant) {
      try {
        return Constant(ocilite::ToNumber(*e.constant, ctx), SqlType::Number(), e.pos);
      } catch (const OraError&) {
        // Left to run time: Oracle fails only when the value is used.
      }
    }
    return Derived("ocl_num(" + Emit(e) + ")", SqlType::Number(), {&e});
  }

  CExpr ToDate(CExpr e) {
    switch (e.type.type) {
      case DataType::kDate:
        return e;
      case DataType::kNull:
        e.type = SqlType::Date();
        return e;
      case DataType::kNumber:
        throw OraError(932, {"DATE", "NUMBER"}).At(e.pos);
      case DataType::kRaw:
      case DataType::kLongRaw:
        throw OraError(932, {"DATE", "BINARY"}).At(e.pos);
      case DataType::kBlob:
        throw OraError(932, {"DATE", "BLOB"}).At(e.pos);
      case DataType::kBfile:
        throw OraError(932, {"DATE", "FILE"}).At(e.pos);
      case DataType::kLong:
        throw OraError(997).At(e.pos);
      default:
        break;
    }
    if (e.constant) {
      try {
        return Constant(ocilite::ToDate(*e.constant, ctx), SqlType::Date(), e.pos);
      } catch (const OraError&) {
      }
    }
    return Derived("ocl_date(" + Emit(e) + ")", SqlType::Date(), {&e});
  }

  CExpr ToText(CExpr e) {
    switch (e.type.type) {
      case DataType::kVarchar2:
      case DataType::kChar:
      case DataType::kLong:
      case DataType::kClob:
        return e;
      case DataType::kNull:
        e.type = SqlType::Varchar2(0);
        return e;
      case DataType::kNumber:
        if (e.constant) {
          Value t = ocilite::ToText(*e.constant, DataType::kNumber, ctx);
          const int len = static_cast<int>(t.s.size());
          return Constant(std::move(t), SqlType::Varchar2(len), e.pos);
        }
        return Derived("ocl_char_num(" + Emit(e) + ")", SqlType::Varchar2(40), {&e});
      case DataType::kDate:
        return Derived("ocl_char_date(" + Emit(e) + ")", SqlType::Varchar2(75), {&e});
      case DataType::kRaw:
      case DataType::kLongRaw:
      case DataType::kBlob:
        return Derived("nullif(hex(" + Emit(e) + "), '')",
                       SqlType::Varchar2(std::max(1, e.type.length * 2)), {&e});
      case DataType::kRowid:
        return e;
      case DataType::kBfile:
        throw OraError(932, {"CHAR", "FILE"}).At(e.pos);
    }
    return e;
  }

  // Text becomes binary as hexadecimal digits ("ABCD" is two bytes), as Oracle reads it.
  CExpr ToRaw(CExpr e) {
    switch (e.type.type) {
      case DataType::kRaw:
      case DataType::kLongRaw:
      case DataType::kBlob:
        return e;
      case DataType::kNull:
        e.type = SqlType::Raw(0);
        return e;
      case DataType::kNumber:
        throw OraError(932, {"BINARY", "NUMBER"}).At(e.pos);
      case DataType::kDate:
        throw OraError(932, {"BINARY", "DATE"}).At(e.pos);
      case DataType::kBfile:
        throw OraError(932, {"BINARY", "FILE"}).At(e.pos);
      default:
        break;
    }
    const SqlType raw = SqlType::Raw(std::max(1, (e.type.length + 1) / 2));
    if (e.constant) {
      try {
        return Constant(HexToRaw(*e.constant), raw, e.pos);
      } catch (const OraError&) {
        // Left to run time, as text that is no number is.
      }
    }
    return Derived("ocl_hextoraw(" + Emit(e) + ")", raw, {&e});
  }

  // Makes `e` of the type of a column it is stored into.
  CExpr ToColumnType(CExpr e, const SqlType& t) {
    switch (t.type) {
      case DataType::kNumber:
        return ToNumber(std::move(e));
      case DataType::kDate:
        return ToDate(std::move(e));
      case DataType::kRaw:
      case DataType::kLongRaw:
      case DataType::kBlob:
        return ToRaw(std::move(e));
      case DataType::kClob:
        if (e.type.type == DataType::kClob) return e;
        return ToText(std::move(e));
      case DataType::kBfile:
        if (e.type.type == DataType::kBfile || e.type.IsNull()) return e;
        throw OraError(932, {"FILE", e.type.DictionaryName()}).At(e.pos);
      default:
        return ToText(std::move(e));
    }
  }

  // Comparing, sorting, grouping and DISTINCT need values that compare, which LOBs are not;
  // Oracle names what it expected as "-".
  static void CheckComparable(const CExpr& e) {
    if (e.type.IsLob()) throw OraError(932, {"-", e.type.DictionaryName()}).At(e.pos);
  }

  // Brings both sides of a comparison to one type, by Oracle's rules.
  void Unify(CExpr& a, CExpr& b) {
    const DataType ta = a.type.type, tb = b.type.type;
    if (ta == DataType::kLong || ta == DataType::kLongRaw) throw OraError(997).At(a.pos);
    if (tb == DataType::kLong || tb == DataType::kLongRaw) throw OraError(997).At(b.pos);
    CheckComparable(a);
    CheckComparable(b);
    if (ta == DataType::kNull || tb == DataType::kNull || ta == tb) {
      if (ta == DataType::kChar && tb == DataType::kChar) PadChars(a, b);
      return;
    }
    if ((ta == DataType::kDate && tb == DataType::kNumber) ||
        (ta == DataType::kNumber && tb == DataType::kDate))
      throw OraError(932, {"DATE", "NUMBER"}).At(ta == DataType::kNumber ? a.pos : b.pos);
    // RAW against text compares as text: the RAW in its hexadecimal form.
    const bool raw_a = ta == DataType::kRaw || ta == DataType::kLongRaw;
    const bool raw_b = tb == DataType::kRaw || tb == DataType::kLongRaw;
    if (raw_a != raw_b && (a.type.IsText() || b.type.IsText())) {
      (raw_a ? a : b) = ToText(std::move(raw_a ? a : b));
      return;
    }
    if (ta == DataType::kNumber) {
      b = ToNumber(std::move(b));
    } else if (tb == DataType::kNumber) {
      a = ToNumber(std::move(a));
    } else if (ta == DataType::kDate) {
      b = ToDate(std::move(b));
    } else if (tb == DataType::kDate) {
      a = ToDate(std::move(a));
    }
  }

  // CHAR against CHAR compares blank-padded: trailing blanks do not count.
  void PadChars(CExpr& a, CExpr& b) {
    auto unpad = [&](CExpr& e) {
      if (e.constant && e.constant->kind == Value::Kind::kText) {
        std::string s = e.constant->s;
        while (!s.empty() && s.back() == ' ') s.pop_back();
        e.constant = s.empty() ? Value::Null() : Value::Text(s);
      } else {
        e = Derived("ocl_unpad(" + Emit(e) + ")", e.type, {&e});
      }
    };
    unpad(a);
    unpad(b);
  }

  // ---- names -------------------------------------------------------------------------------
  CExpr Column(const Source& s, const ColumnInfo& c, int pos) {
    CExpr e = Sql(s.sql_alias + "." + c.storage, c.type, pos);
    e.nullable = c.nullable;
    e.has_column = true;
    e.columns.push_back(e.sql);
    return e;
  }

  bool QualifierMatches(const Source& s, const std::vector<Name>& qualifier) const {
    if (qualifier.size() == 1) {
      if (s.alias) return *s.alias == qualifier[0].text;
      return s.table->name == qualifier[0].text;
    }
    return !s.alias && s.table->owner == qualifier[0].text && s.table->name == qualifier[1].text;
  }

  CExpr ResolveColumn(const Expr& e) {
    const std::vector<Name>& path = e.path;
    const Name& column = path.back();
    if (path.size() == 1 && !column.quoted) {
      if (column.text == "SYSDATE") return Sql("ocl_sysdate()", SqlType::Date(), e.pos);
      if (column.text == "USER") {
        CExpr u = Sql("ocl_user()", SqlType::Varchar2(30), e.pos);
        return u;
      }
      if (column.text == "ROWNUM" || column.text == "ROWID" || column.text == "LEVEL")
        throw OraError(3001).At(e.pos);
    }
    const std::vector<Name> qualifier(path.begin(), path.end() - 1);
    const Source* found_source = nullptr;
    const ColumnInfo* found = nullptr;
    // The innermost block first, then the enclosing ones.
    auto search = [&](std::size_t from, std::size_t to) {
      for (std::size_t i = from; i < to; ++i) {
        const Source& s = sources[i];
        if (!qualifier.empty() && !QualifierMatches(s, qualifier)) continue;
        if (const ColumnInfo* c = s.table->FindColumn(column.text)) {
          if (found) throw OraError(918).At(e.pos);
          found = c;
          found_source = &s;
        }
      }
    };
    search(scope_start, sources.size());
    if (!found) search(0, scope_start);
    if (!found) throw OraError(904, {JoinNames(path)}).At(e.pos);
    return Column(*found_source, *found, e.pos);
  }

  // ---- expressions -------------------------------------------------------------------------
  CExpr Compile(const Expr& e, Clause clause) {
    switch (e.kind) {
      case ExprKind::kNull:
        return Constant(Value::Null(), SqlType{}, e.pos);
      case ExprKind::kString: {
        const int len = static_cast<int>(Utf8Length(e.text));
        return Constant(Value::Text(e.text), SqlType::Char(len), e.pos);
      }
      case ExprKind::kNumber: {
        const auto d = ParseDecimal(e.text, '.');
        if (!d) throw OraError(1722).At(e.pos);
        return Constant(NumberValue(*d), SqlType::Number(), e.pos);
      }
      case ExprKind::kBind: {
        ++bind_position;
        const SqlType type = bind_types(e.text, bind_position);
        out.binds.push_back({e.text, bind_position});
        out.params.push_back(Param{true, out.binds.size() - 1, {}});
        return Sql("?" + std::to_string(out.params.size()), type, e.pos);
      }
      case ExprKind::kColumn:
        if (clause == Clause::kDefault) throw OraError(984).At(e.pos);
        if (IsRownum(e) && (clause == Clause::kSelectList || clause == Clause::kOrderBy))
          return Sql("ocl_num(row_number() OVER ())", SqlType::Number(), e.pos);
        if (!e.path.back().quoted && e.path.back().text == "ROWID" && e.path.size() <= 3)
          return Rowid(e);
        if (e.path.size() >= 2 && !e.path.back().quoted &&
            (e.path.back().text == "NEXTVAL" || e.path.back().text == "CURRVAL")) {
          if (clause != Clause::kSelectList && clause != Clause::kValues && clause != Clause::kSet)
            throw OraError(2287).At(e.pos);
          const std::string owner = e.path.size() == 3 ? e.path[0].text : ctx.user;
          CExpr o = Constant(Value::Text(owner), SqlType::Varchar2(30), e.pos);
          CExpr n =
              Constant(Value::Text(e.path[e.path.size() - 2].text), SqlType::Varchar2(30), e.pos);
          const std::string fn = e.path.back().text == "NEXTVAL" ? "ocl_nextval" : "ocl_currval";
          CExpr r = Sql(fn + "(" + Emit(o) + ", " + Emit(n) + ")", SqlType::Number(), e.pos);
          r.nullable = false;
          return r;
        }
        return ResolveColumn(e);
      case ExprKind::kStar:
        throw OraError(936).At(e.pos);
      case ExprKind::kDefault:
        throw OraError(936).At(e.pos);
      case ExprKind::kNegate: {
        CExpr a = ToNumber(Compile(*e.args[0], clause));
        if (a.constant && a.constant->IsNumber()) {
          Decimal d = ToDecimal(*a.constant);
          if (!d.IsZero()) d.negative = !d.negative;
          return Constant(NumberValue(d), SqlType::Number(), e.pos);
        }
        return Derived("ocl_num_fn('NEG', " + Emit(a) + ")", SqlType::Number(), {&a});
      }
      case ExprKind::kArithmetic:
        return Arithmetic(e, clause);
      case ExprKind::kConcat: {
        CExpr a = ToText(Compile(*e.args[0], clause));
        CExpr b = ToText(Compile(*e.args[1], clause));
        const int len = std::min(4000, a.type.length + b.type.length);
        CExpr r = Derived("ocl_concat(" + Emit(a) + ", " + Emit(b) + ")", SqlType::Varchar2(len),
                          {&a, &b});
        r.nullable = a.nullable && b.nullable;
        return r;
      }
      case ExprKind::kCompare: {
        CExpr a = Compile(*e.args[0], clause);
        CExpr b = Compile(*e.args[1], clause);
        Unify(a, b);
        return Condition("(" + Emit(a) + " " + e.op + " " + Emit(b) + ")", {&a, &b});
      }
      case ExprKind::kAnd:
      case ExprKind::kOr: {
        CExpr a = Compile(*e.args[0], clause);
        CExpr b = Compile(*e.args[1], clause);
        return Condition("(" + Emit(a) + " " + e.op + " " + Emit(b) + ")", {&a, &b});
      }
      case ExprKind::kNot: {
        CExpr a = Compile(*e.args[0], clause);
        return Condition("(NOT " + Emit(a) + ")", {&a});
      }
      case ExprKind::kIsNull: {
        CExpr a = Compile(*e.args[0], clause);
        return Condition("(" + Emit(a) + (e.negated ? " IS NOT NULL)" : " IS NULL)"), {&a});
      }
      case ExprKind::kLike: {
        CExpr a = ToText(Compile(*e.args[0], clause));
        CExpr b = ToText(Compile(*e.args[1], clause));
        std::string sql = "(" + Emit(a) + (e.negated ? " NOT LIKE " : " LIKE ") + Emit(b);
        if (e.args.size() > 2) {
          CExpr c = ToText(Compile(*e.args[2], clause));
          sql += " ESCAPE " + Emit(c);
        }
        return Condition(sql + ")", {&a, &b});
      }
      case ExprKind::kIn: {
        // Every item is compared with the left side, converted by the rules of "=".
        CExpr a = Compile(*e.args[0], clause);
        if (e.query) {
          auto [sql, columns] = Subquery(*e.query, true);
          if (columns.size() > 1) throw OraError(913).At(e.pos);
          CExpr item = Sql("q.c0", columns[0].type, e.pos);
          Unify(a, item);
          return Condition("(" + Emit(a) + (e.negated ? " NOT IN " : " IN ") + "(SELECT " +
                               Emit(item) + " FROM (" + sql + ") AS q))",
                           {&a});
        }
        std::vector<CExpr> items;
        for (std::size_t i = 1; i < e.args.size(); ++i) {
          items.push_back(Compile(*e.args[i], clause));
          Unify(a, items.back());
        }
        std::string list;
        for (auto& item : items) list += (list.empty() ? "" : ", ") + Emit(item);
        std::string sql = "(" + Emit(a) + (e.negated ? " NOT IN (" : " IN (") + list + "))";
        return Condition(sql, {&a});
      }
      case ExprKind::kBetween: {
        CExpr a = Compile(*e.args[0], clause);
        CExpr lo = Compile(*e.args[1], clause);
        CExpr hi = Compile(*e.args[2], clause);
        Unify(a, lo);
        Unify(a, hi);
        return Condition("(" + Emit(a) + (e.negated ? " NOT BETWEEN " : " BETWEEN ") + Emit(lo) +
                             " AND " + Emit(hi) + ")",
                         {&a, &lo, &hi});
      }
      case ExprKind::kFunction:
        return Function(e, clause);
      case ExprKind::kSubquery: {
        auto [sql, columns] = Subquery(*e.query, false);
        if (columns.size() > 1) throw OraError(913).At(e.pos);
        CExpr r = Sql("(" + sql + ")", columns[0].type, e.pos);
        r.nullable = true;
        return r;
      }
      case ExprKind::kExists: {
        const std::string sql = Subquery(*e.query, false).first;
        CExpr r = Sql("(EXISTS (" + sql + "))", SqlType::Number(), e.pos);
        r.condition = true;
        r.nullable = false;
        return r;
      }
      case ExprKind::kTrim: {
        CExpr s = ToText(Compile(*e.args[0], clause));
        std::string sql = "ocl_trim('" + e.op + "', " + Emit(s);
        if (e.args.size() > 1) {
          CExpr c = ToText(Compile(*e.args[1], clause));
          sql += ", " + Emit(c);
        }
        return Derived(sql + ")", SqlType::Varchar2(std::max(1, s.type.length)), {&s});
      }
    }
    throw OraError(936).At(e.pos);
  }

  static CExpr Condition(std::string sql, std::initializer_list<const CExpr*> from) {
    CExpr r = Derived(std::move(sql), SqlType::Number(), from);
    r.condition = true;
    return r;
  }

  CExpr Arithmetic(const Expr& e, Clause clause) {
    CExpr a = Compile(*e.args[0], clause);
    CExpr b = Compile(*e.args[1], clause);
    const bool date_a = a.type.type == DataType::kDate, date_b = b.type.type == DataType::kDate;
    if (date_a || date_b) {
      if (e.op == "+" && date_a != date_b) {
        CExpr& d = date_a ? a : b;
        CExpr n = ToNumber(date_a ? b : a);
        return Derived("ocl_date_add(" + Emit(d) + ", " + Emit(n) + ")", SqlType::Date(), {&d, &n});
      }
      if (e.op == "-" && date_a && !date_b) {
        CExpr n = ToNumber(std::move(b));
        return Derived("ocl_date_add(" + Emit(a) + ", ocl_num_fn('NEG', " + Emit(n) + "))",
                       SqlType::Date(), {&a, &n});
      }
      if (e.op == "-" && date_a && date_b)
        return Derived("ocl_date_diff(" + Emit(a) + ", " + Emit(b) + ")", SqlType::Number(),
                       {&a, &b});
      throw OraError(932, {"NUMBER", "DATE"}).At(date_a ? a.pos : b.pos);
    }
    a = ToNumber(std::move(a));
    b = ToNumber(std::move(b));
    return Derived("ocl_arith('" + e.op + "', " + Emit(a) + ", " + Emit(b) + ")", SqlType::Number(),
                   {&a, &b});
  }

  void CheckArgs(const Expr& e, std::size_t min, std::size_t max) {
    if (e.args.size() < min || e.args.size() > max) throw OraError(909).At(e.pos);
  }

  CExpr Aggregate(const Expr& e, Clause clause) {
    if (clause == Clause::kWhere || clause == Clause::kGroupBy || clause == Clause::kValues ||
        clause == Clause::kSet || clause == Clause::kDefault)
      throw OraError(934).At(e.pos);
    CheckArgs(e, 1, 1);
    const std::string fn = Utf8Lower(e.op);
    CExpr r;
    if (e.args[0]->kind == ExprKind::kStar) {
      if (e.op != "COUNT") throw OraError(936).At(e.args[0]->pos);
      r = Sql("ocl_num(count(*))", SqlType::Number(), e.pos);
      r.nullable = false;
    } else {
      CExpr a = Compile(*e.args[0], Clause::kHaving);
      if (a.aggregate) throw OraError(935).At(e.pos);
      if (e.op == "SUM" || e.op == "AVG") a = ToNumber(std::move(a));
      const std::string distinct = e.distinct ? "DISTINCT " : "";
      const SqlType type = (e.op == "MIN" || e.op == "MAX") ? a.type : SqlType::Number();
      // Numbers add up in their decimal form; SQLite's own COUNT gives an integer.
      const std::string call =
          (e.op == "SUM" || e.op == "AVG" ? "ocl_" + fn : fn) + "(" + distinct + Emit(a) + ")";
      r = Sql(e.op == "COUNT" ? "ocl_num(" + call + ")" : call, type, e.pos);
      r.nullable = e.op != "COUNT";
    }
    r.aggregate = true;
    r.has_column = false;
    r.columns.clear();
    return r;
  }

  CExpr Function(const Expr& e, Clause clause) {
    const std::string& f = e.op;
    if (f == "COUNT" || f == "SUM" || f == "AVG" || f == "MIN" || f == "MAX")
      return Aggregate(e, clause);
    auto arg = [&](std::size_t i) { return Compile(*e.args[i], clause); };
    if (f == "UPPER" || f == "LOWER") {
      CheckArgs(e, 1, 1);
      CExpr a = ToText(arg(0));
      SqlType t = a.type.type == DataType::kChar ? a.type : SqlType::Varchar2(a.type.length);
      return Derived("ocl_" + Utf8Lower(f) + "(" + Emit(a) + ")", t, {&a});
    }
    if (f == "LENGTH") {
      CheckArgs(e, 1, 1);
      CExpr a = ToText(arg(0));
      return Derived("ocl_length(" + Emit(a) + ")", SqlType::Number(), {&a});
    }
    if (f == "SUBSTR") {
      CheckArgs(e, 2, 3);
      CExpr s = ToText(arg(0));
      CExpr p = ToNumber(arg(1));
      std::string sql = "ocl_substr(" + Emit(s) + ", " + Emit(p);
      if (e.args.size() > 2) {
        CExpr l = ToNumber(arg(2));
        sql += ", " + Emit(l);
      }
      return Derived(sql + ")", SqlType::Varchar2(std::max(1, s.type.length)), {&s, &p});
    }
    if (f == "LTRIM" || f == "RTRIM") {
      CheckArgs(e, 1, 2);
      CExpr s = ToText(arg(0));
      std::string sql = "ocl_" + Utf8Lower(f) + "(" + Emit(s);
      if (e.args.size() > 1) {
        CExpr set = ToText(arg(1));
        sql += ", " + Emit(set);
      }
      return Derived(sql + ")", SqlType::Varchar2(std::max(1, s.type.length)), {&s});
    }
    if (f == "EMPTY_CLOB" || f == "EMPTY_BLOB") {
      CheckArgs(e, 0, 0);
      // A zero-length BLOB value is the empty LOB in either kind of column.
      CExpr r = Sql("x''", SqlType{f == "EMPTY_CLOB" ? DataType::kClob : DataType::kBlob}, e.pos);
      r.nullable = false;
      return r;
    }
    if (f == "BFILENAME") {
      CheckArgs(e, 2, 2);
      CExpr directory = ToText(arg(0));
      CExpr file = ToText(arg(1));
      return Derived("(" + Emit(directory) + " || '/' || " + Emit(file) + ")",
                     SqlType{DataType::kBfile}, {&directory, &file});
    }
    if (f == "TO_CLOB") {
      CheckArgs(e, 1, 1);
      CExpr a = ToText(arg(0));
      a.type = SqlType{DataType::kClob};
      return a;
    }
    if (f == "NVL") {
      CheckArgs(e, 2, 2);
      CExpr a = arg(0);
      CExpr b = arg(1);
      if (a.type.IsNull()) {
        a.type = b.type;
      } else {
        b = ToColumnType(std::move(b), a.type);
      }
      CExpr r = Derived("coalesce(" + Emit(a) + ", " + Emit(b) + ")", a.type, {&a, &b});
      r.nullable = b.nullable;
      return r;
    }
    if (f == "TO_CHAR") {
      CheckArgs(e, 1, 3);
      CExpr x = arg(0);
      std::string model;
      CExpr fmt;
      if (e.args.size() > 1) {
        fmt = ToText(arg(1));
        model = ", " + Emit(fmt);
      }
      switch (x.type.type) {
        case DataType::kDate:
          return Derived("ocl_to_char_date(" + Emit(x) + model + ")", SqlType::Varchar2(75), {&x});
        case DataType::kNumber:
          return Derived("ocl_to_char_num(" + Emit(x) + model + ")", SqlType::Varchar2(64), {&x});
        default:
          if (e.args.size() == 1) return ToText(std::move(x));
          return Derived("ocl_to_char_num(" + Emit(x) + model + ")", SqlType::Varchar2(64), {&x});
      }
    }
    if (f == "TO_DATE") {
      CheckArgs(e, 1, 3);
      CExpr x = arg(0);
      if (x.type.type == DataType::kDate && e.args.size() == 1) return x;
      x = ToText(std::move(x));
      std::string sql = "ocl_to_date(" + Emit(x);
      if (e.args.size() > 1) {
        CExpr fmt = ToText(arg(1));
        sql += ", " + Emit(fmt);
      }
      return Derived(sql + ")", SqlType::Date(), {&x});
    }
    if (f == "TO_NUMBER") {
      CheckArgs(e, 1, 3);
      CExpr x = arg(0);
      if (e.args.size() == 1) return ToNumber(std::move(x));
      x = ToText(std::move(x));
      CExpr fmt = ToText(arg(1));
      return Derived("ocl_to_number(" + Emit(x) + ", " + Emit(fmt) + ")", SqlType::Number(), {&x});
    }
    if (f == "DECODE") {
      // DECODE(x, s1, r1, ..., [default]): the first search value equal to x, NULL equal to NULL.
      if (e.args.size() < 3) throw OraError(938).At(e.pos);
      CExpr x = arg(0);
      std::vector<CExpr> results;
      std::string sql = "CASE";
      std::size_t i = 1;
      for (; i + 1 < e.args.size(); i += 2) {
        CExpr left = x;
        CExpr search = arg(i);
        Unify(left, search);
        const std::string l = Emit(left), r = Emit(search);
        CExpr result = arg(i + 1);
        if (!results.empty()) result = ToColumnType(std::move(result), results[0].type);
        sql += " WHEN (" + l + " = " + r + " OR (" + l + " IS NULL AND " + r + " IS NULL)) THEN " +
               Emit(result);
        results.push_back(std::move(result));
      }
      if (i < e.args.size()) {
        CExpr other = ToColumnType(arg(i), results[0].type);
        sql += " ELSE " + Emit(other);
        results.push_back(std::move(other));
      }
      SqlType type = results[0].type;
      if (type.IsText() || type.IsNull()) {
        int length = 0;
        for (const CExpr& r : results) length = std::max(length, r.type.length);
        type = SqlType::Varchar2(length);
      }
      CExpr r = Derived(sql + " END", type, {&x});
      for (const CExpr& c : results) {
        r.has_column |= c.has_column;
        r.aggregate |= c.aggregate;
        r.columns.insert(r.columns.end(), c.columns.begin(), c.columns.end());
      }
      r.nullable = true;
      return r;
    }
    if (f == "CASE") return Case(e, clause);
    if (f == "INSTR") {
      CheckArgs(e, 2, 4);
      CExpr s = ToText(arg(0));
      CExpr sub = ToText(arg(1));
      std::string sql = "ocl_instr(" + Emit(s) + ", " + Emit(sub);
      for (std::size_t i = 2; i < e.args.size(); ++i) {
        CExpr n = ToNumber(arg(i));
        sql += ", " + Emit(n);
      }
      return Derived(sql + ")", SqlType::Number(), {&s, &sub});
    }
    if (f == "LPAD" || f == "RPAD") {
      CheckArgs(e, 2, 3);
      CExpr s = ToText(arg(0));
      CExpr n = ToNumber(arg(1));
      std::string sql =
          "ocl_pad(" + std::string(f == "LPAD" ? "1" : "0") + ", " + Emit(s) + ", " + Emit(n);
      if (e.args.size() > 2) {
        CExpr pad = ToText(arg(2));
        sql += ", " + Emit(pad);
      }
      return Derived(sql + ")", SqlType::Varchar2(4000), {&s, &n});
    }
    if (f == "REPLACE") {
      CheckArgs(e, 2, 3);
      CExpr s = ToText(arg(0));
      CExpr from = ToText(arg(1));
      std::string sql = "ocl_replace(" + Emit(s) + ", " + Emit(from);
      if (e.args.size() > 2) {
        CExpr to = ToText(arg(2));
        sql += ", " + Emit(to);
      }
      return Derived(sql + ")", SqlType::Varchar2(4000), {&s, &from});
    }
    if (f == "ASCII") {
      CheckArgs(e, 1, 1);
      CExpr s = ToText(arg(0));
      return Derived("ocl_ascii(" + Emit(s) + ")", SqlType::Number(), {&s});
    }
    if (f == "ROUND" || f == "TRUNC") {
      CheckArgs(e, 1, 2);
      CExpr x = arg(0);
      const std::string which = f == "ROUND" ? "'R'" : "'T'";
      if (x.type.type == DataType::kDate) {
        std::string sql = "ocl_round_date(" + which + ", " + Emit(x);
        if (e.args.size() > 1) {
          CExpr model = ToText(arg(1));
          sql += ", " + Emit(model);
        }
        return Derived(sql + ")", SqlType::Date(), {&x});
      }
      x = ToNumber(std::move(x));
      std::string sql = "ocl_round_num(" + which + ", " + Emit(x);
      if (e.args.size() > 1) {
        CExpr places = ToNumber(arg(1));
        sql += ", " + Emit(places);
      }
      return Derived(sql + ")", SqlType::Number(), {&x});
    }
    if (f == "ADD_MONTHS") {
      CheckArgs(e, 2, 2);
      CExpr d = ToDate(arg(0));
      CExpr n = ToNumber(arg(1));
      return Derived("ocl_add_months(" + Emit(d) + ", " + Emit(n) + ")", SqlType::Date(), {&d, &n});
    }
    if (f == "MONTHS_BETWEEN") {
      CheckArgs(e, 2, 2);
      CExpr a = ToDate(arg(0));
      CExpr b = ToDate(arg(1));
      return Derived("ocl_months_between(" + Emit(a) + ", " + Emit(b) + ")", SqlType::Number(),
                     {&a, &b});
    }
    if (f == "LAST_DAY") {
      CheckArgs(e, 1, 1);
      CExpr d = ToDate(arg(0));
      return Derived("ocl_last_day(" + Emit(d) + ")", SqlType::Date(), {&d});
    }
    if (f == "HEXTORAW") {
      CheckArgs(e, 1, 1);
      return ToRaw(ToText(arg(0)));
    }
    if (f == "RAWTOHEX") {
      CheckArgs(e, 1, 1);
      // SQL takes a text argument by its bytes, not as hexadecimal digits.
      CExpr a = arg(0);
      if (a.type.IsText()) a.type = SqlType::Raw(a.type.length);
      return ToText(ToRaw(std::move(a)));
    }
    if (f == "CHR") {
      CheckArgs(e, 1, 1);
      CExpr n = ToNumber(arg(0));
      return Derived("ocl_chr(" + Emit(n) + ")", SqlType::Varchar2(1), {&n});
    }
    if (f == "ABS" || f == "SIGN" || f == "CEIL" || f == "FLOOR") {
      CheckArgs(e, 1, 1);
      CExpr a = ToNumber(arg(0));
      return Derived("ocl_num_fn('" + f + "', " + Emit(a) + ")", SqlType::Number(), {&a});
    }
    if (f == "MOD" || f == "POWER") {
      CheckArgs(e, 2, 2);
      CExpr a = ToNumber(arg(0));
      CExpr b = ToNumber(arg(1));
      return Derived("ocl_num_fn('" + f + "', " + Emit(a) + ", " + Emit(b) + ")", SqlType::Number(),
                     {&a, &b});
    }
    throw OraError(904, {Quote(f)}).At(e.pos);
  }

  // CASE as the parser keeps it (see ParseCase): the first WHEN that holds gives the value.
  CExpr Case(const Expr& e, Clause clause) {
    const bool simple = e.negated;
    const bool has_else = e.text == "ELSE";
    const std::size_t pairs_end = e.args.size() - (has_else ? 1 : 0);
    CExpr operand;
    if (simple) operand = Compile(*e.args[0], clause);
    std::vector<CExpr> results;
    std::vector<CExpr> tests;
    std::string sql = "CASE";
    for (std::size_t i = simple ? 1 : 0; i + 1 < pairs_end; i += 2) {
      std::string condition;
      if (simple) {
        CExpr left = operand;
        CExpr search = Compile(*e.args[i], clause);
        Unify(left, search);
        condition = Emit(left) + " = " + Emit(search);
        tests.push_back(std::move(search));
      } else {
        CExpr test = Compile(*e.args[i], clause);
        condition = Emit(test);
        tests.push_back(std::move(test));
      }
      CExpr result = Compile(*e.args[i + 1], clause);
      if (!results.empty() && !results[0].type.IsNull())
        result = ToColumnType(std::move(result), results[0].type);
      sql += " WHEN " + condition + " THEN " + Emit(result);
      results.push_back(std::move(result));
    }
    if (has_else) {
      CExpr other = Compile(*e.args.back(), clause);
      if (!results[0].type.IsNull()) other = ToColumnType(std::move(other), results[0].type);
      sql += " ELSE " + Emit(other);
      results.push_back(std::move(other));
    }
    SqlType type = results[0].type;
    for (const CExpr& r : results)
      if (type.IsNull()) type = r.type;
    if (type.IsText() || type.IsNull()) {
      int length = 0;
      for (const CExpr& r : results) length = std::max(length, r.type.length);
      type = SqlType::Varchar2(length);
    }
    CExpr r = Derived(sql + " END", type, {&operand});
    for (const auto* list : {&results, &tests}) {
      for (const CExpr& c : *list) {
        r.has_column |= c.has_column;
        r.aggregate |= c.aggregate;
        r.columns.insert(r.columns.end(), c.columns.begin(), c.columns.end());
      }
    }
    r.nullable = true;
    return r;
  }

  // ---- queries -----------------------------------------------------------------------------
  // Compiles a subquery in a scope of its own that still sees the enclosing blocks' tables;
  // gives its SQLite text and its columns (named c0, c1, ... with `column_aliases`).
  std::pair<std::string, std::vector<ResultColumn>> Subquery(const SelectStmt& q,
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
  std::shared_ptr<const TableInfo> InlineView(const SelectStmt& q) {
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

  void AddSources(const std::vector<TableRef>& from) {
    for (const TableRef& ref : from) {
      Source s;
      s.table = ref.query ? InlineView(*ref.query) : owner.ResolveTable(ref.table);
      if (ref.alias) s.alias = ref.alias->text;
      s.sql_alias = "t" + std::to_string(sources.size());
      sources.push_back(std::move(s));
    }
  }

  std::string FromClause() const {
    std::string sql;
    for (std::size_t i = scope_start; i < sources.size(); ++i)
      sql += (sql.empty() ? " FROM " : ", ") + sources[i].table->storage + " AS " +
             sources[i].sql_alias;
    return sql;
  }

  // Compiles a query; with `column_aliases` every select-list item is named c0, c1, ...
  std::string CompileQuery(const SelectStmt& s, bool column_aliases) {
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
  static void UniteColumn(ResultColumn& a, const ResultColumn& b, int pos) {
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
  std::string CompileBlock(const SelectStmt& s, bool column_aliases, bool with_order) {
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
                       si.alias ? std::optional<std::string>(si.alias->text) : std::nullopt,
                       e.pos});
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
    const std::string rowid =
        only.table->dictionary ? "" : ", " + only.sql_alias + ".rowid AS rowid";
    return select + " FROM (SELECT " + only.sql_alias + ".*" + rowid + " FROM " +
           only.table->storage + " AS " + only.sql_alias + where + limit + ") AS " +
           only.sql_alias + group + having + order;
  }

  // The WHERE clause (" WHERE ..." or "") of `where`'s terms but its ROWNUM bounds, which go
  // into `row_limits` as the number of rows each lets through (SQLite text).
  std::string CompileWhere(const Expr& where, std::vector<std::string>& row_limits) {
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

  static std::string RowLimit(const std::vector<std::string>& limits) {
    if (limits.size() == 1) return limits[0];
    std::string sql = "min(";
    for (std::size_t i = 0; i < limits.size(); ++i) sql += (i ? ", " : "") + limits[i];
    return sql + ")";
  }

  static void SplitAnd(const Expr& e, std::vector<const Expr*>& terms) {
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
  std::optional<std::string> RownumBound(const Expr& e) {
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
  std::string Bound(std::string_view op, const Expr& value) {
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
  CExpr Rowid(const Expr& e) {
    const std::vector<Name> qualifier(e.path.begin(), e.path.end() - 1);
    const Source* found = nullptr;
    for (std::size_t i = scope_start; i < sources.size(); ++i) {
      if (!qualifier.empty() && !QualifierMatches(sources[i], qualifier)) continue;
      if (found) throw OraError(918).At(e.pos);
      found = &sources[i];
    }
    if (!found) throw OraError(904, {JoinNames(e.path)}).At(e.pos);
    if (found->table->dictionary) throw OraError(1445).At(e.pos);
    CExpr r = Sql("ocl_rowid(" + std::to_string(found->table->object_id) + ", " + found->sql_alias +
                      ".rowid)",
                  SqlType::Varchar2(18), e.pos);
    r.nullable = false;
    r.has_column = true;
    return r;
  }

  static bool IsRownum(const Expr& e) {
    return e.kind == ExprKind::kColumn && e.path.size() == 1 && !e.path[0].quoted &&
           e.path[0].text == "ROWNUM";
  }

  // Records "column = value" terms of a one-table WHERE joined by AND, for automatic indexes.
  void NoteLookups(const Expr& where) {
    if (sources.size() != 1 || sources[0].table->dictionary) return;
    std::vector<std::string> columns;
    std::vector<const Expr*> stack{&where};
    while (!stack.empty()) {
      const Expr* e = stack.back();
      stack.pop_back();
      if (e->kind == ExprKind::kAnd) {
        stack.push_back(e->args[0].get());
        stack.push_back(e->args[1].get());
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
  std::string DmlWhere(const Expr& where, const TableInfo& t) {
    std::vector<std::string> limits;
    const std::string sql = CompileWhere(where, limits);
    if (limits.empty()) return sql;
    return " WHERE t0.rowid IN (SELECT t0.rowid FROM " + t.storage + " AS t0" + sql + " LIMIT " +
           RowLimit(limits) + " OFFSET 0)";
  }

  std::shared_ptr<const TableInfo> Target(const TableRef& ref) {
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
  std::string StoredValue(CExpr v, const TableInfo& t, const ColumnInfo& column, bool update,
                          bool check_now) {
    v = ToColumnType(std::move(v), column.type);
    if (check_now && v.constant) {
      v.constant = CheckColumnValue(*v.constant, Check(t, column, update));
      return Emit(v);
    }
    const int flags = (column.nullable ? 0 : 1) | (update ? 2 : 0) | (column.type.is_float ? 4 : 0);
    return "ocl_col(" + Emit(v) + ", " + std::to_string(column.type.InternalCode()) + ", " +
           std::to_string(column.type.length) + ", " + std::to_string(column.type.precision) +
           ", " + std::to_string(column.type.scale) + ", " + std::to_string(flags) + ", " +
           SqlString(t.QualifiedColumn(column)) + ")";
  }

  static ColumnCheck Check(const TableInfo& t, const ColumnInfo& column, bool update) {
    return {column.type, !column.nullable, update, [&] { return t.QualifiedColumn(column); }};
  }

  CExpr DefaultOf(const ColumnInfo& column) {
    if (column.default_text.empty()) return Constant(Value::Null(), SqlType{}, 0);
    const ExprPtr e = ParseExpression(column.default_text);
    const std::string_view saved = sql_text;
    sql_text = column.default_text;
    CExpr c = Compile(*e, Clause::kDefault);
    sql_text = saved;
    return c;
  }

  std::vector<const ColumnInfo*> TargetColumns(const TableInfo& t, const std::vector<Name>& names) {
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
};

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
