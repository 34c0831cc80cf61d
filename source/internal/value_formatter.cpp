#include "source/internal/value_formatter.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/civil_date.h"
#include "platform/number_format.h"
#include "source/internal/dbf_column.h"
#include "source/internal/dbf_error.h"
#include "source/internal/dbf_format.h"
#include "source/internal/dbf_reader.h"
#include "source/internal/number_text.h"

namespace qm {
namespace {

const unsigned char* Bytes(std::string_view s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

double DoubleOf(std::uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

bool AllZero(std::string_view s) {
  for (char c : s)
    if (c != '\0') return false;
  return true;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\0';
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Character values end at the first NUL and lose their trailing blanks, eight at a time where
// a wide column is mostly padding.
std::string_view CharacterText(std::string_view slot) {
  if (const void* nul = std::memchr(slot.data(), '\0', slot.size()))
    slot = slot.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - slot.data()));
  static constexpr char kEightBlanks[] = "        ";
  while (slot.size() >= 8 && std::memcmp(slot.data() + slot.size() - 8, kEightBlanks, 8) == 0)
    slot.remove_suffix(8);
  while (!slot.empty() && slot.back() == ' ') slot.remove_suffix(1);
  return slot;
}

// The usual date slot, eight digits YYYYMMDD, read as one word: false for any other slot, which
// then takes the long way with its blanks and its messages.
bool EightDigitDate(std::string_view slot, int part[3]) {
  if (slot.size() != 8) return false;
  std::uint64_t word;
  std::memcpy(&word, slot.data(), sizeof word);
  word ^= 0x3030303030303030ull;  // a digit is now 0 .. 9 in its byte
  // A byte's high bit is set when it is 10 or more.
  if ((((word & 0x7F7F7F7F7F7F7F7Full) + 0x7676767676767676ull) | word) & 0x8080808080808080ull)
    return false;
  unsigned char d[8];
  std::memcpy(d, &word, sizeof d);
  part[0] = d[0] * 1000 + d[1] * 100 + d[2] * 10 + d[3];
  part[1] = d[4] * 10 + d[5];
  part[2] = d[6] * 10 + d[7];
  return true;
}

[[noreturn]] void Invalid(const char* what, std::string_view stored) {
  throw DbfError(std::string("invalid ") + what + " '" + std::string(stored) + "'");
}

// Whole seconds of a millisecond count within a day, rounded; a value that rounds up to midnight
// moves to the next day.
void SplitDay(std::int64_t& days, std::int64_t milliseconds, int& h, int& m, int& s) {
  std::int64_t seconds = (milliseconds + 500) / 1000;
  days += seconds / 86400;
  seconds %= 86400;
  h = static_cast<int>(seconds / 3600);
  m = static_cast<int>(seconds / 60 % 60);
  s = static_cast<int>(seconds % 60);
}

}  // namespace

RegionalFormats TransferFormats() {
  return {'.', "%d.%m.%Y", "%H:%M:%S"};
}

ValueFormatter::ValueFormatter(const RegionalFormats& formats, bool exactNumbers)
    : decimalSeparator_(formats.decimalSeparator),
      exactNumbers_(exactNumbers),
      dateTime_(formats) {}

bool ValueFormatter::AppendStoredNumber(std::string_view text, std::string& out) const {
  if (AppendGeneralDecimal(text, decimalSeparator_, out)) return true;
  if (exactNumbers_) return AppendExactDecimal(text, decimalSeparator_, out);
  std::string plain(text);
  for (char& c : plain)
    if (c == ',') c = '.';
  const char* first = plain.data() + (plain[0] == '+' ? 1 : 0);
  double value;
  const auto [end, error] = std::from_chars(first, plain.data() + plain.size(), value);
  if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value))
    return false;
  out += FormatFloatGeneral(value, decimalSeparator_);
  return true;
}

// One call from the record to the text: the damaged value's message gets its record and field
// in the handler of the function's own try block.
std::size_t ValueFormatter::Format(DbfReader& reader, const DbfColumn& column, const char* record,
                                   std::uint32_t n, std::string& out) const try {
  out.clear();
  if (reader.IsNull(column, record)) return 0;
  const std::string_view slot = reader.Slot(column, record);
  const bool level7 = reader.Dialect() == DbfDialect::kDbase7;
  switch (column.kind) {
    case ftString: {
      const std::string_view text = CharacterText(slot);
      if (column.flags & dbf::kFlagBinary) {
        out.assign(text);
      } else {
        return reader.Decoder().Append(text, out);
      }
      return 0;
    }
    case ftInteger:
    case ftLargeint:
    case ftAutoInc: {
      if (column.type == 'N' || column.type == 'F') {
        if (AppendPlainSlotNumber(slot, true, decimalSeparator_, out)) return 0;
        const std::string_view text = TrimBlanks(slot);
        if (text.empty() || text.find_first_not_of('*') == std::string_view::npos) return 0;
        // A fraction where the column declares none is still the number it says.
        if (!AppendIntegerText(text, out) && !AppendStoredNumber(text, out))
          Invalid("number", text);
        return 0;
      }
      // I and +: little-endian in Visual FoxPro; big-endian with the sign bit flipped in dBASE 7,
      // where all zero bytes mean no value.
      std::int32_t value;
      if (level7 || column.type == '+') {
        if (AllZero(slot)) return 0;
        value = static_cast<std::int32_t>(Be32(Bytes(slot)) ^ 0x80000000u);
      } else {
        value = static_cast<std::int32_t>(Le32(Bytes(slot)));
      }
      out += std::to_string(value);
      return 0;
    }
    case ftFloat: {
      double value;
      if (column.type == 'N' || column.type == 'F') {
        if (AppendPlainSlotNumber(slot, false, decimalSeparator_, out)) return 0;
        const std::string_view text = TrimBlanks(slot);
        if (text.empty() || text.find_first_not_of('*') == std::string_view::npos) return 0;
        if (!AppendStoredNumber(text, out)) Invalid("number", text);
        return 0;
      }
      if (column.type == 'O') {
        // Stored so that the bytes sort like the values: non-negative values with the sign bit
        // set, negative ones with every bit inverted.
        if (AllZero(slot)) return 0;
        const std::uint64_t bits = Be64(Bytes(slot));
        value = DoubleOf(bits >> 63 ? bits & ~(1ull << 63) : ~bits);
      } else {
        value = DoubleOf(Le64(Bytes(slot)));  // B, Visual FoxPro's double
      }
      out += FormatFloatGeneral(value, decimalSeparator_);
      return 0;
    }
    case ftCurrency: {
      // A 64-bit integer of ten-thousandths: written from its digits, no rounding involved.
      const auto units = static_cast<std::int64_t>(Le64(Bytes(slot)));
      const std::uint64_t magnitude =
          units < 0 ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
      std::string digits = std::to_string(magnitude);
      if (digits.size() < 5) digits.insert(0, 5 - digits.size(), '0');
      digits.insert(digits.size() - 4, 1, '.');
      if (units < 0) digits.insert(0, 1, '-');
      AppendStoredNumber(digits, out);  // always a number
      return 0;
    }
    case ftDate: {
      int part[3] = {0, 0, 0};
      if (!EightDigitDate(slot, part)) {
        const std::string_view text = TrimBlanks(slot);
        if (text.empty() || text == "00000000") return 0;
        static constexpr int kWidths[3] = {4, 2, 2};
        std::size_t pos = 0;
        for (int i = 0; i < 3; ++i)
          for (int k = 0; k < kWidths[i]; ++k, ++pos) {
            if (pos >= slot.size() || slot[pos] < '0' || slot[pos] > '9') Invalid("date", text);
            part[i] = part[i] * 10 + (slot[pos] - '0');
          }
      } else if (part[0] == 0 && part[1] == 0 && part[2] == 0) {
        return 0;  // "00000000", no date
      }
      if (part[0] == 0 || part[1] < 1 || part[1] > 12 || part[2] < 1 ||
          part[2] > DaysInMonth(part[0], part[1]))
        Invalid("date", TrimBlanks(slot));
      dateTime_.AppendDate(out, part[0], part[1], part[2]);
      return 0;
    }
    case ftDateTime: {
      std::int64_t days;
      std::int64_t milliseconds;
      if (column.type == 'T') {
        if (TrimBlanks(slot).empty()) return 0;
        const std::uint32_t julianDay = Le32(Bytes(slot));
        if (julianDay == 0) return 0;
        milliseconds = Le32(Bytes(slot) + 4);
        days = static_cast<std::int64_t>(julianDay) - dbf::kJulianDayOf1970;
      } else {
        // '@': milliseconds since 0001-01-01 as a big-endian double, day 1 being that date. A
        // set sign bit is the sortable form of a positive value (as for O).
        if (AllZero(slot)) return 0;
        const std::uint64_t bits = Be64(Bytes(slot));
        const double stamp = DoubleOf(bits & ~(1ull << 63));
        // Far past year 9999 (checked below), but within 64 bits.
        if (!std::isfinite(stamp) || stamp < dbf::kMillisecondsPerDay || stamp > 1e17)
          Invalid("time stamp", std::to_string(stamp));
        const auto whole = static_cast<std::int64_t>(stamp);
        days = whole / dbf::kMillisecondsPerDay - 1 - dbf::kDaysFrom0001To1970;
        milliseconds = whole % dbf::kMillisecondsPerDay;
      }
      if (milliseconds >= dbf::kMillisecondsPerDay)
        Invalid("time of day", std::to_string(milliseconds) + " ms");
      int h, m, s;
      SplitDay(days, milliseconds, h, m, s);
      const CivilDate d = CivilFromDays(days);
      if (d.year < 1 || d.year > 9999) Invalid("date", std::to_string(d.year));
      dateTime_.AppendDateTime(out, d.year, d.month, d.day, h, m, s);
      return 0;
    }
    case ftBoolean:
      switch (slot.empty() ? ' ' : slot[0]) {
        case 'T':
        case 't':
        case 'Y':
        case 'y':
          out += "True";
          return 0;
        case 'F':
        case 'f':
        case 'N':
        case 'n':
          out += "False";
          return 0;
        default:
          return 0;  // '?' or blank: not set
      }
    case ftMemo:
      if (column.flags & dbf::kFlagBinary) {
        reader.ReadMemo(column, record, out);
      } else {
        reader.ReadMemo(column, record, scratch_);
        return reader.Decoder().Append(scratch_, out);
      }
      return 0;
    case ftVarBytes:
      out.assign(slot);
      return 0;
    default:  // the other blobs: the content unchanged
      reader.ReadMemo(column, record, out);
      return 0;
  }
} catch (const DbfError& e) {
  throw DbfError(reader.Path(), "record " + std::to_string(reader.FilePosition(n)) + ", field " +
                                    reader.Decoder().Decode(column.name) + ": " + e.what());
}

}  // namespace qm
