#include "import/record_statements.h"

#include <gtest/gtest.h>

#include <vector>

#include "import/field_link_table.h"
#include "import/import_statements.h"
#include "import/source_record.h"
#include "platform/codepage.h"
#include "platform/testing/error_text.h"
#include "platform/testing/scratch_folder.h"
#include "source/source_table.h"
#include "source/testing/test_tables.h"

namespace qm {
namespace {

using testing::ErrorText;
using testing::kNoError;
using testing::Left;
using testing::Right;

class TableRecord : public SourceRecord {
 public:
  explicit TableRecord(const SourceTable& dbf) : dbf_(dbf) {}
  std::string FieldValue(const std::string& name) const override {
    return dbf_.FieldByName(name).AsString();
  }

 private:
  const SourceTable& dbf_;
};

struct Link {
  std::string oraField, proceed, dbfField, code, constant;
};

void Fill(FieldLinkTable& t, const std::vector<Link>& links) {
  t.WriteHeader();
  t.SetRowCount(static_cast<int>(links.size()) + 1);
  for (int r = 1; r <= static_cast<int>(links.size()); ++r) {
    const Link& l = links[static_cast<std::size_t>(r - 1)];
    t.SetCell(FieldLinkTable::kOraField, r, l.oraField);
    t.SetCell(FieldLinkTable::kProceed, r, l.proceed);
    t.SetCell(FieldLinkTable::kDbfField, r, l.dbfField);
    t.SetCell(FieldLinkTable::kProcessData, r, l.code);
    t.SetCell(FieldLinkTable::kDefaultValue, r, l.constant);
  }
}

// The text a builder gives, or the text of its error.
template <typename F>
std::string Outcome(F&& build) {
  std::string text;
  const std::string error = ErrorText([&] { text = build(); });
  return error == kNoError ? text : "error: " + error;
}

class RecordStatementsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::TableLayout layout;
    layout.columns = {{"NAME", 'C', 24}, {"CITY", 'C', 10}, {"BORN", 'D', 8}, {"QTY", 'N', 5}};
    layout.records = {
        Left("Ivanov, Ivan Petr", 24) + Left("Moscow", 10) + "19750315" + Right("42", 5),
        Left("O'Brien", 24) + Left("", 10) + "        " + Right("-7", 5),
        Left("", 24) + Left(Cp1251("Тверь").str(), 10) + "20011231" + Right("", 5)};
    dbf_.SetDatabaseName(dir_.Path());
    dbf_.SetTableName("t.dbf");
    dir_.Write("t.dbf", testing::TableImage(layout));
    dbf_.SetValueTexts(SourceTable::ValueTexts::kTransfer);
    dbf_.Open();
  }

  // Every record's texts from the builder equal those of the one-off functions, errors included.
  void ExpectSameAsOneOffTexts(RecordStatements& built, const FieldLinkTable& links,
                               const std::string& table, const std::string& label) {
    const TableRecord record(dbf_);
    for (dbf_.First(); !dbf_.Eof(); dbf_.Next()) {
      const std::string where = label + ", record " + std::to_string(dbf_.RecNo());
      EXPECT_EQ(Outcome([&] { return built.ExistenceQuery(links, table); }),
                Outcome([&] { return ExistenceQuery(links, table, record); }))
          << where;
      EXPECT_EQ(Outcome([&] { return built.InsertStatement(links, table); }),
                Outcome([&] { return InsertStatement(links, table, record); }))
          << where;
    }
  }

  testing::ScratchFolder dir_;
  SourceTable dbf_;
};

TEST_F(RecordStatementsTest, GivesTheOneOffTextsAndErrorsForEveryKindOfLink) {
  const struct {
    const char* label;
    std::vector<Link> links;
  } cases[] = {
      {"fields, a constant, codes",
       {{"C_NAME", "1", "name", "", ""},
        {"C_FIRST", "1", "NAME", "l2", ""},
        {"C_LAST", "1", "NAME", "L  +3", ""},
        {"C_CITY", "1", "CITY", "", ""},
        {"C_BORN", "1", "BORN", "D", ""},
        {"C_QTY", "1", "QTY", "", ""},
        {"SKIPPED", "0", "NAME", "", ""},
        {"SOURCE", "1", "", "", "it's t.dbf"},
        {"CONST_WINS", "1", "NOPE", "Q", "x"}}},
      {"a field the table does not have",
       {{"A", "1", "NAME", "", ""}, {"B", "1", "NOPE", "", ""}}},
      {"an empty field name", {{"A", "1", "", "", ""}}},
      {"a lexeme number that is none", {{"A", "1", "NAME", "", ""}, {"B", "1", "NAME", "L2x", ""}}},
      {"a code of an unknown letter", {{"A", "1", "CITY", "", ""}, {"B", "1", "NAME", "Q", ""}}},
      {"a Cyrillic date code letter", {{"A", "1", "BORN", Cp1251("Д").str(), ""}}},
      {"no row takes part", {{"A", "0", "NAME", "", ""}}},
  };
  for (const auto& c : cases) {
    FieldLinkTable links;
    Fill(links, c.links);
    RecordStatements built(dbf_);
    ExpectSameAsOneOffTexts(built, links, "PEOPLE", c.label);
  }
}

// An insert takes the literals of its own record's query; a record whose query was not built, or
// was built for the record before, gets its own values.
TEST_F(RecordStatementsTest, AnInsertTakesOnlyItsOwnRecordsQueryLiterals) {
  FieldLinkTable links;
  Fill(links, {{"C_NAME", "1", "NAME", "", ""}, {"C_QTY", "1", "QTY", "", ""}});
  RecordStatements built(dbf_);
  dbf_.First();
  EXPECT_EQ(built.ExistenceQuery(links, "T"),
            "select * from T Where C_NAME='Ivanov, Ivan Petr' and C_QTY='42'");
  EXPECT_EQ(built.InsertStatement(links, "T"),
            "insert into T(C_NAME,C_QTY) values ('Ivanov, Ivan Petr','42')");
  dbf_.Next();
  EXPECT_EQ(built.InsertStatement(links, "T"), "insert into T(C_NAME,C_QTY) values ('O''Brien','-7')");
  dbf_.Next();
  EXPECT_EQ(built.ExistenceQuery(links, "T"), "select * from T Where C_NAME IS NULL and C_QTY IS NULL");
  EXPECT_EQ(built.InsertStatement(links, "T"), "insert into T(C_NAME,C_QTY) values ('','')");
}

TEST_F(RecordStatementsTest, AnEditOfTheLinksOrTheTableNameCountsFromTheNextStatement) {
  FieldLinkTable links;
  Fill(links, {{"C_NAME", "1", "NAME", "", ""}, {"C_CITY", "1", "CITY", "", ""}});
  RecordStatements built(dbf_);
  EXPECT_EQ(built.InsertStatement(links, "T"),
            "insert into T(C_NAME,C_CITY) values ('Ivanov, Ivan Petr','Moscow')");

  links.SetCell(FieldLinkTable::kDbfField, 2, "NAME");
  links.SetCell(FieldLinkTable::kProcessData, 2, "L3");
  EXPECT_EQ(built.InsertStatement(links, "T"),
            "insert into T(C_NAME,C_CITY) values ('Ivanov, Ivan Petr','Ivan')");
  links.SetCell(FieldLinkTable::kProceed, 1, "0");
  EXPECT_EQ(built.ExistenceQuery(links, "T2"), "select * from T2 Where C_CITY='Ivan'");
  EXPECT_EQ(built.InsertStatement(links, "T2"), "insert into T2(C_CITY) values ('Ivan')");
  links.SetRowCount(4);
  links.SetCell(FieldLinkTable::kOraField, 3, "C_QTY");
  links.SetCell(FieldLinkTable::kProceed, 3, "1");
  links.SetCell(FieldLinkTable::kDbfField, 3, "QTY");
  EXPECT_EQ(built.InsertStatement(links, "T2"),
            "insert into T2(C_CITY,C_QTY) values ('Ivan','42')");

  // Another table object with the same revision count is read anew.
  FieldLinkTable other;
  Fill(other, {{"X", "1", "CITY", "", ""}});
  while (other.Revision() < links.Revision()) other.SetCell(FieldLinkTable::kOraFieldType, 1, "");
  ASSERT_EQ(other.Revision(), links.Revision());
  EXPECT_EQ(built.InsertStatement(other, "T2"), "insert into T2(X) values ('Moscow')");
}

}  // namespace
}  // namespace qm
