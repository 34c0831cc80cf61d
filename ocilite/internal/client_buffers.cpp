#include "ocilite/internal/client_buffers.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "ocilite/internal/conversions.h"
#include "ocilite/internal/number_text.h"
#include "ocilite/internal/oracle_date.h"

namespace qm::ocilite {
namespace {

Decimal AsNumber(const Value& v, const SqlType& type, EvalContext& ctx) {
  if (type.type == DataType::kDate) throw OraError(932, {"NUMBER", "DATE"});
  return ToDecimal(ToNumber(v, ctx));
}

// A number form a client handed over, canonical as stored numbers are.
Value ClientNumber(const unsigned char* p, std::size_t n) {
  const std::string_view form(reinterpret_cast<const char*>(p), std::min(n, kMaxNumberBytes));
  return NumberValue(DecodeNumber(form));
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
    // A fixed-length buffer is blank-padded; the length returned is the value's own.
    std::size_t end = n;
    if (pad && out && end < room) {
      std::memset(out + end, ' ', room - end);
      end = room;
    }
    if (terminate && out && capacity > 0) out[end] = 0;
    *length = static_cast<ub4>(n);
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
      // The fraction is cut off; a whole part past the buffer's range is ORA-01455.
      const std::optional<std::int64_t> whole = ToInt64(AsNumber(v, type, ctx));
      if (!whole) throw OraError(1455);
      const std::int64_t x = *whole;
      const bool is_unsigned = dty == SQLT_UIN;
      auto fits = [&](std::int64_t lo, std::int64_t hi) { return x >= lo && x <= hi; };
      *length = static_cast<ub4>(size);
      *full_length = *length;
      switch (size) {
        case 1:
          if (!(is_unsigned ? fits(0, 255) : fits(-128, 127))) throw OraError(1455);
          out[0] = static_cast<unsigned char>(x);
          break;
        case 2: {
          if (!(is_unsigned ? fits(0, 65535) : fits(-32768, 32767))) throw OraError(1455);
          const auto x16 = static_cast<std::uint16_t>(x);
          std::memcpy(out, &x16, 2);
          break;
        }
        case 4: {
          if (!(is_unsigned ? fits(0, 4294967295LL) : fits(-2147483648LL, 2147483647LL)))
            throw OraError(1455);
          const auto x32 = static_cast<std::uint32_t>(x);
          std::memcpy(out, &x32, 4);
          break;
        }
        case 8:
          if (is_unsigned && x < 0) throw OraError(1455);
          std::memcpy(out, &x, 8);
          break;
        default:
          throw OraError(1460);
      }
      return StoreResult::kValue;
    }
    case SQLT_FLT: {
      const double d = ToDouble(AsNumber(v, type, ctx));
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
      const std::string bytes = ToNumber(v, ctx).s;
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
          return NumberValue(std::int64_t{static_cast<signed char>(in[0])});
        case 2: {
          std::int16_t x;
          std::memcpy(&x, in, 2);
          return NumberValue(std::int64_t{x});
        }
        case 4: {
          std::int32_t x;
          std::memcpy(&x, in, 4);
          return NumberValue(std::int64_t{x});
        }
        case 8: {
          std::int64_t x;
          std::memcpy(&x, in, 8);
          return NumberValue(x);
        }
      }
      throw OraError(1460);
    case SQLT_UIN:
      switch (length) {
        case 1:
          return NumberValue(std::int64_t{in[0]});
        case 2: {
          std::uint16_t x;
          std::memcpy(&x, in, 2);
          return NumberValue(std::int64_t{x});
        }
        case 4: {
          std::uint32_t x;
          std::memcpy(&x, in, 4);
          return NumberValue(std::int64_t{x});
        }
      }
      throw OraError(1460);
    case SQLT_FLT:
      if (length == 4) {
        float f;
        std::memcpy(&f, in, 4);
        return NumberValue(DecimalFromDouble(f));
      }
      if (length == 8) {
        double d;
        std::memcpy(&d, in, 8);
        return NumberValue(DecimalFromDouble(d));
      }
      throw OraError(1460);
    case SQLT_NUM:
      return ClientNumber(in, length);
    case SQLT_VNU:
      return ClientNumber(in + 1, length ? std::min<std::size_t>(in[0], length - 1) : 0);
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
