#include "ocilite/client_buffers.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "ocilite/conversions.h"
#include "ocilite/number_text.h"
#include "ocilite/oracle_date.h"

namespace qm::ocilite {
namespace {

// Oracle's 22-byte NUMBER form: exponent byte, then base-100 digits.
std::string EncodeOracleNumber(const Value& v) {
  Decimal d = Decimal::FromValue(v);
  if (d.IsZero()) return std::string(1, static_cast<char>(0x80));
  std::string digits = d.digits;
  int e = d.exponent;
  if (e % 2 != 0) {
    digits.insert(digits.begin(), '0');
    ++e;
  }
  if (digits.size() % 2 != 0) digits += '0';
  if (digits.size() > 40) digits.resize(40);
  const int exp100 = e / 2;
  std::string out;
  out += static_cast<char>(d.negative ? 63 - exp100 : 192 + exp100);
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    const int pair = (digits[i] - '0') * 10 + (digits[i + 1] - '0');
    out += static_cast<char>(d.negative ? 101 - pair : pair + 1);
  }
  if (d.negative && out.size() < 21) out += static_cast<char>(102);
  return out;
}

Value DecodeOracleNumber(const unsigned char* p, std::size_t n) {
  if (n == 0 || (n == 1 && p[0] == 0x80)) return Value::Int(0);
  const bool negative = (p[0] & 0x80) == 0;
  const int exp100 = negative ? 63 - p[0] : p[0] - 192;
  Decimal d;
  d.negative = negative;
  for (std::size_t i = 1; i < n; ++i) {
    if (negative && p[i] == 102) break;
    const int pair = negative ? 101 - p[i] : p[i] - 1;
    d.digits += static_cast<char>('0' + pair / 10);
    d.digits += static_cast<char>('0' + pair % 10);
  }
  d.exponent = exp100 * 2;
  // Normalise through the text form, which strips the zeros.
  std::string text = (negative ? "-0." : "0.") + d.digits + "e" + std::to_string(d.exponent);
  auto parsed = ParseDecimal(text, '.');
  return parsed ? parsed->ToValue() : Value::Int(0);
}

double AsNumber(const Value& v, const SqlType& type, EvalContext& ctx) {
  if (type.type == DataType::kDate) throw OraError(932, {"NUMBER", "DATE"});
  return ToNumber(v, ctx).AsDouble();
}

}  // namespace

bool IsSupportedExternalType(ub2 dty) {
  switch (dty) {
    case SQLT_CHR:
    case SQLT_NUM:
    case SQLT_INT:
    case SQLT_FLT:
    case SQLT_STR:
    case SQLT_VNU:
    case SQLT_LNG:
    case SQLT_VCS:
    case SQLT_RID:
    case SQLT_DAT:
    case SQLT_BIN:
    case SQLT_LBI:
    case SQLT_UIN:
    case SQLT_AFC:
    case SQLT_AVC:
    case SQLT_OSL:
      return true;
    default:
      return false;
  }
}

std::string ClientText(const Value& v, const SqlType& type, EvalContext& ctx, const CodePage& cp) {
  if (v.kind == Value::Kind::kBlob) return ToText(v, DataType::kRaw, ctx).s;
  if (v.kind == Value::Kind::kText && type.type != DataType::kDate) return cp.FromUtf8(v.s);
  return cp.FromUtf8(ToText(v, type.type, ctx).s);
}

StoreResult StoreValue(const Value& v, const SqlType& type, ub2 dty, void* buffer, sb4 size,
                       ub4* length, ub4* full_length, EvalContext& ctx, const CodePage& cp) {
  auto* out = static_cast<unsigned char*>(buffer);
  const std::size_t capacity = size < 0 ? 0 : static_cast<std::size_t>(size);
  const bool text = dty == SQLT_STR || dty == SQLT_AVC || dty == SQLT_CHR || dty == SQLT_LNG ||
                    dty == SQLT_RID || dty == SQLT_OSL || dty == SQLT_AFC || dty == SQLT_BIN ||
                    dty == SQLT_LBI;
  if (!out && !text) throw OraError(1460);
  auto put_bytes = [&](const std::string& bytes, bool terminate, bool pad) -> StoreResult {
    *full_length = static_cast<ub4>(bytes.size());
    const std::size_t room = terminate ? (capacity > 0 ? capacity - 1 : 0) : capacity;
    const std::size_t n = std::min(bytes.size(), room);
    if (out && n) std::memcpy(out, bytes.data(), n);
    std::size_t written = n;
    if (pad && out && written < room) {
      std::memset(out + written, ' ', room - written);
      written = room;
    }
    if (terminate && out && capacity > 0) out[written] = 0;
    *length = static_cast<ub4>(written);
    return bytes.size() > room ? StoreResult::kTruncated : StoreResult::kValue;
  };
  switch (dty) {
    case SQLT_STR:
    case SQLT_AVC:
      return put_bytes(ClientText(v, type, ctx, cp), true, dty == SQLT_AVC);
    case SQLT_CHR:
    case SQLT_LNG:
    case SQLT_RID:
    case SQLT_OSL:
      return put_bytes(ClientText(v, type, ctx, cp), false, false);
    case SQLT_AFC:
      return put_bytes(ClientText(v, type, ctx, cp), false, true);
    case SQLT_VCS: {
      const std::string text = ClientText(v, type, ctx, cp);
      const std::size_t room = capacity > 2 ? capacity - 2 : 0;
      const std::size_t n = std::min(text.size(), room);
      const auto len16 = static_cast<ub2>(n);
      if (out) {
        std::memcpy(out, &len16, 2);
        std::memcpy(out + 2, text.data(), n);
      }
      *length = static_cast<ub4>(n + 2);
      *full_length = static_cast<ub4>(text.size());
      return text.size() > room ? StoreResult::kTruncated : StoreResult::kValue;
    }
    case SQLT_BIN:
    case SQLT_LBI:
      if (v.kind == Value::Kind::kBlob) return put_bytes(v.s, false, false);
      return put_bytes(ClientText(v, type, ctx, cp), false, false);
    case SQLT_INT:
    case SQLT_UIN: {
      const double d = AsNumber(v, type, ctx);
      const double r = std::round(d);
      const bool is_unsigned = dty == SQLT_UIN;
      auto fits = [&](double lo, double hi) { return r >= lo && r <= hi; };
      *length = static_cast<ub4>(size);
      *full_length = *length;
      switch (size) {
        case 1:
          if (!(is_unsigned ? fits(0, 255) : fits(-128, 127))) throw OraError(1455);
          out[0] = static_cast<unsigned char>(static_cast<int>(r));
          break;
        case 2: {
          if (!(is_unsigned ? fits(0, 65535) : fits(-32768, 32767))) throw OraError(1455);
          const auto x = static_cast<std::int16_t>(static_cast<int>(r));
          std::memcpy(out, &x, 2);
          break;
        }
        case 4: {
          if (!(is_unsigned ? fits(0, 4294967295.0) : fits(-2147483648.0, 2147483647.0)))
            throw OraError(1455);
          const auto x = static_cast<std::int32_t>(static_cast<std::int64_t>(r));
          std::memcpy(out, &x, 4);
          break;
        }
        case 8: {
          std::int64_t x;
          if (v.kind == Value::Kind::kInt) {
            x = v.i;
          } else {
            if (!fits(-9.2233720368547758e18, 9.2233720368547758e18)) throw OraError(1455);
            x = static_cast<std::int64_t>(r);
          }
          std::memcpy(out, &x, 8);
          break;
        }
        default:
          throw OraError(1460);
      }
      return StoreResult::kValue;
    }
    case SQLT_FLT: {
      const double d = AsNumber(v, type, ctx);
      *length = static_cast<ub4>(size);
      *full_length = *length;
      if (size == 4) {
        const auto f = static_cast<float>(d);
        std::memcpy(out, &f, 4);
      } else if (size == 8) {
        std::memcpy(out, &d, 8);
      } else {
        throw OraError(1460);
      }
      return StoreResult::kValue;
    }
    case SQLT_NUM:
    case SQLT_VNU: {
      if (type.type == DataType::kDate) throw OraError(932, {"NUMBER", "DATE"});
      const std::string bytes = EncodeOracleNumber(ToNumber(v, ctx));
      if (dty == SQLT_VNU) {
        if (capacity < bytes.size() + 1) throw OraError(1460);
        out[0] = static_cast<unsigned char>(bytes.size());
        std::memcpy(out + 1, bytes.data(), bytes.size());
        *length = static_cast<ub4>(bytes.size() + 1);
      } else {
        if (capacity < bytes.size()) throw OraError(1460);
        std::memcpy(out, bytes.data(), bytes.size());
        *length = static_cast<ub4>(bytes.size());
      }
      *full_length = *length;
      return StoreResult::kValue;
    }
    case SQLT_DAT: {
      if (type.type == DataType::kNumber) throw OraError(932, {"DATE", "NUMBER"});
      const Value date = type.type == DataType::kDate ? v : ToDate(v, ctx);
      const auto parsed = OraDate::FromStorage(date.s);
      if (!parsed || capacity < 7) throw OraError(1460);
      parsed->ToExternal(out);
      *length = 7;
      *full_length = 7;
      return StoreResult::kValue;
    }
    default:
      throw OraError(3001);
  }
}

Value LoadValue(const void* buffer, ub4 length, ub2 dty, const CodePage& cp) {
  const auto* in = static_cast<const unsigned char*>(buffer);
  if (!in) return Value::Null();
  auto text = [&](std::size_t n) {
    std::string s(reinterpret_cast<const char*>(in), n);
    return s.empty() ? Value::Null() : Value::Text(cp.ToUtf8(s));
  };
  switch (dty) {
    case SQLT_STR:
    case SQLT_AVC: {
      const void* nul = std::memchr(in, 0, length);
      return text(nul ? static_cast<const unsigned char*>(nul) - in : length);
    }
    case SQLT_CHR:
    case SQLT_LNG:
    case SQLT_AFC:
    case SQLT_RID:
    case SQLT_OSL:
      return text(length);
    case SQLT_VCS: {
      ub2 n = 0;
      std::memcpy(&n, in, 2);
      std::string s(reinterpret_cast<const char*>(in + 2), n);
      return s.empty() ? Value::Null() : Value::Text(cp.ToUtf8(s));
    }
    case SQLT_BIN:
    case SQLT_LBI:
      return length ? Value::Blob(std::string(reinterpret_cast<const char*>(in), length))
                    : Value::Null();
    case SQLT_INT:
      switch (length) {
        case 1:
          return Value::Int(static_cast<signed char>(in[0]));
        case 2: {
          std::int16_t x;
          std::memcpy(&x, in, 2);
          return Value::Int(x);
        }
        case 4: {
          std::int32_t x;
          std::memcpy(&x, in, 4);
          return Value::Int(x);
        }
        case 8: {
          std::int64_t x;
          std::memcpy(&x, in, 8);
          return Value::Int(x);
        }
      }
      throw OraError(1460);
    case SQLT_UIN:
      switch (length) {
        case 1:
          return Value::Int(in[0]);
        case 2: {
          std::uint16_t x;
          std::memcpy(&x, in, 2);
          return Value::Int(x);
        }
        case 4: {
          std::uint32_t x;
          std::memcpy(&x, in, 4);
          return Value::Int(x);
        }
      }
      throw OraError(1460);
    case SQLT_FLT:
      if (length == 4) {
        float f;
        std::memcpy(&f, in, 4);
        return Decimal::FromValue(Value::Real(f)).ToValue();
      }
      if (length == 8) {
        double d;
        std::memcpy(&d, in, 8);
        return Decimal::FromValue(Value::Real(d)).ToValue();
      }
      throw OraError(1460);
    case SQLT_NUM:
      return DecodeOracleNumber(in, length);
    case SQLT_VNU:
      return DecodeOracleNumber(in + 1, in[0]);
    case SQLT_DAT: {
      const auto d = OraDate::FromExternal(in);
      if (!d) throw OraError(1841);
      return Value::Text(d->ToStorage());
    }
    default:
      throw OraError(3001);
  }
}

SqlType BindType(ub2 dty, sb4 size) {
  switch (dty) {
    case SQLT_INT:
    case SQLT_UIN:
    case SQLT_FLT:
    case SQLT_NUM:
    case SQLT_VNU:
      return SqlType::Number();
    case SQLT_DAT:
      return SqlType::Date();
    case SQLT_BIN:
    case SQLT_LBI:
      return SqlType::Raw(size > 0 ? size : 1);
    case SQLT_AFC:
      return SqlType::Char(size > 0 ? size : 1);
    case SQLT_LNG:
      return SqlType::Varchar2(4000);
    default:
      return SqlType::Varchar2(size > 0 ? std::min<sb4>(size, 4000) : 1);
  }
}

}  // namespace qm::ocilite
