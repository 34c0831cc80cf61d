#include "ocilite/internal/sql_functions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "ocilite/internal/code_page.h"
#include "ocilite/internal/conversions.h"
#include "ocilite/internal/number_arithmetic.h"
#include "ocilite/internal/number_text.h"
#include "ocilite/internal/oracle_date.h"
#include "ocilite/internal/rowid.h"
#include "ocilite/internal/sequences.h"
#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {
namespace {

Value Arg(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    // Whole numbers SQLite computes itself (COUNT, row numbers) and numbers of other programs.
    case SQLITE_INTEGER:
      return NumberValue(std::int64_t{sqlite3_value_int64(v)});
    case SQLITE_FLOAT:
      return NumberValue(DecimalFromDouble(sqlite3_value_double(v)));
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
    case Value::Kind::kNumber:
    case Value::Kind::kBlob:
      sqlite3_result_blob(c, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
      break;
    case Value::Kind::kText:
      if (v.s.empty()) {
        sqlite3_result_null(c);  // the empty text is NULL
      } else {
        sqlite3_result_text(c, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
      }
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

// An argument the translator made a NUMBER: its internal form (a BLOB), a whole number SQLite
// computed, or text converted by the session's rules. NULL stays NULL.
Value NumberArg(sqlite3_context* c, sqlite3_value* v) {
  if (sqlite3_value_type(v) == SQLITE_BLOB) {
    return Value::Number(
        std::string(static_cast<const char*>(sqlite3_value_blob(v)), sqlite3_value_bytes(v)));
  }
  return ToNumber(Arg(v), Ctx(c));
}

std::optional<Decimal> DecimalArg(sqlite3_context* c, sqlite3_value* v) {
  const Value n = NumberArg(c, v);
  if (n.IsNull()) return std::nullopt;
  return ToDecimal(n);
}

void ResultNumber(sqlite3_context* c, const Decimal& d) {
  Result(c, NumberValue(d));
}

#define OCL_FUNCTION(name) \
  void name(sqlite3_context* c, [[maybe_unused]] int argc, [[maybe_unused]] sqlite3_value** argv)

OCL_FUNCTION(Num) {
  Guard(c, [&] { Result(c, NumberArg(c, argv[0])); });
}

OCL_FUNCTION(Date) {
  Guard(c, [&] { Result(c, ToDate(Arg(argv[0]), Ctx(c))); });
}

OCL_FUNCTION(CharNum) {
  Guard(c, [&] { Result(c, ToText(NumberArg(c, argv[0]), DataType::kNumber, Ctx(c))); });
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
    Result(c,
           ToText(NumberArg(c, argv[0]), DataType::kNumber, Ctx(c), argc > 1 ? &model : nullptr));
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
    if (argc > 1 && sqlite3_value_type(argv[0]) == SQLITE_TEXT && !ArgIsNull(argv[1]))
      return Result(c, ParseNumberModel(ArgText(argv[0]), ArgText(argv[1]), Ctx(c)));
    Result(c, NumberArg(c, argv[0]));
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
  Result(c, NumberValue(static_cast<std::int64_t>(Utf8Length(s))));
}

// The character of a code in the single-byte server character set, which the client's character
// set stands for here: codes past 255 count modulo 256, as on such a server.
OCL_FUNCTION(Chr) {
  Guard(c, [&] {
    const auto n = DecimalArg(c, argv[0]);
    if (!n) return Result(c, Value::Null());
    const double code = ToDouble(*n);
    if (code < 0 || code >= 4294967296.0) throw OraError(1426);
    const char byte = static_cast<char>(static_cast<std::uint64_t>(code) % 256);
    const std::string text =
        byte == 0 ? std::string(1, '\0') : Ctx(c).nls.code_page->ToUtf8(std::string(1, byte));
    sqlite3_result_text(c, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  });
}

OCL_FUNCTION(Rowid) {
  ResultText(c, RowidText(sqlite3_value_int64(argv[0]), sqlite3_value_int64(argv[1])));
}

OCL_FUNCTION(NextVal) {
  Guard(c, [&] {
    EvalContext& ctx = Ctx(c);
    Result(c, NumberValue(NextValue(*ctx.db, ctx, ArgText(argv[0]), ArgText(argv[1]))));
  });
}

OCL_FUNCTION(CurrVal) {
  Guard(c,
        [&] { Result(c, NumberValue(CurrentValue(Ctx(c), ArgText(argv[0]), ArgText(argv[1])))); });
}

// A number argument as a whole number, cut toward zero. Values past any string length or month
// count saturate instead of overflowing, so that arithmetic on the result stays defined.
long long WholeNumber(double d) {
  constexpr double kLimit = 4611686018427387904.0;  // 2^62
  if (std::isnan(d)) return 0;
  return static_cast<long long>(std::clamp(d, -kLimit, kLimit));
}

long long IntArg(sqlite3_context* c, sqlite3_value* v) {
  const auto d = DecimalArg(c, v);
  return d ? WholeNumber(ToDouble(*d)) : 0;
}

OCL_FUNCTION(Substr) {
  Guard(c, [&] {
    if (ArgIsNull(argv[0]) || ArgIsNull(argv[1]) || (argc > 2 && ArgIsNull(argv[2])))
      return Result(c, Value::Null());
    const std::string s = ArgText(argv[0]);
    const auto length = static_cast<long long>(Utf8Length(s));
    long long pos = IntArg(c, argv[1]);
    long long count = length;
    if (argc > 2) {
      count = IntArg(c, argv[2]);
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

std::optional<OraDate> DateArg(sqlite3_value* v) {
  if (ArgIsNull(v)) return std::nullopt;
  return OraDate::FromStorage(ArgText(v));
}

// INSTR(s, sub [, position [, occurrence]]): a negative position searches backwards from the
// end.
OCL_FUNCTION(Instr) {
  Guard(c, [&] {
    for (int i = 0; i < argc; ++i)
      if (ArgIsNull(argv[i])) return Result(c, Value::Null());
    const std::u32string s = Decode(ArgText(argv[0])), sub = Decode(ArgText(argv[1]));
    const long long position = argc > 2 ? IntArg(c, argv[2]) : 1;
    const long long occurrence = argc > 3 ? IntArg(c, argv[3]) : 1;
    if (position == 0 || occurrence < 1) throw OraError(1428, {std::to_string(occurrence)});
    const auto length = static_cast<long long>(s.size());
    const auto width = static_cast<long long>(sub.size());
    long long found = 0;
    if (position > 0) {
      for (long long at = position - 1; at + width <= length; ++at)
        if (s.compare(static_cast<std::size_t>(at), sub.size(), sub) == 0 && ++found == occurrence)
          return Result(c, NumberValue(at + 1));
    } else {
      for (long long at = std::min(length + position, length - width); at >= 0; --at)
        if (s.compare(static_cast<std::size_t>(at), sub.size(), sub) == 0 && ++found == occurrence)
          return Result(c, NumberValue(at + 1));
    }
    Result(c, NumberValue(std::int64_t{0}));
  });
}

constexpr long long kMaxPadWidth = 4000;

// ocl_pad(left, s, n [, pad]): LPAD and RPAD; the result has n characters, s cut to fit. As in
// Oracle's SQL, a result longer than a VARCHAR2 can hold is cut to 4000 characters.
OCL_FUNCTION(Pad) {
  Guard(c, [&] {
    for (int i = 1; i < argc; ++i)
      if (ArgIsNull(argv[i])) return Result(c, Value::Null());
    const bool left = sqlite3_value_int(argv[0]) != 0;
    const std::u32string s = Decode(ArgText(argv[1]));
    const long long n = IntArg(c, argv[2]);
    const std::u32string pad = argc > 3 ? Decode(ArgText(argv[3])) : std::u32string(U" ");
    if (n < 1 || pad.empty()) return Result(c, Value::Null());
    const auto width = static_cast<std::size_t>(std::min(n, kMaxPadWidth));
    if (s.size() >= width) return ResultText(c, Encode(s.substr(0, width)));
    std::u32string fill;
    while (fill.size() < width - s.size()) fill += pad;
    fill.resize(width - s.size());
    ResultText(c, Encode(left ? fill + s : s + fill));
  });
}

OCL_FUNCTION(Replace) {
  if (ArgIsNull(argv[0])) return sqlite3_result_null(c);
  const std::string s = ArgText(argv[0]);
  const std::string from = ArgText(argv[1]);
  const std::string to = argc > 2 ? ArgText(argv[2]) : std::string();
  if (from.empty()) return ResultText(c, s);
  std::string out;
  std::size_t start = 0;
  for (std::size_t at; (at = s.find(from, start)) != std::string::npos; start = at + from.size())
    out += s.substr(start, at - start) + to;
  ResultText(c, out + s.substr(start));
}

// The code of the first character in the client's character set, the stand-in for the
// server's.
OCL_FUNCTION(Ascii) {
  Guard(c, [&] {
    if (ArgIsNull(argv[0])) return Result(c, Value::Null());
    const std::string s = ArgText(argv[0]);
    std::size_t i = 0;
    DecodeUtf8(s, i);
    const std::string byte = Ctx(c).nls.code_page->FromUtf8(s.substr(0, i));
    Result(c, NumberValue(std::int64_t{byte.empty() ? 0 : static_cast<unsigned char>(byte[0])}));
  });
}

// ocl_round_num('R' or 'T', x [, places]): ROUND (half away from zero) and TRUNC of numbers;
// places count whole, cut toward zero.
OCL_FUNCTION(RoundNum) {
  Guard(c, [&] {
    if (ArgIsNull(argv[1]) || (argc > 2 && ArgIsNull(argv[2]))) return Result(c, Value::Null());
    const bool round = ArgText(argv[0]) == "R";
    auto x = DecimalArg(c, argv[1]);
    if (!x) return Result(c, Value::Null());
    // Past 300 places either way a NUMBER is kept whole or becomes 0.
    const auto places =
        static_cast<int>(std::clamp(argc > 2 ? IntArg(c, argv[2]) : 0LL, -300LL, 300LL));
    if (round) {
      x->RoundToScale(places);
    } else {
      x->TruncateToScale(places);
    }
    ResultNumber(c, *x);
  });
}

// ocl_round_date('R' or 'T', d [, model]): ROUND and TRUNC of dates to the unit of the model
// (default: the day).
OCL_FUNCTION(RoundDate) {
  Guard(c, [&] {
    const auto d = DateArg(argv[1]);
    if (!d || (argc > 2 && ArgIsNull(argv[2]))) return Result(c, Value::Null());
    const bool round = ArgText(argv[0]) == "R";
    const std::string model = argc > 2 ? Utf8Upper(ArgText(argv[2])) : "DD";
    OraDate r = *d;
    if (model == "YYYY" || model == "YEAR" || model == "SYYYY" || model == "YYY" || model == "YY" ||
        model == "Y" || model == "RRRR" || model == "RR") {
      r = {d->year + (round && d->month >= 7 ? 1 : 0), 1, 1};
    } else if (model == "MM" || model == "MON" || model == "MONTH" || model == "RM") {
      r = {d->year, d->month, 1};
      if (round && d->day >= 16)
        r = r.month == 12 ? OraDate{r.year + 1, 1, 1} : OraDate{r.year, r.month + 1, 1};
    } else if (model == "DD" || model == "DDD" || model == "J") {
      r = {d->year, d->month, d->day};
      if (round && d->hour >= 12) r = OraDate::FromDayNumber(r.ToDayNumber() + 1);
    } else if (model == "HH" || model == "HH12" || model == "HH24") {
      r = {d->year, d->month, d->day, d->hour};
      if (round && d->minute >= 30) r = OraDate::FromDayNumber(r.ToDayNumber() + 1.0 / 24);
    } else if (model == "MI") {
      r = {d->year, d->month, d->day, d->hour, d->minute};
      if (round && d->second >= 30) r = OraDate::FromDayNumber(r.ToDayNumber() + 1.0 / 1440);
    } else {
      throw OraError(1898);
    }
    ResultText(c, r.ToStorage());
  });
}

bool IsLastDay(const OraDate& d) {
  return d.day == DaysInMonth(d.year, d.month);
}

OCL_FUNCTION(AddMonths) {
  Guard(c, [&] {
    const auto d = DateArg(argv[0]);
    if (!d || ArgIsNull(argv[1])) return Result(c, Value::Null());
    const long long total = d->year * 12LL + (d->month - 1) + IntArg(c, argv[1]);
    if (total < 12 || total / 12 > 9999) throw OraError(1841);
    OraDate r = *d;
    r.year = static_cast<int>(total / 12);
    r.month = static_cast<int>(total % 12) + 1;
    // The last day of a month stays the last day; a day the month lacks becomes its last.
    if (IsLastDay(*d) || r.day > DaysInMonth(r.year, r.month)) r.day = DaysInMonth(r.year, r.month);
    ResultText(c, r.ToStorage());
  });
}

// Whole months when the days are equal or both are the last of their months; else the rest
// counts in days of a 31-day month, to the second.
OCL_FUNCTION(MonthsBetween) {
  Guard(c, [&] {
    const auto a = DateArg(argv[0]), b = DateArg(argv[1]);
    if (!a || !b) return Result(c, Value::Null());
    const Decimal months = DecimalFromInt((a->year - b->year) * 12LL + (a->month - b->month));
    if (a->day == b->day || (IsLastDay(*a) && IsLastDay(*b))) return ResultNumber(c, months);
    auto seconds = [](const OraDate& d) {
      return d.day * 86400LL + d.hour * 3600LL + d.minute * 60LL + static_cast<long long>(d.second);
    };
    ResultNumber(c, Add(months, Divide(DecimalFromInt(seconds(*a) - seconds(*b)),
                                       DecimalFromInt(31LL * 86400))));
  });
}

OCL_FUNCTION(LastDay) {
  const auto d = DateArg(argv[0]);
  if (!d) return sqlite3_result_null(c);
  OraDate r = *d;
  r.day = DaysInMonth(r.year, r.month);
  ResultText(c, r.ToStorage());
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

// ocl_arith(op, a, b): the four operations on numbers, op one of + - * /.
OCL_FUNCTION(Arith) {
  Guard(c, [&] {
    const auto a = DecimalArg(c, argv[1]);
    const auto b = DecimalArg(c, argv[2]);
    if (!a || !b) return Result(c, Value::Null());
    switch (sqlite3_value_text(argv[0])[0]) {
      case '+':
        return ResultNumber(c, Add(*a, *b));
      case '-':
        return ResultNumber(c, Subtract(*a, *b));
      case '*':
        return ResultNumber(c, Multiply(*a, *b));
      default:
        return ResultNumber(c, Divide(*a, *b));
    }
  });
}

// ocl_num_fn(name, x [, y]): the functions of one or two numbers: NEG (unary minus), ABS,
// SIGN, CEIL, FLOOR, MOD, POWER.
OCL_FUNCTION(NumFn) {
  Guard(c, [&] {
    auto x = DecimalArg(c, argv[1]);
    std::optional<Decimal> y;
    if (argc > 2) y = DecimalArg(c, argv[2]);
    if (!x || (argc > 2 && !y)) return Result(c, Value::Null());
    const std::string fn = ArgText(argv[0]);
    if (fn == "NEG") {
      if (!x->IsZero()) x->negative = !x->negative;
      return ResultNumber(c, *x);
    }
    if (fn == "ABS") {
      x->negative = false;
      return ResultNumber(c, *x);
    }
    if (fn == "SIGN")
      return ResultNumber(c, DecimalFromInt(x->IsZero() ? 0 : x->negative ? -1 : 1));
    if (fn == "CEIL") return ResultNumber(c, Ceil(*x));
    if (fn == "FLOOR") return ResultNumber(c, Floor(*x));
    if (fn == "MOD") return ResultNumber(c, Remainder(*x, *y));
    ResultNumber(c, Power(*x, *y));
  });
}

// SUM and AVG keep their running sum in the number form itself, so that the state is plain bytes
// SQLite may drop at any point; each addition rounds as NUMBER addition does.
struct SumState {
  std::int64_t count;
  unsigned char size;
  char form[kMaxNumberBytes];
};

void SumStep(sqlite3_context* c, int, sqlite3_value** argv) {
  Guard(c, [&] {
    const auto x = DecimalArg(c, argv[0]);
    if (!x) return;
    auto* state = static_cast<SumState*>(sqlite3_aggregate_context(c, sizeof(SumState)));
    if (!state) return sqlite3_result_error_nomem(c);
    const Decimal sum =
        state->count == 0 ? *x : Add(DecodeNumber(std::string_view(state->form, state->size)), *x);
    const std::string form = EncodeNumber(sum);
    std::memcpy(state->form, form.data(), form.size());
    state->size = static_cast<unsigned char>(form.size());
    ++state->count;
  });
}

void FinishSum(sqlite3_context* c, bool average) {
  Guard(c, [&] {
    auto* state = static_cast<SumState*>(sqlite3_aggregate_context(c, 0));
    if (!state || state->count == 0) return Result(c, Value::Null());
    const std::string_view form(state->form, state->size);
    if (!average) return Result(c, Value::Number(std::string(form)));
    ResultNumber(c, Divide(DecodeNumber(form), DecimalFromInt(state->count)));
  });
}

void SumFinal(sqlite3_context* c) {
  FinishSum(c, false);
}

void AvgFinal(sqlite3_context* c) {
  FinishSum(c, true);
}

OCL_FUNCTION(DateAdd) {
  Guard(c, [&] {
    const Value d = Arg(argv[0]);
    const auto n = DecimalArg(c, argv[1]);
    if (d.IsNull() || !n) return Result(c, Value::Null());
    const auto date = OraDate::FromStorage(d.s);
    if (!date) return Result(c, Value::Null());
    ResultText(c, OraDate::FromDayNumber(date->ToDayNumber() + ToDouble(*n)).ToStorage());
  });
}

// The difference of two dates in days, exact to the second.
OCL_FUNCTION(DateDiff) {
  Guard(c, [&] {
    const Value a = Arg(argv[0]), b = Arg(argv[1]);
    const auto da = OraDate::FromStorage(a.s), db = OraDate::FromStorage(b.s);
    if (a.IsNull() || b.IsNull() || !da || !db) return Result(c, Value::Null());
    const std::int64_t seconds = std::llround((da->ToDayNumber() - db->ToDayNumber()) * 86400.0);
    ResultNumber(c, Divide(DecimalFromInt(seconds), DecimalFromInt(86400)));
  });
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
                      : code == 24  ? DataType::kLongRaw
                      : code == 112 ? DataType::kClob
                      : code == 113 ? DataType::kBlob
                      : code == 114 ? DataType::kBfile
                                    : DataType::kLong;
    check.type.length = sqlite3_value_int(argv[2]);
    check.type.precision = sqlite3_value_int(argv[3]);
    check.type.scale = sqlite3_value_int(argv[4]);
    const int flags = sqlite3_value_int(argv[5]);
    check.not_null = flags & 1;
    check.update = flags & 2;
    check.type.is_float = flags & 4;
    check.qualified_name = [&] { return ArgText(argv[6]); };
    Result(c,
           CheckColumnValue(
               check.type.type == DataType::kNumber ? NumberArg(c, argv[0]) : Arg(argv[0]), check));
  });
}

// Blank-padded comparison of CHAR values compares without trailing blanks.
OCL_FUNCTION(Unpad) {
  if (ArgIsNull(argv[0])) return sqlite3_result_null(c);
  std::string s = ArgText(argv[0]);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  ResultText(c, std::move(s));
}

// ocl_rownum_rows(op, n): RownumRows for a value known only at run time; NULL compares with
// nothing, so it lets no row through.
OCL_FUNCTION(RownumRowsFn) {
  Guard(c, [&] {
    // A row count for SQLite's LIMIT, so a plain integer rather than a NUMBER.
    const std::optional<Decimal> n = DecimalArg(c, argv[1]);
    if (!n) return sqlite3_result_int64(c, 0);
    constexpr long long kEveryRow = 1'000'000'000'000'000'000;
    sqlite3_result_int64(c, RownumRows(ArgText(argv[0]), ToDouble(*n)).value_or(kEveryRow));
  });
}

OCL_FUNCTION(HexToRawFn) {
  Guard(c, [&] { Result(c, HexToRaw(Arg(argv[0]))); });
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
    {"ocl_chr", 1, Chr},
    {"ocl_rowid", 2, Rowid},
    {"ocl_nextval", 2, NextVal},
    {"ocl_currval", 2, CurrVal},
    {"ocl_instr", -1, Instr},
    {"ocl_pad", -1, Pad},
    {"ocl_replace", -1, Replace},
    {"ocl_ascii", 1, Ascii},
    {"ocl_round_num", -1, RoundNum},
    {"ocl_round_date", -1, RoundDate},
    {"ocl_add_months", 2, AddMonths},
    {"ocl_months_between", 2, MonthsBetween},
    {"ocl_last_day", 1, LastDay},
    {"ocl_trim", -1, Trim},
    {"ocl_ltrim", -1, LTrim},
    {"ocl_rtrim", -1, RTrim},
    {"ocl_arith", 3, Arith},
    {"ocl_num_fn", -1, NumFn},
    {"ocl_date_add", 2, DateAdd},
    {"ocl_date_diff", 2, DateDiff},
    {"ocl_sysdate", 0, Sysdate},
    {"ocl_user", 0, User},
    {"ocl_col", 7, Col},
    {"ocl_unpad", 1, Unpad},
    {"ocl_hextoraw", 1, HexToRawFn},
    {"ocl_rownum_rows", 2, RownumRowsFn},
};

}  // namespace

std::optional<long long> RownumRows(std::string_view op, double n) {
  // Past any table's size the bound makes no difference, and the conversions stay defined.
  n = std::isnan(n) ? 0 : std::clamp(n, -1e18, 1e18);
  long long rows = 0;
  if (op == "<") {
    rows = static_cast<long long>(std::ceil(n)) - 1;
  } else if (op == "<=") {
    rows = static_cast<long long>(std::floor(n));
  } else if (op == "=") {
    rows = n == 1 ? 1 : 0;
  } else if (op == ">") {
    if (n < 1) return std::nullopt;
  } else if (op == ">=") {
    if (n <= 1) return std::nullopt;
  } else {  // !=: the row numbered n fails, and so does every row after it
    if (n < 1 || n != std::floor(n)) return std::nullopt;
    rows = static_cast<long long>(n) - 1;
  }
  return std::max(0LL, rows);
}

void RegisterSqlFunctions(sqlite3* db, EvalContext* ctx) {
  for (const auto& f : kFunctions) {
    // Sequence numbers change with every call.
    const bool volatile_value =
        std::string_view(f.name) == "ocl_nextval" || std::string_view(f.name) == "ocl_currval";
    sqlite3_create_function_v2(db, f.name, f.args,
                               SQLITE_UTF8 | (volatile_value ? 0 : SQLITE_DETERMINISTIC), ctx, f.fn,
                               nullptr, nullptr, nullptr);
  }
  sqlite3_create_function_v2(db, "ocl_sum", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, ctx, nullptr,
                             SumStep, SumFinal, nullptr);
  sqlite3_create_function_v2(db, "ocl_avg", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, ctx, nullptr,
                             SumStep, AvgFinal, nullptr);
}

}  // namespace qm::ocilite
