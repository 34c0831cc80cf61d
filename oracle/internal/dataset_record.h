#pragma once
// The bytes of one TOracleDataSet record: a 32-byte header, then, for every field in field order,
// a null flag byte (1 = NULL) followed by the field's data.
//
// Header: record id (4 bytes, 1, 2, 3, ... in fetch order), bookmark flag (1), the first 18
// characters of the row's ROWID zero-terminated (19, zeros when there is none), the number of
// the record's large-value list (4, 0 for none), the size of the data after the header (4).
//
// Field data: text: the declared size + 1 bytes, the value zero-terminated and cut to the size;
// 2- and 4-byte integers; 8-byte floats; date-time: an 8-byte float holding (days since
// 1 January of year 1, plus 1) × 86400000 + the milliseconds of the day. Memo and blob values
// live in the record's large-value list and take no data bytes.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "oracle/oracle_date_time.h"
#include "platform/field_type.h"

namespace qm::dataset_record {

inline constexpr int kHeaderSize = 32;
inline constexpr int kIdOffset = 0;
inline constexpr int kBookmarkOffset = 4;
inline constexpr int kRowidOffset = 5;
inline constexpr int kRowidLength = 18;
inline constexpr int kLargeValuesOffset = 24;
inline constexpr int kDataSizeOffset = 28;

int DataSize(TFieldType kind, int size);
bool IsLargeValue(TFieldType kind);

// Little helpers for the fixed-size parts of a block; `at` need not be aligned.
std::int32_t ReadInt32(const std::byte* at);
void WriteInt32(std::byte* at, std::int32_t value);
std::int16_t ReadInt16(const std::byte* at);
void WriteInt16(std::byte* at, std::int16_t value);
double ReadDouble(const std::byte* at);
void WriteDouble(std::byte* at, double value);
// Copies `text` cut to `capacity` - 1 bytes and a zero byte after it.
void WriteText(std::byte* at, int capacity, std::string_view text);
std::string_view ReadText(const std::byte* at, int capacity);

// A date-time in the record's field format and back.
double DateTimeToFieldValue(TDateTime value);
TDateTime FieldValueToDateTime(double value);

}  // namespace qm::dataset_record
