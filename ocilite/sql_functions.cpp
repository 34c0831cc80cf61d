#include "ocilite/sql_functions.h"

#include <cmath>
#include <string>

#include "ocilite/conversions.h"
#include "ocilite/number_text.h"
#include "ocilite/utf8_text.h"

namespace qm::ocilite {
namespace {

Value Arg(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      return Value::Int(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
      return Value::Real(sqlite3_value_double(v));
    case SQLITE_TEXT:
      return Value::Text(std::string(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                                     sqlite3_value_bytes(v)));
    case SQLITE_BLOB:
      return Value::Blob(
          std::string(static_cast<const char*>(sqlite3_value_blob(v)), sqlite3_value_bytes(v)));
    default:
      return Value::Null();
  }
}

bool ArgIsNull(sqlite3_value* v) {
  return sqlite3_value_type(v) == SQLITE_NULL;
}

std::string ArgText(sqlite3_value* v) {
  const auto* p = sqlite3_value_text(v);
  return p ? std::string(reinterpret_cast<const char*>(p), sqlite3_value_bytes(v)) : std::string();
}

void Result(sqlite3_context* c, const Value& v) {
  switch (v.kind) {
    case Value::Kind::kNull:
      sqlite3_result_null(c);
      break;
    case Value::Kind::kInt:
      sqlite3_result_int64(c, v.i);
      break;
    case Value::Kind::kReal:
      sqlite3_result_double(c, v.r);
      break;
    case Value::Kind::kText:
      if (v.s.empty()) {
        sqlite3_result_null(c);  // the empty text is NULL
      } else {
        sqlite3_result_text(c, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
      }
      break;
    case Value::Kind::kBlob:
      sqlite3_result_blob(c, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
      break;
  }
}

void ResultText(sqlite3_context* c, std::string text) {
  Result(c, Value::Text(std::move(text)));
}

EvalContext& Ctx(sqlite3_context* c) {
  return *static_cast<EvalContext*>(sqlite3_user_data(c));
}

// Runs a function body; an OraError becomes the statement's error.
template <typename Body>
void Guard(sqlite3_context* c, Body&& body) {
  try {
    body();
  } catch (const OraError& e) {
    Ctx(c).pending_error = e;
    sqlite3_result_error(c, e.what(), -1);
  }
}

#define OCL_FUNCTION(name) \
  void name(sqlite3_context* c, [[maybe_unused]] int argc, [[maybe_unused]] sqlite3_value** argv)

OCL_FUNCTION(Num) {
  Guard(c, [&] { Result(c, ToNumber(Arg(argv[0]), Ctx(c))); });
}

OCL_FUNCTION(Date) {
  Guard(c, [&] { Result(c, ToDate(Arg(argv[0]), Ctx(c))); });
}

OCL_FUNCTION(CharNum) {
  Guard(c, [&] { Result(c, ToText(Arg(argv[0]), DataType::kNumber, Ctx(c))); });
}

OCL_FUNCTION(CharDate) {
  Guard(c, [&] { Result(c, ToText(Arg(argv[0]), DataType::kDate, Ctx(c))); });
}

OCL_FUNCTION(ToCharDate) {
  Guard(c, [&] {
    if (argc > 1 && ArgIsNull(argv[1])) return Result(c, Value::Null());
    const std::string model = argc > 1 ? ArgText(argv[1]) : std::string();
    Result(c, ToText(Arg(argv[0]), DataType::kDate, Ctx(c), argc > 1 ? &model : nullptr));
  });
}

OCL_FUNCTION(ToCharNum) {
  Guard(c, [&] {
    if (argc > 1 && ArgIsNull(argv[1])) return Result(c, Value::Null());
    const std::string model = argc > 1 ? ArgText(argv[1]) : std::string();
    Value v = ToNumber(Arg(argv[0]), Ctx(c));
    Result(c, ToText(v, DataType::kNumber, Ctx(c), argc > 1 ? &model : nullptr));
  });
}

OCL_FUNCTION(ToDateFn) {
  Guard(c, [&] {
    if (argc > 1 && ArgIsNull(argv[1])) return Result(c, Value::Null());
    const std::string model = argc > 1 ? ArgText(argv[1]) : std::string();
    Result(c, ToDate(Arg(argv[0]), Ctx(c), argc > 1 ? &model : nullptr));
  });
}

OCL_FUNCTION(ToNumberFn) {
  Guard(c, [&] {
    const Value v = Arg(argv[0]);
    if (argc > 1 && v.kind == Value::Kind::kText && !ArgIsNull(argv[1]))
      return Result(c, ParseNumberModel(v.s, ArgText(argv[1]), Ctx(c)));
    Result(c, ToNumber(v, Ctx(c)));
  });
}

OCL_FUNCTION(Concat) {
  std::string out = ArgText(argv[0]);
  out += ArgText(argv[1]);
  ResultText(c, std::move(out));
}

OCL_FUNCTION(Upper) {
  if (ArgIsNull(argv[0])) return sqlite3_result_null(c);
  ResultText(c, Utf8Upper(ArgText(argv[0])));
}

OCL_FUNCTION(Lower) {
  if (ArgIsNull(argv[0])) return sqlite3_result_null(c);
  ResultText(c, Utf8Lower(ArgText(argv[0])));
}

OCL_FUNCTION(Length) {
  const std::string s = ArgText(argv[0]);
  if (s.empty()) return sqlite3_result_null(c);
  sqlite3_result_int64(c, static_cast<std::int64_t>(Utf8Length(s)));
}

OCL_FUNCTION(Substr) {
  Guard(c, [&] {
    if (ArgIsNull(argv[0]) || ArgIsNull(argv[1]) || (argc > 2 && ArgIsNull(argv[2])))
      return Result(c, Value::Null());
    const std::string s = ArgText(argv[0]);
    const auto length = static_cast<long long>(Utf8Length(s));
    long long pos = static_cast<long long>(ToNumber(Arg(argv[1]), Ctx(c)).AsDouble());
    long long count = length;
    if (argc > 2) {
      count = static_cast<long long>(ToNumber(Arg(argv[2]), Ctx(c)).AsDouble());
      if (count < 1) return Result(c, Value::Null());
    }
    if (pos == 0) pos = 1;
    if (pos < 0) pos = length + pos + 1;
    if (pos < 1 || pos > length) return Result(c, Value::Null());
    ResultText(c, std::string(Utf8Substr(s, static_cast<std::size_t>(pos - 1),
                                         static_cast<std::size_t>(count))));
  });
}

std::u32string Decode(std::string_view s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) out += DecodeUtf8(s, i);
  return out;
}

std::string Encode(std::u32string_view s) {
  std::string out;
  for (const char32_t cp : s) AppendUtf8(out, cp);
  return out;
}

std::string TrimSet(std::string_view s, std::string_view set, bool leading, bool trailing) {
  const std::u32string text = Decode(s), chars = Decode(set);
  std::size_t a = 0, b = text.size();
  if (leading)
    while (a < b && chars.find(text[a]) != std::u32string::npos) ++a;
  if (trailing)
    while (b > a && chars.find(text[b - 1]) != std::u32string::npos) --b;
  return Encode(std::u32string_view(text).substr(a, b - a));
}

// ocl_trim(mode, text[, character]): mode "L", "T" or "B".
OCL_FUNCTION(Trim) {
  Guard(c, [&] {
    if (ArgIsNull(argv[1]) || (argc > 2 && ArgIsNull(argv[2]))) return Result(c, Value::Null());
    const std::string mode = ArgText(argv[0]);
    const std::string set = argc > 2 ? ArgText(argv[2]) : std::string(" ");
    if (Utf8Length(set) != 1)
      throw OraError::WithText(30001, "trim set should have only one character");
    ResultText(c, TrimSet(ArgText(argv[1]), set, mode != "T", mode != "L"));
  });
}

OCL_FUNCTION(LTrim) {
  if (ArgIsNull(argv[0]) || (argc > 1 && ArgIsNull(argv[1]))) return sqlite3_result_null(c);
  ResultText(c, TrimSet(ArgText(argv[0]), argc > 1 ? ArgText(argv[1]) : " ", true, false));
}

OCL_FUNCTION(RTrim) {
  if (ArgIsNull(argv[0]) || (argc > 1 && ArgIsNull(argv[1]))) return sqlite3_result_null(c);
  ResultText(c, TrimSet(ArgText(argv[0]), argc > 1 ? ArgText(argv[1]) : " ", false, true));
}

OCL_FUNCTION(Div) {
  Guard(c, [&] {
    const Value a = Arg(argv[0]), b = Arg(argv[1]);
    if (a.IsNull() || b.IsNull()) return Result(c, Value::Null());
    if (b.AsDouble() == 0) throw OraError(1476);
    if (a.kind == Value::Kind::kInt && b.kind == Value::Kind::kInt && a.i % b.i == 0)
      return Result(c, Value::Int(a.i / b.i));
    Result(c, Value::Real(a.AsDouble() / b.AsDouble()));
  });
}

OCL_FUNCTION(DateAdd) {
  const Value d = Arg(argv[0]), n = Arg(argv[1]);
  if (d.IsNull() || n.IsNull()) return sqlite3_result_null(c);
  const auto date = OraDate::FromStorage(d.s);
  if (!date) return sqlite3_result_null(c);
  ResultText(c, OraDate::FromDayNumber(date->ToDayNumber() + n.AsDouble()).ToStorage());
}

OCL_FUNCTION(DateDiff) {
  const Value a = Arg(argv[0]), b = Arg(argv[1]);
  const auto da = OraDate::FromStorage(a.s), db = OraDate::FromStorage(b.s);
  if (a.IsNull() || b.IsNull() || !da || !db) return sqlite3_result_null(c);
  const std::int64_t seconds = std::llround((da->ToDayNumber() - db->ToDayNumber()) * 86400.0);
  if (seconds % 86400 == 0) return sqlite3_result_int64(c, seconds / 86400);
  Result(c, Decimal::FromValue(Value::Real(seconds / 86400.0)).ToValue());
}

OCL_FUNCTION(Sysdate) {
  ResultText(c, Ctx(c).statement_time.ToStorage());
}

OCL_FUNCTION(User) {
  ResultText(c, Ctx(c).user);
}

// ocl_col(value, internal type, length, precision, scale, flags, "OWNER"."TABLE"."COLUMN"):
// flags 1 = NOT NULL, 2 = the value comes from an UPDATE, 4 = FLOAT.
OCL_FUNCTION(Col) {
  Guard(c, [&] {
    ColumnCheck check;
    const int code = sqlite3_value_int(argv[1]);
    check.type.type = code == 1    ? DataType::kVarchar2
                      : code == 96 ? DataType::kChar
                      : code == 2  ? DataType::kNumber
                      : code == 12 ? DataType::kDate
                      : code == 23 ? DataType::kRaw
                      : code == 24 ? DataType::kLongRaw
                                   : DataType::kLong;
    check.type.length = sqlite3_value_int(argv[2]);
    check.type.precision = sqlite3_value_int(argv[3]);
    check.type.scale = sqlite3_value_int(argv[4]);
    const int flags = sqlite3_value_int(argv[5]);
    check.not_null = flags & 1;
    check.update = flags & 2;
    check.type.is_float = flags & 4;
    check.qualified_name = [&] { return ArgText(argv[6]); };
    Result(c, CheckColumnValue(Arg(argv[0]), check));
  });
}

// Blank-padded comparison of CHAR values compares without trailing blanks.
OCL_FUNCTION(Unpad) {
  if (ArgIsNull(argv[0])) return sqlite3_result_null(c);
  std::string s = ArgText(argv[0]);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  ResultText(c, std::move(s));
}

struct Registration {
  const char* name;
  int args;
  void (*fn)(sqlite3_context*, int, sqlite3_value**);
};

constexpr Registration kFunctions[] = {
    {"ocl_num", 1, Num},
    {"ocl_date", 1, Date},
    {"ocl_char_num", 1, CharNum},
    {"ocl_char_date", 1, CharDate},
    {"ocl_to_char_date", -1, ToCharDate},
    {"ocl_to_char_num", -1, ToCharNum},
    {"ocl_to_date", -1, ToDateFn},
    {"ocl_to_number", -1, ToNumberFn},
    {"ocl_concat", 2, Concat},
    {"ocl_upper", 1, Upper},
    {"ocl_lower", 1, Lower},
    {"ocl_length", 1, Length},
    {"ocl_substr", -1, Substr},
    {"ocl_trim", -1, Trim},
    {"ocl_ltrim", -1, LTrim},
    {"ocl_rtrim", -1, RTrim},
    {"ocl_div", 2, Div},
    {"ocl_date_add", 2, DateAdd},
    {"ocl_date_diff", 2, DateDiff},
    {"ocl_sysdate", 0, Sysdate},
    {"ocl_user", 0, User},
    {"ocl_col", 7, Col},
    {"ocl_unpad", 1, Unpad},
};

}  // namespace

void RegisterSqlFunctions(sqlite3* db, EvalContext* ctx) {
  for (const auto& f : kFunctions)
    sqlite3_create_function_v2(db, f.name, f.args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, ctx, f.fn,
                               nullptr, nullptr, nullptr);
}

}  // namespace qm::ocilite
