// The queries an import sends to look for a record, compiled once per shape: each later query of
// a shape must find what the same query compiled in full finds, fail as it fails, and never
// outlive the table definition or the NLS settings it was compiled under. A condition in
// parentheses is not read for its shape, which gives the full compile to compare with.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ocilite/testing/engine_fixture.h"
#include "ocilite/testing/oci_test_client.h"

namespace qm::ocilite::testing {
namespace {

using Table = std::vector<std::vector<std::string>>;

class QueryShape : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    db_ = std::make_unique<OciConnection>("system", "manager");
    ASSERT_EQ(db_->Exec("alter session set nls_date_format = 'DD.MM.YYYY'"), "");
  }
  void TearDown() override {
    db_.reset();
    EngineTest::TearDown();
  }

  std::string Exec(const std::string& sql) { return db_->Exec(sql); }
  Table Rows(const std::string& sql) { return db_->Query(sql).values; }

  // The error of the query `sql` (executing and fetching a row) and the parse error offset.
  std::pair<std::string, ub2> ErrorAndOffset(const std::string& sql) {
    OciLibrary& lib = Library();
    void* handle = nullptr;
    EXPECT_EQ(lib.HandleAlloc(db_->env, &handle, OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    auto* stmt = static_cast<OCIStmt*>(handle);
    EXPECT_EQ(lib.StmtPrepare(stmt, db_->err, reinterpret_cast<const OraText*>(sql.data()),
                              static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
              OCI_SUCCESS);
    std::string error;
    if (lib.StmtExecute(db_->svc, stmt, db_->err, 1, 0, nullptr, nullptr, OCI_DEFAULT) !=
        OCI_SUCCESS)
      error = db_->LastError();
    ub2 offset = 0;
    EXPECT_EQ(
        lib.AttrGet(stmt, OCI_HTYPE_STMT, &offset, nullptr, OCI_ATTR_PARSE_ERROR_OFFSET, db_->err),
        OCI_SUCCESS);
    lib.HandleFree(stmt, OCI_HTYPE_STMT);
    return {error, offset};
  }

  std::unique_ptr<OciConnection> db_;
};

TEST_F(QueryShape, EachQueryOfAShapeFindsWhatItsFullCompileFinds) {
  ASSERT_EQ(Exec("create table P (NAME varchar2(20), QTY number(6,2), BORN date, CODE char(4), "
                 "BIN raw(2))"),
            "");
  for (const char* values : {"'Иванов','12','01.02.2001','ab','0A1B'",
                             "'O''Brien','3.46','29.02.2000','','FF'",
                             "'x y','-7','31.12.1999','abcd',''", "'','0','01.01.2000','a',''"})
    ASSERT_EQ(Exec(std::string("insert into P values (") + values + ")"), "") << values;
  // Each condition runs as the shape's first query, then again after the others have run.
  const char* conditions[] = {
      "NAME='Иванов' and QTY='12' and BORN='01.02.2001'",
      "NAME='O''Brien' and QTY='3.460' and BORN='29.02.2000'",
      "NAME='x y' and QTY='-7' and BORN='31.12.1999'",
      "NAME='x y' and QTY=-7 and BORN='31.12.1999'",
      // The text of the query before, with a literal of another kind, more or fewer terms.
      "NAME='Иванов' and QTY=12 and BORN='01.02.2001'",
      "NAME='Иванов' and QTY='12' and BORN='01.02.2001'",
      "NAME='Иванов' and QTY=12 and BORN='01.02.2001' and CODE='abcd'",
      "NAME='Иванов' and QTY=12",
      "NAME='Иванов' and QTY=12 and BORN='02.02.2001'",
      "NAME='Иванов' and QTY=12.00 and BORN='01.02.2001'",
      "NAME='Иванов' and QTY='12' and BORN='02.02.2001'",
      // Empty texts are NULL, which "=" never matches; numbers that are none fail at run time.
      "NAME='' and QTY='0' and BORN='01.01.2000'",
      "NAME='Иванов' and QTY='' and BORN='01.02.2001'",
      "CODE='ab' and BIN='0a1b'",
      "CODE='ab  ' and BIN='0A1B'",
      "CODE='abcd' and BIN IS NULL",
      "CODE='a' and BIN is  null",
      "CODE='  ' and BIN IS NULL",
      "CODE IS NOT NULL and NAME IS NULL",
      "P.NAME = 'x y'   AND   \"QTY\" = '-7'",
      // Compared as they are, not as the column would store them.
      "NAME='Иванов' and QTY='12.001' and BORN='1.2.2001'",
      "NAME='Иванов ' and QTY=' 12 ' and BORN='01.02.2001'",
      "NAME='O''Brien' and QTY='3.455' and BORN='29.02.2000'",
      "NAME='O''Brien' and QTY=3.46 and BORN='29.2.2000'",
  };
  auto both = [&](const std::string& condition) {
    const std::string shaped = "select NAME, QTY from P where " + condition;
    const std::string full = "select NAME, QTY from P where (" + condition + ")";
    EXPECT_EQ(db_->ErrorOf(shaped), db_->ErrorOf(full)) << condition;
    if (db_->ErrorOf(full).empty()) {
      EXPECT_EQ(Rows(shaped), Rows(full)) << condition;
    }
  };
  for (int pass = 0; pass < 2; ++pass)
    for (const char* condition : conditions) both(condition);
  EXPECT_EQ(Rows("select NAME from P where QTY='12.00' and CODE='ab'"), (Table{{"Иванов"}}));
  EXPECT_EQ(Rows("select NAME from P where QTY='3.46' and CODE IS NULL"), (Table{{"O'Brien"}}));
}

TEST_F(QueryShape, LiteralsThatFailGiveTheErrorsOfAFullCompile) {
  ASSERT_EQ(Exec("create table X (ID number(5,2), NAME varchar2(5), BORN date)"), "");
  ASSERT_EQ(Exec("insert into X values ('1','a','01.01.2000')"), "");
  const std::string query = "select * from X where ";
  ASSERT_EQ(Rows(query + "ID='1' and NAME='a' and BORN='01.01.2000'"),
            (Table{{"1", "a", "01.01.2000"}}));
  struct Case {
    const char* condition;
    const char* error;
    ub2 offset;  // where the client is told the statement failed; 0 when nowhere
  };
  const Case cases[] = {
      {"ID='abc' and NAME='a' and BORN='01.01.2000'", "ORA-01722: invalid number", 0},
      {"ID='1' and NAME='a' and BORN='32.01.2003'",
       "ORA-01847: day of month must be between 1 and last day of month", 0},
      {"ID='1' and NAME='a' and BORN='15.13.2003'", "ORA-01843: not a valid month", 0},
      {"ID='1' and NAME='a' and BORN='abc'",
       "ORA-01858: a non-numeric character was found where a numeric was expected", 0},
      {"ID='1' and NAME='a' and BORN=5",
       "ORA-00932: inconsistent datatypes: expected DATE got NUMBER", 51},
      {"ID='1' and NAME='a' and NOPE='x'", "ORA-00904: \"NOPE\": invalid identifier", 46},
      {"ID='1' and NAME='a' and BORN='01.01.2000", "ORA-01756: quoted string not properly terminated",
       51},
      {"ID='1' and NAME='a' and BORN='01.01.2000' 'x'", "ORA-00933: SQL command not properly ended",
       64},
  };
  for (const Case& k : cases) {
    const auto [error, offset] = ErrorAndOffset(query + k.condition);
    EXPECT_EQ(error, k.error) << k.condition;
    EXPECT_EQ(offset, k.offset) << k.condition;
  }
  // The shape still finds what it is asked for.
  EXPECT_EQ(Rows(query + "ID='1.0' and NAME='a' and BORN='01.01.2000'"),
            (Table{{"1", "a", "01.01.2000"}}));
  EXPECT_EQ(Rows(query + "ID='2' and NAME='a' and BORN='01.01.2000'"), Table{});
}

TEST_F(QueryShape, AShapeDoesNotOutliveItsTableOrItsSettings) {
  ASSERT_EQ(Exec("create table D (A varchar2(10), B date)"), "");
  ASSERT_EQ(Exec("insert into D values ('01', '03.04.2005')"), "");
  db_->Commit();
  const std::string by_a = "select A from D where A='1'";
  const std::string by_b = "select A from D where B='03.04.2005'";
  EXPECT_EQ(Rows(by_a), Table{});
  EXPECT_EQ(Rows(by_b), (Table{{"01"}}));

  // The date is read by the format of the query's execution.
  ASSERT_EQ(Exec("alter session set nls_date_format = 'MM.DD.YYYY'"), "");
  EXPECT_EQ(Rows(by_b), Table{});
  EXPECT_EQ(Rows("select A from D where B='04.03.2005'"), (Table{{"01"}}));
  EXPECT_EQ(db_->ErrorOf("select A from D where B='13.04.2005'"), "ORA-01843: not a valid month");

  // Another session makes the text column a number: '1' now finds the row '01' became.
  OciConnection other("system", "manager");
  ASSERT_EQ(other.Exec("drop table D"), "");
  ASSERT_EQ(other.Exec("create table D (A number, B varchar2(10))"), "");
  ASSERT_EQ(other.Exec("insert into D values (1, '03.04.2005')"), "");
  other.Commit();
  EXPECT_EQ(Rows(by_a), (Table{{"1"}}));
  EXPECT_EQ(Rows(by_b), (Table{{"1"}}));
  EXPECT_EQ(db_->ErrorOf("select A from D where A='x'"), "ORA-01722: invalid number");

  ASSERT_EQ(other.Exec("drop table D"), "");
  EXPECT_EQ(db_->ErrorOf(by_a), "ORA-00942: table or view does not exist");
}

TEST_F(QueryShape, AQueryTakesUpTheColumnsAnotherSessionAdded) {
  ASSERT_EQ(Exec("create table E (A number)"), "");
  ASSERT_EQ(Exec("insert into E values (1)"), "");
  db_->Commit();
  EXPECT_EQ(Rows("select * from E where A=1"), (Table{{"1"}}));
  OciConnection other("system", "manager");
  ASSERT_EQ(other.Exec("alter table E add (C varchar2(5))"), "");
  ASSERT_EQ(other.Exec("update E set C = 'x'"), "");
  other.Commit();
  // This session knew E without C: the name fails only on what it knew.
  EXPECT_EQ(Rows("select C from E where A=1"), (Table{{"x"}}));
  EXPECT_EQ(Rows("select * from E where A=1"), (Table{{"1", "x"}}));
}

}  // namespace
}  // namespace qm::ocilite::testing
