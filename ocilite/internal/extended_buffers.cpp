#include "ocilite/internal/extended_buffers.h"

#include <cstring>
#include <ctime>

#include "ocilite/internal/conversions.h"
#include "ocilite/internal/lob_binds.h"
#include "ocilite/internal/oci_handles.h"

namespace qm::ocilite {
namespace {

std::size_t PrefixSize(ub2 dty) {
  return dty == SQLT_VBI ? 2 : 4;
}

oci::DateTimeDescriptor* DescriptorAt(const void* buffer) {
  void* address = nullptr;
  if (buffer) std::memcpy(&address, buffer, sizeof address);
  for (ub4 kind : {OCI_DTYPE_DATE, OCI_DTYPE_TIMESTAMP, OCI_DTYPE_TIMESTAMP_TZ,
                   OCI_DTYPE_TIMESTAMP_LTZ})
    if (auto* d = oci::As<oci::DateTimeDescriptor>(address, kind)) return d;
  return nullptr;
}

// The value as a date, converting text by the session's date format.
OraDate AsDate(const Value& v, const SqlType& type, ub2 dty, EvalContext& ctx) {
  if (type.type == DataType::kNumber)
    throw OraError(932, {dty == SQLT_ODT ? "DATE" : "TIMESTAMP", "NUMBER"});
  const Value date = type.type == DataType::kDate ? v : ToDate(v, ctx);
  const auto parsed = OraDate::FromStorage(date.s);
  if (!parsed) throw OraError(1858);
  return *parsed;
}

}  // namespace

bool IsDescriptorExternalType(ub2 dty) {
  return dty == SQLT_TIMESTAMP || dty == SQLT_TIMESTAMP_TZ || dty == SQLT_TIMESTAMP_LTZ ||
         dty == SQLT_DATE;
}

bool IsExtendedExternalType(ub2 dty) {
  return dty == SQLT_VBI || dty == SQLT_LVC || dty == SQLT_LVB || dty == SQLT_ODT ||
         IsDescriptorExternalType(dty) || IsLobBindType(dty);
}

OraDate CheckedDate(int year, int month, int day, int hour, int minute, int second) {
  if (year < -4712 || year > 9999 || year == 0) throw OraError(1841);
  if (month < 1 || month > 12) throw OraError(1843);
  // The engine's dates start at year 1.
  if (year < 1) throw OraError(1841);
  if (day < 1 || day > DaysInMonth(year, month)) throw OraError(1847);
  if (hour < 0 || hour > 23) throw OraError(1850);
  if (minute < 0 || minute > 59) throw OraError(1851);
  if (second < 0 || second > 59) throw OraError(1852);
  return OraDate{year, month, day, hour, minute, second};
}

OraDate DescriptorDate(const oci::DateTimeDescriptor& d) {
  return CheckedDate(d.year, d.month, d.day, d.hour, d.minute, d.second);
}

int LocalOffsetMinutes(const OraDate& date) {
  std::tm tm{};
  tm.tm_year = date.year - 1900;
  tm.tm_mon = date.month - 1;
  tm.tm_mday = date.day;
  tm.tm_hour = date.hour;
  tm.tm_min = date.minute;
  tm.tm_sec = date.second;
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  std::tm local{};
  if (t == static_cast<std::time_t>(-1) || !localtime_r(&t, &local)) return 0;
  return static_cast<int>(local.tm_gmtoff / 60);
}

StoreResult StoreExtended(const Value& v, const SqlType& type, ub2 dty, void* buffer, sb4 size,
                          ub4* length, ub4* full_length, EvalContext& ctx, const CodePage& cp) {
  if (IsLobBindType(dty)) throw OraError(3001);
  auto* out = static_cast<unsigned char*>(buffer);
  if (IsDescriptorExternalType(dty)) {
    oci::DateTimeDescriptor* d = DescriptorAt(buffer);
    if (!d) throw OraError(1460);
    const OraDate date = AsDate(v, type, dty, ctx);
    d->year = date.year;
    d->month = date.month;
    d->day = date.day;
    d->hour = date.hour;
    d->minute = date.minute;
    d->second = date.second;
    d->fraction = 0;
    d->offset_minutes = d->HasTimeZone() ? LocalOffsetMinutes(date) : 0;
    *length = *full_length = static_cast<ub4>(sizeof(void*));
    return StoreResult::kValue;
  }
  if (!out) throw OraError(1460);
  const std::size_t capacity = size < 0 ? 0 : static_cast<std::size_t>(size);
  if (dty == SQLT_ODT) {
    if (capacity < sizeof(OCIDate)) throw OraError(1460);
    const OraDate date = AsDate(v, type, dty, ctx);
    OCIDate o{};
    o.OCIDateYYYY = static_cast<sb2>(date.year);
    o.OCIDateMM = static_cast<ub1>(date.month);
    o.OCIDateDD = static_cast<ub1>(date.day);
    o.OCIDateTime = {static_cast<ub1>(date.hour), static_cast<ub1>(date.minute),
                     static_cast<ub1>(date.second)};
    std::memcpy(out, &o, sizeof o);
    *length = *full_length = static_cast<ub4>(sizeof o);
    return StoreResult::kValue;
  }
  // Length-prefixed text or bytes.
  const std::size_t prefix = PrefixSize(dty);
  if (capacity < prefix) throw OraError(1460);
  const std::string bytes =
      dty != SQLT_LVC && v.kind == Value::Kind::kBlob ? v.s : ClientText(v, type, ctx, cp);
  const std::size_t n = std::min(bytes.size(), capacity - prefix);
  if (prefix == 2) {
    const auto n16 = static_cast<ub2>(n);
    std::memcpy(out, &n16, 2);
  } else {
    const auto n32 = static_cast<ub4>(n);
    std::memcpy(out, &n32, 4);
  }
  if (n) std::memcpy(out + prefix, bytes.data(), n);
  *length = static_cast<ub4>(n + prefix);
  *full_length = static_cast<ub4>(bytes.size());
  return n < bytes.size() ? StoreResult::kTruncated : StoreResult::kValue;
}

Value LoadExtended(const void* buffer, ub4 length, ub2 dty, const CodePage& cp) {
  if (IsLobBindType(dty)) return LoadLobBind(buffer);
  const auto* in = static_cast<const unsigned char*>(buffer);
  if (IsDescriptorExternalType(dty)) {
    const oci::DateTimeDescriptor* d = DescriptorAt(buffer);
    if (!d) throw OraError(1460);
    return Value::Text(DescriptorDate(*d).ToStorage());
  }
  if (!in) return Value::Null();
  if (dty == SQLT_ODT) {
    if (length < 7) throw OraError(1460);
    OCIDate o{};
    std::memcpy(&o, in, std::min<std::size_t>(length, sizeof o));
    return Value::Text(CheckedDate(o.OCIDateYYYY, o.OCIDateMM, o.OCIDateDD,
                                   o.OCIDateTime.OCITimeHH, o.OCIDateTime.OCITimeMI,
                                   o.OCIDateTime.OCITimeSS)
                           .ToStorage());
  }
  const std::size_t prefix = PrefixSize(dty);
  if (length < prefix) throw OraError(1460);
  std::size_t n = 0;
  if (prefix == 2) {
    ub2 n16 = 0;
    std::memcpy(&n16, in, 2);
    n = n16;
  } else {
    ub4 n32 = 0;
    std::memcpy(&n32, in, 4);
    n = n32;
  }
  // The prefix may not claim more than the buffer holds.
  n = std::min<std::size_t>(n, length - prefix);
  const std::string bytes(reinterpret_cast<const char*>(in + prefix), n);
  if (bytes.empty()) return Value::Null();
  return dty == SQLT_LVC ? Value::Text(cp.ToUtf8(bytes)) : Value::Blob(bytes);
}

SqlType ExtendedBindType(ub2 dty, sb4 size) {
  if (IsLobBindType(dty)) return LobBindType(dty);
  switch (dty) {
    // As their plain forms SQLT_BIN, SQLT_LBI and SQLT_LNG.
    case SQLT_VBI:
    case SQLT_LVB:
      return BindType(SQLT_LBI, size - static_cast<sb4>(PrefixSize(dty)));
    case SQLT_LVC:
      return BindType(SQLT_LNG, size);
    default:
      return SqlType::Date();
  }
}

}  // namespace qm::ocilite
