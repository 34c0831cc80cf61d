// The datetime and interval calls of the 9i interface over the engine's descriptors: building a
// datetime from its fields or from text, reading its fields back, checking it, and setting and
// reading intervals. A fetch into a datetime descriptor (SQLT_TIMESTAMP and kin) fills it from a
// DATE; a bind reads it as a DATE, dropping fractions of a second.
// clang-format off
// Must come first: it makes the declarations of the interface exported ones.
#include "ocilite/internal/oci_exports.h"
// clang-format on

#include <cstring>
#include <string>
#include <string_view>

#include "ocilite/internal/code_page.h"
#include "ocilite/internal/date_format.h"
#include "ocilite/internal/extended_buffers.h"
#include "ocilite/internal/oci_handles.h"

using namespace qm::ocilite;
using namespace qm::ocilite::oci;

namespace {

DateTimeDescriptor* DateTimeOf(const void* p) {
  for (ub4 kind : {OCI_DTYPE_DATE, OCI_DTYPE_TIMESTAMP, OCI_DTYPE_TIMESTAMP_TZ,
                   OCI_DTYPE_TIMESTAMP_LTZ})
    if (auto* d = As<DateTimeDescriptor>(p, kind)) return d;
  return nullptr;
}

IntervalDescriptor* IntervalOf(const void* p, ub4 kind) {
  return As<IntervalDescriptor>(p, kind);
}

// Minutes east of UTC of a time zone written "+hh:mm" or "-hh:mm".
int ParseOffset(std::string_view tz) {
  while (!tz.empty() && tz.front() == ' ') tz.remove_prefix(1);
  while (!tz.empty() && tz.back() == ' ') tz.remove_suffix(1);
  if (tz.empty() || (tz[0] != '+' && tz[0] != '-')) throw OraError(1882);
  const int sign = tz[0] == '-' ? -1 : 1;
  tz.remove_prefix(1);
  const auto colon = tz.find(':');
  auto number = [](std::string_view digits) {
    if (digits.empty() || digits.size() > 2) throw OraError(1857);
    int n = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') throw OraError(1857);
      n = n * 10 + (c - '0');
    }
    return n;
  };
  const int hours = number(tz.substr(0, colon));
  const int minutes = colon == std::string_view::npos ? 0 : number(tz.substr(colon + 1));
  if (sign * hours < -12 || sign * hours > 14) throw OraError(1874);
  if (minutes > 59) throw OraError(1875);
  return sign * (hours * 60 + minutes);
}

ub4 CheckFields(const DateTimeDescriptor& d) {
  ub4 faults = 0;
  if (d.year == 0) faults |= OCI_DT_YEAR_ZERO;
  if (d.year < -4712) faults |= OCI_DT_YEAR_BELOW_VALID;
  if (d.year > 9999) faults |= OCI_DT_INVALID_YEAR;
  if (d.month < 1) faults |= OCI_DT_MONTH_BELOW_VALID;
  if (d.month > 12) faults |= OCI_DT_INVALID_MONTH;
  if (d.day < 1) faults |= OCI_DT_DAY_BELOW_VALID;
  if (d.month >= 1 && d.month <= 12 && d.year >= 1 && d.day > DaysInMonth(d.year, d.month))
    faults |= OCI_DT_INVALID_DAY;
  if (d.hour < 0) faults |= OCI_DT_HOUR_BELOW_VALID;
  if (d.hour > 23) faults |= OCI_DT_INVALID_HOUR;
  if (d.minute < 0) faults |= OCI_DT_MINUTE_BELOW_VALID;
  if (d.minute > 59) faults |= OCI_DT_INVALID_MINUTE;
  if (d.second < 0) faults |= OCI_DT_SECOND_BELOW_VALID;
  if (d.second > 59) faults |= OCI_DT_INVALID_SECOND;
  if (d.HasTimeZone() && (d.offset_minutes < -12 * 60 || d.offset_minutes > 14 * 60))
    faults |= OCI_DT_INVALID_TIMEZONE;
  return faults;
}

// Runs a call on a datetime descriptor after checking the handles.
template <typename Body>
sword OnDateTime(void* hndl, OCIError* err, const OCIDateTime* datetime, Body&& body) {
  const NlsSettings* nls = NlsOf(hndl);
  DateTimeDescriptor* d = DateTimeOf(datetime);
  if (!nls || !d) return OCI_INVALID_HANDLE;
  return WithError(err, [&](ErrorHandle&) -> sword {
    body(*nls, *d);
    return OCI_SUCCESS;
  });
}

template <typename Body>
sword OnInterval(void* hndl, OCIError* err, const OCIInterval* interval, ub4 kind, Body&& body) {
  IntervalDescriptor* i = IntervalOf(interval, kind);
  if (!NlsOf(hndl) || !i) return OCI_INVALID_HANDLE;
  return WithError(err, [&](ErrorHandle&) -> sword {
    body(*i);
    return OCI_SUCCESS;
  });
}

}  // namespace

extern "C" {

sword OCIDateTimeConstruct(void* hndl, OCIError* err, OCIDateTime* datetime, sb2 year, ub1 month,
                           ub1 day, ub1 hour, ub1 min, ub1 sec, ub4 fsec, const OraText* timezone,
                           std::size_t timezone_length) {
  return OnDateTime(hndl, err, datetime, [&](const NlsSettings& nls, DateTimeDescriptor& d) {
    const OraDate date = CheckedDate(year, month, day, hour, min, sec);
    if (fsec > 999999999) throw OraError(1880);
    int offset = 0;
    if (d.HasTimeZone()) {
      offset = timezone && timezone_length > 0
                   ? ParseOffset(nls.code_page->ToUtf8(std::string_view(
                         reinterpret_cast<const char*>(timezone), timezone_length)))
                   : LocalOffsetMinutes(date);
    }
    d.year = date.year;
    d.month = date.month;
    d.day = date.day;
    d.hour = date.hour;
    d.minute = date.minute;
    d.second = date.second;
    // A DATE keeps no fractions of a second.
    d.fraction = d.type == OCI_DTYPE_DATE ? 0 : fsec;
    d.offset_minutes = offset;
  });
}

sword OCIDateTimeGetDate(void* hndl, OCIError* err, const OCIDateTime* datetime, sb2* year,
                         ub1* month, ub1* day) {
  return OnDateTime(hndl, err, datetime, [&](const NlsSettings&, DateTimeDescriptor& d) {
    if (year) *year = static_cast<sb2>(d.year);
    if (month) *month = static_cast<ub1>(d.month);
    if (day) *day = static_cast<ub1>(d.day);
  });
}

sword OCIDateTimeGetTime(void* hndl, OCIError* err, OCIDateTime* datetime, ub1* hour, ub1* min,
                         ub1* sec, ub4* fsec) {
  return OnDateTime(hndl, err, datetime, [&](const NlsSettings&, DateTimeDescriptor& d) {
    if (hour) *hour = static_cast<ub1>(d.hour);
    if (min) *min = static_cast<ub1>(d.minute);
    if (sec) *sec = static_cast<ub1>(d.second);
    if (fsec) *fsec = d.fraction;
  });
}

sword OCIDateTimeGetTimeZoneOffset(void* hndl, OCIError* err, const OCIDateTime* datetime,
                                   sb1* hour, sb1* min) {
  return OnDateTime(hndl, err, datetime, [&](const NlsSettings&, DateTimeDescriptor& d) {
    // Only the kinds with a time zone have an offset.
    if (!d.HasTimeZone()) throw OraError(1878);
    if (hour) *hour = static_cast<sb1>(d.offset_minutes / 60);
    if (min) *min = static_cast<sb1>(d.offset_minutes % 60);
  });
}

sword OCIDateTimeCheck(void* hndl, OCIError* err, const OCIDateTime* date, ub4* valid) {
  return OnDateTime(hndl, err, date, [&](const NlsSettings&, DateTimeDescriptor& d) {
    if (valid) *valid = CheckFields(d);
  });
}

sword OCIDateTimeAssign(void* hndl, OCIError* err, const OCIDateTime* from, OCIDateTime* to) {
  DateTimeDescriptor* target = DateTimeOf(to);
  if (!target) return OCI_INVALID_HANDLE;
  return OnDateTime(hndl, err, from, [&](const NlsSettings&, DateTimeDescriptor& d) {
    target->year = d.year;
    target->month = d.month;
    target->day = d.day;
    target->hour = d.hour;
    target->minute = d.minute;
    target->second = d.second;
    target->fraction = target->type == OCI_DTYPE_DATE ? 0 : d.fraction;
    target->offset_minutes = target->HasTimeZone() ? d.offset_minutes : 0;
  });
}

sword OCIDateTimeFromText(void* hndl, OCIError* err, const OraText* date_str,
                          std::size_t dstr_length, const OraText* fmt, ub1 fmt_length,
                          const OraText*, std::size_t, OCIDateTime* datetime) {
  return OnDateTime(hndl, err, datetime, [&](const NlsSettings& nls, DateTimeDescriptor& d) {
    const CodePage& cp = *nls.code_page;
    const std::string text = cp.ToUtf8(
        std::string_view(reinterpret_cast<const char*>(date_str), date_str ? dstr_length : 0));
    // Without a model the session's date format reads the text.
    const std::string model =
        fmt && fmt_length > 0
            ? cp.ToUtf8(std::string_view(reinterpret_cast<const char*>(fmt), fmt_length))
            : nls.date_format;
    const OraDate date = DateFormat(model).Parse(text, OraDate::Now());
    d.year = date.year;
    d.month = date.month;
    d.day = date.day;
    d.hour = date.hour;
    d.minute = date.minute;
    d.second = date.second;
    d.fraction = 0;
    d.offset_minutes = d.HasTimeZone() ? LocalOffsetMinutes(date) : 0;
  });
}

sword OCIDateTimeToText(void* hndl, OCIError* err, const OCIDateTime* date, const OraText* fmt,
                        ub1 fmt_length, ub1, const OraText*, std::size_t, ub4* buf_size,
                        OraText* buf) {
  return OnDateTime(hndl, err, date, [&](const NlsSettings& nls, DateTimeDescriptor& d) {
    const CodePage& cp = *nls.code_page;
    const std::string model =
        fmt && fmt_length > 0
            ? cp.ToUtf8(std::string_view(reinterpret_cast<const char*>(fmt), fmt_length))
            : nls.date_format;
    const std::string text = cp.FromUtf8(DateFormat(model).Format(DescriptorDate(d)));
    if (!buf_size) throw OraError(1460);
    // The text does not fit the buffer: ORA-01877, as Oracle's conversion says.
    if (text.size() > *buf_size) throw OraError(1877);
    if (buf) std::memcpy(buf, text.data(), text.size());
    *buf_size = static_cast<ub4>(text.size());
  });
}

sword OCIIntervalGetYearMonth(void* hndl, OCIError* err, sb4* yr, sb4* mnth,
                              const OCIInterval* interval) {
  return OnInterval(hndl, err, interval, OCI_DTYPE_INTERVAL_YM, [&](IntervalDescriptor& i) {
    if (yr) *yr = i.years;
    if (mnth) *mnth = i.months;
  });
}

sword OCIIntervalSetYearMonth(void* hndl, OCIError* err, sb4 yr, sb4 mnth, OCIInterval* result) {
  return OnInterval(hndl, err, result, OCI_DTYPE_INTERVAL_YM, [&](IntervalDescriptor& i) {
    i.years = yr;
    i.months = mnth;
  });
}

sword OCIIntervalGetDaySecond(void* hndl, OCIError* err, sb4* dy, sb4* hr, sb4* mm, sb4* ss,
                              sb4* fsec, const OCIInterval* interval) {
  return OnInterval(hndl, err, interval, OCI_DTYPE_INTERVAL_DS, [&](IntervalDescriptor& i) {
    if (dy) *dy = i.days;
    if (hr) *hr = i.hours;
    if (mm) *mm = i.minutes;
    if (ss) *ss = i.seconds;
    if (fsec) *fsec = i.fraction;
  });
}

sword OCIIntervalSetDaySecond(void* hndl, OCIError* err, sb4 dy, sb4 hr, sb4 mm, sb4 ss, sb4 fsec,
                              OCIInterval* result) {
  return OnInterval(hndl, err, result, OCI_DTYPE_INTERVAL_DS, [&](IntervalDescriptor& i) {
    i.days = dy;
    i.hours = hr;
    i.minutes = mm;
    i.seconds = ss;
    i.fraction = fsec;
  });
}

}  // extern "C"
