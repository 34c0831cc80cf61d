#include "import/field_link_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "import/field_link_table.h"
#include "platform/codepage.h"
#include "platform/scripted_dialogs.h"
#include "platform/testing/error_text.h"
#include "platform/testing/file_size_limit.h"
#include "platform/testing/scratch_folder.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using Row = std::array<std::string, FieldLinkTable::kColumnCount>;

class FieldLinkFileTest : public ::testing::Test {
 protected:
  void SetUp() override { table_.WriteHeader(); }

  void Put(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string Get() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void Fill(const std::vector<Row>& rows) {
    table_.SetRowCount(static_cast<int>(rows.size()) + 1);
    for (std::size_t r = 0; r < rows.size(); ++r)
      for (int c = 0; c < FieldLinkTable::kColumnCount; ++c)
        table_.SetCell(c, static_cast<int>(r) + 1, rows[r][static_cast<std::size_t>(c)]);
  }
  std::vector<Row> Rows() const {
    std::vector<Row> rows;
    for (int r = 1; r < table_.RowCount(); ++r) {
      Row row;
      for (int c = 0; c < FieldLinkTable::kColumnCount; ++c)
        row[static_cast<std::size_t>(c)] = table_.Cell(c, r);
      rows.push_back(row);
    }
    return rows;
  }

  const testing::ScratchFolder scratch_;
  const fs::path dir_ = scratch_.Path();
  const std::string path_ = scratch_.PathOf("links.ini");
  FieldLinkTable table_;
};

TEST_F(FieldLinkFileTest, SaveWritesOneKeyPerRowInOrder) {
  Fill({{"ID", "NUMBER", "1", "KOD", "", ""},
        {"NAME", "VARCHAR2", "1", "FIO", "L2", ""},
        {"BORN", "DATE", "0", "", "D", "01.01.2000"}});
  SaveFieldLinks(table_, path_);
  EXPECT_EQ(Get(),
            "[Rows]\r\nRow1=ID,NUMBER,1,KOD,,\r\nRow2=NAME,VARCHAR2,1,FIO,L2,\r\n"
            "Row3=BORN,DATE,0,,D,01.01.2000\r\n");
  EXPECT_EQ(table_.Cell(0, 0), "ORA field");  // the header is not saved
}

TEST_F(FieldLinkFileTest, SaveAndLoadGiveBackTheSameRows) {
  const std::vector<Row> rows = {{"ID", "NUMBER", "1", "KOD", "", ""},
                                 {Cp1251("ИМЯ"), "VARCHAR2", "1", "FIO", "l2", Cp1251("Пётр")},
                                 {"", "", "x", "", "", ""},
                                 {"DT", "DATE", "1", "D1", "D", ""}};
  Fill(rows);
  SaveFieldLinks(table_, path_);
  table_ = FieldLinkTable();
  table_.WriteHeader();
  LoadFieldLinks(table_, path_);
  EXPECT_EQ(Rows(), rows);
  EXPECT_EQ(table_.Cell(0, 0), "ORA field");
}

TEST_F(FieldLinkFileTest, EarlierLongerSaveKeepsItsExtraKeys) {
  Fill({{"A1", "", "1", "", "", ""},
        {"A2", "", "1", "", "", ""},
        {"A3", "", "1", "", "", ""},
        {"A4", "", "1", "", "", ""},
        {"A5", "", "1", "", "", ""}});
  SaveFieldLinks(table_, path_);
  Fill({{"B1", "", "0", "", "", ""}, {"B2", "", "0", "", "", ""}, {"B3", "", "0", "", "", ""}});
  SaveFieldLinks(table_, path_);
  EXPECT_EQ(Get(),
            "[Rows]\r\nRow1=B1,,0,,,\r\nRow2=B2,,0,,,\r\nRow3=B3,,0,,,\r\nRow4=A4,,1,,,\r\n"
            "Row5=A5,,1,,,\r\n");
  LoadFieldLinks(table_, path_);
  ASSERT_EQ(table_.RowCount(), 6);
  EXPECT_EQ(table_.Cell(0, 3), "B3");
  EXPECT_EQ(table_.Cell(0, 5), "A5");
}

TEST_F(FieldLinkFileTest, LoadSplitsAtEveryCommaAndFillsMissingCellsWithEmptyText) {
  const Row old = {"OLD", "OLD", "OLD", "OLD", "OLD", "OLD"};
  Fill({old, old, old, {"KEEP", "", "", "", "", ""}});
  Put("[Rows]\r\n"
      "Row7=X\r\n"
      "Row1=ID,NUMBER,1,KOD,,a,b\r\n"
      "Row2=  \" Q,R,1 \"  \r\n");
  LoadFieldLinks(table_, path_);
  EXPECT_EQ(Rows(), (std::vector<Row>{{"X", "", "", "", "", ""},
                                      {"ID", "NUMBER", "1", "KOD", "", "a"},
                                      {" Q", "R", "1 ", "", "", ""}}));
  table_.SetRowCount(5);  // a row the load did not reach keeps its cells
  EXPECT_EQ(table_.Cell(0, 4), "KEEP");
}

TEST_F(FieldLinkFileTest, DefaultValueWithACommaLosesItsTail) {
  Fill({{"C", "VARCHAR2", "1", "", "", "a,b"}});
  SaveFieldLinks(table_, path_);
  EXPECT_EQ(Get(), "[Rows]\r\nRow1=C,VARCHAR2,1,,,a,b\r\n");
  LoadFieldLinks(table_, path_);
  EXPECT_EQ(table_.Cell(FieldLinkTable::kDefaultValue, 1), "a");
}

TEST_F(FieldLinkFileTest, FileWithoutLinksLeavesOnlyTheHeaderRow) {
  Fill({{"A", "", "1", "", "", ""}});
  LoadFieldLinks(table_, path_);  // no file at all
  EXPECT_EQ(table_.RowCount(), 1);
  Fill({{"A", "", "1", "", "", ""}});
  Put("[Other]\r\nRow1=A,,1,,,\r\n[Rows]\r\n");
  LoadFieldLinks(table_, path_);
  EXPECT_EQ(table_.RowCount(), 1);
  EXPECT_EQ(table_.Cell(3, 0), "DBF field");
}

TEST_F(FieldLinkFileTest, CommandsAskForTheFileAndDoNothingWhenCancelled) {
  ScriptedDialogs dialogs;
  Fill({{"ID", "NUMBER", "1", "KOD", "", ""}});
  dialogs.fileAnswers = {std::nullopt, path_};
  SaveFieldLinksCommand(table_, dialogs);
  EXPECT_FALSE(fs::exists(path_));
  SaveFieldLinksCommand(table_, dialogs);
  EXPECT_EQ(Get(), "[Rows]\r\nRow1=ID,NUMBER,1,KOD,,\r\n");
  ASSERT_EQ(dialogs.saveRequests.size(), 2u);
  EXPECT_EQ(dialogs.saveRequests[1].filter, "");
  EXPECT_EQ(dialogs.saveRequests[1].defaultExt, "");

  Fill({{"A", "", "", "", "", ""}, {"B", "", "", "", "", ""}});
  dialogs.fileAnswers = {std::nullopt, path_};
  LoadFieldLinksCommand(table_, dialogs);
  EXPECT_EQ(table_.RowCount(), 3);
  LoadFieldLinksCommand(table_, dialogs);
  EXPECT_EQ(Rows(), (std::vector<Row>{{"ID", "NUMBER", "1", "KOD", "", ""}}));
  ASSERT_EQ(dialogs.openRequests.size(), 2u);
  EXPECT_EQ(dialogs.openRequests[1].filter, "");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FieldLinkFileTest, SaveCommandLetsTheWriteErrorReachTheErrorBox) {
  ScriptedDialogs dialogs;
  Fill({{"ID", "", "1", "", "", ""}});
  const std::string unwritable = (dir_ / "missing" / "links.ini").string();
  dialogs.fileAnswers = {unwritable};
  EXPECT_EQ(testing::ErrorText<std::runtime_error>([&] { SaveFieldLinksCommand(table_, dialogs); }),
            "Unable to write to " + unwritable);
}

TEST_F(FieldLinkFileTest, ASaveThatRunsOutOfDiskLeavesThePreviousFileWhole) {
  Fill({{"ID", "NUMBER", "1", "KOD", "", ""}});
  SaveFieldLinks(table_, path_);
  const std::string previous = Get();
  std::vector<Row> many(400, Row{"COLUMN", "VARCHAR2", "1", "FIELD", "", "a default value"});
  Fill(many);
  EXPECT_EQ(testing::ErrorText<std::runtime_error>([&] {
              testing::FileSizeLimit limit(previous.size() + 1024);
              SaveFieldLinks(table_, path_);
            }),
            "Unable to write to " + path_);
  EXPECT_EQ(Get(), previous);
}

}  // namespace
}  // namespace qm
