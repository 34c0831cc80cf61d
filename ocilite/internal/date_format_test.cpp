// Reading dates the short way (DateFormat::ParsePlain) must give what the general reader gives, or
// leave the text to it: never another date, and never a date where the general reader raises an
// error.
#include "ocilite/internal/date_format.h"

#include <gtest/gtest.h>

#include <string>

#include "ocilite/internal/ora_error.h"

namespace qm::ocilite {
namespace {

TEST(DateFormat, ParsePlainReadsWhatParseReads) {
  const OraDate today{2026, 12, 11, 14, 30, 0};
  struct Case {
    const char* model;
    const char* text;
    bool short_way;  // whether ParsePlain takes it
  };
  const Case cases[] = {
      {"DD.MM.RRRR", "15.03.2003", true},
      {"DD.MM.RRRR", "5.3.2003", true},
      {"DD.MM.RRRR", "15.03.03", true},  // two-digit years by the RR rule
      {"DD.MM.RRRR", "15.03.75", true},
      {"DD.MM.RR", "15.03.1975", true},
      {"DD.MM.YY", "15.03.75", true},
      {"DD.MM.YYYY", "15.03.75", true},  // YYYY takes two digits as they are
      {"dd/mm/yyyy", "29/02/2000", true},
      {"DD.MM.YYYY", "29.02.2000", true},   // leap days
      {"DD.MM.YYYY", "29.02.1900", false},  // ORA-01839
      {"DD.MM.YYYY", "29.02.2001", false},
      {"DD.MM.YYYY", "31.04.2001", false},
      {"DD.MM.YYYY", "32.01.2001", false},  // ORA-01847
      {"DD.MM.YYYY", "00.01.2001", false},
      {"DD.MM.YYYY", "15.13.2001", false},  // ORA-01843
      {"DD.MM.YYYY", "15.00.2001", false},
      {"DD.MM.YYYY", "15.03.0000", false},   // ORA-01841
      {"DD.MM.YYYY", "15.03.20031", false},  // ORA-01830
      {"DD.MM.YYYY", "15.03", false},        // ORA-01840
      {"DD.MM.YYYY", "15.03.", false},
      {"DD.MM.YYYY", "15-03-2003", false},  // other punctuation: the general reader's leniency
      {"DD.MM.YYYY", "15032003", false},
      {"DD.MM.YYYY", " 15.03.2003", false},
      {"DD.MM.YYYY", "15.03.2003 ", false},
      {"DD.MM.YYYY", "15.MAR.2003", false},
      {"DD.MM.YYYY", "abc", false},  // ORA-01858
      {"DD.MM.RRRR HH24:MI:SS", "15.03.2003 10:20:30", true},
      {"DD.MM.RRRR HH24:MI:SS", "15.03.2003", true},  // the time of day may be left out
      {"DD.MM.RRRR HH24:MI:SS", "15.03.2003 10", true},
      {"DD.MM.RRRR HH24:MI:SS", "15.03.2003 24:00:00", false},  // ORA-01850
      {"DD.MM.RRRR HH24:MI:SS", "15.03.2003 10:60", false},
      {"DD.MM.RRRR HH24:MI:SS", "15.03.2003 10:20:60", false},
      {"YYYY-MM-DD", "2003-03-15", true},
      {"MM.DD.YYYY", "03.15.2003", true},
      {"MM.YYYY", "03.2003", true},       // the day defaults to the first
      {"DD.MM", "15.03", true},           // the year to this one
      {"DD-MON-RR", "15-MAR-03", false},  // models with names, FM, FX, quotes, twelve-hour
      {"FMDD.MM.YYYY", "15.03.2003", false},
      {"FXDD.MM.YYYY", "15.03.2003", false},
      {"DD\"x\"MM.YYYY", "15x03.2003", false},
      {"DD.MM.YYYY HH:MI AM", "15.03.2003 10:20 AM", false},
      {"DD..MM.YYYY", "15..03.2003", false},
      {"DDMMYYYY", "15032003", false},
      {".DD.MM.YYYY", ".15.03.2003", false},
      {"DD.MM.YYYY.", "15.03.2003.", false},
      {"DD.MM.YYYY.DD", "15.03.2003.15", false},  // ORA-01810
  };
  for (const Case& k : cases) {
    const DateFormat format(k.model);
    std::string general;
    try {
      general = format.Parse(k.text, today).ToStorage();
    } catch (const OraError& e) {
      general = "ORA-" + std::to_string(e.Code());
    }
    const std::optional<OraDate> plain = format.ParsePlain(k.text, today);
    EXPECT_EQ(plain.has_value(), k.short_way) << k.model << " " << k.text << " " << general;
    if (plain) {
      EXPECT_EQ(plain->ToStorage(), general) << k.model << " " << k.text;
    }
  }
}

}  // namespace
}  // namespace qm::ocilite
