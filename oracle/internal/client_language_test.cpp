#include "oracle/internal/client_language.h"

#include <gtest/gtest.h>

#include "platform/environment.h"

namespace qm {
namespace {

TEST(ClientLanguageTest, CharacterSetBecomesCodePage1251AndDatesDayMonthYearWithTheTime) {
  struct Case {
    const char* language;  // nullptr: unset
    const char* dateFormat;
    const char* expectedLanguage;
    const char* expectedDateFormat;
  };
  const Case cases[] = {
      {nullptr, nullptr, "AMERICAN_AMERICA.CL8MSWIN1251", "DD.MM.RRRR HH24:MI:SS"},
      {"", "", "AMERICAN_AMERICA.CL8MSWIN1251", "DD.MM.RRRR HH24:MI:SS"},
      {"RUSSIAN_RUSSIA.AL32UTF8", nullptr, "RUSSIAN_RUSSIA.CL8MSWIN1251", "DD.MM.RRRR HH24:MI:SS"},
      {"GERMAN_GERMANY", "YYYY-MM-DD", "GERMAN_GERMANY.CL8MSWIN1251", "YYYY-MM-DD"},
      {".UTF8", nullptr, ".CL8MSWIN1251", "DD.MM.RRRR HH24:MI:SS"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language ? c.language : "(unset)");
    MemoryEnvironment env;
    if (c.language) env.Set("NLS_LANG", c.language);
    if (c.dateFormat) env.Set("NLS_DATE_FORMAT", c.dateFormat);
    SetClientLanguageEnvironment(env);
    EXPECT_EQ(env.Get("NLS_LANG"), c.expectedLanguage);
    EXPECT_EQ(env.Get("NLS_DATE_FORMAT"), c.expectedDateFormat);
  }
}

// The import writes numbers with a decimal point, so the session must read one, whatever the
// territory would choose (RUSSIA reads a comma) or the user set.
TEST(ClientLanguageTest, NumbersAreReadWithADecimalPoint) {
  struct Case {
    const char* language;  // nullptr: unset
    const char* numeric;   // nullptr: unset
    const char* expected;
  };
  const Case cases[] = {
      {nullptr, nullptr, ".,"},
      {"RUSSIAN_RUSSIA.CL8MSWIN1251", nullptr, ".,"},
      {"RUSSIAN_RUSSIA.CL8MSWIN1251", "", ".,"},
      {"GERMAN_GERMANY", ",.", ".,"},
      {"RUSSIAN_RUSSIA", ", ", ".,"},
      {"AMERICAN_AMERICA", ". ", ". "},  // a decimal point already: the user's grouping stays
      {nullptr, ".,", ".,"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.language ? c.language : "(unset)") + " / " +
                 (c.numeric ? c.numeric : "(unset)"));
    MemoryEnvironment env;
    if (c.language) env.Set("NLS_LANG", c.language);
    if (c.numeric) env.Set("NLS_NUMERIC_CHARACTERS", c.numeric);
    SetClientLanguageEnvironment(env);
    EXPECT_EQ(env.Get("NLS_NUMERIC_CHARACTERS"), c.expected);
  }
}

}  // namespace
}  // namespace qm
