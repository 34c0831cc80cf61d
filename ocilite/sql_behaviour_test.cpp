// Oracle's SQL semantics as the engine keeps them, checked through the client interface with the
// exact texts Oracle gives.
//
// One file, long as it is: every test is a table of statements against the same small fixture
// table, in one process with one database, and the tests read best side by side, the way the
// SQL reference groups the behaviours.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ocilite/internal/sqlite_db.h"
#include "ocilite/testing/engine_fixture.h"
#include "ocilite/testing/oci_test_client.h"

namespace qm::ocilite::testing {
namespace {

class SqlBehaviour : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    db_ = std::make_unique<OciConnection>("system", "manager");
    ASSERT_EQ(Exec("create table T (ID Integer,NAME VarChar(31),BORN Date,AMOUNT VarChar(8))"), "");
    ASSERT_EQ(Exec("alter session set nls_date_format = 'DD.MM.RRRR'"), "");
  }
  void TearDown() override {
    db_.reset();
    EngineTest::TearDown();
  }
  std::string Exec(const std::string& sql) { return db_->ErrorOf(sql); }
  std::vector<std::vector<std::string>> Rows(const std::string& sql) {
    return db_->Query(sql).values;
  }
  std::string Value(const std::string& sql) {
    const auto rows = Rows(sql);
    return rows.empty() ? "<no row>" : rows[0][0];
  }

  std::unique_ptr<OciConnection> db_;
};

struct ErrorCase {
  const char* sql;
  const char* error;
};

TEST_F(SqlBehaviour, SyntaxErrorsGiveOraclesNumbers) {
  const ErrorCase cases[] = {
      {"selec * from T", "ORA-00900: invalid SQL statement"},
      {"", "ORA-00900: invalid SQL statement"},
      {"create tabel X (A number)", "ORA-00901: invalid CREATE command"},
      {"select * from", "ORA-00903: invalid table name"},
      {"create table 1a (x number)", "ORA-00903: invalid table name"},
      {"create table select (x number)", "ORA-00903: invalid table name"},
      {"create table X (A varchar2(10)", "ORA-00907: missing right parenthesis"},
      {"create table X (A number B number)", "ORA-00907: missing right parenthesis"},
      {"create table X (A varchar2)", "ORA-00906: missing left parenthesis"},
      {"create table X", "ORA-00906: missing left parenthesis"},
      {"create table X (A numbr)", "ORA-00902: invalid datatype"},
      {"insert into T (ID,NAME) values ('1' 'x')", "ORA-00917: missing comma"},
      {"select * from T where ID '1'", "ORA-00920: invalid relational operator"},
      {"select * from T where ID", "ORA-00920: invalid relational operator"},
      {"alter session set nls_date_format =", "ORA-00921: unexpected end of SQL command"},
      {"create user U identified by p sometimes", "ORA-00922: missing or invalid option"},
      {"create table X (A number) nologging", "ORA-00922: missing or invalid option"},
      {"select ID NAME BORN from T", "ORA-00923: FROM keyword not found where expected"},
      {"select * form T", "ORA-00923: FROM keyword not found where expected"},
      {"insert T values ('1')", "ORA-00925: missing INTO keyword"},
      {"insert into T (ID) value ('1')", "ORA-00926: missing VALUES keyword"},
      {"insert into T (ID) select", "ORA-00936: missing expression"},
      {"create table X as 1", "ORA-00928: missing SELECT keyword"},
      {"select * from T X Y", "ORA-00933: SQL command not properly ended"},
      {"delete from T where ID = 1 2", "ORA-00933: SQL command not properly ended"},
      {"select * from T where ID =", "ORA-00936: missing expression"},
      {"select from T", "ORA-00936: missing expression"},
      {"insert into T (ID,NAME) values ('1')", "ORA-00947: not enough values"},
      {"insert into T (ID) values ('1','x')", "ORA-00913: too many values"},
      {"insert into T values ('1','x','01.01.2000','1','2')", "ORA-00913: too many values"},
      {"insert into T (NAME) values ('abc)", "ORA-01756: quoted string not properly terminated"},
      {"select * from T;", "ORA-00911: invalid character"},
      {"select * from T where ID = 1 & 2", "ORA-00911: invalid character"},
      {"create table X (A varchar2(0))", "ORA-01723: zero-length columns are not allowed"},
      {"create table X (A VarChar(0))", "ORA-01723: zero-length columns are not allowed"},
      {"create table X (A varchar2(4001))",
       "ORA-00910: specified length too long for its datatype"},
      {"create table X (A number(39))",
       "ORA-01727: numeric precision specifier is out of range (1 to 38)"},
      {"create table T (A number)", "ORA-00955: name is already used by an existing object"},
      {"create table X (A number, A date)", "ORA-00957: duplicate column name"},
      {"create table X (date Date)", "ORA-00904: : invalid identifier"},
      {"create table X (A long, B long)",
       "ORA-01754: a table may contain only one column of type LONG"},
      {"select NOSUCH from T", "ORA-00904: \"NOSUCH\": invalid identifier"},
      {"select T.NOSUCH from T", "ORA-00904: \"T\".\"NOSUCH\": invalid identifier"},
      {"select * from T where nosuch = 1", "ORA-00904: \"NOSUCH\": invalid identifier"},
      {"insert into T (NOSUCH) values (1)", "ORA-00904: \"NOSUCH\": invalid identifier"},
      {"insert into T (ID, ID) values (1, 2)", "ORA-00957: duplicate column name"},
      {"select * from NOSUCH", "ORA-00942: table or view does not exist"},
      {"select * from SCOTT.T", "ORA-00942: table or view does not exist"},
      {"drop table NOSUCH", "ORA-00942: table or view does not exist"},
      {"select ID from T, T X", "ORA-00918: column ambiguously defined"},
      {"select a234567890123456789012345678901 from T", "ORA-00972: identifier is too long"},
      {"create table \"a234567890123456789012345678901\" (A number)",
       "ORA-00972: identifier is too long"},
      {"select ID, count(*) from T", "ORA-00937: not a single-group group function"},
      {"select * from T where count(*) > 1", "ORA-00934: group function is not allowed here"},
      {"select * from T where BORN = 1",
       "ORA-00932: inconsistent datatypes: expected DATE got NUMBER"},
      {"insert into user_tables (table_name) values ('X')", "ORA-01031: insufficient privileges"},
      {"select upper() from dual", "ORA-00909: invalid number of arguments"},
      {"select nosuchfunction(1) from dual", "ORA-00904: \"NOSUCHFUNCTION\": invalid identifier"},
      {"alter session set nosuch = 1", "ORA-02248: invalid option for ALTER SESSION"},
      {"alter session set nls_date_format = 'DD.QQ.YYYY'", "ORA-01821: date format not recognized"},
  };
  for (const ErrorCase& k : cases) EXPECT_EQ(Exec(k.sql), k.error) << k.sql;
}

TEST_F(SqlBehaviour, ValuesThatDoNotFitTheirColumns) {
  ASSERT_EQ(Exec("create table X (A number(5,2) constraint X_PK primary key, B char(3) not null, "
                 "C raw(2), D varchar2(3) default 'abc')"),
            "");
  ASSERT_EQ(Exec("insert into X (A, B) values (1, 'x')"), "");
  const ErrorCase cases[] = {
      {"insert into T (ID) values ('abc')", "ORA-01722: invalid number"},
      {"insert into T (ID) values ('1 2')", "ORA-01722: invalid number"},
      {"insert into T (ID) values ('12,5')", "ORA-01722: invalid number"},
      {"insert into T (NAME) values ('12345678901234567890123456789012')",
       "ORA-12899: value too large for column \"SYSTEM\".\"T\".\"NAME\" (actual: 32, maximum: 31)"},
      {"insert into T (AMOUNT) values (123456789)",
       "ORA-12899: value too large for column \"SYSTEM\".\"T\".\"AMOUNT\" (actual: 9, maximum: 8)"},
      {"insert into X (A, B) values (2, 'abcd')",
       "ORA-12899: value too large for column \"SYSTEM\".\"X\".\"B\" (actual: 4, maximum: 3)"},
      {"insert into X (A, B) values (1234.5, 'x')",
       "ORA-01438: value larger than specified precision allowed for this column"},
      {"insert into X (A, B) values (999.995, 'x')",
       "ORA-01438: value larger than specified precision allowed for this column"},
      {"insert into X (A) values (2)",
       "ORA-01400: cannot insert NULL into (\"SYSTEM\".\"X\".\"B\")"},
      {"insert into X (A, B) values (2, '')",
       "ORA-01400: cannot insert NULL into (\"SYSTEM\".\"X\".\"B\")"},
      {"insert into X (B) values ('y')",
       "ORA-01400: cannot insert NULL into (\"SYSTEM\".\"X\".\"A\")"},
      {"insert into X (A, B) values ('1.00', 'y')",
       "ORA-00001: unique constraint (SYSTEM.X_PK) violated"},
      {"update X set B = null", "ORA-01407: cannot update (\"SYSTEM\".\"X\".\"B\") to NULL"},
      {"update X set A = A / 0", "ORA-01476: divisor is equal to zero"},
      {"insert into T (BORN) values ('31.02.2003')",
       "ORA-01839: date not valid for month specified"},
      {"insert into T (BORN) values ('15.13.2003')", "ORA-01843: not a valid month"},
      {"insert into T (BORN) values ('32.01.2003')",
       "ORA-01847: day of month must be between 1 and last day of month"},
      {"insert into T (BORN) values ('abc')",
       "ORA-01858: a non-numeric character was found where a numeric was expected"},
      {"insert into T (BORN) values ('15.03')",
       "ORA-01840: input value not long enough for date format"},
      {"insert into T (BORN) values ('15.03.2003 12')",
       "ORA-01830: date format picture ends before converting entire input string"},
      {"select to_date('15x03', 'DD\"y\"MM') from dual",
       "ORA-01861: literal does not match format string"},
      {"select to_date('15-XYZ-03', 'DD-MON-RR') from dual", "ORA-01843: not a valid month"},
      {"select to_date('25:00', 'HH24:MI') from dual", "ORA-01850: hour must be between 0 and 23"},
      {"select * from T where ID = 'x'", "ORA-01722: invalid number"},
  };
  ASSERT_EQ(Exec("insert into T (ID) values (1)"), "");  // the WHERE conversion needs a row
  for (const ErrorCase& k : cases) EXPECT_EQ(Exec(k.sql), k.error) << k.sql;
  // Nothing of the failed statements is left.
  EXPECT_EQ(Value("select count(*) from X"), "1");
  EXPECT_EQ(Value("select count(*) from T"), "1");
}

TEST_F(SqlBehaviour, LongLiteralsRawTextsAndDateTextsFailAsOnOracle) {
  ASSERT_EQ(Exec("create table R (B raw(4), L varchar2(4000), C clob)"), "");
  std::string cyrillic;
  for (int i = 0; i < 4000; ++i) cyrillic += "ж";
  const std::string fits(4000, 'x'), too_long(4001, 'x');
  struct {
    std::string sql;
    const char* error;
  } const cases[] = {
      // The limit counts characters of the single-byte server, whatever the column.
      {"insert into R (L) values ('" + fits + "')", ""},
      {"insert into R (L) values ('" + too_long + "')", "ORA-01704: string literal too long"},
      {"insert into R (C) values ('" + too_long + "')", "ORA-01704: string literal too long"},
      {"select length('" + too_long + "') from dual", "ORA-01704: string literal too long"},
      {"insert into R (L) values ('" + cyrillic + "')", ""},
      // Text into RAW is hexadecimal.
      {"insert into R (B) values ('ABcd')", ""},
      {"insert into R (B) values ('abc')", ""},
      {"insert into R (B) values ('XYZ')", "ORA-01465: invalid hex number"},
      {"insert into R (B) values ('0102030405')",
       "ORA-12899: value too large for column \"SYSTEM\".\"R\".\"B\" (actual: 5, maximum: 4)"},
      {"insert into R (B) values (12)",
       "ORA-00932: inconsistent datatypes: expected BINARY got NUMBER"},
      {"select hextoraw('G1') from dual", "ORA-01465: invalid hex number"},
      // ISO text under the default model, and the other ways text misses a model.
      {"alter session set nls_date_format = 'DD-MON-RR'", ""},
      {"insert into T (BORN) values ('2003-03-15')",
       "ORA-01861: literal does not match format string"},
      {"select to_date('2003-03-15', 'DD-MON-RR') from dual",
       "ORA-01861: literal does not match format string"},
      {"select to_date('15-03-2003', 'DD-MON-RR') from dual", "ORA-01843: not a valid month"},
      {"select to_date('15-MAR-03 10:00', 'DD-MON-RR') from dual",
       "ORA-01830: date format picture ends before converting entire input string"},
      {"select to_date('15-MAR', 'DD-MON-RR') from dual",
       "ORA-01840: input value not long enough for date format"},
      {"select to_date('32-MAR-03', 'DD-MON-RR') from dual",
       "ORA-01847: day of month must be between 1 and last day of month"},
      {"select to_date('XX-MAR-03', 'DD-MON-RR') from dual",
       "ORA-01858: a non-numeric character was found where a numeric was expected"},
      {"select to_date('10-AUGUST-2016', 'FXDD-MM-RR') from dual",
       "ORA-01858: a non-numeric character was found where a numeric was expected"},
  };
  for (const auto& k : cases) EXPECT_EQ(Exec(k.sql), k.error) << k.sql.substr(0, 60);
  EXPECT_EQ(Rows("select rawtohex(B) from R where B is not null order by 1"),
            (std::vector<std::vector<std::string>>{{"0ABC"}, {"ABCD"}}));
  // RAW compares with text in its upper-case hexadecimal form.
  EXPECT_EQ(Value("select count(*) from R where B = 'ABCD'"), "1");
  EXPECT_EQ(Value("select count(*) from R where B = 'abcd'"), "0");
  EXPECT_EQ(Value("select rawtohex('AA') from dual"), "4141");
  // Punctuation may be left out where digits run on, and MM reads a month's name.
  EXPECT_EQ(Value("select to_char(to_date('20030315', 'YYYY-MM-DD'), 'DD.MM.YYYY') from dual"),
            "15.03.2003");
  EXPECT_EQ(Value("select to_char(to_date('10AUG2016', 'DD-MM-RR'), 'DD.MM.YYYY') from dual"),
            "10.08.2016");
}

TEST_F(SqlBehaviour, ExistenceQueryFindsTheRowInsertedFromTheSameTexts) {
  ASSERT_EQ(Exec("insert into T(ID,NAME,BORN,AMOUNT) values ('12','x','15.03.2003','12 5')"), "");
  EXPECT_EQ(Rows("select * from T Where ID='12' and NAME='x' and BORN='15.03.2003' and "
                 "AMOUNT='12 5'")
                .size(),
            1u);
  EXPECT_EQ(Rows("select * from T Where ID='12.0' and BORN='15.3.03'").size(), 1u);
  EXPECT_EQ(Rows("select * from T Where ID='13'").size(), 0u);
  // The empty text is NULL: it matches nothing, in comparisons as in inserts.
  ASSERT_EQ(Exec("insert into T(ID,NAME,BORN,AMOUNT) values ('13','','','')"), "");
  EXPECT_EQ(Rows("select * from T Where ID='13' and NAME=''").size(), 0u);
  EXPECT_EQ(Value("select count(*) from T where NAME is null and BORN is null"), "1");
  EXPECT_EQ(Rows("select * from T Where ID='12' and NAME='x'")[0],
            (std::vector<std::string>{"12", "x", "15.03.2003", "12 5"}));
}

TEST_F(SqlBehaviour, RepeatedLookupsGetAnIndexOfTheirOwn) {
  auto indexes = [&] {
    SqliteDb file(database_path_, false, 0);
    SqliteStmt q = file.Prepare(
        "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name LIKE 'ocl_a%'");
    q.Step();
    return q.Int(0);
  };
  ASSERT_EQ(Exec("insert into T(ID,NAME) values ('1','x')"), "");
  ASSERT_EQ(Exec("commit"), "");
  EXPECT_EQ(indexes(), 0);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(Rows("select * from T Where ID='" + std::to_string(i) + "' and NAME='x'").size(),
              i == 1 ? 1u : 0u);
  EXPECT_EQ(indexes(), 1);
  EXPECT_EQ(Rows("select * from T Where NAME='x' and ID='1'").size(), 1u);
}

TEST_F(SqlBehaviour, ExpressionsAsOracleEvaluatesThem) {
  ASSERT_EQ(Exec("create table X (N number(7,2), I integer, C char(5), V varchar2(10))"), "");
  ASSERT_EQ(Exec("insert into X values ('1.235', '2.5', 'ab', 'Жук')"), "");
  ASSERT_EQ(Exec("insert into X values (-0.5, null, null, 'b')"), "");
  struct Case {
    const char* sql;
    const char* value;
  };
  const Case cases[] = {
      {"select N from X where V = 'Жук'", "1.24"},
      {"select I from X where V = 'Жук'", "3"},
      {"select N from X where V = 'b'", "-.5"},
      {"select C || '|' from X where V = 'Жук'", "ab   |"},
      {"select count(*) from X where C = 'ab'", "1"},
      {"select count(*) from X where C = 'ab '", "1"},
      {"select upper(V) from X where N > 0", "ЖУК"},
      {"select lower('ЖУК Abc') from dual", "жук abc"},
      {"select length(V) from X where N > 0", "3"},
      {"select length('') from dual", "<null>"},
      {"select nvl('', 'empty') from dual", "empty"},
      {"select nvl(I, 7) from X where V = 'b'", "7"},
      {"select 'a' || null || 1 || '' from dual", "a1"},
      {"select substr('abcdef', 2, 3) from dual", "bcd"},
      {"select substr('abcdef', -2) from dual", "ef"},
      {"select substr('abcdef', 0, 2) from dual", "ab"},
      {"select substr('abc', 5) from dual", "<null>"},
      {"select trim('  x  ') || '|' from dual", "x|"},
      {"select trim(leading '0' from '0012') from dual", "12"},
      {"select rtrim('xaa', 'a') from dual", "x"},
      {"select 7 / 2 from dual", "3.5"},
      {"select 1 / 4 from dual", ".25"},
      {"select 6 / 3 from dual", "2"},
      {"select -(2 + 3) * 2 from dual", "-10"},
      {"select '2' + 3 from dual", "5"},
      {"select count(*) from X where V like 'Ж%'", "1"},
      {"select count(*) from X where V like 'ж%'", "0"},
      {"select count(*) from X where V in ('a', 'b')", "1"},
      {"select count(*) from X where N between 0 and 2", "1"},
      {"select count(*) from X where N not between 0 and 2", "1"},
      {"select count(*) from X where not (N > 0)", "1"},
      {"select count(*) from X where N > 0 or V = 'b'", "2"},
      {"select sum(N) from X", ".74"},
      {"select max(V) || min(V) from X", "Жукb"},
      {"select avg(N) from X", ".37"},
      {"select count(I) from X", "1"},
      {"select to_char(1234.5, '9999.99') from dual", " 1234.50"},
      {"select to_char(1234.5, 'FM9G999D00') from dual", "1,234.50"},
      {"select to_char(-7, '999') from dual", "  -7"},
      {"select to_char(0.5) from dual", ".5"},
      {"select to_number('1,234.5', '9G999D9') from dual", "1234.5"},
      {"select to_char(to_date('05.01.2003 14:07:09', 'DD.MM.YYYY HH24:MI:SS'), "
       "'DD-MON-YYYY HH:MI:SS AM') from dual",
       "05-JAN-2003 02:07:09 PM"},
      {"select to_char(to_date('05.01.2003', 'DD.MM.YYYY'), 'Month DD, YYYY') from dual",
       "January   05, 2003"},
      {"select to_char(to_date('05.01.2003', 'DD.MM.YYYY'), 'FMDay, Mon') from dual",
       "Sunday, Jan"},
      {"select to_char(to_date('15.03.97', 'DD.MM.RR'), 'YYYY') from dual", "1997"},
      {"select to_char(to_date('15.03.03', 'DD.MM.RR'), 'YYYY') from dual", "2003"},
      {"select to_char(to_date('15.03.03', 'DD.MM.YYYY'), 'YYYY') from dual", "0003"},
      {"select to_char(to_date('15-03-2003', 'DD.MM.YYYY'), 'DD.MM.YYYY') from dual", "15.03.2003"},
      {"select to_char(to_date('15032003', 'DD.MM.YYYY'), 'DD.MM.YYYY') from dual", "15.03.2003"},
      {"select to_char(to_date('15.MAR.2003', 'DD.MM.YYYY'), 'DD.MM.YYYY') from dual",
       "15.03.2003"},
      {"select to_char(to_date('15 march 2003', 'DD MON YYYY'), 'DD.MM.YYYY') from dual",
       "15.03.2003"},
      {"select to_char(to_date('5.3.2003', 'DD.MM.YYYY'), 'DD.MM.YYYY') from dual", "05.03.2003"},
      {"select to_char(to_date('10AUGUST2016', 'DD-MM-RR'), 'DD.MM.YYYY') from dual", "10.08.2016"},
      {"select to_char(to_date('15.03.2003') + 1, 'DD.MM.YYYY') from dual", "16.03.2003"},
      {"select to_date('01.03.2003') - to_date('15.02.2003') from dual", "14"},
      {"select to_char(to_date('15.03.2003 06:00', 'DD.MM.YYYY HH24:MI') - 0.25, 'DD HH24') "
       "from dual",
       "15 00"},
      {"select user from dual", "SYSTEM"},
      {"select * from dual", "X"},
      {"select count(*) from dual where sysdate > to_date('01.01.2020')", "1"},
  };
  for (const Case& k : cases) EXPECT_EQ(Value(k.sql), k.value) << k.sql;
}

// NUMBER keeps 38 to 40 significant digits exactly, with Oracle's rounding, range and checks.
TEST_F(SqlBehaviour, NumbersAreStoredExactlyWithOraclesRoundingAndChecks) {
  ASSERT_EQ(Exec("create table N (A number, B number(18,2), C number(5,-2), D number(4,5), "
                 "I integer, F float(10), S number(*,1))"),
            "");
  struct Case {
    const char* column;
    const char* value;   // as written in the VALUES list
    const char* stored;  // as read back, or the error
  };
  const char* kPrecision =
      "ORA-01438: value larger than specified precision allowed for this column";
  const Case cases[] = {
      {"A", "12345678901234567890", "12345678901234567890"},
      {"A", "'12345678901234567890'", "12345678901234567890"},
      {"A", "-99999999999999999999999999999999999999", "-99999999999999999999999999999999999999"},
      {"A", "0.1", ".1"},
      {"A", "-0.5", "-.5"},
      {"A", "1e-130", "1.000000000000000000000000000000000E-130"},
      {"A", "1e-131", "0"},
      {"A", "1e126", "ORA-01426: numeric overflow"},
      {"A", "'-1e126'", "ORA-01426: numeric overflow"},
      {"B", "9999999999999999.99", "9999999999999999.99"},
      {"B", "1234567890123456.78", "1234567890123456.78"},
      {"B", "'1234567890123456.785'", "1234567890123456.79"},
      {"B", "-1234567890123456.785", "-1234567890123456.79"},
      {"B", "9999999999999999.995", kPrecision},
      {"B", "99999999999999999", kPrecision},
      {"C", "12345.678", "12300"},
      {"C", "1234567", "1234600"},
      {"C", "-150", "-200"},
      {"C", "12345678", kPrecision},
      {"D", "0.01234567", ".01235"},
      {"D", "0.000127", ".00013"},
      {"D", "0.1", kPrecision},
      {"I", "2.5", "3"},
      {"I", "-2.5", "-3"},
      {"I", "12345678901234567890123456789012345678", "12345678901234567890123456789012345678"},
      {"I", "123456789012345678901234567890123456789", kPrecision},
      {"F", "123456.789", "123500"},
      {"F", "0.000123456", ".0001235"},
      {"S", "12345.58", "12345.6"},
  };
  for (const Case& k : cases) {
    ASSERT_EQ(Exec("delete from N"), "");
    const std::string insert =
        "insert into N (" + std::string(k.column) + ") values (" + k.value + ")";
    const std::string error = Exec(insert);
    if (std::string(k.stored).rfind("ORA-", 0) == 0) {
      EXPECT_EQ(error, k.stored) << insert;
      continue;
    }
    ASSERT_EQ(error, "") << insert;
    EXPECT_EQ(Value("select " + std::string(k.column) + " from N"), k.stored) << insert;
  }
}

TEST_F(SqlBehaviour, NumbersCompareSortAndAddUpExactly) {
  ASSERT_EQ(Exec("create table S (V number primary key, W number)"), "");
  std::istringstream ascending(
      "-12345678901234567890.5 -1 -.5 0 .00001 .5 1 10 12345678901234567890 "
      "12345678901234567891 1e125");
  for (const char* v : {"1", "12345678901234567891", "-.5", "1e125", "0", "-1", "10",
                        "12345678901234567890", ".00001", "-12345678901234567890.5", ".5"})
    ASSERT_EQ(Exec("insert into S (V, W) values (" + std::string(v) + ", 0.1)"), "") << v;
  std::vector<std::vector<std::string>> expected;
  for (std::string v; ascending >> v;) {
    const std::string text = Value("select to_char(" + v + ") from dual");
    expected.push_back({text});
  }
  EXPECT_EQ(Rows("select V from S order by V"), expected);
  std::reverse(expected.begin(), expected.end());
  EXPECT_EQ(Rows("select V from S order by V desc"), expected);
  EXPECT_EQ(Exec("create index S_W on S (W, V)"), "");
  struct Case {
    const char* sql;
    const char* value;
  };
  const Case cases[] = {
      {"select count(*) from S where V > 1", "4"},
      {"select count(*) from S where V between -1 and 1", "6"},
      {"select V from S where V = 12345678901234567891", "12345678901234567891"},
      {"select V from S where V = '1.0E1'", "10"},
      {"select count(*) from S where V in (1.00, 10, 11)", "2"},
      {"select min(V) || ' ' || max(V) from S",
       "-12345678901234567890.5 1.000000000000000000000000000000000E+125"},
      {"select sum(W) from S", "1.1"},
      {"select sum(V) from S where abs(V) < 1e19", "10.00001"},
      {"select avg(W) from S", ".1"},
      {"select avg(V) from S where V in (1, 10, -1)", "3.33333333333333333333333333333333333333"},
      {"select count(distinct W) from S", "1"},
      {"select sum(distinct W) from S", ".1"},
      {"select W, count(*) from S group by W having sum(V) > 1e124", ".1"},
      {"select max(V + 0) from S where V < 1e20", "12345678901234567891"},
  };
  for (const Case& k : cases) EXPECT_EQ(Value(k.sql), k.value) << k.sql;
  // Equal numbers are equal keys, however they were written.
  EXPECT_EQ(Exec("insert into S (V) values (10.0)").substr(0, 30),
            "ORA-00001: unique constraint (");
  EXPECT_EQ(Exec("insert into S (V) values ('1E1')").substr(0, 30),
            "ORA-00001: unique constraint (");
}

TEST_F(SqlBehaviour, NumberArithmeticFunctionsAndTextForms) {
  struct Case {
    const char* sql;
    const char* value;
  };
  const Case cases[] = {
      {"select 12345678901234567890 + 1 from dual", "12345678901234567891"},
      {"select 0.1 + 0.2 from dual", ".3"},
      {"select 12345678901234567890 * 10 from dual", "123456789012345678900"},
      {"select 1 / 3 from dual", ".3333333333333333333333333333333333333333"},
      {"select 2 / 3 from dual", ".6666666666666666666666666666666666666667"},
      {"select 1 / 3 * 3 from dual", ".9999999999999999999999999999999999999999"},
      {"select -(-12345678901234567890.5) from dual", "12345678901234567890.5"},
      {"select abs(-12345678901234567890.5) from dual", "12345678901234567890.5"},
      {"select mod(11, -4) || ' ' || mod(-11, 4) || ' ' || mod(5.5, 2) || ' ' || mod(7, 0) "
       "from dual",
       "3 -3 1.5 7"},
      {"select sign(-7.5) || sign(0) || sign(3) from dual", "-101"},
      {"select ceil(-2.5) || ' ' || floor(-2.5) || ' ' || ceil(2.1) || ' ' || floor(2.9) from dual",
       "-2 -3 3 2"},
      {"select power(2, 64) from dual", "18446744073709551616"},
      {"select power(2, -2) from dual", ".25"},
      {"select round(2.5) || ' ' || round(-2.5) || ' ' || round(-0.45, 1) from dual", "3 -3 -.5"},
      {"select round(12345678901234567890.45, 1) from dual", "12345678901234567890.5"},
      {"select round(15, -1) || ' ' || round(-15, -1) || ' ' || trunc(-19, -1) from dual",
       "20 -20 -10"},
      {"select trunc(-1.99, 1) from dual", "-1.9"},
      {"select to_char(-0.5) from dual", "-.5"},
      {"select to_char(1e30) from dual", "1000000000000000000000000000000"},
      {"select to_char(9999999999999999999999999999999999999999) from dual",
       "9999999999999999999999999999999999999999"},
      {"select to_char(1e40) from dual", "1.0000000000000000000000000000000000E+40"},
      {"select to_char(-1e40) from dual", "-1.0000000000000000000000000000000000E+40"},
      {"select to_char(17112245242814131137246833888127283909100000000000000000000000000000000"
       "0000000000000000000000000000) from dual",
       "1.7112245242814131137246833888127284E+98"},
      {"select to_char(1e-39) from dual", ".000000000000000000000000000000000000001"},
      {"select to_char(1.5e-40) from dual", "1.5000000000000000000000000000000000E-40"},
      {"select 12345678901234567890 || '' from dual", "12345678901234567890"},
      {"select to_char(12345678901234567890.12, '99999999999999999999.99') from dual",
       " 12345678901234567890.12"},
      {"select to_char(-1234567890123456.785, 'FM9999999999999999.99') from dual",
       "-1234567890123456.79"},
      {"select to_number('12345678901234567890.125') from dual", "12345678901234567890.125"},
      {"select to_number('1,234,567,890,123,456.78', '9G999G999G999G999G999D99') from dual",
       "1234567890123456.78"},
      {"select length(12345678901234567890) from dual", "20"},
      {"select 1 from dual where 0.1 + 0.2 = 0.3", "1"},
  };
  for (const Case& k : cases) EXPECT_EQ(Value(k.sql), k.value) << k.sql;
  const ErrorCase errors[] = {
      {"select 1e125 * 10 from dual", "ORA-01426: numeric overflow"},
      {"select 1 / 0 from dual", "ORA-01476: divisor is equal to zero"},
      {"select to_number('1e126') from dual", "ORA-01426: numeric overflow"},
      {"select power(-8, 0.5) from dual", "ORA-01428: argument '-8' is out of range"},
      {"select mod(1) from dual", "ORA-00909: invalid number of arguments"},
  };
  for (const ErrorCase& k : errors) EXPECT_EQ(Exec(k.sql), k.error) << k.sql;
}

TEST_F(SqlBehaviour, SelectListNamesOrderingAndAliases) {
  ASSERT_EQ(Exec("insert into T (ID, NAME) values (2, 'b')"), "");
  ASSERT_EQ(Exec("insert into T (ID, NAME) values (1, 'a')"), "");
  ASSERT_EQ(Exec("insert into T (ID) values (3)"), "");
  EXPECT_EQ(db_->Query("select count(*), id + 1, name n, t.born \"Born\" from T group by id, "
                       "name, born order by 2")
                .names,
            (std::vector<std::string>{"COUNT(*)", "ID+1", "N", "Born"}));
  EXPECT_EQ(Rows("select NAME from T order by NAME"),
            (std::vector<std::vector<std::string>>{{"a"}, {"b"}, {"<null>"}}));
  EXPECT_EQ(Rows("select NAME from T order by NAME desc"),
            (std::vector<std::vector<std::string>>{{"<null>"}, {"b"}, {"a"}}));
  EXPECT_EQ(Rows("select ID x from T order by x desc")[0][0], "3");
  EXPECT_EQ(Rows("select t.* from T t where t.ID = 2")[0][1], "b");
  EXPECT_EQ(Rows("select distinct 1 from T").size(), 1u);
  EXPECT_EQ(Rows("select a.NAME from T a, T b where a.ID = b.ID + 1 order by a.ID"),
            (std::vector<std::vector<std::string>>{{"b"}, {"<null>"}}));
}

TEST_F(SqlBehaviour, NamesFoldToUpperCaseUnlessQuoted) {
  ASSERT_EQ(Exec("create table mixed (Abc number)"), "");
  ASSERT_EQ(Exec("create table \"Mixed\" (\"a\" number, A number)"), "");
  EXPECT_EQ(Exec("insert into MIXED (abc) values (1)"), "");
  EXPECT_EQ(Exec("insert into \"Mixed\" (\"a\", a) values (1, 2)"), "");
  EXPECT_EQ(Value("select \"a\" + A from \"Mixed\""), "3");
  EXPECT_EQ(Exec("select \"A\" from \"Mixed\""), "");
  EXPECT_EQ(Exec("select \"abc\" from mixed"), "ORA-00904: \"abc\": invalid identifier");
  EXPECT_EQ(Rows("select table_name from user_tables order by table_name"),
            (std::vector<std::vector<std::string>>{{"MIXED"}, {"Mixed"}, {"T"}}));
}

TEST_F(SqlBehaviour, DictionaryDescribesTablesAsOracleDoes) {
  ASSERT_EQ(Exec("create table X (A number(7,2) default 0 not null, F float, R raw(16), "
                 "C char(2), N number)"),
            "");
  const auto rows = Rows(
      "select column_name, data_type, data_length, data_precision, data_scale, nullable, "
      "column_id, data_default, char_length from user_tab_columns where table_name='T'");
  const std::vector<std::vector<std::string>> expected = {
      {"ID", "NUMBER", "22", "<null>", "0", "Y", "1", "<null>", "0"},
      {"NAME", "VARCHAR2", "31", "<null>", "<null>", "Y", "2", "<null>", "31"},
      {"BORN", "DATE", "7", "<null>", "<null>", "Y", "3", "<null>", "0"},
      {"AMOUNT", "VARCHAR2", "8", "<null>", "<null>", "Y", "4", "<null>", "8"},
  };
  EXPECT_EQ(rows, expected);
  const auto x = Rows(
      "select data_type, data_precision, data_scale, nullable, data_default "
      "from user_tab_columns where table_name='X' order by column_id");
  EXPECT_EQ(x[0], (std::vector<std::string>{"NUMBER", "7", "2", "N", "0 "}));
  EXPECT_EQ(x[1], (std::vector<std::string>{"FLOAT", "126", "<null>", "Y", "<null>"}));
  EXPECT_EQ(x[2][0], "RAW");
  EXPECT_EQ(x[3][0], "CHAR");
  EXPECT_EQ(x[4], (std::vector<std::string>{"NUMBER", "<null>", "<null>", "Y", "<null>"}));
  EXPECT_EQ(db_->Query("select * from user_tab_columns").names.size(), 29u);
  EXPECT_EQ(db_->Query("select * from user_tables").names[0], "TABLE_NAME");
  EXPECT_EQ(Value("select tablespace_name from user_tables where table_name = 'T'"), "SYSTEM");
  EXPECT_EQ(Value("select count(*) from all_tables where owner = 'SYSTEM'"), "2");
  EXPECT_EQ(Value("select owner from all_tab_columns where table_name = 'X' and column_id = 1"),
            "SYSTEM");
  EXPECT_EQ(Value("select column_name from user_tab_columns where table_name = 'X' and "
                  "data_precision = 7 and data_scale > 1"),
            "A");
  EXPECT_EQ(Value("select account_status from user_users"), "OPEN");
  EXPECT_EQ(Value("select count(*) from all_users where username in ('SYS', 'SYSTEM')"), "2");
  // A column default is used when the insert leaves the column out.
  ASSERT_EQ(Exec("insert into X (F) values (1.5)"), "");
  EXPECT_EQ(Value("select A from X"), "0");
}

TEST_F(SqlBehaviour, NumericCharactersOfTheSessionConvertText) {
  ASSERT_EQ(Exec("alter session set nls_numeric_characters = ',.'"), "");
  ASSERT_EQ(Exec("create table X (N number)"), "");
  EXPECT_EQ(Exec("insert into X values ('1,5')"), "");
  EXPECT_EQ(Exec("insert into X values ('1.5')"), "ORA-01722: invalid number");
  EXPECT_EQ(Exec("insert into X values (2.5)"), "");  // a numeric literal always uses "."
  EXPECT_EQ(Value("select sum(N) from X"), "4");
  EXPECT_EQ(Value("select to_char(N) from X where N < 2"), "1,5");
  EXPECT_EQ(Exec("alter session set nls_numeric_characters = '..'"),
            "ORA-12705: Cannot access NLS data files or invalid environment specified");
}

TEST_F(SqlBehaviour, DmlRowCountsTruncateAndDrop) {
  for (int i = 1; i <= 5; ++i)
    ASSERT_EQ(Exec("insert into T (ID, NAME) values (" + std::to_string(i) + ", 'n')"), "");
  EXPECT_EQ(Exec("update T set NAME = NAME || ID where ID > 2"), "");
  EXPECT_EQ(Value("select NAME from T where ID = 4"), "n4");
  EXPECT_EQ(Exec("delete from T where ID in (1, 2)"), "");
  EXPECT_EQ(Value("select count(*) from T"), "3");
  EXPECT_EQ(Exec("insert into T (ID) select ID + 10 from T where ID > 3"), "");
  EXPECT_EQ(Value("select count(*) from T"), "5");
  EXPECT_EQ(Exec("truncate table T"), "");
  EXPECT_EQ(Value("select count(*) from T"), "0");
  EXPECT_EQ(Exec("create table Y as select ID, NAME from T"), "");
  EXPECT_EQ(
      Value("select data_type from user_tab_columns where table_name = 'Y' and column_id = 2"),
      "VARCHAR2");
  EXPECT_EQ(Exec("drop table T"), "");
  EXPECT_EQ(Exec("select * from T"), "ORA-00942: table or view does not exist");
}

TEST_F(SqlBehaviour, UsersSchemasAndGrants) {
  const ErrorCase cases[] = {
      {"create user SCOTT identified by tiger", ""},
      {"create user scott identified by tiger",
       "ORA-01920: user name 'SCOTT' conflicts with another user or role name"},
      {"create user BOB", "ORA-01938: IDENTIFIED BY must be specified for CREATE USER"},
      {"create user BOB identified by 1x", "ORA-00988: missing or invalid password(s)"},
      {"alter user NOBODY identified by x", "ORA-01918: user 'NOBODY' does not exist"},
      {"drop user NOBODY", "ORA-01918: user 'NOBODY' does not exist"},
      {"grant connect, resource to SCOTT", ""},
      {"grant nosuchrole to SCOTT", "ORA-01919: role 'NOSUCHROLE' does not exist"},
      {"grant connect to NOBODY", "ORA-01917: user or role 'NOBODY' does not exist"},
      {"revoke resource from SCOTT", ""},
      {"revoke resource from SCOTT", "ORA-01951: ROLE 'RESOURCE' not granted to 'SCOTT'"},
      {"create table SCOTT.EMP (ENAME varchar2(10))", ""},
      {"create table NOBODY.EMP (ENAME varchar2(10))", "ORA-01918: user 'NOBODY' does not exist"},
      {"insert into SCOTT.EMP values ('KING')", ""},
      {"create user TEMP1 identified by x default tablespace NOWHERE",
       "ORA-00959: tablespace 'NOWHERE' does not exist"},
      {"commit", ""},
  };
  for (const ErrorCase& k : cases) EXPECT_EQ(Exec(k.sql), k.error) << k.sql;
  {
    OciConnection scott("scott", "TIGER");
    EXPECT_EQ(scott.Query("select ENAME from EMP").values[0][0], "KING");
    EXPECT_EQ(scott.Query("select table_name from user_tables").values[0][0], "EMP");
    EXPECT_EQ(scott.Query("select user from dual").values[0][0], "SCOTT");
    EXPECT_EQ(scott.ErrorOf("select * from T"), "ORA-00942: table or view does not exist");
    EXPECT_EQ(scott.ErrorOf("select count(*) from SYSTEM.T"), "");
  }
  EXPECT_EQ(Exec("alter user SCOTT identified by lion"), "");
  EXPECT_THROW(OciConnection("scott", "tiger"), std::runtime_error);
  EXPECT_NO_THROW(OciConnection("scott", "lion"));
  EXPECT_EQ(Exec("drop user SCOTT"), "ORA-01922: CASCADE must be specified to drop 'SCOTT'");
  EXPECT_EQ(Exec("drop user SCOTT cascade"), "");
  EXPECT_EQ(Exec("select * from SCOTT.EMP"), "ORA-00942: table or view does not exist");
  EXPECT_THROW(OciConnection("scott", "lion"), std::runtime_error);
}

TEST_F(SqlBehaviour, SetOperatorsCombineQueryBlocks) {
  for (const char* sql :
       {"insert into T (ID, NAME) values (1, 'a')", "insert into T (ID, NAME) values (2, 'b')",
        "insert into T (ID, NAME) values (3, 'b')"})
    ASSERT_EQ(Exec(sql), "");
  using Table = std::vector<std::vector<std::string>>;
  EXPECT_EQ(Rows("select NAME from T union select 'c' from dual order by 1 desc"),
            (Table{{"c"}, {"b"}, {"a"}}));
  EXPECT_EQ(Rows("select NAME from T where ID > 1 union all select NAME from T where ID < 3 "
                 "order by NAME"),
            (Table{{"a"}, {"b"}, {"b"}, {"b"}}));
  EXPECT_EQ(Rows("select ID from T minus select 2 from dual"), (Table{{"1"}, {"3"}}));
  EXPECT_EQ(Rows("select NAME from T intersect select 'b' from dual"), (Table{{"b"}}));
  EXPECT_EQ(Rows("(select ID N from T where ID = 1) union select null from dual order by N"),
            (Table{{"1"}, {"<null>"}}));
  const ErrorCase cases[] = {
      {"select ID from T union select ID, NAME from T",
       "ORA-01789: query block has incorrect number of result columns"},
      {"select ID from T union select NAME from T",
       "ORA-01790: expression must have same datatype as corresponding expression"},
      {"select ID from T union select ID from T order by NAME",
       "ORA-01785: ORDER BY item must be the number of a SELECT-list expression"},
  };
  for (const ErrorCase& k : cases) EXPECT_EQ(Exec(k.sql), k.error) << k.sql;
}

TEST_F(SqlBehaviour, SubqueriesInFromWhereAndTheSelectList) {
  ASSERT_EQ(Exec("create table D (ID number, TITLE varchar2(10))"), "");
  for (const char* sql :
       {"insert into T (ID, NAME) values (1, 'a')", "insert into T (ID, NAME) values (2, 'b')",
        "insert into T (ID, NAME) values (3, 'c')", "insert into D values (1, 'one')",
        "insert into D values (3, 'three')"})
    ASSERT_EQ(Exec(sql), "");
  using Table = std::vector<std::vector<std::string>>;
  EXPECT_EQ(Rows("select NAME from T where ID in (select ID from D) order by NAME"),
            (Table{{"a"}, {"c"}}));
  EXPECT_EQ(Rows("select NAME from T where ID not in (select ID from D)"), (Table{{"b"}}));
  // Text compared with numbers converts, as in any comparison.
  EXPECT_EQ(Rows("select NAME from T where ID in (select '2' from dual)"), (Table{{"b"}}));
  EXPECT_EQ(Rows("select NAME from T where exists (select 1 from D where D.ID = T.ID) "
                 "order by 1"),
            (Table{{"a"}, {"c"}}));
  EXPECT_EQ(Rows("select NAME from T t where not exists (select 1 from D where ID = t.ID)"),
            (Table{{"b"}}));
  EXPECT_EQ(Rows("select NAME, (select TITLE from D where D.ID = T.ID) from T order by ID"),
            (Table{{"a", "one"}, {"b", "<null>"}, {"c", "three"}}));
  EXPECT_EQ(Rows("select v.N, v.X from (select ID N, NAME || '!' X from T where ID > 1) v "
                 "order by v.N desc"),
            (Table{{"3", "c!"}, {"2", "b!"}}));
  EXPECT_EQ(Value("select count(*) from (select ID from T union all select ID from D)"), "5");
  EXPECT_EQ(Exec("delete from T where ID in (select ID from D)"), "");
  EXPECT_EQ(Value("select count(*) from T"), "1");
  EXPECT_EQ(Exec("select NAME from T where ID in (select ID, TITLE from D)"),
            "ORA-00913: too many values");
  EXPECT_EQ(Exec("select * from T where exists (select NOPE from D)"),
            "ORA-00904: \"NOPE\": invalid identifier");
}

// Nesting is parsed by recursion: a statement nested past any sensible depth fails with an error
// instead of exhausting the stack, while ordinary depths still run.
TEST_F(SqlBehaviour, DeepNestingFailsCleanlyInsteadOfEndingTheProcess) {
  const auto repeat = [](const std::string& part, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += part;
    return out;
  };
  const struct {
    const char* what;
    std::function<std::string(int)> sql;
  } cases[] = {
      {"parentheses",
       [&](int n) { return "select " + repeat("(", n) + "1" + repeat(")", n) + " from dual"; }},
      {"signs", [&](int n) { return "select " + repeat("- ", n) + "1 from dual"; }},
      {"NOTs", [&](int n) { return "select 1 from dual where " + repeat("not ", n) + "1 = 1"; }},
      {"calls",
       [&](int n) { return "select " + repeat("abs(", n) + "1" + repeat(")", n) + " from dual"; }},
      {"subqueries",
       [&](int n) {
         return "select " + repeat("(select ", n) + "1" + repeat(" from dual)", n) + " from dual";
       }},
  };
  for (const auto& k : cases) {
    EXPECT_EQ(Value(k.sql(10)), "1") << k.what;
    EXPECT_EQ(Exec(k.sql(100000)),
              "ORA-00600: internal error code, arguments: [nesting too deep], [500]")
        << k.what;
  }
}

// Numbers in DDL options are read into machine integers and doubles: one past their range is an
// Oracle error, never an exception of the standard library escaping the engine.
TEST_F(SqlBehaviour, OptionNumbersOutOfRangeGiveAnError) {
  const ErrorCase cases[] = {
      {"create sequence S start with 99999999999999999999", "ORA-01426: numeric overflow"},
      {"create sequence S increment by -99999999999999999999", "ORA-01426: numeric overflow"},
      {"create tablespace X datafile 'x.dbf' size 9999999999999G", "ORA-01426: numeric overflow"},
      {"create user U identified by p quota 99999999999999999999M on users",
       "ORA-01426: numeric overflow"},
      {"create user U identified by p quota 9999999999999G on users",
       "ORA-01426: numeric overflow"},
      {"create profile P limit password_life_time 1e999", "ORA-02377: invalid resource limit"},
      {"create profile P limit password_life_time 1e-400", "ORA-02377: invalid resource limit"},
      {"create profile P limit password_life_time 1/1e999", "ORA-02377: invalid resource limit"},
  };
  for (const ErrorCase& k : cases) EXPECT_EQ(Exec(k.sql), k.error) << k.sql;
}

// Positions, counts and places far past any text or number take their natural meaning; a padded
// result stops at 4000 characters as in Oracle's SQL; a month count whose year no longer fits
// an int is still a year out of range.
TEST_F(SqlBehaviour, HugeNumberArgumentsOfFunctions) {
  const struct {
    const char* sql;
    const char* value;
  } values[] = {
      {"select instr('abc', 'b', 1, 1e100) from dual", "0"},
      {"select instr('abcb', 'b', -1e100) from dual", "0"},
      {"select substr('abc', 1e100) from dual", "<null>"},
      {"select substr('abc', 2, 1e100) from dual", "bc"},
      {"select length(rpad('x', 1e100, 'y')) from dual", "4000"},
      {"select length(lpad('x', 5000)) from dual", "4000"},
      {"select round(1.5, 1e100) from dual", "1.5"},
      {"select round(123, -1e100) from dual", "0"},
  };
  for (const auto& k : values) EXPECT_EQ(Value(k.sql), k.value) << k.sql;
  for (const char* months : {"1e100", "51539607552"})
    EXPECT_EQ(Exec(std::string("select add_months(to_date('01.01.2000', 'DD.MM.YYYY'), ") + months +
                   ") from dual"),
              "ORA-01841: (full) year must be between -4713 and +9999, and not be 0")
        << months;
}

TEST_F(SqlBehaviour, RownumNumbersRowsAsTheWhereAcceptsThem) {
  for (const char* sql :
       {"insert into T (ID, NAME) values (3, 'c')", "insert into T (ID, NAME) values (1, 'a')",
        "insert into T (ID, NAME) values (2, 'b')"})
    ASSERT_EQ(Exec(sql), "");
  using Table = std::vector<std::vector<std::string>>;
  EXPECT_EQ(Rows("select rownum, NAME from T"), (Table{{"1", "c"}, {"2", "a"}, {"3", "b"}}));
  EXPECT_EQ(Rows("select NAME from T where rownum <= 2"), (Table{{"c"}, {"a"}}));
  EXPECT_EQ(Rows("select NAME from T where ID < 3 and rownum < 2"), (Table{{"a"}}));
  EXPECT_EQ(Rows("select NAME from T where rownum = 1"), (Table{{"c"}}));
  EXPECT_EQ(Rows("select NAME from T where rownum = 2"), (Table{}));
  EXPECT_EQ(Rows("select NAME from T where rownum < 1.5"), (Table{{"c"}}));
  EXPECT_EQ(Rows("select NAME from T where rownum < 1e300"), (Table{{"c"}, {"a"}, {"b"}}));
  // The usual way to the first rows of an order.
  EXPECT_EQ(Rows("select NAME from (select NAME from T order by NAME) where rownum <= 2"),
            (Table{{"a"}, {"b"}}));
  // A row is numbered when the WHERE accepts it, so a bound the first row fails lets none in;
  // grouping, DISTINCT and ORDER BY come after the numbering.
  const struct {
    const char* sql;
    Table rows;
  } cases[] = {
      {"select NAME from T where rownum > 1", {}},
      {"select NAME from T where rownum >= 2", {}},
      {"select NAME from T where rownum <> 1", {}},
      {"select NAME from T where rownum > 0", {{"c"}, {"a"}, {"b"}}},
      {"select NAME from T where rownum >= 1", {{"c"}, {"a"}, {"b"}}},
      {"select NAME from T where rownum != 3", {{"c"}, {"a"}}},
      {"select NAME from T where 2 >= rownum", {{"c"}, {"a"}}},
      {"select NAME from T where rownum < -1", {}},
      {"select NAME from T where rownum between 1 and 2", {{"c"}, {"a"}}},
      {"select NAME from T where rownum between 2 and 3", {}},
      {"select NAME from T where ID > 1 and rownum <= 5 and rownum < 2", {{"c"}}},
      {"select count(*) from T where rownum <= 2", {{"2"}}},
      {"select count(*) from T where rownum > 1", {{"0"}}},
      {"select max(ID) from T where rownum <= 2", {{"3"}}},
      {"select NAME from T where rownum <= 2 order by NAME", {{"a"}, {"c"}}},
      {"select distinct ID - ID from T where rownum < 3", {{"0"}}},
      {"select ID, count(*) from T where rownum <= 2 group by ID order by ID",
       {{"1", "1"}, {"3", "1"}}},
      {"select rownum, NAME from T where rownum <= 2 order by NAME desc", {{"1", "c"}, {"2", "a"}}},
      {"select NAME from T where ID in (select ID from (select ID from T order by ID) "
       "where rownum <= 2)",
       {{"a"}, {"b"}}},
      {"select NAME from (select rownum RN, NAME from (select NAME from T order by NAME)) "
       "where RN between 2 and 3",
       {{"b"}, {"c"}}},
      {"select count(*) from (select NAME from T where rownum <= 2) where rownum > 1", {{"0"}}},
      {"select NAME from (select NAME from T where rownum <= 2) order by NAME", {{"a"}, {"c"}}},
  };
  for (const auto& k : cases) EXPECT_EQ(Rows(k.sql), k.rows) << k.sql;
  EXPECT_EQ(Exec("select NAME from T where rownum <= ID"), "ORA-03001: unimplemented feature");
  EXPECT_EQ(Exec("select T.NAME from T, T X where rownum <= 1 order by 1"),
            "ORA-03001: unimplemented feature");
  // A bound given by a variable.
  OCIStmt* stmt = nullptr;
  OciLibrary& lib = Library();
  ASSERT_EQ(lib.HandleAlloc(db_->env, reinterpret_cast<void**>(&stmt), OCI_HTYPE_STMT, 0, nullptr),
            OCI_SUCCESS);
  const std::string sql = "select count(*) from T where rownum <= :n";
  ASSERT_EQ(lib.StmtPrepare(stmt, db_->err, reinterpret_cast<const OraText*>(sql.data()),
                            static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
            OCI_SUCCESS);
  int bound = 2, count = 0;
  OCIBind* bind = nullptr;
  OCIDefine* define = nullptr;
  ASSERT_EQ(
      lib.BindByName(stmt, &bind, db_->err, reinterpret_cast<const OraText*>(":n"), 2, &bound,
                     sizeof bound, SQLT_INT, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT),
      OCI_SUCCESS);
  ASSERT_EQ(lib.DefineByPos(stmt, &define, db_->err, 1, &count, sizeof count, SQLT_INT, nullptr,
                            nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  for (const auto& [n, expected] : {std::pair{2, 2}, {0, 0}, {7, 3}}) {
    bound = n;
    ASSERT_EQ(lib.StmtExecute(db_->svc, stmt, db_->err, 1, 0, nullptr, nullptr, OCI_DEFAULT),
              OCI_SUCCESS)
        << db_->LastError();
    EXPECT_EQ(count, expected) << n;
  }
  lib.HandleFree(stmt, OCI_HTYPE_STMT);
  // UPDATE and DELETE take the first rows their WHERE accepts.
  EXPECT_EQ(Exec("update T set NAME = 'z' where ID < 3 and rownum = 1"), "");
  EXPECT_EQ(Rows("select NAME from T order by ID"), (Table{{"z"}, {"b"}, {"c"}}));
  EXPECT_EQ(Exec("delete from T where rownum <= 2"), "");
  EXPECT_EQ(Rows("select NAME from T"), (Table{{"b"}}));
}

TEST_F(SqlBehaviour, SequencesNumberRowsAcrossSessions) {
  const ErrorCase cases[] = {
      {"create sequence S start with 10 increment by 5", ""},
      {"create sequence S", "ORA-00955: name is already used by an existing object"},
      {"create sequence T", "ORA-00955: name is already used by an existing object"},
      {"create sequence Z increment by 0", "ORA-04005: INCREMENT must be a nonzero integer"},
      {"create sequence Z start with 0 minvalue 1",
       "ORA-04006: START WITH cannot be less than MINVALUE"},
      {"create sequence C start with 1 maxvalue 2 cycle nocache", ""},
      {"select S.currval from dual",
       "ORA-08002: sequence S.CURRVAL is not yet defined in this session"},
      {"insert into T (ID, NAME) values (S.nextval, 'a')", ""},
      {"insert into T (ID, NAME) values (S.nextval, 'b')", ""},
      {"select * from T where ID = S.nextval", "ORA-02287: sequence number not allowed here"},
      {"select NOPE.nextval from dual", "ORA-02289: sequence does not exist"},
      {"drop sequence NOPE", "ORA-02289: sequence does not exist"},
  };
  for (const ErrorCase& k : cases) EXPECT_EQ(Exec(k.sql), k.error) << k.sql;
  using Table = std::vector<std::vector<std::string>>;
  EXPECT_EQ(Rows("select ID, NAME from T order by ID"), (Table{{"10", "a"}, {"15", "b"}}));
  EXPECT_EQ(Value("select S.currval from dual"), "15");
  EXPECT_EQ(Value("select system.S.nextval from dual"), "20");
  {
    // Another session continues the numbers and has a CURRVAL of its own.
    OciConnection other("system", "manager");
    EXPECT_EQ(other.Query("select S.nextval from dual").values[0][0], "25");
    EXPECT_EQ(Value("select S.currval from dual"), "20");
  }
  EXPECT_EQ(Rows("select C.nextval from T"), (Table{{"1"}, {"2"}}));
  EXPECT_EQ(Value("select C.nextval from dual"), "1");  // CYCLE starts again
  EXPECT_EQ(Exec("drop sequence S"), "");
  EXPECT_EQ(Exec("select S.nextval from dual"), "ORA-02289: sequence does not exist");
}

TEST_F(SqlBehaviour, IndexesRenameAndComments) {
  for (const char* sql :
       {"insert into T (ID, NAME) values (1, 'a')", "insert into T (ID, NAME) values (1, 'b')"})
    ASSERT_EQ(Exec(sql), "");
  const ErrorCase cases[] = {
      {"create index T_NAME on T (NAME desc, BORN) tablespace USERS nologging", ""},
      {"create index T_NAME on T (ID)", "ORA-00955: name is already used by an existing object"},
      {"create index T_X on NOPE (ID)", "ORA-00942: table or view does not exist"},
      {"create index T_X on T (NOPE)", "ORA-00904: \"NOPE\": invalid identifier"},
      {"create unique index T_ID on T (ID)",
       "ORA-01452: cannot CREATE UNIQUE INDEX; duplicate keys found"},
      {"delete from T where NAME = 'b'", ""},
      {"create unique index T_ID on T (ID)", ""},
      {"insert into T (ID) values (1)", "ORA-00001: unique constraint (SYSTEM.T_ID) violated"},
      {"drop index T_NAME", ""},
      {"drop index T_NAME", "ORA-01418: specified index does not exist"},
      {"drop table T", ""},
      {"create table T (ID number)", ""},
      {"create index T_ID on T (ID)", ""},  // the name went with the old table
      {"comment on table T is 'imported rows'", ""},
      {"comment on column T.ID is 'key'", ""},
      {"comment on column T.NOPE is 'x'", "ORA-00904: \"NOPE\": invalid identifier"},
      {"comment on table T is 5", "ORA-01780: string literal required"},
      {"rename T to T2", ""},
      {"rename NOPE to T3", "ORA-00942: table or view does not exist"},
      {"create table T3 (A number)", ""},
      {"rename T2 to T3", "ORA-00955: name is already used by an existing object"},
      {"insert into T2 (ID) values (7)", ""},
  };
  for (const ErrorCase& k : cases) EXPECT_EQ(Exec(k.sql), k.error) << k.sql;
}

TEST_F(SqlBehaviour, AlterTableAddsAndDropsColumns) {
  ASSERT_EQ(Exec("create table E (ID number primary key, A varchar2(5))"), "");
  const ErrorCase empty_table[] = {
      {"alter table E add (B number(5,1) default 1 not null, C date)", ""},
      {"alter table E add A number", "ORA-01430: column being added already exists in table"},
      {"alter table E modify (A varchar2(9))", ""},
      {"alter table E modify A number", "ORA-03001: unimplemented feature"},
      {"insert into E (ID, A) values (1, 'x')", ""},
      {"alter table E add D number not null",
       "ORA-01758: table must be empty to add mandatory (NOT NULL) column"},
      {"alter table E add D varchar2(2)", ""},
      {"insert into E (ID, D) values (2, 'dd')", ""},
      {"insert into E (ID, D) values (3, 'ddd')",
       "ORA-12899: value too large for column \"SYSTEM\".\"E\".\"D\" (actual: 3, maximum: 2)"},
      {"alter table E modify D varchar2(1)",
       "ORA-01441: cannot decrease column length because some value is too big"},
      {"alter table E modify D varchar2(3)", ""},
      {"insert into E (ID, D) values (4, 'ddd')", ""},
      {"alter table E modify D number",
       "ORA-01439: column to be modified must be empty to change "
       "datatype"},
      {"alter table E modify (D not null)",
       "ORA-02296: cannot enable (SYSTEM.) - null values found"},
      {"alter table E modify B not null",
       "ORA-01442: column to be modified to NOT NULL is already "
       "NOT NULL"},
      {"alter table E modify B null", ""},
      {"alter table E modify B number(3)",
       "ORA-01440: column to be modified must be empty to decrease precision or scale"},
      {"delete from E where ID = 4", ""},
      {"alter table E drop column NOPE", "ORA-00904: \"NOPE\": invalid identifier"},
      {"alter table E drop column ID", "ORA-03001: unimplemented feature"},
      {"alter table E drop (A, C)", ""},
  };
  for (const ErrorCase& k : empty_table) EXPECT_EQ(Exec(k.sql), k.error) << k.sql;
  EXPECT_EQ(Rows("select column_name, column_id from user_tab_columns where table_name = 'E' "
                 "order by column_id"),
            (std::vector<std::vector<std::string>>{{"ID", "1"}, {"B", "2"}, {"D", "3"}}));
  EXPECT_EQ(Rows("select * from E order by ID"),
            (std::vector<std::vector<std::string>>{{"1", "1", "<null>"}, {"2", "1", "dd"}}));
  EXPECT_EQ(Exec("alter table E drop (ID, B, D)"), "ORA-12983: cannot drop all columns in a table");
}

TEST_F(SqlBehaviour, RowidNamesARowForLaterStatements) {
  for (const char* sql :
       {"insert into T (ID, NAME) values (1, 'a')", "insert into T (ID, NAME) values (2, 'b')"})
    ASSERT_EQ(Exec(sql), "");
  const std::string first = Value("select rowid from T where ID = 1");
  const std::string second = Value("select t.rowid from T t where ID = 2");
  EXPECT_EQ(first.size(), 18u);
  EXPECT_NE(first, second);
  EXPECT_EQ(Value("select NAME from T where rowid = '" + second + "'"), "b");
  EXPECT_EQ(Exec("update T set NAME = 'z' where rowid = '" + first + "'"), "");
  EXPECT_EQ(Exec("delete from T where rowid = '" + second + "'"), "");
  EXPECT_EQ(Rows("select ID, NAME from T"), (std::vector<std::vector<std::string>>{{"1", "z"}}));
  EXPECT_EQ(Exec("select rowid from dual"),
            "ORA-01445: cannot select ROWID from, or sample, a join view without a key-preserved "
            "table");
}

TEST_F(SqlBehaviour, TheClientsProbesAnswerAsOnASingleByteServer) {
  // Characters have one byte each, whatever the code: CHR takes it modulo 256.
  EXPECT_EQ(Rows("select length(chr(2000000000)) l4, length(chr(2000000)) l3, "
                 "length(chr(20000)) l2 from dual"),
            (std::vector<std::vector<std::string>>{{"1", "1", "1"}}));
  EXPECT_EQ(Value("select chr(65) || chr(256 + 66) from dual"), "AB");
  // The longest date of the year in the session's format, one branch a month.
  std::string sql;
  for (int month = 1; month <= 12; ++month) {
    if (month > 1) sql += "\nunion all\n";
    sql += "select to_char(to_date('10-" + std::to_string(month) +
           "-1999 10:10:10', 'dd-mm-yyyy hh24:mi:ss')) from dual";
  }
  ASSERT_EQ(Exec("alter session set nls_date_format = 'DD-MON-RRRR HH24:MI'"), "");
  const auto rows = Rows(sql);
  ASSERT_EQ(rows.size(), 12u);
  EXPECT_EQ(rows[0][0], "10-JAN-1999 10:10");
  EXPECT_EQ(rows[11][0], "10-DEC-1999 10:10");
}

TEST_F(SqlBehaviour, CaseAndTheFunctionLibrary) {
  ASSERT_EQ(Exec("insert into T (ID, NAME, BORN) values (1, 'ab', '31.01.2000')"), "");
  ASSERT_EQ(Exec("insert into T (ID, NAME) values (2, null)"), "");
  struct Case {
    const char* sql;
    const char* value;
  };
  const Case cases[] = {
      {"select case when ID > 1 then 'big' else 'small' end from T where ID = 2", "big"},
      {"select case ID when 1 then 'one' when 2 then 'two' end from T where ID = 1", "one"},
      {"select case ID when 3 then 'three' end from T where ID = 1", "<null>"},
      {"select case when NAME is null then 0 else length(NAME) end from T where ID = 2", "0"},
      {"select sum(case when ID = 1 then 10 else 1 end) from T", "11"},
      {"select instr('banana', 'an') from dual", "2"},
      {"select instr('banana', 'an', 1, 2) from dual", "4"},
      {"select instr('banana', 'an', -1) from dual", "4"},
      {"select instr('banana', 'x') from dual", "0"},
      {"select lpad('7', 3, '0') from dual", "007"},
      {"select rpad('ab', 5, 'xy') from dual", "abxyx"},
      {"select lpad('abcdef', 3) from dual", "abc"},
      {"select rpad('Жук', 4) || '|' from dual", "Жук |"},
      {"select replace('a-b-c', '-', '+') from dual", "a+b+c"},
      {"select replace('a-b-c', '-') from dual", "abc"},
      {"select ascii('A') from dual", "65"},
      {"select ltrim('xxab', 'x') from dual", "ab"},
      {"select round(2.5) from dual", "3"},
      {"select round(-2.5) from dual", "-3"},
      {"select round(1.005, 2) from dual", "1.01"},
      {"select round(1234.5, -2) from dual", "1200"},
      {"select trunc(-2.7) from dual", "-2"},
      {"select trunc(3.14159, 3) from dual", "3.141"},
      {"select to_char(add_months(BORN, 1), 'DD.MM.YYYY') from T where ID = 1", "29.02.2000"},
      {"select to_char(add_months(BORN, -2), 'DD.MM.YYYY') from T where ID = 1", "30.11.1999"},
      {"select months_between(to_date('31.03.2000'), BORN) from T where ID = 1", "2"},
      // 15 / 31 to the 40 digits a NUMBER keeps.
      {"select months_between(to_date('16.02.2000'), to_date('01.02.2000')) from dual",
       ".4838709677419354838709677419354838709677"},
      {"select to_char(last_day(BORN + 1), 'DD.MM.YYYY') from T where ID = 1", "29.02.2000"},
      {"select to_char(trunc(to_date('15.08.2001 13:45', 'DD.MM.YYYY HH24:MI'), 'MM'), "
       "'DD.MM.YYYY HH24:MI') from dual",
       "01.08.2001 00:00"},
      {"select to_char(round(to_date('15.08.2001 13:45', 'DD.MM.YYYY HH24:MI')), "
       "'DD.MM.YYYY HH24:MI') from dual",
       "16.08.2001 00:00"},
      {"select to_char(round(to_date('15.08.2001', 'DD.MM.YYYY'), 'YYYY'), 'DD.MM.YYYY') "
       "from dual",
       "01.01.2002"},
  };
  for (const Case& k : cases) EXPECT_EQ(Value(k.sql), k.value) << k.sql;
  EXPECT_EQ(Exec("select trunc(sysdate, 'XX') from dual"),
            "ORA-01898: too many precision specifiers");
  EXPECT_EQ(Exec("select case when 1 = 1 then 'a' from dual"), "ORA-00905: missing keyword");
}

TEST_F(SqlBehaviour, TablespacesAreFilesOfTheirOwn) {
  const std::string file = home_ + "/data01.dbf";
  const ErrorCase cases[] = {
      {"create tablespace DATA datafile 'data01.dbf' size 2M autoextend on next 512K", ""},
      {"create tablespace DATA datafile 'data02.dbf' size 1M",
       "ORA-01543: tablespace 'DATA' already exists"},
      {"create tablespace MORE datafile 'data01.dbf' size 1M",
       "ORA-01119: error in creating database file 'data01.dbf'"},
      {"create tablespace MORE datafile '/nonexistent/folder/x.dbf' size 1M",
       "ORA-01119: error in creating database file '/nonexistent/folder/x.dbf'"},
      {"create table K (A number) tablespace NOWHERE",
       "ORA-00959: tablespace 'NOWHERE' does not exist"},
      {"create table K (A number primary key, B varchar2(5) unique) tablespace DATA", ""},
      {"insert into K values (1, 'x')", ""},
      {"insert into K values (1, 'y')",
       "ORA-00001: unique constraint (SYSTEM.SYS_C001000) violated"},
      {"commit", ""},
      {"drop tablespace NOWHERE", "ORA-00959: tablespace 'NOWHERE' does not exist"},
      {"drop tablespace DATA", "ORA-01549: tablespace not empty, use INCLUDING CONTENTS option"},
  };
  for (const ErrorCase& k : cases) EXPECT_EQ(Exec(k.sql), k.error) << k.sql;
  EXPECT_TRUE(std::filesystem::exists(file));
  {
    SqliteDb data(file, false, 0);
    SqliteStmt q = data.Prepare("SELECT count(*) FROM sqlite_master WHERE type = 'table'");
    ASSERT_TRUE(q.Step());
    EXPECT_EQ(q.Int(0), 1);  // the table K
  }
  EXPECT_EQ(Value("select tablespace_name from user_tables where table_name = 'K'"), "DATA");
  EXPECT_EQ(Rows("select tablespace_name, contents from dba_tablespaces"),
            (std::vector<std::vector<std::string>>{{"DATA", "PERMANENT"},
                                                   {"SYSTEM", "PERMANENT"},
                                                   {"TEMP", "TEMPORARY"},
                                                   {"USERS", "PERMANENT"}}));
  EXPECT_EQ(Value("select bytes from dba_data_files where tablespace_name = 'DATA'"), "2097152");
  EXPECT_EQ(Value("select autoextensible from dba_data_files where tablespace_name = 'DATA'"),
            "YES");
  // Another session attaches the file at logon.
  OciConnection other("system", "manager");
  EXPECT_EQ(other.Query("select count(*) from K").values[0][0], "1");

  EXPECT_EQ(Exec("drop tablespace DATA including contents and datafiles"), "");
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(Exec("select * from K"), "ORA-00942: table or view does not exist");
}

// A database of the earlier format kept NUMBER as SQLite integers and doubles; the first logon
// converts them, so that they compare with the numbers stored since.
TEST_F(SqlBehaviour, NumbersOfTheEarlierFormatAreConvertedAtLogon) {
  ASSERT_EQ(Exec("create table OLD (N number, M number(5,2))"), "");
  db_.reset();
  {
    SqliteDb file(database_path_, false, 0);
    SqliteStmt id = file.Prepare("SELECT object_id FROM ocl_objects WHERE object_name = 'OLD'");
    ASSERT_TRUE(id.Step());
    file.Exec("INSERT INTO \"o" + std::to_string(id.Int(0)) +
              "\" VALUES (10, 2.5), (-3, NULL), (12345678901, 0.25)");
    file.Exec("UPDATE ocl_meta SET value = '1' WHERE key = 'format'");
  }
  db_ = std::make_unique<OciConnection>("system", "manager");
  ASSERT_EQ(Exec("insert into OLD values (4, 1)"), "");
  EXPECT_EQ(Rows("select N, M from OLD order by N"),
            (std::vector<std::vector<std::string>>{
                {"-3", "<null>"}, {"4", "1"}, {"10", "2.5"}, {"12345678901", ".25"}}));
  EXPECT_EQ(Value("select count(*) from OLD where N > 5"), "2");
  EXPECT_EQ(Value("select sum(M) from OLD"), "3.75");
}

TEST_F(SqlBehaviour, TemporaryTablespacesHoldOnlyUsersSortSpace) {
  const std::string file = home_ + "/temp02.dbf";
  const ErrorCase cases[] = {
      {"create temporary tablespace TEMP2 tempfile 'temp02.dbf' size 10M autoextend on next 1M "
       "maxsize unlimited extent management local uniform size 1M",
       ""},
      {"create temporary tablespace TEMP3 datafile 'temp03.dbf' size 1M",
       "ORA-02180: invalid option for CREATE TABLESPACE"},
      {"create temporary tablespace TEMP3 tempfile 'temp02.dbf' size 1M",
       "ORA-01119: error in creating database file 'temp02.dbf'"},
      {"create table K (A number) tablespace TEMP2",
       "ORA-02195: Attempt to create PERMANENT object in a TEMPORARY tablespace"},
      {"create user U identified by p default tablespace TEMP2",
       "ORA-12910: cannot specify temporary tablespace as default tablespace"},
      {"create user U identified by p temporary tablespace USERS",
       "ORA-12911: permanent tablespace cannot be temporary tablespace"},
      {"create user U identified by p default tablespace USERS temporary tablespace TEMP2", ""},
      {"create user V identified by p", ""},
      {"alter database default temporary tablespace USERS",
       "ORA-12901: default temporary tablespace must be of TEMPORARY type"},
      {"alter database default temporary tablespace NOWHERE",
       "ORA-00959: tablespace 'NOWHERE' does not exist"},
      {"alter database default temporary tablespace TEMP2", ""},
      {"create user W identified by p", ""},
      {"drop tablespace TEMP2", "ORA-12906: cannot drop default temporary tablespace"},
  };
  for (const ErrorCase& k : cases) EXPECT_EQ(Exec(k.sql), k.error) << k.sql;
  EXPECT_TRUE(std::filesystem::exists(file));
  using Table = std::vector<std::vector<std::string>>;
  // Users of the old default move with it; a user given another keeps it.
  EXPECT_EQ(
      Rows("select username, temporary_tablespace from dba_users order by 1"),
      (Table{
          {"SYS", "TEMP2"}, {"SYSTEM", "TEMP2"}, {"U", "TEMP2"}, {"V", "TEMP2"}, {"W", "TEMP2"}}));
  EXPECT_EQ(Exec("alter user V temporary tablespace TEMP"), "");
  EXPECT_EQ(Value("select temporary_tablespace from dba_users where username = 'V'"), "TEMP");
  EXPECT_EQ(Rows("select tablespace_name, contents from dba_tablespaces where tablespace_name "
                 "like 'TEMP%'"),
            (Table{{"TEMP", "TEMPORARY"}, {"TEMP2", "TEMPORARY"}}));
  EXPECT_EQ(Rows("select tablespace_name, bytes from dba_temp_files order by 1"),
            (Table{{"TEMP", "104857600"}, {"TEMP2", "10485760"}}));
  EXPECT_EQ(Value("select count(*) from dba_data_files where tablespace_name = 'TEMP2'"), "0");
  EXPECT_EQ(Value("select property_value from database_properties "
                  "where property_name = 'DEFAULT_TEMP_TABLESPACE'"),
            "TEMP2");
  EXPECT_EQ(Exec("alter database default temporary tablespace TEMP"), "");
  EXPECT_EQ(Exec("drop tablespace TEMP2 including contents and datafiles"), "");
  EXPECT_FALSE(std::filesystem::exists(file));
}

// A logon that finds the file held by another process (one recovering it after a crash, say)
// waits for it as a statement does, rather than failing at once with ORA-01034.
TEST_F(SqlBehaviour, ALogonWaitsWhileAnotherProcessHoldsTheFile) {
  db_.reset();
  std::promise<void> held;
  std::thread holder([&] {
    SqliteDb file(database_path_, false, 0);
    file.Exec("PRAGMA locking_mode=EXCLUSIVE");
    file.Exec("BEGIN EXCLUSIVE");
    file.Exec("COMMIT");  // the lock stays until the file is closed
    held.set_value();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  });
  held.get_future().wait();
  std::string failure;
  try {
    OciConnection late("system", "manager");
    EXPECT_EQ(late.Query("select count(*) from T").values[0][0], "0");
  } catch (const std::exception& e) {
    failure = e.what();
  }
  holder.join();
  EXPECT_EQ(failure, "");
}

TEST_F(SqlBehaviour, PasswordsAreStoredHashed) {
  ASSERT_EQ(Exec("create user SCOTT identified by tiger"), "");
  SqliteDb file(database_path_, false, 0);
  SqliteStmt q = file.Prepare("SELECT password_hash, password_salt FROM ocl_users");
  int users = 0;
  while (q.Step()) {
    ++users;
    EXPECT_EQ(q.Text(0).size(), 64u);
    EXPECT_EQ(q.Text(0).find("TIGER"), std::string::npos);
    EXPECT_EQ(q.Text(0).find("MANAGER"), std::string::npos);
  }
  EXPECT_EQ(users, 3);
}

}  // namespace
}  // namespace qm::ocilite::testing
