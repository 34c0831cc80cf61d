#include "schema/catalogue.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "import/field_link_table.h"

namespace qm {
namespace {

// A dataset over canned results: query text -> rows of (field -> value). A query it does not
// know fails as the server would; `failAtRow` makes reading fail part-way.
struct FakeDataset : CatalogueDataset {
  using Row = std::map<std::string, std::string>;
  std::map<std::string, std::vector<Row>> results;
  std::string sql;
  bool active = false;
  std::size_t row = 0;
  int failAtRow = -1;
  bool Active() const override { return active; }
  void Close() override { active = false; }
  void SetSQL(const std::string& line) override { sql = line; }
  void Open() override {
    if (!results.count(sql)) throw std::runtime_error("ORA-00942: table or view does not exist");
    active = true;
    row = 0;
  }
  int RecordCount() const override { return static_cast<int>(results.at(sql).size()); }
  std::string FieldAsString(const std::string& name) const override {
    if (static_cast<int>(row) == failAtRow) throw std::runtime_error("Not logged on");
    return results.at(sql).at(row).at(name);
  }
  void Next() override { ++row; }
};

std::vector<FakeDataset::Row> Columns(int n, const std::string& prefix) {
  std::vector<FakeDataset::Row> rows;
  for (int i = 1; i <= n; ++i)
    rows.push_back({{"COLUMN_NAME", prefix + std::to_string(i)}, {"DATA_TYPE", "VARCHAR2"}});
  return rows;
}

const std::string kColumnsOf = "select * from user_tab_columns where table_name='";

TEST(Catalogue, TableListFollowsTheServerAndEmptySchemasGiveNone) {
  FakeDataset ods1;
  ods1.results["select * from user_tables"] = {{{"TABLE_NAME", "B"}}, {{"TABLE_NAME", "A"}}};
  std::vector<std::string> items{"OLD"};
  RefreshTableList(ods1, items);
  EXPECT_EQ(items, (std::vector<std::string>{"B", "A"}));
  EXPECT_FALSE(ods1.Active());
  ods1.results["select * from user_tables"] = {};
  RefreshTableList(ods1, items);
  EXPECT_TRUE(items.empty());
}

TEST(Catalogue, ChoosingASmallerTableKeepsTheUserColumnsOfTheRowsThatStay) {
  FakeDataset ods1;
  ods1.results[kColumnsOf + "SEVEN'"] = Columns(7, "S");
  ods1.results[kColumnsOf + "THREE'"] = Columns(3, "T");
  FieldLinkTable links;
  links.WriteHeader();
  FillLinksFromTable(ods1, "SEVEN", links);
  links.SetCell(3, 2, "SRC2");
  FillLinksFromTable(ods1, "THREE", links);
  EXPECT_EQ(links.RowCount(), 4);
  EXPECT_EQ(links.Cell(0, 2), "T2");
  EXPECT_EQ(links.Cell(1, 2), "VARCHAR2");
  EXPECT_EQ(links.Cell(2, 2), "1");
  EXPECT_EQ(links.Cell(3, 2), "SRC2");
}

TEST(Catalogue, ADroppedTableLeavesOnlyRowZeroWhichBecomesEditable) {
  FakeDataset ods1;
  ods1.results[kColumnsOf + "GONE'"] = {};
  FieldLinkTable links;
  links.WriteHeader();
  links.SetRowCount(3);
  FillLinksFromTable(ods1, "GONE", links);
  EXPECT_EQ(links.RowCount(), 1);
  EXPECT_EQ(links.FixedRows(), 0);
}

TEST(Catalogue, AnErrorKeepsWhatWasFilledSoFar) {
  FakeDataset ods1;
  ods1.results["select * from user_tables"] = {{{"TABLE_NAME", "A"}}, {{"TABLE_NAME", "B"}}};
  ods1.failAtRow = 1;
  std::vector<std::string> items;
  EXPECT_THROW(RefreshTableList(ods1, items), std::runtime_error);
  EXPECT_EQ(items, std::vector<std::string>{"A"});
  EXPECT_TRUE(ods1.Active());

  FieldLinkTable links;
  links.WriteHeader();
  links.SetRowCount(2);
  links.SetCell(0, 1, "KEPT");
  EXPECT_THROW(FillLinksFromTable(ods1, "MISSING", links), std::runtime_error);
  EXPECT_EQ(links.RowCount(), 2);
  EXPECT_EQ(links.Cell(0, 1), "KEPT");
}

}  // namespace
}  // namespace qm
