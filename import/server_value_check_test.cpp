#include "import/server_value_check.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace qm {
namespace {

TargetColumn Text(const std::string& name, long bytes, bool charSemantics = false,
                  long chars = 0) {
  TargetColumn c;
  c.name = name;
  c.dataType = "VARCHAR2";
  c.dataLength = bytes;
  c.charSemantics = charSemantics;
  c.charLength = charSemantics ? chars : bytes;
  return c;
}

TargetColumn Number(std::optional<int> precision, std::optional<int> scale,
                    const std::string& type = "NUMBER") {
  TargetColumn c;
  c.name = "N";
  c.dataType = type;
  c.dataLength = 22;
  c.precision = precision;
  c.scale = scale;
  return c;
}

TargetColumn Date() {
  TargetColumn c;
  c.name = "D";
  c.dataType = "DATE";
  c.dataLength = 7;
  return c;
}

TargetFacts Facts(bool utf8 = false) {
  TargetFacts f;
  f.owner = "DEMO";
  f.table = "PEOPLE";
  f.utf8Database = utf8;
  f.databaseCharacterSet = utf8 ? "AL32UTF8" : "CL8MSWIN1251";
  f.currentYear = 2026;
  return f;
}

constexpr char kPrecision[] =
    "ORA-01438: value larger than specified precision allowed for this column";

TEST(ColumnFault, ChecksWhatTheServerChecksOnStoringALiteral) {
  TargetColumn notNull = Text("NAME", 10);
  notNull.nullable = false;
  const std::string cyrillic = Cp1251("Иванов");  // 6 characters, 12 bytes in UTF-8
  struct Case {
    const char* what;
    TargetColumn column;
    bool utf8;
    std::string value;
    std::optional<std::string> fault;
  } cases[] = {
      {"empty into nullable", Text("NAME", 10), false, "", std::nullopt},
      {"empty into NOT NULL", notNull, false, "",
       R"(ORA-01400: cannot insert NULL into ("DEMO"."PEOPLE"."NAME"))"},
      {"fits in bytes", Text("NAME", 6), false, cyrillic, std::nullopt},
      {"bytes of a UTF-8 database", Text("NAME", 6), true, cyrillic,
       R"(ORA-12899: value too large for column "DEMO"."PEOPLE"."NAME" (actual: 12, maximum: 6))"},
      {"characters on a UTF-8 database", Text("NAME", 24, true, 6), true, cyrillic, std::nullopt},
      {"too many characters", Text("NAME", 20, true, 5), true, cyrillic,
       R"(ORA-12899: value too large for column "DEMO"."PEOPLE"."NAME" (actual: 6, maximum: 5))"},
      {"longer than bytes", Text("NAME", 3), false, "abcd",
       R"(ORA-12899: value too large for column "DEMO"."PEOPLE"."NAME" (actual: 4, maximum: 3))"},
      {"number fits", Number(5, 2), false, "999.99", std::nullopt},
      {"rounds into range", Number(5, 2), false, "999.994", std::nullopt},
      {"rounds out of range", Number(5, 2), false, "999.995", kPrecision},
      {"too many digits before the point", Number(5, 2), false, "1234", kPrecision},
      {"negative and blanks", Number(5, 2), false, " -123.4 ", std::nullopt},
      {"integer column rounds the fraction", Number(3, 0), false, "999.4", std::nullopt},
      {"integer column overflows by rounding", Number(3, 0), false, "999.5", kPrecision},
      {"negative scale", Number(3, -2), false, "99949", std::nullopt},
      {"negative scale too large", Number(3, -2), false, "99950", kPrecision},
      {"scale above precision", Number(2, 4), false, ".0099", std::nullopt},
      {"scale above precision too large", Number(2, 4), false, ".01", kPrecision},
      {"exponent", Number(5, 0), false, "1.5E3", std::nullopt},
      {"INTEGER is NUMBER(38,0)", Number(std::nullopt, 0), false, std::string(39, '9'),
       kPrecision},
      {"unconstrained NUMBER", Number(std::nullopt, std::nullopt), false, std::string(60, '9'),
       std::nullopt},
      {"overflow", Number(std::nullopt, std::nullopt), false, "1E126",
       "ORA-01426: numeric overflow"},
      {"FLOAT never too precise", Number(126, std::nullopt, "FLOAT"), false, "123456789.123456789",
       std::nullopt},
      {"no number", Number(5, 2), false, "12a", "ORA-01722: invalid number"},
      {"decimal comma is no number", Number(5, 2), false, "1,5", "ORA-01722: invalid number"},
      {"a sign alone", Number(5, 2), false, "-", "ORA-01722: invalid number"},
      {"date", Date(), false, "29.02.2024 13:05:00", std::nullopt},
      {"date without time", Date(), false, "01.01.1900", std::nullopt},
      {"month 13", Date(), false, "01.13.2024", "ORA-01843: not a valid month"},
      {"day 32", Date(), false, "32.01.2024",
       "ORA-01847: day of month must be between 1 and last day of month"},
      {"29 February of a common year", Date(), false, "29.02.2023",
       "ORA-01839: date not valid for month specified"},
      {"letters", Date(), false, "ab.01.2024",
       "ORA-01858: a non-numeric character was found where a numeric was expected"},
      {"year missing", Date(), false, "01.01",
       "ORA-01840: input value not long enough for date format"},
      {"text left over", Date(), false, "01.01.2024 10:00:00 x",
       "ORA-01830: date format picture ends before converting entire input string"},
      {"hour 24", Date(), false, "01.01.2024 24:00:00",
       "ORA-01850: hour must be between 0 and 23"},
      {"year 0", Date(), false, "01.01.0000",
       "ORA-01841: (full) year must be between -4713 and +9999, and not be 0"},
      {"other types take anything", [] {
         TargetColumn c;
         c.name = "BODY";
         c.dataType = "CLOB";
         return c;
       }(),
       false, "anything", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ColumnFault(Facts(c.utf8), c.column, c.value), c.fault) << c.what;
  }
}

TEST(DateFault, FollowsTheSessionsDateFormat) {
  struct Case {
    const char* format;
    const char* text;
    std::optional<std::string> fault;
  } cases[] = {
      {"DD-MON-RR", "01-JAN-24", std::nullopt},  // not checkable: no fault claimed
      {"YYYY-MM-DD", "2024-02-30", "ORA-01839: date not valid for month specified"},
      {"YYYY-MM-DD", "2024-FEB-29", std::nullopt},
      {"YYYY-MM-DD", "2024-XYZ-01", "ORA-01843: not a valid month"},
      {"DD/MM/YY", "31/12/99", std::nullopt},
      {"\"day\" DD", "day 05", std::nullopt},
      {"\"day\" DD", "dy 05", "ORA-01861: literal does not match format string"},
      {"HH:MI DD.MM.YYYY", "13:00 01.01.2024", "ORA-01849: hour must be between 1 and 12"},
      {"DD.MM.YYYY HH24:MI:SS", "01.01.2024 10:60", "ORA-01851: minutes must be between 0 and 59"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DateFault(c.text, c.format, 2026), c.fault) << c.format << " " << c.text;
  EXPECT_FALSE(DateFormatCheckable("DD-MON-RR"));
  EXPECT_TRUE(DateFormatCheckable("dd.mm.rrrr hh24:mi:ss"));
}

TEST(ComparisonFault, OnlyTheConversionCanFail) {
  TargetColumn notNull = Text("NAME", 3);
  notNull.nullable = false;
  EXPECT_EQ(ComparisonFault(Facts(), notNull, "abcdef"), std::nullopt);
  EXPECT_EQ(ComparisonFault(Facts(), notNull, ""), std::nullopt);
  EXPECT_EQ(ComparisonFault(Facts(), Number(3, 0), "12345"), std::nullopt);
  EXPECT_EQ(ComparisonFault(Facts(), Number(3, 0), "x"), "ORA-01722: invalid number");
  EXPECT_EQ(ComparisonFault(Facts(), Date(), "01.13.2024"), "ORA-01843: not a valid month");
}

TEST(LiteralFault, RefusesMoreThan4000Bytes) {
  EXPECT_EQ(LiteralFault(std::string(4000, 'x')), std::nullopt);
  EXPECT_EQ(LiteralFault(std::string(4001, 'x')), "ORA-01704: string literal too long");
}

TEST(TargetFacts, FindsColumnsAsTheServerResolvesNames) {
  TargetFacts f = Facts();
  f.columns = {Text("NAME", 5), Text("Mixed", 5)};
  EXPECT_EQ(f.FindColumn(" name "), &f.columns[0]);
  EXPECT_EQ(f.FindColumn("\"Mixed\""), &f.columns[1]);
  EXPECT_EQ(f.FindColumn("Mixed"), nullptr);
}

}  // namespace
}  // namespace qm
