// CHECK and FOREIGN KEY constraints with the other kinds: how they are written, listed in the
// dictionary and enforced, each failure with Oracle's text.
#include "ocilite/internal/constraints.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ocilite/testing/engine_fixture.h"
#include "ocilite/testing/oci_test_client.h"

namespace qm::ocilite::testing {
namespace {

using Table = std::vector<std::vector<std::string>>;

struct Case {
  const char* sql;
  const char* error;
};

class Constraints : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    db_ = std::make_unique<OciConnection>("system", "manager");
  }
  void TearDown() override {
    db_.reset();
    EngineTest::TearDown();
  }
  std::string Exec(const std::string& sql) { return db_->ErrorOf(sql); }
  Table Rows(const std::string& sql) { return db_->Query(sql).values; }
  void Run(const std::vector<Case>& cases) {
    for (const Case& k : cases) EXPECT_EQ(Exec(k.sql), k.error) << k.sql;
  }

  std::unique_ptr<OciConnection> db_;
};

TEST_F(Constraints, CheckConstraintsOfColumnsAndTables) {
  Run({{"create table ACCOUNT (ID number(9) constraint ACCOUNT_PK primary key, "
        "BALANCE number check (BALANCE >= 0), KIND char(1) constraint KIND_OK "
        "check (KIND in ('D', 'C')), OPENED date, CLOSED date, "
        "constraint DATES_OK check (CLOSED >= OPENED))",
        ""},
       {"insert into ACCOUNT (ID, BALANCE, KIND) values (1, 10, 'D')", ""},
       // Unknown is no violation: NULL passes.
       {"insert into ACCOUNT (ID) values (2)", ""},
       {"insert into ACCOUNT (ID, BALANCE) values (3, -1)",
        "ORA-02290: check constraint (SYSTEM.SYS_C001000) violated"},
       {"insert into ACCOUNT (ID, KIND) values (3, 'X')",
        "ORA-02290: check constraint (SYSTEM.KIND_OK) violated"},
       {"insert into ACCOUNT (ID, OPENED, CLOSED) values (3, sysdate, sysdate - 1)",
        "ORA-02290: check constraint (SYSTEM.DATES_OK) violated"},
       {"update ACCOUNT set BALANCE = BALANCE - 20 where ID = 1",
        "ORA-02290: check constraint (SYSTEM.SYS_C001000) violated"},
       {"update ACCOUNT set BALANCE = '5' where ID = 1", ""},
       {"insert into ACCOUNT (ID, BALANCE) select ID + 10, -ID from ACCOUNT",
        "ORA-02290: check constraint (SYSTEM.SYS_C001000) violated"}});
  // A failed statement leaves nothing of itself.
  EXPECT_EQ(Rows("select ID, BALANCE from ACCOUNT order by ID"),
            (Table{{"1", "5"}, {"2", "<null>"}}));
}

TEST_F(Constraints, ForeignKeysWantTheirParentAndKeepTheirChildren) {
  Run({{"create table DEPT (DEPTNO number(2) primary key, DNAME varchar2(14) unique)", ""},
       {"create table EMP (EMPNO number(4) primary key, DEPTNO number(2) constraint EMP_DEPT_FK "
        "references DEPT, MGR number(4) references EMP (EMPNO))",
        ""},
       {"create table BONUS (EMPNO number(4), DNAME varchar2(14), "
        "foreign key (EMPNO) references EMP on delete cascade, "
        "constraint BONUS_DEPT foreign key (DNAME) references DEPT (DNAME) on delete set null)",
        ""},
       {"insert into DEPT values (10, 'SALES')", ""},
       {"insert into DEPT values (20, 'RESEARCH')", ""},
       {"insert into EMP values (1, 10, null)", ""},
       {"insert into EMP values (2, 10, 1)", ""},
       {"insert into EMP values (3, null, 3)", ""},  // a row may be its own parent
       {"insert into EMP values (4, 30, null)",
        "ORA-02291: integrity constraint (SYSTEM.EMP_DEPT_FK) violated - parent key not found"},
       {"insert into EMP values (4, 20, 9)",
        "ORA-02291: integrity constraint (SYSTEM.SYS_C001003) violated - parent key not found"},
       {"update EMP set DEPTNO = 30 where EMPNO = 1",
        "ORA-02291: integrity constraint (SYSTEM.EMP_DEPT_FK) violated - parent key not found"},
       {"delete from DEPT where DEPTNO = 10",
        "ORA-02292: integrity constraint (SYSTEM.EMP_DEPT_FK) violated - child record found"},
       {"update DEPT set DEPTNO = 11 where DEPTNO = 10",
        "ORA-02292: integrity constraint (SYSTEM.EMP_DEPT_FK) violated - child record found"},
       {"delete from DEPT where DEPTNO = 20", ""},
       {"insert into DEPT values (20, 'RESEARCH')", ""},
       {"insert into BONUS values (2, 'RESEARCH')", ""},
       {"insert into BONUS values (2, 'SALES')", ""},
       // ON DELETE SET NULL and ON DELETE CASCADE.
       {"delete from DEPT where DEPTNO = 20", ""},
       {"delete from EMP where EMPNO = 2", ""}});
  EXPECT_EQ(Rows("select count(*) from BONUS"), (Table{{"0"}}));
  EXPECT_EQ(Exec("insert into BONUS values (1, null)"), "");
  EXPECT_EQ(Exec("delete from EMP where EMPNO = 1"), "");
  EXPECT_EQ(Rows("select EMPNO from EMP order by 1"), (Table{{"3"}}));
  EXPECT_EQ(Rows("select count(*) from BONUS"), (Table{{"0"}}));
}

TEST_F(Constraints, SetNullOnANotNullKeyFailsTheDelete) {
  Run({{"create table P (K number primary key)", ""},
       {"create table C (K number not null references P on delete set null)", ""},
       {"insert into P values (1)", ""},
       {"insert into C values (1)", ""},
       {"delete from P", "ORA-01407: cannot update (\"SYSTEM\".\"C\".\"K\") to NULL"}});
  EXPECT_EQ(Rows("select count(*) from P"), (Table{{"1"}}));
}

TEST_F(Constraints, TheDictionaryListsEveryKind) {
  Run({{"create table P (A number primary key, B varchar2(5) constraint P_B unique not null)", ""},
       {"create table C (X number constraint C_X check (X > 0), Y varchar2(5), "
        "constraint C_Y foreign key (Y) references P (B) on delete cascade, "
        "check (X < Y + 1 or Y is null))",
        ""}});
  EXPECT_EQ(Rows("select constraint_name, constraint_type, table_name, search_condition, "
                 "r_constraint_name, delete_rule, status, generated, index_name "
                 "from user_constraints order by constraint_name"),
            (Table{{"C_X", "C", "C", "X > 0", "<null>", "<null>", "ENABLED", "USER NAME", "<null>"},
                   {"C_Y", "R", "C", "<null>", "P_B", "CASCADE", "ENABLED", "USER NAME", "<null>"},
                   {"P_B", "U", "P", "<null>", "<null>", "<null>", "ENABLED", "USER NAME", "P_B"},
                   {"SYS_C001000", "P", "P", "<null>", "<null>", "<null>", "ENABLED",
                    "GENERATED NAME", "SYS_C001000"},
                   {"SYS_C001001", "C", "P", "\"B\" IS NOT NULL", "<null>", "<null>", "ENABLED",
                    "GENERATED NAME", "<null>"},
                   {"SYS_C001002", "C", "C", "X < Y + 1 or Y is null", "<null>", "<null>",
                    "ENABLED", "GENERATED NAME", "<null>"}}));
  EXPECT_EQ(Rows("select constraint_name, table_name, column_name, position "
                 "from user_cons_columns order by constraint_name, column_name"),
            (Table{{"C_X", "C", "X", "<null>"},
                   {"C_Y", "C", "Y", "1"},
                   {"P_B", "P", "B", "1"},
                   {"SYS_C001000", "P", "A", "1"},
                   {"SYS_C001001", "P", "B", "<null>"},
                   {"SYS_C001002", "C", "X", "<null>"},
                   {"SYS_C001002", "C", "Y", "<null>"}}));
  EXPECT_EQ(Rows("select owner, count(*) from all_constraints where table_name in ('P', 'C') "
                 "group by owner"),
            (Table{{"SYSTEM", "6"}}));
  EXPECT_EQ(Rows("select nullable from user_tab_columns where table_name = 'P' order by 1"),
            (Table{{"N"}, {"N"}}));
}

TEST_F(Constraints, DefinitionsThatCannotStandFailAsOnOracle) {
  Run({{"create table P (A number primary key, B date, C varchar2(3))", ""},
       {"create table X (A number check (B > 0), B number)",
        "ORA-02438: Column check constraint cannot reference other columns"},
       {"create table X (A number, check (A in (select A from P)))",
        "ORA-02251: subquery not allowed here"},
       {"create table X (A date, check (A > sysdate))",
        "ORA-02436: date or system variable wrongly specified in CHECK constraint"},
       {"create table X (A number, check (NOSUCH > 0))",
        "ORA-00904: \"NOSUCH\": invalid identifier"},
       {"create table X (A number, check (count(*) > 0))",
        "ORA-00934: group function is not allowed here"},
       {"create table X (A number, constraint P_PK check (A > 0), constraint P_PK unique (A))",
        "ORA-02264: name already used by an existing constraint"},
       {"create table X (A number primary key, B number, primary key (B))",
        "ORA-02260: table can have only one primary key"},
       {"create table X (A number unique, unique (A))",
        "ORA-02261: such unique or primary key already exists in the table"},
       {"create table X (A number references NOSUCH)", "ORA-00942: table or view does not exist"},
       {"create table X (A number references P (B))",
        "ORA-02270: no matching unique or primary key for this column-list"},
       {"create table X (A number references P (NOSUCH))",
        "ORA-00904: \"NOSUCH\": invalid identifier"},
       {"create table X (A number, B number, foreign key (A, B) references P)",
        "ORA-02256: number of referencing columns must match referenced columns"},
       {"create table X (A varchar2(5) references P)",
        "ORA-02267: column type incompatible with referenced column type"},
       {"create table Q (A number)", ""},
       {"create table X (A number references Q)",
        "ORA-02268: referenced table does not have a primary key"},
       {"create table X (A number references P, foreign key (A) references P)",
        "ORA-02275: such a referential constraint already exists in the table"},
       {"create table X (A number check (A > 0) disable)", "ORA-03001: unimplemented feature"},
       // The index clause of a key, as generated scripts write it, is taken.
       {"create table X (A number, constraint X_PK primary key (A) using index tablespace USERS "
        "enable)",
        ""}});
  // Nothing of the failed definitions is left.
  EXPECT_EQ(Rows("select table_name from user_tables order by 1"), (Table{{"P"}, {"Q"}, {"X"}}));
  EXPECT_EQ(Rows("select count(*) from user_constraints"), (Table{{"2"}}));
}

TEST_F(Constraints, AlterTableAddsAndDropsConstraints) {
  Run({{"create table P (A number, B varchar2(5))", ""},
       {"insert into P values (1, 'x')", ""},
       {"insert into P values (1, 'y')", ""},
       {"insert into P values (null, 'z')", ""},
       {"create table C (A number, N number)", ""},
       {"insert into C values (2, -1)", ""},
       {"commit", ""},
       {"alter table P add constraint P_PK primary key (A)",
        "ORA-01449: column contains NULL values; cannot alter to NOT NULL"},
       {"delete from P where A is null", ""},
       {"alter table P add constraint P_PK primary key (A)",
        "ORA-02437: cannot validate (SYSTEM.P_PK) - primary key violated"},
       {"alter table P add constraint P_U unique (A)",
        "ORA-02299: cannot validate (SYSTEM.P_U) - duplicate keys found"},
       {"update P set A = 2 where B = 'y'", ""},
       {"alter table P add constraint P_PK primary key (A)", ""},
       {"alter table C add constraint C_N check (N > 0)",
        "ORA-02293: cannot validate (SYSTEM.C_N) - check constraint violated"},
       {"alter table C add (constraint C_FK foreign key (A) references P, N2 int check (N2 > 0))",
        ""},
       {"insert into C values (3, 1, 1)",
        "ORA-02291: integrity constraint (SYSTEM.C_FK) violated - parent key not found"},
       {"insert into C values (2, 1, 0)",
        "ORA-02290: check constraint (SYSTEM.SYS_C001000) violated"},
       {"alter table C modify (N constraint C_N_NN not null)", ""},
       {"insert into C (A) values (1)",
        "ORA-01400: cannot insert NULL into (\"SYSTEM\".\"C\".\"N\")"},
       {"alter table P modify (A null)",
        "ORA-01451: column to be modified to NULL cannot be modified to NULL"},
       {"alter table P drop constraint NOSUCH",
        "ORA-02443: Cannot drop constraint  - nonexistent constraint"},
       {"alter table P drop unique (B)", "ORA-02442: Cannot drop nonexistent unique key"},
       {"alter table C drop primary key", "ORA-02441: Cannot drop nonexistent primary key"},
       {"alter table P drop primary key",
        "ORA-02273: this unique/primary key is referenced by some foreign keys"},
       {"truncate table P",
        "ORA-02266: unique/primary keys in table referenced by enabled foreign keys"},
       {"drop table P", "ORA-02449: unique/primary keys in table referenced by foreign keys"},
       {"alter table C drop constraint C_N_NN", ""},
       {"insert into C (A) values (1)", ""},
       {"alter table P drop primary key cascade", ""},
       {"insert into C values (7, 1, 1)", ""},
       {"insert into C values (8, 1, -1)",
        "ORA-02290: check constraint (SYSTEM.SYS_C001000) violated"}});
  EXPECT_EQ(Rows("select constraint_name from user_constraints order by 1"),
            (Table{{"SYS_C001000"}}));
  EXPECT_EQ(Rows("select nullable from user_tab_columns where table_name = 'P' and "
                 "column_name = 'A'"),
            (Table{{"Y"}}));
  // A column's own NOT NULL goes with it; a column a constraint reads stays.
  Run({{"delete from C where N is null", ""},
       {"alter table C modify (N not null)", ""},
       {"alter table C drop column N", ""},
       {"alter table C drop column N2", "ORA-03001: unimplemented feature"},
       {"create table D (K number primary key)", ""},
       {"create table E (K number references D)", ""},
       {"drop table D cascade constraints", ""},
       {"insert into E values (5)", ""}});
}

TEST_F(Constraints, EverySessionEnforcesWhatAnotherAddedSinceItsLastWrite) {
  Run({{"create table T (A number)", ""}, {"insert into T values (1)", ""}, {"commit", ""}});
  OciConnection other("system", "manager");
  ASSERT_EQ(other.Exec("insert into T values (2)"), "");
  ASSERT_EQ(other.Exec("commit"), "");
  Run({{"alter table T add constraint T_SMALL check (A < 10)", ""}});
  EXPECT_EQ(other.Exec("insert into T values (11)"),
            "ORA-02290: check constraint (SYSTEM.T_SMALL) violated");
  ASSERT_EQ(other.Exec("rollback"), "");  // one session writes at a time
  Run({{"alter table T drop constraint T_SMALL", ""}});
  EXPECT_EQ(other.Exec("insert into T values (11)"), "");
}

TEST_F(Constraints, ForeignKeysReachIntoOtherTablespaces) {
  Run({{"create table T (A number)", ""}});
  OciConnection earlier("system", "manager");  // at work before the tablespace was made
  ASSERT_EQ(earlier.Exec("insert into T values (0)"), "");
  ASSERT_EQ(earlier.Exec("commit"), "");
  Run({{"create tablespace DATA datafile 'data01.dbf' size 1M", ""},
       {"create table S (A number check (A > 0)) tablespace DATA", ""}});
  // Its writes go on, and the constraints in the new file hold for it too.
  EXPECT_EQ(earlier.Exec("insert into T values (1)"), "");
  EXPECT_EQ(earlier.Exec("insert into S values (-1)"),
            "ORA-02290: check constraint (SYSTEM.SYS_C001000) violated");
  ASSERT_EQ(earlier.Exec("rollback"), "");
  Run({{"create table P (A number primary key) tablespace DATA", ""},
       {"create table C (A number references P on delete cascade)", ""},
       {"insert into P values (1)", ""},
       {"insert into C values (1)", ""},
       {"insert into C values (2)",
        "ORA-02291: integrity constraint (SYSTEM.SYS_C001002) violated - parent key not found"},
       {"delete from P", ""},
       {"drop tablespace DATA including contents and datafiles",
        "ORA-02449: unique/primary keys in table referenced by foreign keys"},
       {"drop tablespace DATA including contents and datafiles cascade constraints", ""},
       {"insert into C values (3)", ""}});
  EXPECT_EQ(Rows("select count(*) from C"), (Table{{"1"}}));
}

}  // namespace
}  // namespace qm::ocilite::testing
