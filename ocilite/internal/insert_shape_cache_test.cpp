// Inserts of literals compiled once per shape: later statements of a shape must store their own
// values, fail exactly as a statement compiled in full fails, and never outlive the table
// definition or the NLS settings they were compiled under.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ocilite/testing/engine_fixture.h"
#include "ocilite/testing/oci_test_client.h"

namespace qm::ocilite::testing {
namespace {

using Table = std::vector<std::vector<std::string>>;

class InsertShape : public EngineTest {
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

  std::string Exec(const std::string& sql) { return db_->ErrorOf(sql); }
  Table Rows(const std::string& sql) { return db_->Query(sql).values; }

  // The error of `sql` and the parse error offset the client reads after it.
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

TEST_F(InsertShape, EachStatementOfAShapeStoresItsOwnValues) {
  ASSERT_EQ(Exec("create table P (NAME varchar2(20), QTY number(6,2), BORN date, NOTE char(4))"),
            "");
  const char* statements[] = {
      "insert into P(NAME,QTY,BORN,NOTE) values ('Иванов','12','01.02.2001','ab')",
      "insert into P(NAME,QTY,BORN,NOTE) values ('O''Brien','3.456','29.02.2000','')",
      "insert into P(NAME,QTY,BORN,NOTE) values (NULL,'','','abcd')",
      "insert into P(NAME,QTY,BORN,NOTE) values ( 'a,b' , 7 , '31.12.1999' , null )",
      // A sign makes an expression, compiled in full.
      "insert into P(NAME,QTY,BORN,NOTE) values ('x)',-1,'01.01.2000','y')",
      "insert into P(NAME,QTY,BORN,NOTE) values ('Иванов','12','01.02.2001','ab')",
      // The text before VALUES as before: the word itself is read again.
      "insert into P(NAME,QTY,BORN,NOTE) VALUES('k','1','01.01.2000','k')",
  };
  for (const char* sql : statements) ASSERT_EQ(Exec(sql), "") << sql;
  EXPECT_EQ(Exec("insert into P(NAME,QTY,BORN,NOTE) valuesx ('a','1','01.01.2000','b')"),
            "ORA-00926: missing VALUES keyword");
  EXPECT_EQ(Rows("select NAME, QTY, to_char(BORN, 'YYYY-MM-DD'), NOTE from P"),
            (Table{{"Иванов", "12", "2001-02-01", "ab  "},
                   {"O'Brien", "3.46", "2000-02-29", "<null>"},
                   {"<null>", "<null>", "<null>", "abcd"},
                   {"a,b", "7", "1999-12-31", "<null>"},
                   {"x)", "-1", "2000-01-01", "y   "},
                   {"Иванов", "12", "2001-02-01", "ab  "},
                   {"k", "1", "2000-01-01", "k   "}}));
  // A text and a number literal in one position store alike.
  EXPECT_EQ(Rows("select count(*) from P where QTY = 12 and NAME = 'Иванов'"), (Table{{"2"}}));
}

// As an import sends them: one statement handle prepared again for every statement, so that each
// compile takes the room of the one before, which may be of another shape, another table or a
// query.
TEST_F(InsertShape, OneHandlePreparedForStatementsOfOtherShapesStoresEachOnesValues) {
  ASSERT_EQ(Exec("create table P (NAME varchar2(20), QTY number(6,2))"), "");
  ASSERT_EQ(Exec("create table Q (CODE char(3), BORN date, QTY number)"), "");
  const char* statements[] = {
      "insert into P(NAME,QTY) values ('a','1.5')",
      "insert into Q(CODE,BORN,QTY) values ('x','01.02.2003','7')",
      "insert into P(NAME,QTY) values ('b','2')",
      "select * from P where NAME = 'a' and QTY = 1.5",
      "insert into P(NAME,QTY) values ('c','')",
      "insert into P(NAME,QTY) values (NULL,'3')",
      "select * from Q where CODE = 'x'",
      "insert into Q(CODE,BORN,QTY) values ('yz','','8')",
      "insert into P(NAME,QTY) values ('d','4.25')",
  };
  OciLibrary& lib = Library();
  void* handle = nullptr;
  ASSERT_EQ(lib.HandleAlloc(db_->env, &handle, OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
  auto* stmt = static_cast<OCIStmt*>(handle);
  for (const std::string sql : statements) {
    ASSERT_EQ(lib.StmtPrepare(stmt, db_->err, reinterpret_cast<const OraText*>(sql.data()),
                              static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
              OCI_SUCCESS)
        << sql;
    const ub4 iters = sql.starts_with("select") ? 0 : 1;
    ASSERT_EQ(lib.StmtExecute(db_->svc, stmt, db_->err, iters, 0, nullptr, nullptr, OCI_DEFAULT),
              OCI_SUCCESS)
        << sql << ": " << db_->LastError();
  }
  lib.HandleFree(stmt, OCI_HTYPE_STMT);
  EXPECT_EQ(Rows("select NAME, QTY from P"),
            (Table{{"a", "1.5"}, {"b", "2"}, {"c", "<null>"}, {"<null>", "3"}, {"d", "4.25"}}));
  EXPECT_EQ(Rows("select CODE, to_char(BORN, 'YYYY-MM-DD'), QTY from Q"),
            (Table{{"x  ", "2003-02-01", "7"}, {"yz ", "<null>", "8"}}));
}

TEST_F(InsertShape, ValuesThatFailGiveTheErrorsOfAFullCompile) {
  ASSERT_EQ(Exec("create table X (ID number(5,2) constraint X_PK primary key, NAME varchar2(5), "
                 "BORN date, CODE char(3) not null)"),
            "");
  const std::string insert = "insert into X(ID,NAME,BORN,CODE) values (";
  ASSERT_EQ(Exec(insert + "'1','a','01.01.2000','c')"), "");
  struct Case {
    const char* values;
    const char* error;
    ub2 offset;  // where the client is told the statement failed; 0 when nowhere
  };
  const Case cases[] = {
      {"'abc','a','01.01.2000','c'", "ORA-01722: invalid number", 0},
      {"'1234.5','a','01.01.2000','c'",
       "ORA-01438: value larger than specified precision allowed for this column", 0},
      {"'2','abcdef','01.01.2000','c'",
       "ORA-12899: value too large for column \"SYSTEM\".\"X\".\"NAME\" (actual: 6, maximum: 5)",
       0},
      {"'2','a','01.01.2000','abcd'",
       "ORA-12899: value too large for column \"SYSTEM\".\"X\".\"CODE\" (actual: 4, maximum: 3)",
       0},
      {"'2','a','32.01.2003','c'",
       "ORA-01847: day of month must be between 1 and last day of month", 0},
      {"'2','a','15.13.2003','c'", "ORA-01843: not a valid month", 0},
      {"'2','a','abc','c'",
       "ORA-01858: a non-numeric character was found where a numeric was expected", 0},
      {"'2','a','01.01.2000',''", "ORA-01400: cannot insert NULL into (\"SYSTEM\".\"X\".\"CODE\")",
       0},
      {"'2','a','01.01.2000',NULL",
       "ORA-01400: cannot insert NULL into (\"SYSTEM\".\"X\".\"CODE\")", 0},
      {"'1.00','a','01.01.2000','c'", "ORA-00001: unique constraint (SYSTEM.X_PK) violated", 0},
      {"'2','a',5,'c'", "ORA-00932: inconsistent datatypes: expected DATE got NUMBER", 49},
      {"'2','a','01.01.2000','c' 'd'", "ORA-00917: missing comma", 66},
      {"'2','a','01.01.2000','c", "ORA-01756: quoted string not properly terminated", 62},
  };
  for (const Case& k : cases) {
    const auto [error, offset] = ErrorAndOffset(insert + k.values + ")");
    EXPECT_EQ(error, k.error) << k.values;
    EXPECT_EQ(offset, k.offset) << k.values;
  }
  // The shape still stores what it is given.
  ASSERT_EQ(Exec(insert + "'2.5','b','02.01.2000','d')"), "");
  EXPECT_EQ(Rows("select ID, NAME, CODE from X order by ID"),
            (Table{{"1", "a", "c  "}, {"2.5", "b", "d  "}}));
}

// Every literal a shape stores the short way must be stored, or refused, exactly as a statement
// compiled in full stores or refuses it (a comment before VALUES keeps a statement from the
// shapes).
TEST_F(InsertShape, ValuesStoreAsAFullCompileStoresThem) {
  ASSERT_EQ(Exec("create table Q (N52 number(5,2), N number, N3 number(3), NM2 number(4,-2), "
                 "F float(10), V varchar2(4), C char(3), K char(2) default 'k' not null, "
                 "D date)"),
            "");
  ASSERT_EQ(Exec("alter session set nls_date_format = 'DD.MM.RRRR HH24:MI:SS'"), "");
  struct Case {
    const char* column;
    const char* literal;
  };
  const Case cases[] = {
      {"N52", "'12.345'"},
      {"N52", "'-12.345'"},
      {"N52", "' 0.005 '"},
      {"N52", "'999.995'"},
      {"N52", "12.5"},
      {"N52", "'1e2'"},
      {"N52", "'-0'"},
      {"N52", "'12,5'"},
      {"N52", "''"},
      {"N52", "NULL"},
      {"N52", "'x'"},
      {"N", "'.5'"},
      {"N", "'123456789012345678901234567890.123456789'"},
      {"N", "'77777777777777777777777777777777777777777'"},  // 41 digits: stored rounded
      {"N3", "'999.5'"},
      {"N3", "'-998.5'"},
      {"NM2", "'149'"},
      {"NM2", "'150'"},
      {"NM2", "'999949'"},
      {"NM2", "'999950'"},
      {"F", "'123.456789'"},
      {"V", "'abcd'"},
      {"V", "'abcde'"},
      {"V", "'Жёлт'"},
      {"V", "'Жёлтый'"},
      {"V", "'a''b'"},
      {"V", "12"},
      {"C", "'a'"},
      {"C", "'abcd'"},
      {"C", "''"},
      {"K", "''"},
      {"K", "NULL"},
      {"K", "'z'"},
      {"D", "'29.02.2000'"},
      {"D", "'29.02.2001'"},
      {"D", "'15.03.03'"},
      {"D", "'15.03.2003 23:59:59'"},
      {"D", "'15.03.2003 24:00'"},
      {"D", "'15-MAR-2003'"},
      {"D", "'15.03.2003x'"},
      {"D", "''"},
      {"D", "1"},
  };
  for (const Case& k : cases) {
    const std::string values = std::string(" values (") + k.literal + ")";
    const std::string shaped = std::string("insert into Q(") + k.column + ")" + values;
    const std::string full = std::string("insert /* full */ into Q(") + k.column + ")" + values;
    const std::string read = std::string("select to_char(") + k.column + ") from Q";
    // The first statement of a shape is compiled as every later one is.
    ASSERT_EQ(Exec("delete from Q"), "");
    const std::string shaped_error = Exec(shaped);
    const Table shaped_rows = Rows(read);
    ASSERT_EQ(Exec("delete from Q"), "");
    EXPECT_EQ(Exec(full), shaped_error) << k.column << " " << k.literal;
    EXPECT_EQ(Rows(read), shaped_rows) << k.column << " " << k.literal;
  }
}

TEST_F(InsertShape, ATableChangedBetweenTwoInsertsIsCompiledAnew) {
  ASSERT_EQ(Exec("create table D (A varchar2(10), B number)"), "");
  const std::string two = "insert into D values ('x','1')";
  const std::string three = "insert into D values ('y','2','3')";
  ASSERT_EQ(Exec(two), "");
  ASSERT_EQ(Exec("alter table D add (C varchar2(1))"), "");
  EXPECT_EQ(Exec(two), "ORA-00947: not enough values");
  ASSERT_EQ(Exec(three), "");
  ASSERT_EQ(Exec("alter table D drop column B"), "");
  EXPECT_EQ(Exec(three), "ORA-00913: too many values");
  ASSERT_EQ(Exec(two), "");
  ASSERT_EQ(Exec("alter table D modify (A varchar2(2))"), "");
  EXPECT_EQ(Exec("insert into D values ('abc','z')"),
            "ORA-12899: value too large for column \"SYSTEM\".\"D\".\"A\" (actual: 3, maximum: 2)");
  EXPECT_EQ(Rows("select A, C from D"), (Table{{"x", "<null>"}, {"y", "3"}, {"x", "1"}}));

  ASSERT_EQ(Exec("drop table D"), "");
  ASSERT_EQ(Exec("create table D (A date, B number(3))"), "");
  EXPECT_EQ(Exec(two), "ORA-01858: a non-numeric character was found where a numeric was expected");
  ASSERT_EQ(Exec("insert into D values ('05.06.2007','1')"), "");
  EXPECT_EQ(Rows("select to_char(A, 'YYYY-MM-DD'), B + 1 from D"), (Table{{"2007-06-05", "2"}}));
}

TEST_F(InsertShape, LiteralsAndDefaultsAreReadByTheSettingsOfTheirExecution) {
  ASSERT_EQ(Exec("create table N (D date, Q number, E date default '03.04.2005')"), "");
  const std::string insert = "insert into N (D,Q) values ";
  ASSERT_EQ(Exec(insert + "('01.02.2003','1.5')"), "");
  ASSERT_EQ(Exec("alter session set nls_date_format = 'MM.DD.YYYY'"), "");
  ASSERT_EQ(Exec(insert + "('01.02.2003','2.5')"), "");
  EXPECT_EQ(Exec(insert + "('13.02.2003','2.5')"), "ORA-01843: not a valid month");
  ASSERT_EQ(Exec("alter session set nls_numeric_characters = ', '"), "");
  EXPECT_EQ(Exec(insert + "('01.02.2003','2.5')"), "ORA-01722: invalid number");
  ASSERT_EQ(Exec(insert + "('01.02.2003','3,5')"), "");
  ASSERT_EQ(Exec("alter session set nls_numeric_characters = '.,'"), "");
  EXPECT_EQ(Rows("select to_char(D, 'YYYY-MM-DD'), Q, to_char(E, 'YYYY-MM-DD') from N"),
            (Table{{"2003-02-01", "1.5", "2005-04-03"},
                   {"2003-01-02", "2.5", "2005-03-04"},
                   {"2003-01-02", "3.5", "2005-03-04"}}));
}

TEST_F(InsertShape, AnotherUserOnTheSameConnectionWritesIntoItsOwnTable) {
  ASSERT_EQ(Exec("create user U identified by p"), "");
  ASSERT_EQ(Exec("grant connect, resource to U"), "");
  ASSERT_EQ(Exec("create table T (A varchar2(10))"), "");
  {
    OciConnection u("U", "p");
    ASSERT_EQ(u.Exec("create table T (A varchar2(10))"), "");
  }
  ASSERT_EQ(Exec("insert into T values ('system')"), "");
  db_->EndSession();
  OciLibrary& lib = Library();
  ASSERT_EQ(lib.AttrSet(db_->session, OCI_HTYPE_SESSION, const_cast<char*>("U"), 1,
                        OCI_ATTR_USERNAME, db_->err),
            OCI_SUCCESS);
  ASSERT_EQ(lib.AttrSet(db_->session, OCI_HTYPE_SESSION, const_cast<char*>("p"), 1,
                        OCI_ATTR_PASSWORD, db_->err),
            OCI_SUCCESS);
  ASSERT_EQ(lib.SessionBegin(db_->svc, db_->err, db_->session, OCI_CRED_RDBMS, OCI_DEFAULT),
            OCI_SUCCESS)
      << db_->LastError();
  ASSERT_EQ(Exec("insert into T values ('u')"), "");
  db_->Commit();
  EXPECT_EQ(Rows("select A from T"), (Table{{"u"}}));
  EXPECT_EQ(Rows("select A from SYSTEM.T"), (Table{{"system"}}));
}

TEST_F(InsertShape, EachSessionKeepsItsOwnShapesAndSeesTheOthersDefinitions) {
  ASSERT_EQ(Exec("create table S (A varchar2(10))"), "");
  OciConnection other("system", "manager");
  ASSERT_EQ(other.Exec("alter session set nls_date_format = 'MM.DD.YYYY'"), "");
  ASSERT_EQ(Exec("insert into S values ('abc')"), "");
  db_->Commit();

  // The other session redefines the table; this one's shape must not survive it.
  ASSERT_EQ(other.Exec("drop table S"), "");
  ASSERT_EQ(other.Exec("create table S (A date)"), "");
  EXPECT_EQ(Exec("insert into S values ('abc')"),
            "ORA-01858: a non-numeric character was found where a numeric was expected");
  ASSERT_EQ(Exec("insert into S values ('03.04.2005')"), "");
  db_->Commit();
  // The same text in each session reads its date by that session's format.
  ASSERT_EQ(other.Exec("insert into S values ('03.04.2005')"), "");
  other.Commit();
  EXPECT_EQ(Rows("select to_char(A, 'YYYY-MM-DD') from S order by A"),
            (Table{{"2005-03-04"}, {"2005-04-03"}}));
}

}  // namespace
}  // namespace qm::ocilite::testing
