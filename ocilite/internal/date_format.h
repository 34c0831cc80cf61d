// Oracle date format models ("DD.MM.RRRR", "DD-MON-RR HH24:MI:SS", ...): formatting a date as
// text and reading text as a date with Oracle's lenient matching. Without FX, punctuation in the
// input may differ from or be missing against the model, numbers may drop leading zeros, MM also
// reads month names, MON also reads full names, RR and YY also read four-digit years, and trailing
// time fields may be left out; a digit where punctuation and then a name are due ("2003-03-15"
// under DD-MON-RR) does not match (ORA-01861). With FX, MM reads digits only. Errors are Oracle's:
// ORA-01821 for a model the engine does not know, and ORA-01830, 01840, 01843, 01847, 01839, 01850,
// 01851, 01852, 01855, 01858, 01861 for text that does not fit the model.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ocilite/internal/oracle_date.h"

namespace qm::ocilite {

class DateFormat {
 public:
  // Reads the model; throws ORA-01821 for an element the engine does not know.
  explicit DateFormat(std::string_view model);

  std::string Format(const OraDate& date) const;
  // Missing year and month default to those of `today`, a missing day to 1, the time to midnight.
  OraDate Parse(std::string_view text, const OraDate& today) const;
  // What Parse gives, read the short way, for a plain model (day, month, year and the 24-hour
  // time as numbers, one punctuation character before each but the first, no FM or FX) and a
  // text of those numbers with exactly the model's punctuation, the time of day perhaps left
  // out. nullopt for any other model or text, and for every text Parse refuses: Parse then
  // reads it and raises the error.
  std::optional<OraDate> ParsePlain(std::string_view text, const OraDate& today) const;

 private:
  enum class Code {
    kLiteral,  // punctuation or quoted text
    kYYYY,
    kYYY,
    kYY,
    kY,
    kRRRR,
    kRR,
    kMM,
    kMON,
    kMONTH,
    kDD,
    kDDD,
    kD,
    kDY,
    kDAY,
    kHH,
    kHH24,
    kMI,
    kSS,
    kSSSSS,
    kAM,
    kJ,
    kFM,
    kFX,
  };
  enum class Case { kUpper, kCapital, kLower };
  struct Element {
    Code code;
    std::string text;  // literal text
    bool quoted = false;
    Case letter_case = Case::kUpper;
  };
  // The year a year element reads from `value` of `digits` digits; 0 is no year (ORA-01841).
  static int YearOf(Code code, long value, int digits, const OraDate& today);

  // A number of a plain model and the punctuation before it (none before the first).
  struct PlainStep {
    Code code;
    char separator;
  };

  std::vector<Element> elements_;
  std::vector<PlainStep> plain_;  // empty when the model is not plain
};

}  // namespace qm::ocilite
