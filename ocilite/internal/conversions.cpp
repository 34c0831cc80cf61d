#include "ocilite/internal/conversions.h"

#include <algorithm>

#include "ocilite/internal/number_text.h"
#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {

Value ToNumber(const Value& v, EvalContext& ctx) {
  switch (v.kind) {
    case Value::Kind::kNull:
    case Value::Kind::kNumber:
      return v;
    case Value::Kind::kText:
      if (v.s.empty()) return Value::Null();
      return TextToNumber(v.s, ctx.nls.decimal);
    case Value::Kind::kBlob:
      break;
  }
  throw OraError(1722);
}

Value ToDate(const Value& v, EvalContext& ctx, const std::string* model) {
  if (v.IsNull()) return v;
  if (v.kind != Value::Kind::kText) throw OraError(932, {"DATE", "NUMBER"});
  if (v.s.empty()) return Value::Null();
  const DateFormat& format = model ? ctx.Format(*model) : ctx.SessionDateFormat();
  return Value::Text(format.Parse(v.s, ctx.statement_time).ToStorage());
}

Value ToText(const Value& v, DataType type, EvalContext& ctx, const std::string* model) {
  if (v.IsNull()) return v;
  if (type == DataType::kDate && v.kind == Value::Kind::kText) {
    const auto date = OraDate::FromStorage(v.s);
    if (!date) return v;
    const DateFormat& format = model ? ctx.Format(*model) : ctx.SessionDateFormat();
    std::string text = format.Format(*date);
    return text.empty() ? Value::Null() : Value::Text(std::move(text));
  }
  if (v.IsNumber()) {
    if (model) return Value::Text(FormatNumberModel(v, *model, ctx));
    return Value::Text(NumberToText(v, ctx.nls.decimal));
  }
  if (v.kind == Value::Kind::kBlob) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : v.s) {
      hex += kHex[(static_cast<unsigned char>(c) >> 4) & 15];
      hex += kHex[static_cast<unsigned char>(c) & 15];
    }
    return Value::Text(std::move(hex));
  }
  return v;
}

Value HexToRaw(const Value& v) {
  if (v.IsNull() || v.kind == Value::Kind::kBlob) return v;
  if (v.kind != Value::Kind::kText) throw OraError(1465);
  if (v.s.empty()) return Value::Null();
  auto nibble = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    throw OraError(1465);
  };
  std::string bytes;
  bytes.reserve(v.s.size() / 2 + 1);
  std::size_t i = 0;
  if (v.s.size() % 2 == 1) bytes += static_cast<char>(nibble(v.s[i++]));
  for (; i < v.s.size(); i += 2)
    bytes += static_cast<char>(nibble(v.s[i]) * 16 + nibble(v.s[i + 1]));
  return Value::Blob(std::move(bytes));
}

namespace {

struct NumberModel {
  bool fm = false;
  bool dollar = false;
  bool sign_first = false, sign_last = false, minus_last = false;
  std::string integer;   // the model characters before the decimal point: 9 0 , G
  std::string fraction;  // after it: 9 0
  bool has_point = false;
  char point = '.';
};

NumberModel ReadModel(std::string_view model, EvalContext& ctx) {
  NumberModel m;
  std::string upper = Utf8Upper(model);
  std::string_view s = upper;
  if (s.substr(0, 2) == "FM") {
    m.fm = true;
    s.remove_prefix(2);
  }
  if (!s.empty() && s.front() == 'S') {
    m.sign_first = true;
    s.remove_prefix(1);
  }
  if (s.size() >= 2 && s.substr(s.size() - 2) == "MI") {
    m.minus_last = true;
    s.remove_suffix(2);
  } else if (!s.empty() && s.back() == 'S' && !m.sign_first) {
    m.sign_last = true;
    s.remove_suffix(1);
  }
  for (const char c : s) {
    if (c == '$' || c == 'L') {
      m.dollar = true;
    } else if (c == '9' || c == '0') {
      (m.has_point ? m.fraction : m.integer) += c;
    } else if ((c == ',' || c == 'G') && !m.has_point) {
      m.integer += c == ',' ? ',' : 'G';
    } else if ((c == '.' || c == 'D') && !m.has_point) {
      m.has_point = true;
      m.point = c == '.' ? '.' : ctx.nls.decimal;
    } else {
      throw OraError(1481);
    }
  }
  return m;
}

}  // namespace

std::string FormatNumberModel(const Value& number, std::string_view model, EvalContext& ctx) {
  const NumberModel m = ReadModel(model, ctx);
  Decimal d = ToDecimal(number);
  d.RoundToScale(static_cast<int>(m.fraction.size()));
  const int int_digits = d.IntegerDigits() > 0 ? d.IntegerDigits() : 0;
  const auto slots = std::count_if(m.integer.begin(), m.integer.end(),
                                   [](char c) { return c == '9' || c == '0'; });
  const std::size_t width = model.size() + 1;
  if (int_digits > slots) return std::string(width, '#');
  auto digit_at = [&](int power) -> char {  // digit for 10^power
    const int index = d.exponent - 1 - power;
    if (index < 0 || index >= static_cast<int>(d.digits.size())) return '0';
    return d.digits[index];
  };
  // Integer part, right to left.
  std::string integer;
  const auto first_zero = m.integer.find('0');
  int power = 0;
  for (int k = static_cast<int>(m.integer.size()) - 1; k >= 0; --k) {
    const char c = m.integer[k];
    const bool forced = first_zero != std::string::npos && k >= static_cast<int>(first_zero);
    if (c == '9' || c == '0') {
      const bool significant = power < int_digits;
      const bool lone_zero = power == 0 && int_digits == 0 && m.fraction.empty();
      integer += (significant || forced || lone_zero) ? digit_at(power) : ' ';
      ++power;
    } else {
      const bool show = power < int_digits || forced;
      integer += show ? (c == ',' ? ',' : ctx.nls.group) : ' ';
    }
  }
  std::reverse(integer.begin(), integer.end());
  std::string fraction;
  for (std::size_t k = 0; k < m.fraction.size(); ++k)
    fraction += digit_at(-1 - static_cast<int>(k));
  if (m.fm) {
    while (!fraction.empty() && fraction.back() == '0' && m.fraction[fraction.size() - 1] == '9')
      fraction.pop_back();
  }
  // Blanks that stand for missing leading digits move in front of the sign.
  const auto lead = integer.find_first_not_of(' ');
  std::string blanks = lead == std::string::npos ? integer : integer.substr(0, lead);
  std::string body = lead == std::string::npos ? std::string() : integer.substr(lead);
  if (m.dollar) body = "$" + body;
  if (m.has_point) body += m.point + fraction;
  const bool negative = d.negative;
  std::string out;
  if (m.sign_first) {
    out = blanks + (negative ? "-" : "+") + body;
  } else if (m.sign_last) {
    out = blanks + body + (negative ? "-" : "+");
  } else if (m.minus_last) {
    out = blanks + body + (negative ? "-" : " ");
  } else {
    out = blanks + (negative ? "-" : " ") + body;
  }
  if (m.fm) {
    const auto a = out.find_first_not_of(' ');
    const auto b = out.find_last_not_of(' ');
    out = a == std::string::npos ? std::string() : out.substr(a, b - a + 1);
  }
  return out;
}

Value ParseNumberModel(std::string_view text, std::string_view model, EvalContext& ctx) {
  const NumberModel m = ReadModel(model, ctx);
  std::string cleaned;
  for (const char c : text) {
    if (c == '$' && m.dollar) continue;
    if (c == ',' && m.integer.find(',') != std::string::npos) continue;
    if (c == ctx.nls.group && m.integer.find('G') != std::string::npos) continue;
    cleaned += c;
  }
  if (m.minus_last && !cleaned.empty() && (cleaned.back() == '-' || cleaned.back() == ' ')) {
    const bool negative = cleaned.back() == '-';
    cleaned.pop_back();
    if (negative) cleaned = "-" + cleaned;
  }
  if (m.sign_last && !cleaned.empty() && (cleaned.back() == '-' || cleaned.back() == '+')) {
    const char sign = cleaned.back();
    cleaned.pop_back();
    cleaned = std::string(1, sign) + cleaned;
  }
  return TextToNumber(cleaned, m.has_point ? m.point : ctx.nls.decimal);
}

Value CheckColumnValue(Value v, const ColumnCheck& check) {
  if (v.kind == Value::Kind::kText && v.s.empty()) v = Value::Null();
  if (v.IsNull()) {
    if (check.not_null) {
      if (check.update) throw OraError(1407, {check.qualified_name()});
      throw OraError(1400, {check.qualified_name()});
    }
    return v;
  }
  const SqlType& t = check.type;
  auto too_large = [&](std::size_t actual) {
    return OraError(12899,
                    {check.qualified_name(), std::to_string(actual), std::to_string(t.length)});
  };
  switch (t.type) {
    case DataType::kVarchar2:
    case DataType::kChar: {
      const std::size_t length = Utf8Length(v.s);
      if (length > static_cast<std::size_t>(t.length)) throw too_large(length);
      if (t.type == DataType::kChar) v.s.append(t.length - length, ' ');
      return v;
    }
    case DataType::kRaw:
      if (v.s.size() > static_cast<std::size_t>(t.length)) throw too_large(v.s.size());
      return v;
    case DataType::kNumber:
      if (!v.IsNumber()) throw OraError(1722);
      return t.is_float ? FitFloat(v, t.precision) : FitNumber(v, t.precision, t.scale);
    default:
      return v;
  }
}

}  // namespace qm::ocilite
