// A DATE value: calendar date and time of day to the second, years 1 to 9999 (the proleptic
// Gregorian calendar). Converts to the stored text form, to Oracle's 7-byte external form and to
// a day count for date arithmetic.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/civil_date.h"

namespace qm::ocilite {

struct OraDate {
  int year = 1;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;

  // "YYYY-MM-DD HH:MM:SS", the form kept in the database.
  std::string ToStorage() const;
  // The same into `out`, whose room it takes.
  void ToStorage(std::string& out) const;
  // Reads the stored form; nullopt for anything else.
  static std::optional<OraDate> FromStorage(std::string_view text);

  // Century + 100, year of century + 100, month, day, hour + 1, minute + 1, second + 1.
  void ToExternal(unsigned char out[7]) const;
  // nullopt when the bytes do not make a valid date.
  static std::optional<OraDate> FromExternal(const unsigned char in[7]);

  // Days since 1 January 1970 plus the time of day as a fraction.
  double ToDayNumber() const;
  // The date of a day number, rounded to the second.
  static OraDate FromDayNumber(double days);

  static OraDate Now();
  bool operator==(const OraDate&) const = default;
};

using qm::DaysFromCivil;
using qm::DaysInMonth;
using qm::IsLeapYear;

}  // namespace qm::ocilite
