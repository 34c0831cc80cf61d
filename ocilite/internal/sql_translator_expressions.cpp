// The translator's conversions between types, its resolution of column names and its
// compilation of expressions and conditions to SQLite text.
#include <algorithm>
#include <string>

#include "ocilite/internal/number_text.h"
#include "ocilite/internal/sql_translator_impl.h"
#include "ocilite/internal/sqlite_db.h"
#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {
namespace {

// How ORA-00932 names a type it got where it wanted another; nullptr for the types that NUMBER
// and DATE are made of (texts, ROWID, CLOB, NULL) and for LONG.
const char* InconsistentTypeName(DataType t) {
  switch (t) {
    case DataType::kNumber:
      return "NUMBER";
    case DataType::kDate:
      return "DATE";
    case DataType::kRaw:
    case DataType::kLongRaw:
      return "BINARY";
    case DataType::kBlob:
      return "BLOB";
    case DataType::kBfile:
      return "FILE";
    default:
      return nullptr;
  }
}

// Refuses a value that cannot become the NUMBER or DATE named `wanted`: LONG with ORA-00997, the
// other of the two, binary values and files with ORA-00932.
void CheckConvertible(const CExpr& e, const char* wanted) {
  if (e.type.type == DataType::kLong) throw OraError(997).At(e.pos);
  if (const char* found = InconsistentTypeName(e.type.type))
    throw OraError(932, {wanted, found}).At(e.pos);
}

}  // namespace

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

std::string JoinNames(const std::vector<Name>& path) {
  std::string out;
  for (const auto& n : path) out += (out.empty() ? "" : ".") + Quote(n.text);
  return out;
}

// ---- conversions -------------------------------------------------------------------------
CExpr Translator::Impl::ToNumber(CExpr e) {
  switch (e.type.type) {
    case DataType::kNumber:
      return e;
    case DataType::kNull:
      e.type = SqlType::Number();
      return e;
    default:
      CheckConvertible(e, "NUMBER");
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

CExpr Translator::Impl::ToDate(CExpr e) {
  switch (e.type.type) {
    case DataType::kDate:
      return e;
    case DataType::kNull:
      e.type = SqlType::Date();
      return e;
    default:
      CheckConvertible(e, "DATE");
  }
  if (e.constant) {
    try {
      return Constant(ocilite::ToDate(*e.constant, ctx), SqlType::Date(), e.pos);
    } catch (const OraError&) {
    }
  }
  return Derived("ocl_date(" + Emit(e) + ")", SqlType::Date(), {&e});
}

CExpr Translator::Impl::ToText(CExpr e) {
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
CExpr Translator::Impl::ToRaw(CExpr e) {
  switch (e.type.type) {
    case DataType::kRaw:
    case DataType::kLongRaw:
    case DataType::kBlob:
      return e;
    case DataType::kNull:
      e.type = SqlType::Raw(0);
      return e;
    case DataType::kNumber:
    case DataType::kDate:
    case DataType::kBfile:
      throw OraError(932, {"BINARY", InconsistentTypeName(e.type.type)}).At(e.pos);
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
CExpr Translator::Impl::ToColumnType(CExpr e, const SqlType& t) {
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
void Translator::Impl::CheckComparable(const CExpr& e) {
  if (e.type.IsLob()) throw OraError(932, {"-", e.type.DictionaryName()}).At(e.pos);
}

// Brings both sides of a comparison to one type, by Oracle's rules.
void Translator::Impl::Unify(CExpr& a, CExpr& b) {
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
void Translator::Impl::PadChars(CExpr& a, CExpr& b) {
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
CExpr Translator::Impl::Column(const Source& s, const ColumnInfo& c, int pos) {
  CExpr e = Sql(s.sql_alias + "." + c.storage, c.type, pos);
  e.nullable = c.nullable;
  e.has_column = true;
  e.columns.push_back(e.sql);
  return e;
}

bool Translator::Impl::QualifierMatches(const Source& s, const std::vector<Name>& qualifier) const {
  if (qualifier.size() == 1) {
    if (s.alias) return *s.alias == qualifier[0].text;
    return s.table->name == qualifier[0].text;
  }
  return !s.alias && s.table->owner == qualifier[0].text && s.table->name == qualifier[1].text;
}

CExpr Translator::Impl::ResolveColumn(const Expr& e) {
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
CExpr Translator::Impl::Compile(const Expr& e, Clause clause) {
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
        const bool next = e.path.back().text == "NEXTVAL";
        out.takes_sequence_numbers |= next;
        const std::string fn = next ? "ocl_nextval" : "ocl_currval";
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
      CExpr r =
          Derived("ocl_concat(" + Emit(a) + ", " + Emit(b) + ")", SqlType::Varchar2(len), {&a, &b});
      r.nullable = a.nullable && b.nullable;
      return r;
    }
    case ExprKind::kCompare: {
      CExpr a = Compile(*e.args[0], clause);
      CExpr b = Compile(*e.args[1], clause);
      if (lifted_comparisons) return LiftedCompare(e, std::move(a), std::move(b));
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

CExpr Translator::Impl::Arithmetic(const Expr& e, Clause clause) {
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

}  // namespace qm::ocilite
