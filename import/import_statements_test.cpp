#include "import/import_statements.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <stdexcept>

#include "import/field_link_table.h"
#include "import/source_record.h"
#include "platform/codepage.h"
#include "platform/testing/error_text.h"

namespace qm {
namespace {

// A source record of named text fields; unknown names fail as the source table does.
class FakeRecord : public SourceRecord {
 public:
  FakeRecord(std::initializer_list<std::pair<const std::string, std::string>> fields)
      : fields_(fields) {}
  std::string FieldValue(const std::string& name) const override {
    for (const auto& [field, value] : fields_)
      if (Cp1251EqualNoCase(field, name)) return value;
    throw std::runtime_error("dbf: Field '" + name + "' not found");
  }

 private:
  std::map<std::string, std::string> fields_;
};

struct Link {
  std::string oraField, proceed, dbfField, code, constant;
};

FieldLinkTable Links(const std::vector<Link>& links) {
  FieldLinkTable t;
  t.WriteHeader();
  t.SetRowCount(static_cast<int>(links.size()) + 1);
  for (int r = 1; r <= static_cast<int>(links.size()); ++r) {
    const Link& l = links[static_cast<std::size_t>(r - 1)];
    t.SetCell(FieldLinkTable::kOraField, r, l.oraField);
    t.SetCell(FieldLinkTable::kOraFieldType, r, "VARCHAR2");
    t.SetCell(FieldLinkTable::kProceed, r, l.proceed);
    t.SetCell(FieldLinkTable::kDbfField, r, l.dbfField);
    t.SetCell(FieldLinkTable::kProcessData, r, l.code);
    t.SetCell(FieldLinkTable::kDefaultValue, r, l.constant);
  }
  return t;
}

using testing::ErrorText;

TEST(ValidationText, ListsEveryEmptyProceedAndUnknownCodeInRowOrder) {
  EXPECT_EQ(ValidationText(
                Links({{"A", "1", "A", "", ""}, {"B", "", "", "", ""}, {"C", "", "", "", ""}})),
            Cp1251("\r\nстрока матрицы 2-незаполненна\r\nстрока матрицы 3-незаполненна").str());
  EXPECT_EQ(ValidationText(Links({{"A", "1", "A", "X1", ""},
                                  {"B", "0", "B", "Q", ""},
                                  {"C", "", "C", "Q", ""},
                                  {"D", "1", "D", "l2", ""}})),
            Cp1251("\r\nстрока матрицы 1-неизвестный код обработки"
                   "\r\nстрока матрицы 3-незаполненна")
                .str());
}

TEST(ValidationText, AnyNonEmptyProceedPasses) {
  EXPECT_EQ(ValidationText(Links({{"A", "0", "", "", ""}, {"B", "no", "", "", ""}})), "");
  EXPECT_EQ(ValidationText(Links({})), "");
  const MessageBoxRequest box = ValidationBox("\r\nx");
  EXPECT_EQ(box.text, Cp1251("Ошибки при заполненнии матрицы:\r\nx").str());
  EXPECT_EQ(box.caption, Cp1251("Ошибка").str());
  EXPECT_EQ(box.icon, MessageIcon::Stop);
}

TEST(Statements, TwoLinksMakeTheExistenceQueryAndTheInsert) {
  const FieldLinkTable t = Links({{"A", "1", "fa", "", ""}, {"B", "1", "FB", "", ""}});
  const FakeRecord record({{"FA", "x"}, {"fb", "y"}});
  EXPECT_EQ(ExistenceQuery(t, "T", record), "select * from T Where A='x' and B='y'");
  EXPECT_EQ(InsertStatement(t, "T", record), "insert into T(A,B) values ('x','y')");
}

TEST(Statements, RowsNotProceedingAreLeftOutAndNotRead) {
  // The record knows only F; reading any other field would fail.
  const FakeRecord record({{"F", "v"}});
  const FieldLinkTable t = Links({{"A", "0", "nope", "", ""},
                                  {"B", "1", "F", "", ""},
                                  {"C", "yes", "", "", ""},
                                  {"D", "1", "", "", "k"}});
  EXPECT_EQ(ExistenceQuery(t, "T", record), "select * from T Where B='v' and D='k'");
  EXPECT_EQ(InsertStatement(t, "T", record), "insert into T(B,D) values ('v','k')");

  const FieldLinkTable none = Links({{"A", "0", "", "", ""}, {"B", "0", "", "", ""}});
  EXPECT_EQ(ExistenceQuery(none, "T", record), "select * from T Where ");
  EXPECT_EQ(InsertStatement(none, "T", record), "insert into T() values ()");
}

TEST(Statements, RowsBeyondTheRowCountAreNotRead) {
  FieldLinkTable t = Links({{"A", "1", "F", "", ""}, {"B", "1", "missing", "", ""}});
  t.SetRowCount(2);
  EXPECT_EQ(InsertStatement(t, "T", FakeRecord({{"F", "v"}})), "insert into T(A) values ('v')");
}

TEST(Statements, ValuesAreExactLiteralsWithApostrophesDoubled) {
  const std::string hard = "O'Brien, \"Jr\"; --\\x";
  const FieldLinkTable t = Links({{"A", "1", "F", "", ""}, {"B", "1", "", "", "k'v, \"w\""}});
  const FakeRecord record({{"F", hard}});
  EXPECT_EQ(ExistenceQuery(t, "T", record),
            "select * from T Where A='O''Brien, \"Jr\"; --\\x' and B='k''v, \"w\"'");
  EXPECT_EQ(InsertStatement(t, "T", record),
            "insert into T(A,B) values ('O''Brien, \"Jr\"; --\\x','k''v, \"w\"')");
}

TEST(Statements, AnEmptyValueIsLookedForAsNullAndInsertedAsTheEmptyLiteral) {
  const FieldLinkTable t = Links({{"A", "1", "F", "", ""},
                                  {"B", "1", "G", "", ""},
                                  {"C", "1", "F", "L2", ""},
                                  {"D", "1", "F", "D", ""}});
  const FakeRecord record({{"F", ""}, {"G", "y"}});
  EXPECT_EQ(ExistenceQuery(t, "T", record),
            "select * from T Where A IS NULL and B='y' and C IS NULL and D='01.01.1900'");
  EXPECT_EQ(InsertStatement(t, "T", record),
            "insert into T(A,B,C,D) values ('','y','','01.01.1900')");
}

struct ValueCase {
  const char* name;
  Link link;
  std::string sourceValue;
  std::string expected;
};

TEST(LinkValue, FollowsDefaultThenSourceThenConversion) {
  const ValueCase cases[] = {
      {"default as typed", {"A", "1", "", "", "O'Neil, Ltd"}, "", "O'Neil, Ltd"},
      {"default wins over field and code", {"A", "1", "F", "X", "\"k\""}, "v", "\"k\""},
      {"source as read", {"A", "1", "F", "", ""}, "O'Neil, Ltd", "O'Neil, Ltd"},
      {"decimal comma kept", {"A", "1", "F", "", ""}, "12,5", "12,5"},
      {"blank date", {"A", "1", "F", "D", ""}, "", "01.01.1900"},
      {"finished date", {"A", "1", "F", "D", ""}, "15.03.2003", "15.03.2003"},
      {"date with commas", {"A", "1", "F", "D", ""}, "15,03,2003", "15.03.2003"},
      {"empty source", {"A", "1", "F", "", ""}, "", ""},
      {"token split at a comma", {"A", "1", "F", "L2", ""}, "Ivanov,Ivan", "Ivan"},
      {"token of lower-case code", {"A", "1", "f", "l3", ""}, "a b 'c'", "'c'"},
  };
  for (const auto& c : cases) {
    const FieldLinkTable t = Links({c.link});
    EXPECT_EQ(LinkValue(t, 1, FakeRecord({{"F", c.sourceValue}})), c.expected) << c.name;
  }
}

TEST(LinkValue, ErrorsOfFieldLookupAndConversionReachTheCaller) {
  const FakeRecord record({{"F", "v"}});
  EXPECT_EQ(ErrorText([&] {
              LinkValue(Links({{"A", "1", "G", "", ""}}), 1, record);
            }),
            "dbf: Field 'G' not found");
  EXPECT_EQ(ErrorText([&] {
              LinkValue(Links({{"A", "1", "", "", ""}}), 1, record);
            }),
            "dbf: Field '' not found");
  EXPECT_EQ(ErrorText([&] {
              InsertStatement(Links({{"A", "1", "F", "L2x", ""}}), "T", record);
            }),
            "'2x' is not a valid integer value");
  // A code typed after validation must not produce a statement without a value.
  const FieldLinkTable unknown = Links({{"A", "1", "F", "", ""}, {"B", "1", "F", "Z", ""}});
  EXPECT_EQ(ErrorText([&] { ExistenceQuery(unknown, "T", record); }),
            Cp1251("строка матрицы 2-неизвестный код обработки").str());
  EXPECT_EQ(ErrorText([&] { InsertStatement(unknown, "T", record); }),
            Cp1251("строка матрицы 2-неизвестный код обработки").str());
}

TEST(RunTexts, DeletionLogCounterAndSummary) {
  EXPECT_EQ(DeletionStatement("T1"), "delete from T1");
  EXPECT_EQ(DeletionMessage("T1"), "delete old data from table T1");
  const MessageBoxRequest failed = DeletionFailureBox("delete from T1\r\n");
  EXPECT_EQ(failed.text, "not executed query: delete from T1\r\n");
  EXPECT_EQ(failed.caption, "error");
  EXPECT_EQ(failed.icon, MessageIcon::Stop);

  EXPECT_EQ(ErrorLogEntry(17, "insert into T(A,B) values ('x','y')\r\n"),
            "/17/insert into T(A,B) values ('x','y')\r\n");
  std::string counter = "a longer text from the record before";
  CounterLabel(counter, 17, 250, 0, 0);
  EXPECT_EQ(counter, "17/250/0/0");

  const MessageBoxRequest ok = ImportSummary(false, 2, 3);
  EXPECT_EQ(ok.text, "Process finished\r\ninserted 2 record from 3 selected");
  EXPECT_EQ(ok.caption, "move data");
  EXPECT_EQ(ok.icon, MessageIcon::Information);
  const MessageBoxRequest bad = ImportSummary(true, 0, 1);
  EXPECT_EQ(bad.text, "Process finished with errors \r\ninserted 0 record from 1 selected");
  EXPECT_EQ(bad.caption, "move data");
  EXPECT_EQ(bad.icon, MessageIcon::Stop);
  EXPECT_EQ(bad.buttons, kButtonOk);
}

}  // namespace
}  // namespace qm
