// The indexes a session makes for its repeated lookups are its own: the database file keeps none
// after the session, whether it ended, was dropped or died, and no later session maintains one;
// each keeps only the compared columns that tell the table's rows apart.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "ocilite/internal/sqlite_db.h"
#include "ocilite/testing/engine_fixture.h"
#include "ocilite/testing/oci_test_client.h"

namespace qm::ocilite::testing {
namespace {

class LookupIndexes : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    OciConnection setup("system", "manager");
    ASSERT_EQ(setup.Exec("create table T (ID varchar2(10), NAME varchar2(10))"), "");
    ASSERT_EQ(setup.Exec("insert into T values ('1', 'x')"), "");
    setup.Commit();
  }

  // The lookup indexes the database file holds, as another connection sees it.
  long long IndexesInFile() {
    SqliteDb file(database_path_, false, 0);
    SqliteStmt q = file.Prepare(
        "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name LIKE 'ocl_a%'");
    q.Step();
    return q.Int(0);
  }

  // The columns of the lookup indexes the database file holds, as CREATE INDEX gave them.
  std::vector<std::string> IndexedColumnsInFile() {
    SqliteDb file(database_path_, false, 0);
    SqliteStmt q = file.Prepare(
        "SELECT substr(sql, instr(sql, '(')) FROM sqlite_master WHERE type = 'index' AND name "
        "LIKE 'ocl_a%' ORDER BY name");
    std::vector<std::string> columns;
    while (q.Step()) columns.push_back(q.Text(0));
    return columns;
  }

  // Three lookups by ID and NAME: enough to make their index.
  static void LookUp(OciConnection& c) {
    for (int i = 0; i < 3; ++i)
      ASSERT_EQ(c.Query("select * from T where ID='" + std::to_string(i) + "' and NAME='x'")
                    .values.size(),
                i == 1 ? 1u : 0u);
  }
};

TEST_F(LookupIndexes, AnIndexLastsAsLongAsItsSession) {
  {
    OciConnection a("system", "manager");
    LookUp(a);
    EXPECT_EQ(IndexesInFile(), 1);
    // No dictionary view names it.
    EXPECT_EQ(a.Query("select count(*) from user_tables").values,
              (std::vector<std::vector<std::string>>{{"1"}}));
    EXPECT_EQ(a.Query("select count(*) from all_constraints where index_name like 'OCL%' or "
                      "index_name like 'ocl%'")
                  .values,
              (std::vector<std::vector<std::string>>{{"0"}}));
    a.EndSession();
    EXPECT_EQ(IndexesInFile(), 0);
  }
  {
    // Made inside a transaction, it is dropped inside it: the commit never stores it.
    OciConnection b("system", "manager");
    ASSERT_EQ(b.Exec("insert into T values ('2', 'y')"), "");
    LookUp(b);
    EXPECT_EQ(IndexesInFile(), 0);
    b.EndSession();
    EXPECT_EQ(IndexesInFile(), 0);
  }
  {
    // Rolled back with its transaction, it comes back with the lookups after it.
    OciConnection c("system", "manager");
    ASSERT_EQ(c.Exec("insert into T values ('3', 'z')"), "");
    LookUp(c);
    c.Rollback();
    LookUp(c);
    EXPECT_EQ(IndexesInFile(), 1);
    // A connection dropped without ending its session takes its index along.
    c.Detach();
  }
  EXPECT_EQ(IndexesInFile(), 0);
  OciConnection d("system", "manager");
  EXPECT_EQ(d.Query("select count(*) from T").values,
            (std::vector<std::vector<std::string>>{{"2"}}));
}

TEST_F(LookupIndexes, AnIndexKeepsTheColumnsThatTellTheRowsApart) {
  OciConnection c("system", "manager");
  ASSERT_EQ(c.Exec("create table P (KIND varchar2(1), NO number(9), CODE varchar2(9))"), "");
  ASSERT_EQ(c.Exec("insert into P values ('a', 0, 'c0')"), "");
  c.Commit();  // an index made inside a transaction is not in the file for others to see
  int rows = 1;  // row i has NO i, CODE 'c<i>', KIND 'a' when i is even
  const auto lookUp = [&](int times) {
    for (int i = 0; i < times; ++i)
      ASSERT_EQ(c.Query("select count(*) from P where KIND = 'a' and CODE = 'c" +
                        std::to_string(i) + "' and NO = " + std::to_string(i))
                    .values,
                (std::vector<std::vector<std::string>>{{i < rows && i % 2 == 0 ? "1" : "0"}}));
  };
  // Too few rows to judge by: every compared column, in the order compared (the file names the
  // columns c1, c2, c3 in their table order).
  lookUp(3);
  EXPECT_EQ(IndexedColumnsInFile(), std::vector<std::string>{"(c1, c3, c2)"});

  // Grown, the table shows KIND with two values and NO and CODE alike unique: the next choice
  // keeps the first of the two unique ones and drops the wide index.
  for (int i = 1; i < 2000; ++i)
    ASSERT_EQ(c.Exec("insert into P values ('" + std::string(i % 2 ? "b" : "a") + "', " +
                     std::to_string(i) + ", 'c" + std::to_string(i) + "')"),
              "");
  c.Commit();
  rows = 2000;
  lookUp(9);
  EXPECT_EQ(IndexedColumnsInFile(), std::vector<std::string>{"(c3)"});
  // Answers are those of all the compared columns: NO and KIND are still checked.
  EXPECT_EQ(c.Query("select count(*) from P where KIND = 'b' and CODE = 'c2' and NO = 2").values,
            (std::vector<std::vector<std::string>>{{"0"}}));
  EXPECT_EQ(c.Query("select count(*) from P where KIND = 'a' and CODE = 'c2' and NO = 2").values,
            (std::vector<std::vector<std::string>>{{"1"}}));
  c.EndSession();
  EXPECT_TRUE(IndexedColumnsInFile().empty());
}

TEST_F(LookupIndexes, TheIndexOfADeadProcessGoesWithTheNextLogon) {
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    OciConnection dying("system", "manager");
    LookUp(dying);
    _exit(IndexesInFile() == 1 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(IndexesInFile(), 1);

  // A live session keeps its index while another logs on.
  OciConnection live("system", "manager");
  EXPECT_EQ(IndexesInFile(), 0);
  LookUp(live);
  OciConnection other("system", "manager");
  EXPECT_EQ(IndexesInFile(), 1);
  // The other session's inserts after the first one ended do not maintain it.
  live.EndSession();
  ASSERT_EQ(other.Exec("insert into T values ('4', 'w')"), "");
  other.Commit();
  EXPECT_EQ(IndexesInFile(), 0);
}

}  // namespace
}  // namespace qm::ocilite::testing
