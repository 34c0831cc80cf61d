#include "import/dry_run_check.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "import/field_link_table.h"
#include "import/source_record.h"
#include "platform/codepage.h"
#include "platform/testing/scratch_folder.h"
#include "source/source_table.h"
#include "source/testing/test_tables.h"

namespace qm {
namespace {

class FakeRecord : public SourceRecord {
 public:
  explicit FakeRecord(std::map<std::string, std::string> fields) : fields_(std::move(fields)) {}
  std::string FieldValue(const std::string& name) const override {
    const auto found = fields_.find(name);
    if (found == fields_.end()) throw std::runtime_error("dbf: Field '" + name + "' not found");
    return found->second;
  }

 private:
  std::map<std::string, std::string> fields_;
};

// Row r: target column, proceed, source field, conversion, constant.
FieldLinkTable Links(const std::vector<std::array<std::string, 5>>& rows) {
  FieldLinkTable t;
  t.WriteHeader();
  t.SetRowCount(static_cast<int>(rows.size()) + 1);
  for (int r = 1; r <= static_cast<int>(rows.size()); ++r) {
    const auto& row = rows[static_cast<std::size_t>(r - 1)];
    t.SetCell(FieldLinkTable::kOraField, r, row[0]);
    t.SetCell(FieldLinkTable::kProceed, r, row[1]);
    t.SetCell(FieldLinkTable::kDbfField, r, row[2]);
    t.SetCell(FieldLinkTable::kProcessData, r, row[3]);
    t.SetCell(FieldLinkTable::kDefaultValue, r, row[4]);
  }
  return t;
}

TargetColumn Column(const std::string& name, const std::string& type, long length,
                    std::optional<int> precision = {}, std::optional<int> scale = {}) {
  TargetColumn c;
  c.name = name;
  c.dataType = type;
  c.dataLength = length;
  c.charLength = length;
  c.precision = precision;
  c.scale = scale;
  return c;
}

TargetFacts PeopleFacts() {
  TargetFacts f;
  f.owner = "DEMO";
  f.table = "PEOPLE";
  f.databaseCharacterSet = "CL8MSWIN1251";
  TargetColumn name = Column("NAME", "VARCHAR2", 5);
  name.nullable = false;
  TargetColumn code = Column("CODE", "VARCHAR2", 2);
  code.nullable = false;
  code.hasDefault = true;
  TargetColumn id = Column("ID", "NUMBER", 22);
  id.nullable = false;
  f.columns = {name, Column("QTY", "NUMBER", 22, 3, 0), Column("BORN", "DATE", 7), code, id};
  return f;
}

TEST(CheckRecord, GivesTheFirstFaultInTheServersOrder) {
  const TargetFacts facts = PeopleFacts();
  const auto links = Links({{"name", "1", "N", "", ""},
                            {"QTY", "1", "Q", "", ""},
                            {"BORN", "1", "B", "D", ""},
                            {"ID", "1", "", "", "7"},
                            {"CODE", "0", "N", "", ""}});
  struct Case {
    const char* what;
    std::map<std::string, std::string> fields;
    std::optional<std::string> column, message;
  } cases[] = {
      {"all fit", {{"N", "Ann"}, {"Q", "12"}, {"B", "01.02.2003"}}, {}, {}},
      {"a short year is widened by the conversion", {{"N", "Ann"}, {"Q", "1"}, {"B", "99"}}, {},
       {}},
      {"the first column's fault wins",
       {{"N", "Annabel"}, {"Q", "1234"}, {"B", "01.02.2003"}},
       "NAME",
       R"(ORA-12899: value too large for column "DEMO"."PEOPLE"."NAME" (actual: 7, maximum: 5))"},
      {"a long literal wins over every column",
       {{"N", "Annabel"}, {"Q", std::string(4001, '1')}, {"B", ""}},
       "QTY",
       "ORA-01704: string literal too long"},
      {"number", {{"N", "Ann"}, {"Q", "1234"}, {"B", ""}}, "QTY",
       "ORA-01438: value larger than specified precision allowed for this column"},
      {"date after the conversion", {{"N", "Ann"}, {"Q", "1"}, {"B", "31.04.2003"}}, "BORN",
       "ORA-01839: date not valid for month specified"},
      {"empty text is NULL", {{"N", ""}, {"Q", "1"}, {"B", ""}}, "NAME",
       R"(ORA-01400: cannot insert NULL into ("DEMO"."PEOPLE"."NAME"))"},
  };
  for (const Case& c : cases) {
    const auto reject = CheckRecord(links, facts, FakeRecord(c.fields));
    ASSERT_EQ(reject.has_value(), c.message.has_value()) << c.what;
    if (!reject) continue;
    EXPECT_EQ(reject->column, *c.column) << c.what;
    EXPECT_EQ(reject->message, *c.message) << c.what;
  }
}

TEST(CheckRecord, NamesColumnsTheLinksLeaveOutOrDoNotFind) {
  const TargetFacts facts = PeopleFacts();
  const FakeRecord record(std::map<std::string, std::string>{{"N", "Ann"}});
  auto reject = CheckRecord(Links({{"NAME", "1", "N", "", ""}}), facts, record);
  ASSERT_TRUE(reject);
  EXPECT_EQ(reject->column, "ID");  // NOT NULL, no default, not linked; CODE has a default
  EXPECT_EQ(reject->message, R"(ORA-01400: cannot insert NULL into ("DEMO"."PEOPLE"."ID"))");

  reject = CheckRecord(Links({{"NAME", "1", "N", "", ""}, {"NICK", "1", "N", "", ""}}), facts,
                       record);
  ASSERT_TRUE(reject);
  EXPECT_EQ(reject->message, "ORA-00904: \"NICK\": invalid identifier");
}

TEST(CheckRecord, WithSeekTheExistenceQuerysConversionFaultsComeFirst) {
  TargetFacts facts = PeopleFacts();
  TargetColumn note = Column("NOTE", "CLOB", 4000);
  facts.columns.push_back(note);
  const auto links = Links({{"NAME", "1", "N", "", ""},
                            {"QTY", "1", "Q", "", ""},
                            {"BORN", "1", "B", "", ""},
                            {"ID", "1", "", "", "7"}});
  // NAME is too long for its column, which a comparison does not mind; BORN is no date at all.
  const FakeRecord record(
      std::map<std::string, std::string>{{"N", "Annabel"}, {"Q", "1234"}, {"B", "31.04.2003"}});
  EXPECT_EQ(CheckRecord(links, facts, record, false)->column, "NAME");
  const auto seek = CheckRecord(links, facts, record, true);
  ASSERT_TRUE(seek);
  EXPECT_EQ(seek->column, "BORN");
  EXPECT_EQ(seek->message, "ORA-01839: date not valid for month specified");

  EXPECT_EQ(SeekStopper(links, facts), "");
  EXPECT_EQ(SeekStopper(Links({{"NAME", "1", "N", "", ""}, {"note", "1", "N", "", ""}}), facts),
            "the existence query of \"Seek old record\" cannot compare column NOTE (CLOB): the "
            "run would stop at its first record");
  EXPECT_EQ(SeekStopper(Links({{"NOTE", "0", "N", "", ""}}), facts), "");
}

TEST(RejectLine, CutsLongValues) {
  EXPECT_EQ(RejectLine({3, "QTY", "1234", "ORA-01722: invalid number"}),
            "record 3, column QTY, value '1234': ORA-01722: invalid number");
  EXPECT_EQ(RejectLine({4, "NOTE", std::string(4001, 'x'), "ORA-01704: string literal too long"}),
            "record 4, column NOTE, value '" + std::string(60, 'x') +
                "'... (4001 characters): ORA-01704: string literal too long");
  EXPECT_EQ(RejectLine({5, "", "", "t.dbf: record 5, field QTY: invalid number '1A'"}),
            "record 5, not read: t.dbf: record 5, field QTY: invalid number '1A'");
}

TEST(CheckAllRecords, ReadsEveryLiveRecordAsTheRunWritesIt) {
  testing::ScratchFolder dir;
  testing::TableLayout layout;
  layout.columns = {{"N", 'C', 8}, {"Q", 'N', 6, 1}, {"B", 'D', 8}};
  layout.records = {testing::Left("Ann", 8) + testing::Right("12.5", 6) + "20030102",
                    testing::Left("Annabel", 8) + testing::Right("1.0", 6) + "20030102",
                    testing::Left("Gone", 8) + testing::Right("9999.9", 6) + "20030102",
                    testing::Left("Bob", 8) + testing::Right("1234.5", 6) + "        ",
                    testing::Left("Eve", 8) + testing::Right("1A", 6) + "20030102"};
  layout.marks = "  *  ";
  dir.Write("t.dbf", testing::TableImage(layout));
  SourceTable dbf;
  dbf.SetDatabaseName(dir.Path());
  dbf.SetTableName("t.dbf");
  TargetFacts facts = PeopleFacts();
  facts.columns.pop_back();  // no ID

  std::vector<std::string> lines;
  std::int32_t started = -1;
  const CheckSummary summary =
      CheckAllRecords(dbf, Links({{"NAME", "1", "N", "", ""}, {"QTY", "1", "Q", "", ""},
                                  {"BORN", "1", "B", "", ""}}),
                      facts,
                      {[&](std::int32_t n) { started = n; }, {},
                       [&](const WouldBeReject& r) { lines.push_back(RejectLine(r)); }});
  EXPECT_EQ(started, 4);
  EXPECT_EQ(summary.read, 4);
  EXPECT_EQ(summary.rejected, 3);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "record 2, column NAME, value 'Annabel': ORA-12899: value too large for "
                      "column \"DEMO\".\"PEOPLE\".\"NAME\" (actual: 7, maximum: 5)");
  // The number is written for transfer, with a decimal point whatever the locale.
  EXPECT_EQ(lines[1], "record 3, column QTY, value '1234.5': ORA-01438: value larger than "
                      "specified precision allowed for this column");
  EXPECT_EQ(lines[2].rfind("record 4, not read: ", 0), 0u) << lines[2];
  EXPECT_FALSE(dbf.Active());
  EXPECT_EQ(CheckSummaryText(summary, facts), "4 records checked, 3 would be rejected, 1 would "
                                              "be loaded");
}

}  // namespace
}  // namespace qm
