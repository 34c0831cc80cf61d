// The translator's SQL functions: aggregates, the functions whose translation is their own, and
// the table of those that only convert their arguments and call one of the engine's SQLite
// functions (sql_functions.h).
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ocilite/internal/sql_translator_impl.h"
#include "ocilite/internal/sqlite_db.h"
#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {

struct SimpleFunction {
  // The type of the result, from that of the first argument where it depends on it.
  enum class Result {
    kNumber,
    kDate,
    kTextOfFirst,   // VARCHAR2 as long as the first argument, at least 1
    kCaseOfFirst,   // the first argument's CHAR type, or VARCHAR2 as long as it
    kLongestText,   // VARCHAR2(4000)
    kOneCharacter,  // VARCHAR2(1)
  };
  std::string_view name;
  std::string_view call;  // the SQLite call up to its first argument
  std::string_view args;  // each argument's type in order: T text, N number, D date
  std::size_t required;   // the arguments that must be given, whose flags the result carries
  Result result;
};

namespace {

using Result = SimpleFunction::Result;

constexpr SimpleFunction kSimpleFunctions[] = {
    {"UPPER", "ocl_upper(", "T", 1, Result::kCaseOfFirst},
    {"LOWER", "ocl_lower(", "T", 1, Result::kCaseOfFirst},
    {"LENGTH", "ocl_length(", "T", 1, Result::kNumber},
    {"SUBSTR", "ocl_substr(", "TNN", 2, Result::kTextOfFirst},
    {"LTRIM", "ocl_ltrim(", "TT", 1, Result::kTextOfFirst},
    {"RTRIM", "ocl_rtrim(", "TT", 1, Result::kTextOfFirst},
    {"INSTR", "ocl_instr(", "TTNN", 2, Result::kNumber},
    {"LPAD", "ocl_pad(1, ", "TNT", 2, Result::kLongestText},
    {"RPAD", "ocl_pad(0, ", "TNT", 2, Result::kLongestText},
    {"REPLACE", "ocl_replace(", "TTT", 2, Result::kLongestText},
    {"ASCII", "ocl_ascii(", "T", 1, Result::kNumber},
    {"CHR", "ocl_chr(", "N", 1, Result::kOneCharacter},
    {"ADD_MONTHS", "ocl_add_months(", "DN", 2, Result::kDate},
    {"MONTHS_BETWEEN", "ocl_months_between(", "DD", 2, Result::kNumber},
    {"LAST_DAY", "ocl_last_day(", "D", 1, Result::kDate},
    {"ABS", "ocl_num_fn('ABS', ", "N", 1, Result::kNumber},
    {"SIGN", "ocl_num_fn('SIGN', ", "N", 1, Result::kNumber},
    {"CEIL", "ocl_num_fn('CEIL', ", "N", 1, Result::kNumber},
    {"FLOOR", "ocl_num_fn('FLOOR', ", "N", 1, Result::kNumber},
    {"MOD", "ocl_num_fn('MOD', ", "NN", 2, Result::kNumber},
    {"POWER", "ocl_num_fn('POWER', ", "NN", 2, Result::kNumber},
};

}  // namespace

CExpr Translator::Impl::Function(const Expr& e, Clause clause) {
  using Translate = CExpr (Impl::*)(const Expr&, Clause);
  static constexpr std::pair<std::string_view, Translate> kOwnTranslations[] = {
      {"COUNT", &Impl::Aggregate},        {"SUM", &Impl::Aggregate},
      {"AVG", &Impl::Aggregate},          {"MIN", &Impl::Aggregate},
      {"MAX", &Impl::Aggregate},          {"CASE", &Impl::Case},
      {"DECODE", &Impl::Decode},          {"NVL", &Impl::Nvl},
      {"TO_CHAR", &Impl::ToCharCall},     {"TO_DATE", &Impl::ToDateCall},
      {"TO_NUMBER", &Impl::ToNumberCall}, {"ROUND", &Impl::RoundOrTrunc},
      {"TRUNC", &Impl::RoundOrTrunc},     {"HEXTORAW", &Impl::HexToRawCall},
      {"RAWTOHEX", &Impl::RawToHexCall},  {"EMPTY_CLOB", &Impl::EmptyLob},
      {"EMPTY_BLOB", &Impl::EmptyLob},    {"TO_CLOB", &Impl::ToClob},
      {"BFILENAME", &Impl::BfileName},
  };
  for (const auto& [name, translate] : kOwnTranslations)
    if (e.op == name) return (this->*translate)(e, clause);
  for (const SimpleFunction& f : kSimpleFunctions)
    if (e.op == f.name) return CallSimple(f, e, clause);
  throw OraError(904, {Quote(e.op)}).At(e.pos);
}

CExpr Translator::Impl::CallSimple(const SimpleFunction& f, const Expr& e, Clause clause) {
  CheckArgs(e, f.required, f.args.size());
  auto convert = [&](std::size_t i) {
    CExpr a = Arg(e, i, clause);
    switch (f.args[i]) {
      case 'N':
        return ToNumber(std::move(a));
      case 'D':
        return ToDate(std::move(a));
      default:
        return ToText(std::move(a));
    }
  };
  std::vector<CExpr> required;
  for (std::size_t i = 0; i < f.required; ++i) required.push_back(convert(i));
  std::string sql(f.call);
  for (std::size_t i = 0; i < required.size(); ++i) sql += (i ? ", " : "") + Emit(required[i]);
  for (std::size_t i = f.required; i < e.args.size(); ++i) {
    CExpr optional = convert(i);
    sql += ", " + Emit(optional);
  }
  const SqlType& first = required[0].type;
  SqlType type;
  switch (f.result) {
    case Result::kNumber:
      type = SqlType::Number();
      break;
    case Result::kDate:
      type = SqlType::Date();
      break;
    case Result::kTextOfFirst:
      type = SqlType::Varchar2(std::max(1, first.length));
      break;
    case Result::kCaseOfFirst:
      type = first.type == DataType::kChar ? first : SqlType::Varchar2(first.length);
      break;
    case Result::kLongestText:
      type = SqlType::Varchar2(4000);
      break;
    case Result::kOneCharacter:
      type = SqlType::Varchar2(1);
      break;
  }
  std::vector<const CExpr*> from;
  for (const CExpr& a : required) from.push_back(&a);
  return Derived(sql + ")", type, from);
}

CExpr Translator::Impl::Aggregate(const Expr& e, Clause clause) {
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

CExpr Translator::Impl::Nvl(const Expr& e, Clause clause) {
  CheckArgs(e, 2, 2);
  CExpr a = Arg(e, 0, clause);
  CExpr b = Arg(e, 1, clause);
  if (a.type.IsNull()) {
    a.type = b.type;
  } else {
    b = ToColumnType(std::move(b), a.type);
  }
  CExpr r = Derived("coalesce(" + Emit(a) + ", " + Emit(b) + ")", a.type, {&a, &b});
  r.nullable = b.nullable;
  return r;
}

CExpr Translator::Impl::ToCharCall(const Expr& e, Clause clause) {
  CheckArgs(e, 1, 3);
  CExpr x = Arg(e, 0, clause);
  std::string model;
  CExpr fmt;
  if (e.args.size() > 1) {
    fmt = ToText(Arg(e, 1, clause));
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

CExpr Translator::Impl::ToDateCall(const Expr& e, Clause clause) {
  CheckArgs(e, 1, 3);
  CExpr x = Arg(e, 0, clause);
  if (x.type.type == DataType::kDate && e.args.size() == 1) return x;
  x = ToText(std::move(x));
  std::string sql = "ocl_to_date(" + Emit(x);
  if (e.args.size() > 1) {
    CExpr fmt = ToText(Arg(e, 1, clause));
    sql += ", " + Emit(fmt);
  }
  return Derived(sql + ")", SqlType::Date(), {&x});
}

CExpr Translator::Impl::ToNumberCall(const Expr& e, Clause clause) {
  CheckArgs(e, 1, 3);
  CExpr x = Arg(e, 0, clause);
  if (e.args.size() == 1) return ToNumber(std::move(x));
  x = ToText(std::move(x));
  CExpr fmt = ToText(Arg(e, 1, clause));
  return Derived("ocl_to_number(" + Emit(x) + ", " + Emit(fmt) + ")", SqlType::Number(), {&x});
}

// DECODE(x, s1, r1, ..., [default]): the first search value equal to x, NULL equal to NULL.
CExpr Translator::Impl::Decode(const Expr& e, Clause clause) {
  if (e.args.size() < 3) throw OraError(938).At(e.pos);
  CExpr x = Arg(e, 0, clause);
  std::vector<CExpr> results;
  std::string sql = "CASE";
  std::size_t i = 1;
  for (; i + 1 < e.args.size(); i += 2) {
    CExpr left = x;
    CExpr search = Arg(e, i, clause);
    Unify(left, search);
    const std::string l = Emit(left), r = Emit(search);
    CExpr result = Arg(e, i + 1, clause);
    if (!results.empty()) result = ToColumnType(std::move(result), results[0].type);
    sql += " WHEN (" + l + " = " + r + " OR (" + l + " IS NULL AND " + r + " IS NULL)) THEN " +
           Emit(result);
    results.push_back(std::move(result));
  }
  if (i < e.args.size()) {
    CExpr other = ToColumnType(Arg(e, i, clause), results[0].type);
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

// CASE as the parser keeps it (see ParseCase): the first WHEN that holds gives the value.
CExpr Translator::Impl::Case(const Expr& e, Clause clause) {
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

// ROUND and TRUNC of a date (to a format model's unit) or of a number (to a number of places).
CExpr Translator::Impl::RoundOrTrunc(const Expr& e, Clause clause) {
  CheckArgs(e, 1, 2);
  CExpr x = Arg(e, 0, clause);
  const std::string which = e.op == "ROUND" ? "'R'" : "'T'";
  if (x.type.type == DataType::kDate) {
    std::string sql = "ocl_round_date(" + which + ", " + Emit(x);
    if (e.args.size() > 1) {
      CExpr model = ToText(Arg(e, 1, clause));
      sql += ", " + Emit(model);
    }
    return Derived(sql + ")", SqlType::Date(), {&x});
  }
  x = ToNumber(std::move(x));
  std::string sql = "ocl_round_num(" + which + ", " + Emit(x);
  if (e.args.size() > 1) {
    CExpr places = ToNumber(Arg(e, 1, clause));
    sql += ", " + Emit(places);
  }
  return Derived(sql + ")", SqlType::Number(), {&x});
}

CExpr Translator::Impl::HexToRawCall(const Expr& e, Clause clause) {
  CheckArgs(e, 1, 1);
  return ToRaw(ToText(Arg(e, 0, clause)));
}

CExpr Translator::Impl::RawToHexCall(const Expr& e, Clause clause) {
  CheckArgs(e, 1, 1);
  // SQL takes a text argument by its bytes, not as hexadecimal digits.
  CExpr a = Arg(e, 0, clause);
  if (a.type.IsText()) a.type = SqlType::Raw(a.type.length);
  return ToText(ToRaw(std::move(a)));
}

CExpr Translator::Impl::EmptyLob(const Expr& e, Clause) {
  CheckArgs(e, 0, 0);
  // A zero-length BLOB value is the empty LOB in either kind of column.
  CExpr r = Sql("x''", SqlType{e.op == "EMPTY_CLOB" ? DataType::kClob : DataType::kBlob}, e.pos);
  r.nullable = false;
  return r;
}

CExpr Translator::Impl::ToClob(const Expr& e, Clause clause) {
  CheckArgs(e, 1, 1);
  CExpr a = ToText(Arg(e, 0, clause));
  a.type = SqlType{DataType::kClob};
  return a;
}

CExpr Translator::Impl::BfileName(const Expr& e, Clause clause) {
  CheckArgs(e, 2, 2);
  CExpr directory = ToText(Arg(e, 0, clause));
  CExpr file = ToText(Arg(e, 1, clause));
  return Derived("(" + Emit(directory) + " || '/' || " + Emit(file) + ")",
                 SqlType{DataType::kBfile}, {&directory, &file});
}

}  // namespace qm::ocilite
