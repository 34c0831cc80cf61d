#include "schema/table_creation.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/testing/error_text.h"
#include "platform/testing/scratch_folder.h"
#include "source/source_table.h"
#include "source/testing/test_tables.h"

namespace qm {
namespace {

using testing::ColumnLayout;
using testing::Left;
using testing::Right;
using testing::TableImage;
using testing::TableLayout;

std::string PeopleTable() {
  TableLayout t;
  t.columns = {{"ID", 'N', 5},     {"NAME", 'C', 30}, {"BORN", 'D', 8}, {"AMOUNT", 'N', 10, 2},
               {"FLAG", 'L', 1},   {"NOTES", 'M', 10}, {"ACCOUNT", 'N', 32, 10}};
  t.records = {Right("1", 5) + Left("Ivan", 30) + "20030315" + Right("12.50", 10) + "T" +
               Right("", 10) + Right("-.1234567890", 32)};
  return TableImage(t);
}

struct Recorder {
  std::vector<std::string> events;
  bool answer = true;
  bool failExecute = false;
  TableCreationContext Context(const std::string& path) {
    TableCreationContext c;
    c.sourcePath = path;
    c.confirm = [this] {
      events.push_back("asked");
      return answer;
    };
    c.execute = [this](const std::string& sql) {
      events.push_back("execute " + sql);
      if (failExecute) throw std::runtime_error("ORA-00903: invalid table name");
    };
    c.reportFailure = [this] { events.push_back("failure box"); };
    c.logStatement = [this](const std::string& sql) { events.push_back("logged " + sql); };
    c.refreshTableList = [this] { events.push_back("refresh"); };
    return c;
  }
};

TEST(TableCreation, TableNamesLoseOnlyTheLastExtension) {
  EXPECT_EQ(TableNameFromSourcePath("C:\\data\\people.dbf"), "people");
  EXPECT_EQ(TableNameFromSourcePath("/home/u/archive.2003.dbf"), "archive.2003");
  EXPECT_EQ(TableNameFromSourcePath("NoExt"), "NoExt");
}

TEST(TableCreation, BuildsTheStatementFromTheFieldKindsAndRefreshes) {
  testing::ScratchFolder dir;
  const std::string path = dir.Write("people.dbf", PeopleTable());
  Recorder r;
  SourceTable dbf;
  CreateTargetTable(r.Context(path), dbf);
  EXPECT_EQ(r.events,
            (std::vector<std::string>{"asked",
                                      "execute create table people (ID Integer,NAME VarChar(31),"
                                      "BORN Date,AMOUNT VarChar(22),FLAG VarChar(5),NOTES "
                                      "VarChar(4000),ACCOUNT VarChar(33))",
                                      "refresh"}));
  EXPECT_FALSE(dbf.Active());
}

TEST(TableCreation, AFailedStatementIsReportedLoggedAndTheListStillRefreshed) {
  testing::ScratchFolder dir;
  const std::string path = dir.Write("archive.2003.dbf", PeopleTable());
  Recorder r;
  r.failExecute = true;
  SourceTable dbf;
  CreateTargetTable(r.Context(path), dbf);
  ASSERT_EQ(r.events.size(), 5u);
  EXPECT_EQ(r.events[2], "failure box");
  EXPECT_EQ(r.events[3].rfind("logged create table archive.2003 (ID Integer,", 0), 0u);
  EXPECT_EQ(r.events[4], "refresh");
}

TEST(TableCreation, NoSendsNothingAndAnUnreadableSourceSaysNotConnect) {
  Recorder r;
  r.answer = false;
  SourceTable dbf;
  CreateTargetTable(r.Context("/no/such.dbf"), dbf);
  EXPECT_EQ(r.events, std::vector<std::string>{"asked"});
  r.answer = true;
  EXPECT_EQ(testing::ErrorText<std::runtime_error>([&] { CreateTargetTable(r.Context(""), dbf); }),
            "not connect to ");
  EXPECT_FALSE(dbf.Active());
}

}  // namespace
}  // namespace qm
