#include "import/rejected_records.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "import/field_link_table.h"
#include "import/source_record.h"
#include "platform/codepage.h"

namespace qm {
namespace {

struct MapRecord : SourceRecord {
  std::map<std::string, std::string> values;
  std::string FieldValue(const std::string& name) const override {
    const auto it = values.find(name);
    if (it == values.end()) throw std::runtime_error("Field '" + name + "' not found");
    return it->second;
  }
};

TEST(RejectedRecords, TheColumnAndValueAMessageIsAbout) {
  FieldLinkTable links;
  links.WriteHeader();
  links.SetRowCount(3);
  links.SetCell(FieldLinkTable::kOraField, 1, "NAME");
  links.SetCell(FieldLinkTable::kDbfField, 1, "FIO");
  links.SetCell(FieldLinkTable::kOraField, 2, "CODE");
  links.SetCell(FieldLinkTable::kDefaultValue, 2, "X1");
  MapRecord record;
  record.values["FIO"] = Cp1251("Иванов");
  const struct {
    std::string message, column, value;
  } cases[] = {
      {"ORA-12899: value too large for column \"S\".\"T\".\"NAME\" (actual: 12, maximum: 10)",
       "NAME", Cp1251("Иванов")},
      {"ORA-01400: cannot insert NULL into (\"S\".\"T\".\"name\")", "name", Cp1251("Иванов")},
      {"ORA-01400: cannot insert NULL into (\"S\".\"T\".\"CODE\")", "CODE", "X1"},
      {"ORA-12899: value too large for column \"S\".\"T\".\"OTHER\" (actual: 2)", "OTHER", ""},
      {"dbf: /d/t.dbf: record 2, field QTY: invalid number '12A4'", "QTY", "12A4"},
      {"dbf: /d/t.dbf: record 2, field NOTE: /d/t.dbt: memo file not found", "NOTE", ""},
      {"ORA-01722: invalid number", "", ""},
      {"ORA-12899: value too large for column \"S", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const RejectedRecord r = DescribeRejection(7, c.message + "\r\n", links, record);
    EXPECT_EQ(r.position, 7);
    EXPECT_EQ(r.column, c.column);
    EXPECT_EQ(r.value, c.value);
    EXPECT_EQ(r.message, c.message);
  }
}

TEST(RejectedRecords, ReasonsFileHasOneLineARecordInUtf8) {
  EXPECT_EQ(ReasonsText({{3, "NAME", Cp1251("Иван\tов"), "ORA-12899: too large\r\nmore"},
                         {9, "", "", "ORA-01722: invalid number"}}),
            "record\tcolumn\tvalue\tmessage\n"
            "3\tNAME\tИван ов\tORA-12899: too large more\n"
            "9\t\t\tORA-01722: invalid number\n");
  EXPECT_EQ(ReasonsPathFor("/d/bad.dbf"), "/d/bad.reasons.txt");
  EXPECT_EQ(ReasonsPathFor("./d.x/BAD"), "./d.x/BAD.reasons.txt");
}

}  // namespace
}  // namespace qm
