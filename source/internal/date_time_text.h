#pragma once
// Dates and times in the regional short date and long time formats, made without strftime for
// the usual conversions: the formats are taken apart once, when a table opens, and each value is
// then written by appending digits. Formats with conversions other than %d %e %m %y %Y %H %I %M
// %S %p %T %D %F %R %% are written by strftime, as platform/regional_formats.h does.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/regional_formats.h"

namespace qm {

class DateTimeText {
 public:
  explicit DateTimeText(const RegionalFormats& formats);

  void AppendDate(std::string& out, int year, int month, int day) const;
  void AppendTime(std::string& out, int hour, int minute, int second) const;
  // The short date, then a blank and the long time unless the time is 00:00:00.
  void AppendDateTime(std::string& out, int year, int month, int day, int hour, int minute,
                      int second) const;

 private:
  struct Piece {
    char conversion;  // 0 for literal text
    std::string literal;
  };
  // Where a fixed-width conversion's digits go in Compiled::pattern.
  struct Place {
    std::size_t at;
    char conversion;
  };
  struct Compiled {
    std::vector<Piece> pieces;
    bool byStrftime = false;  // a conversion we do not write ourselves
    bool fixed = false;       // pattern and places hold the whole format
    bool fourDigitYear = false;  // one of the places is %Y
    std::string pattern;
    std::vector<Place> places;
  };
  static Compiled Compile(const std::string& format);
  void Append(const Compiled& compiled, std::string& out, int year, int month, int day, int hour,
              int minute, int second) const;
  static void AppendFixed(const Compiled& compiled, std::string& out, int year, int month, int day,
                          int hour, int minute, int second);

  RegionalFormats formats_;
  Compiled date_;
  Compiled time_;
  std::string am_;
  std::string pm_;
};

}  // namespace qm
