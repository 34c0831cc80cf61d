#include "oracle/internal/dataset_record.h"

#include <cmath>
#include <cstring>

namespace qm::dataset_record {
namespace {
constexpr double kMsecsPerDay = 86400000.0;
// Field format day number of 30 December 1899, day 0 of TDateTime.
constexpr double kDayZero = 693594.0;
}  // namespace

int DataSize(TFieldType kind, int size) {
  switch (kind) {
    case ftString:
      return size + 1;
    case ftSmallint:
      return 2;
    case ftInteger:
      return 4;
    case ftFloat:
    case ftDateTime:
      return 8;
    default:
      return 0;
  }
}

bool IsLargeValue(TFieldType kind) {
  return kind == ftMemo || kind == ftBlob || kind == ftOraClob || kind == ftOraBlob;
}

std::int32_t ReadInt32(const std::byte* at) {
  std::int32_t v;
  std::memcpy(&v, at, sizeof v);
  return v;
}
void WriteInt32(std::byte* at, std::int32_t value) { std::memcpy(at, &value, sizeof value); }
std::int16_t ReadInt16(const std::byte* at) {
  std::int16_t v;
  std::memcpy(&v, at, sizeof v);
  return v;
}
void WriteInt16(std::byte* at, std::int16_t value) { std::memcpy(at, &value, sizeof value); }
double ReadDouble(const std::byte* at) {
  double v;
  std::memcpy(&v, at, sizeof v);
  return v;
}
void WriteDouble(std::byte* at, double value) { std::memcpy(at, &value, sizeof value); }

void WriteText(std::byte* at, int capacity, std::string_view text) {
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(capacity - 1));
  std::memcpy(at, text.data(), n);
  at[n] = std::byte{0};
}

std::string_view ReadText(const std::byte* at, int capacity) {
  const char* text = reinterpret_cast<const char*>(at);
  return {text, strnlen(text, static_cast<std::size_t>(capacity))};
}

double DateTimeToFieldValue(TDateTime value) {
  // The time of day is the fraction's size, before day 0 as after it.
  const double day = std::trunc(value);
  const double msecs = std::round(std::fabs(value - day) * kMsecsPerDay);
  return (kDayZero + day) * kMsecsPerDay + msecs;
}

TDateTime FieldValueToDateTime(double value) {
  const double day = std::floor(value / kMsecsPerDay);
  const double fraction = (value - day * kMsecsPerDay) / kMsecsPerDay;
  const double days = day - kDayZero;
  return days < 0 ? days - fraction : days + fraction;
}

}  // namespace qm::dataset_record
