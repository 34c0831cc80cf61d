// The client interface as a client sees it: the library is loaded with dlopen and driven through
// its exported entry points only.
//
// One file, long as it is: the tests share the small helpers below that prepare, bind and read
// through raw entry points, and each covers one group of calls as a client uses it in sequence.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <filesystem>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "ocilite/database_files.h"
#include "ocilite/testing/engine_fixture.h"
#include "ocilite/testing/oci_test_client.h"

namespace qm::ocilite::testing {
namespace {

using Conformance = EngineTest;

OciLibrary& Lib() {
  return Library();
}

OCIStmt* Prepare(OciConnection& c, const std::string& sql) {
  void* stmt = nullptr;
  EXPECT_EQ(Lib().HandleAlloc(c.env, &stmt, OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
  EXPECT_EQ(Lib().StmtPrepare(static_cast<OCIStmt*>(stmt), c.err,
                              reinterpret_cast<const OraText*>(sql.data()),
                              static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
            OCI_SUCCESS);
  return static_cast<OCIStmt*>(stmt);
}

template <typename T>
T Attr(OciConnection& c, void* handle, ub4 type, ub4 attr) {
  T value{};
  EXPECT_EQ(Lib().AttrGet(handle, type, &value, nullptr, attr, c.err), OCI_SUCCESS);
  return value;
}

std::string GroupNames() {
  return "orlon ologof oerhms oopen oparse odefin oexfet ofen oflng oclose odescr oexec oexn "
         "ocom orol ocon ocof obreak obndra odessp olog opinit "
         "OCIInitialize OCIHandleAlloc OCIHandleFree OCIDescriptorAlloc OCIDescriptorFree "
         "OCIEnvInit OCIServerAttach OCIServerDetach OCISessionBegin OCISessionEnd OCILogon "
         "OCILogoff OCIPasswordChange OCIStmtPrepare OCIBindByPos OCIBindByName OCIBindObject "
         "OCIBindDynamic OCIBindArrayOfStruct OCIStmtGetPieceInfo OCIStmtSetPieceInfo "
         "OCIStmtExecute OCIDefineByPos OCIDefineObject OCIDefineDynamic OCIDefineArrayOfStruct "
         "OCIStmtFetch OCIStmtGetBindInfo OCIDescribeAny OCIParamGet OCIParamSet OCITransStart "
         "OCITransDetach OCITransCommit OCITransRollback OCITransPrepare OCITransForget "
         "OCIErrorGet OCILobAppend OCILobAssign OCILobCharSetForm OCILobCharSetId OCILobCopy "
         "OCILobDisableBuffering OCILobEnableBuffering OCILobErase OCILobFileClose "
         "OCILobFileCloseAll OCILobFileExists OCILobFileGetName OCILobFileIsOpen OCILobFileOpen "
         "OCILobFileSetName OCILobFlushBuffer OCILobGetLength OCILobIsEqual OCILobLoadFromFile "
         "OCILobLocatorIsInit OCILobRead OCILobTrim OCILobWrite OCIBreak OCIServerVersion "
         "OCIAttrGet OCIAttrSet OCISvcCtxToLda OCILdaToSvcCtx OCIResultSetToStmt OCIObjectUnpin "
         "OCIObjectLock OCIObjectMarkUpdate OCIObjectUnmark OCIObjectMarkDelete OCIObjectFlush "
         "OCIObjectCopy OCIObjectGetTypeRef OCIObjectGetObjectRef OCIObjectGetInd "
         "OCIObjectExists OCIObjectIsLocked OCIObjectIsDirty OCIObjectRefresh OCIObjectPinTable "
         "OCIObjectNew OCIObjectPin OCIObjectFree OCITypeByName OCIObjectGetAttr "
         "OCIObjectSetAttr OCIStringPtr OCIStringAssignText OCINumberFromInt OCINumberToInt "
         "OCINumberFromReal OCINumberToReal OCINumberToText OCINumberFromText OCIRawPtr "
         "OCIRawSize OCIRawAssignBytes OCIRefAssign OCIRefClear OCIRefIsNull OCIRefFromHex "
         "OCIRefHexSize OCIRefToHex OCICollSize OCICollTrim OCICollMax OCICollGetElem "
         "OCICollAssignElem OCICollAppend OCITableDelete OCICacheFlush "
         "OCIEnvCreate OCIDirPathAbort OCIDirPathFinish OCIDirPathPrepare "
         "OCIDirPathColArrayEntrySet OCIDirPathColArrayToStream OCIDirPathLoadStream "
         "OCIDirPathStreamReset OCIDateTimeToText";
}

TEST_F(Conformance, EveryNameALoaderResolvesIsExported) {
  std::istringstream names(GroupNames());
  std::string name;
  int count = 0;
  while (names >> name) {
    EXPECT_NE(Lib().Symbol(name.c_str()), nullptr) << name;
    ++count;
  }
  EXPECT_EQ(count, 22 + 114 + 9);
}

TEST_F(Conformance, UnimplementedCallsFailWithOra03001) {
  OciConnection c("system", "manager");
  auto lob_trim = reinterpret_cast<OCILobTrim_t>(Lib().Symbol("OCILobTrim"));
  ub4 length = 0;
  EXPECT_EQ(lob_trim(c.svc, c.err, nullptr, 0), OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-03001: unimplemented feature");
  auto number_to_int = reinterpret_cast<OCINumberToInt_t>(Lib().Symbol("OCINumberToInt"));
  EXPECT_EQ(number_to_int(c.err, nullptr, 4, 0, &length), OCI_ERROR);
  EXPECT_EQ(c.LastCode(), 3001);
}

TEST_F(Conformance, LogonFailuresCarryOraclesErrors) {
  struct Case {
    std::string user, password, database, error;
  };
  const Case cases[] = {
      {"system", "wrong", "", "ORA-01017: invalid username/password; logon denied"},
      {"nobody", "manager", "", "ORA-01017: invalid username/password; logon denied"},
      {"system", "", "", "ORA-01005: null password given; logon denied"},
      {"system", "manager", "NOSUCH", "ORA-12154: TNS:could not resolve service name"},
  };
  for (const Case& k : cases) {
    try {
      OciConnection c(k.user, k.password, k.database);
      ADD_FAILURE() << "logon succeeded for " << k.user;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), k.error);
    }
  }
  // Connect identifiers are names without regard to case; the password is not case-sensitive.
  EXPECT_NO_THROW(OciConnection("SYSTEM", "MANAGER", "orcl"));
}

TEST_F(Conformance, ErrorGetGivesNumberedRecordsEndingWithLineEnd) {
  OciConnection c("system", "manager");
  EXPECT_NE(c.Exec("select * from nosuch"), "");
  char text[200];
  sb4 code = 0;
  ASSERT_EQ(Lib().ErrorGet(c.err, 1, nullptr, &code, reinterpret_cast<OraText*>(text), sizeof text,
                           OCI_HTYPE_ERROR),
            OCI_SUCCESS);
  EXPECT_EQ(code, 942);
  EXPECT_STREQ(text, "ORA-00942: table or view does not exist\n");
  EXPECT_EQ(Lib().ErrorGet(c.err, 2, nullptr, &code, reinterpret_cast<OraText*>(text), sizeof text,
                           OCI_HTYPE_ERROR),
            OCI_NO_DATA);
  // A short buffer receives what fits, terminated.
  ASSERT_EQ(Lib().ErrorGet(c.err, 1, nullptr, &code, reinterpret_cast<OraText*>(text), 10,
                           OCI_HTYPE_ERROR),
            OCI_SUCCESS);
  EXPECT_STREQ(text, "ORA-00942");
}

TEST_F(Conformance, ServerVersionIsAnOracle9BannerUnlessTheDatabaseSaysOtherwise) {
  {
    OciConnection c("system", "manager");
    char banner[501] = {};
    ASSERT_EQ(Lib().ServerVersion(c.server, c.err, reinterpret_cast<OraText*>(banner),
                                  sizeof banner, OCI_HTYPE_SERVER),
              OCI_SUCCESS);
    const std::string text(banner);
    EXPECT_EQ(text.substr(0, text.find('\n')),
              "Oracle9i Enterprise Edition Release 9.2.0.1.0 - Production");
  }
  SetVersionBanner(database_path_, "Oracle7 Server Release 7.3.4.0.0 - Production");
  OciConnection c("system", "manager");
  char banner[501] = {};
  ASSERT_EQ(Lib().ServerVersion(c.svc, c.err, reinterpret_cast<OraText*>(banner), sizeof banner,
                                OCI_HTYPE_SVCCTX),
            OCI_SUCCESS);
  EXPECT_STREQ(banner, "Oracle7 Server Release 7.3.4.0.0 - Production");
}

TEST_F(Conformance, StatementTypeAfterPrepareAndFunctionCodeAfterExecute) {
  OciConnection c("system", "manager");
  ASSERT_EQ(c.Exec("create table T (A varchar2(10))"), "");
  struct Case {
    std::string sql;
    ub2 type, function;
  };
  const Case cases[] = {
      {"insert into T values ('x')", OCI_STMT_INSERT, 3},
      {"update T set A = 'y'", OCI_STMT_UPDATE, 5},
      {"delete from T", OCI_STMT_DELETE, 9},
      {"select * from T", OCI_STMT_SELECT, 4},
      {"create table U (B number)", OCI_STMT_CREATE, 1},
      {"drop table U", OCI_STMT_DROP, 8},
      {"alter session set nls_date_format = 'DD.MM.YYYY'", OCI_STMT_ALTER, 52},
      {"commit", 0, 54},
  };
  for (const Case& k : cases) {
    OCIStmt* stmt = Prepare(c, k.sql);
    EXPECT_EQ(Attr<ub2>(c, stmt, OCI_HTYPE_STMT, OCI_ATTR_STMT_TYPE), k.type) << k.sql;
    EXPECT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, k.type == OCI_STMT_SELECT ? 0 : 1, 0, nullptr,
                                nullptr, OCI_DEFAULT),
              OCI_SUCCESS)
        << k.sql << ": " << c.LastError();
    EXPECT_EQ(Attr<ub2>(c, stmt, OCI_HTYPE_STMT, OCI_ATTR_SQLFNCODE), k.function) << k.sql;
    Lib().HandleFree(stmt, OCI_HTYPE_STMT);
  }
}

// Statement handles a client frees are kept for its next allocations: a freed one must answer as
// an invalid handle, and the next one must carry nothing of the one freed before it.
TEST_F(Conformance, AFreedStatementHandleIsDeadAndTheNextOneStartsAfresh) {
  OciConnection c("system", "manager");
  ASSERT_EQ(c.Exec("create table T (A varchar2(10), B number)"), "");
  ASSERT_EQ(c.Exec("insert into T values ('x', 1)"), "");
  for (int round = 0; round < 3; ++round) {
    OCIStmt* stmt = Prepare(c, "select A, B from T");
    ub4 prefetch = 0;
    EXPECT_EQ(Lib().AttrGet(stmt, OCI_HTYPE_STMT, &prefetch, nullptr, OCI_ATTR_PREFETCH_ROWS,
                            c.err),
              OCI_SUCCESS);
    EXPECT_EQ(prefetch, 1u);
    prefetch = 50;
    ASSERT_EQ(Lib().AttrSet(stmt, OCI_HTYPE_STMT, &prefetch, 0, OCI_ATTR_PREFETCH_ROWS, c.err),
              OCI_SUCCESS);
    ASSERT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    char a[11] = {};
    OCIDefine* define = nullptr;
    ASSERT_EQ(Lib().DefineByPos(stmt, &define, c.err, 1, a, sizeof a, SQLT_STR, nullptr, nullptr,
                                nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    void* param = nullptr;
    ASSERT_EQ(Lib().ParamGet(stmt, OCI_HTYPE_STMT, c.err, &param, 2), OCI_SUCCESS);
    ASSERT_EQ(Lib().StmtFetch(stmt, c.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_STREQ(a, "x");
    ASSERT_EQ(Lib().HandleFree(stmt, OCI_HTYPE_STMT), OCI_SUCCESS);
    EXPECT_EQ(Lib().StmtFetch(stmt, c.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_INVALID_HANDLE);
    EXPECT_EQ(Lib().AttrGet(param, OCI_DTYPE_PARAM, &prefetch, nullptr, OCI_ATTR_DATA_TYPE, c.err),
              OCI_INVALID_HANDLE);

    // A new handle: no statement, no defines, no attributes of the last one.
    void* next = nullptr;
    ASSERT_EQ(Lib().HandleAlloc(c.env, &next, OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    auto* fresh = static_cast<OCIStmt*>(next);
    EXPECT_EQ(Lib().StmtExecute(c.svc, fresh, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
              OCI_ERROR);
    EXPECT_EQ(c.LastError(), "ORA-24337: statement handle not prepared");
    EXPECT_EQ(Attr<ub4>(c, fresh, OCI_HTYPE_STMT, OCI_ATTR_PREFETCH_ROWS), 1u);
    EXPECT_EQ(Attr<ub2>(c, fresh, OCI_HTYPE_STMT, OCI_ATTR_STMT_TYPE), 0);
    EXPECT_EQ(Attr<ub4>(c, fresh, OCI_HTYPE_STMT, OCI_ATTR_PARAM_COUNT), 0u);
    const std::string insert = "insert into T values ('y', 2)";
    ASSERT_EQ(Lib().StmtPrepare(fresh, c.err, reinterpret_cast<const OraText*>(insert.data()),
                                static_cast<ub4>(insert.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(Lib().StmtExecute(c.svc, fresh, c.err, 1, 0, nullptr, nullptr, OCI_DEFAULT),
              OCI_SUCCESS)
        << c.LastError();
    EXPECT_EQ(Attr<ub4>(c, fresh, OCI_HTYPE_STMT, OCI_ATTR_ROW_COUNT), 1u);
    ASSERT_EQ(Lib().HandleFree(fresh, OCI_HTYPE_STMT), OCI_SUCCESS);
    ASSERT_EQ(c.Exec("delete from T where A = 'y'"), "");
  }
}

TEST_F(Conformance, ZeroIterationsRunOnlyQueries) {
  OciConnection c("system", "manager");
  ASSERT_EQ(c.Exec("create table T (A varchar2(10))"), "");
  OCIStmt* stmt = Prepare(c, "insert into T values ('x')");
  EXPECT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT), OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-24333: zero iteration count");
  Lib().HandleFree(stmt, OCI_HTYPE_STMT);
  EXPECT_EQ(c.Query("select count(*) from T").values[0][0], "0");
}

TEST_F(Conformance, DescribeGivesTheColumnAttributes) {
  OciConnection c("system", "manager");
  ASSERT_EQ(c.Exec("create table T (ID Integer not null, NAME VarChar(31), BORN Date, "
                   "AMOUNT number(7,2), RATE float, N number, NOTE long, C char(3), R raw(4))"),
            "");
  for (const ub4 mode : {OCI_DEFAULT, OCI_DESCRIBE_ONLY}) {
    OCIStmt* stmt = Prepare(c, "select * from T");
    ASSERT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, mode), OCI_SUCCESS);
    ASSERT_EQ(Attr<ub4>(c, stmt, OCI_HTYPE_STMT, OCI_ATTR_PARAM_COUNT), 9u);
    struct Expected {
      std::string name;
      ub2 type, size;
      int precision, scale, nullable;
    };
    const Expected expected[] = {
        {"ID", SQLT_NUM, 22, 0, 0, 0},        {"NAME", SQLT_CHR, 31, 0, 0, 1},
        {"BORN", SQLT_DAT, 7, 0, 0, 1},       {"AMOUNT", SQLT_NUM, 22, 7, 2, 1},
        {"RATE", SQLT_NUM, 22, 126, -127, 1}, {"N", SQLT_NUM, 22, 0, -127, 1},
        {"NOTE", SQLT_LNG, 0, 0, 0, 1},       {"C", SQLT_AFC, 3, 0, 0, 1},
        {"R", SQLT_BIN, 4, 0, 0, 1},
    };
    for (ub4 i = 0; i < 9; ++i) {
      void* p = nullptr;
      ASSERT_EQ(Lib().ParamGet(stmt, OCI_HTYPE_STMT, c.err, &p, i + 1), OCI_SUCCESS);
      OraText* name = nullptr;
      ub4 length = 0;
      Lib().AttrGet(p, OCI_DTYPE_PARAM, &name, &length, OCI_ATTR_NAME, c.err);
      EXPECT_EQ(std::string(reinterpret_cast<char*>(name), length), expected[i].name);
      EXPECT_EQ(Attr<ub2>(c, p, OCI_DTYPE_PARAM, OCI_ATTR_DATA_TYPE), expected[i].type) << i;
      EXPECT_EQ(Attr<ub2>(c, p, OCI_DTYPE_PARAM, OCI_ATTR_DATA_SIZE), expected[i].size) << i;
      EXPECT_EQ(Attr<sb2>(c, p, OCI_DTYPE_PARAM, OCI_ATTR_PRECISION), expected[i].precision) << i;
      EXPECT_EQ(Attr<sb1>(c, p, OCI_DTYPE_PARAM, OCI_ATTR_SCALE), expected[i].scale) << i;
      EXPECT_EQ(Attr<ub1>(c, p, OCI_DTYPE_PARAM, OCI_ATTR_IS_NULL), expected[i].nullable) << i;
      Lib().DescriptorFree(p, OCI_DTYPE_PARAM);
    }
    void* p = nullptr;
    EXPECT_EQ(Lib().ParamGet(stmt, OCI_HTYPE_STMT, c.err, &p, 10), OCI_ERROR);
    EXPECT_EQ(c.LastError(), "ORA-24334: no descriptor for this position");
    Lib().HandleFree(stmt, OCI_HTYPE_STMT);
  }
}

// Fills T with `n` rows 1..n.
void Fill(OciConnection& c, int n) {
  ASSERT_EQ(c.Exec("create table T (N number(5), S varchar2(10))"), "");
  for (int i = 1; i <= n; ++i)
    ASSERT_EQ(
        c.Exec("insert into T values (" + std::to_string(i) + ", 'r" + std::to_string(i) + "')"),
        "");
}

TEST_F(Conformance, AQueryAnswersFromTheTableAsItStoodWhenItWasExecuted) {
  OciConnection c("system", "manager");
  Fill(c, 2);
  c.Commit();
  OciConnection other("system", "manager");
  OCIStmt* stmt = Prepare(c, "select N from T");
  ASSERT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  ASSERT_EQ(other.Exec("insert into T values (3, 'r3')"), "");
  other.Commit();
  std::vector<sb4> values(25, -1);
  OCIDefine* define = nullptr;
  ASSERT_EQ(Lib().DefineByPos(stmt, &define, c.err, 1, values.data(), sizeof(sb4), SQLT_INT,
                              nullptr, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  EXPECT_EQ(Lib().StmtFetch(stmt, c.err, 25, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_NO_DATA);
  EXPECT_EQ(Attr<ub4>(c, stmt, OCI_HTYPE_STMT, OCI_ATTR_ROW_COUNT), 2u);
  Lib().HandleFree(stmt, OCI_HTYPE_STMT);
  EXPECT_EQ(c.Query("select count(*) from T").values, (std::vector<std::vector<std::string>>{{"3"}}));
}

TEST_F(Conformance, ArrayFetchEndsWithAShortBatchReturningNoData) {
  OciConnection c("system", "manager");
  Fill(c, 26);
  OCIStmt* stmt = Prepare(c, "select N from T order by N");
  ASSERT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  std::vector<sb4> values(25, -1);
  std::vector<sb2> ind(25);
  OCIDefine* define = nullptr;
  ASSERT_EQ(Lib().DefineByPos(stmt, &define, c.err, 1, values.data(), sizeof(sb4), SQLT_INT,
                              ind.data(), nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  EXPECT_EQ(Lib().StmtFetch(stmt, c.err, 25, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_SUCCESS);
  EXPECT_EQ(Attr<ub4>(c, stmt, OCI_HTYPE_STMT, OCI_ATTR_ROW_COUNT), 25u);
  EXPECT_EQ(values[24], 25);
  EXPECT_EQ(Lib().StmtFetch(stmt, c.err, 25, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_NO_DATA);
  EXPECT_EQ(Attr<ub4>(c, stmt, OCI_HTYPE_STMT, OCI_ATTR_ROW_COUNT), 26u);
  EXPECT_EQ(Attr<ub4>(c, stmt, OCI_HTYPE_STMT, OCI_ATTR_ROWS_FETCHED), 1u);
  EXPECT_EQ(values[0], 26);
  EXPECT_EQ(c.LastCode(), 1403);
  EXPECT_EQ(Lib().StmtFetch(stmt, c.err, 25, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_NO_DATA);
  EXPECT_EQ(Attr<ub4>(c, stmt, OCI_HTYPE_STMT, OCI_ATTR_ROWS_FETCHED), 0u);
  EXPECT_EQ(Attr<ub4>(c, stmt, OCI_HTYPE_STMT, OCI_ATTR_ROW_COUNT), 26u);
  Lib().HandleFree(stmt, OCI_HTYPE_STMT);
}

TEST_F(Conformance, AnOpenCursorKeepsItsRowsWhileTheSessionWrites) {
  OciConnection c("system", "manager");
  Fill(c, 30);
  OCIStmt* stmt = Prepare(c, "select N from T");
  ASSERT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  sb4 values[10];
  OCIDefine* define = nullptr;
  Lib().DefineByPos(stmt, &define, c.err, 1, values, 4, SQLT_INT, nullptr, nullptr, nullptr, 0);
  ASSERT_EQ(Lib().StmtFetch(stmt, c.err, 10, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_SUCCESS);
  ASSERT_EQ(c.Exec("insert into T values (31, 'new')"), "");
  ASSERT_EQ(c.Exec("delete from T where N = 15"), "");
  EXPECT_EQ(Lib().StmtFetch(stmt, c.err, 10, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_SUCCESS);
  EXPECT_EQ(values[4], 15);
  EXPECT_EQ(Lib().StmtFetch(stmt, c.err, 10, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_SUCCESS);
  EXPECT_EQ(Lib().StmtFetch(stmt, c.err, 10, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_NO_DATA);
  EXPECT_EQ(Attr<ub4>(c, stmt, OCI_HTYPE_STMT, OCI_ATTR_ROW_COUNT), 30u);
  Lib().HandleFree(stmt, OCI_HTYPE_STMT);
}

TEST_F(Conformance, ExecuteWithIterationsFetchesThatManyRows) {
  OciConnection c("system", "manager");
  Fill(c, 3);
  OCIStmt* stmt = Prepare(c, "select S from T order by N");
  char values[2][11] = {};
  OCIDefine* define = nullptr;
  ASSERT_EQ(Lib().DefineByPos(stmt, &define, c.err, 1, values, 11, SQLT_STR, nullptr, nullptr,
                              nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  EXPECT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 2, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  EXPECT_STREQ(values[1], "r2");
  EXPECT_EQ(Lib().StmtFetch(stmt, c.err, 2, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_NO_DATA);
  EXPECT_STREQ(values[0], "r3");
  EXPECT_EQ(Attr<ub4>(c, stmt, OCI_HTYPE_STMT, OCI_ATTR_ROW_COUNT), 3u);
  // Executing again starts over.
  EXPECT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 2, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  EXPECT_EQ(Attr<ub4>(c, stmt, OCI_HTYPE_STMT, OCI_ATTR_ROW_COUNT), 2u);
  Lib().HandleFree(stmt, OCI_HTYPE_STMT);
}

TEST_F(Conformance, DefinesConvertToTheRequestedExternalTypes) {
  OciConnection c("system", "manager");
  ASSERT_EQ(c.Exec("create table T (I number(9), F number(5,2), D date, S varchar2(20), "
                   "Z varchar2(5))"),
            "");
  ASSERT_EQ(c.Exec("insert into T values (-42, 12.5, to_date('15.03.2003 10:15:07', "
                   "'DD.MM.YYYY HH24:MI:SS'), 'hello world', null)"),
            "");
  OCIStmt* stmt = Prepare(c, "select I, F, D, S, S, Z from T");
  ASSERT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  sb4 i = 0;
  double f = 0;
  unsigned char d[7] = {};
  char chr[20] = {};
  char small[6] = {};
  char z[6] = "?";
  sb2 ind[6] = {};
  ub2 len[6] = {}, rcode[6] = {};
  OCIDefine* def = nullptr;
  Lib().DefineByPos(stmt, &def, c.err, 1, &i, 4, SQLT_INT, &ind[0], &len[0], &rcode[0], 0);
  Lib().DefineByPos(stmt, &def, c.err, 2, &f, 8, SQLT_FLT, &ind[1], &len[1], &rcode[1], 0);
  Lib().DefineByPos(stmt, &def, c.err, 3, d, 7, SQLT_DAT, &ind[2], &len[2], &rcode[2], 0);
  Lib().DefineByPos(stmt, &def, c.err, 4, chr, 20, SQLT_CHR, &ind[3], &len[3], &rcode[3], 0);
  Lib().DefineByPos(stmt, &def, c.err, 5, small, 6, SQLT_STR, &ind[4], &len[4], &rcode[4], 0);
  Lib().DefineByPos(stmt, &def, c.err, 6, z, 6, SQLT_STR, &ind[5], &len[5], &rcode[5], 0);
  EXPECT_EQ(Lib().StmtFetch(stmt, c.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_SUCCESS_WITH_INFO);
  EXPECT_EQ(i, -42);
  EXPECT_EQ(f, 12.5);
  const unsigned char date[7] = {120, 103, 3, 15, 11, 16, 8};
  EXPECT_EQ(std::memcmp(d, date, 7), 0);
  EXPECT_EQ(std::string(chr, len[3]), "hello world");
  EXPECT_STREQ(small, "hello");
  EXPECT_EQ(rcode[4], 1406);
  EXPECT_EQ(ind[4], 11);  // the untruncated length
  EXPECT_EQ(ind[5], -1);
  EXPECT_EQ(rcode[5], 1405);
  EXPECT_EQ(c.LastCode(), 24345);
  Lib().HandleFree(stmt, OCI_HTYPE_STMT);

  // A NULL without an indicator is an error.
  stmt = Prepare(c, "select Z from T");
  Lib().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT);
  Lib().DefineByPos(stmt, &def, c.err, 1, z, 6, SQLT_STR, nullptr, nullptr, nullptr, 0);
  EXPECT_EQ(Lib().StmtFetch(stmt, c.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-01405: fetched column value is NULL");
  Lib().HandleFree(stmt, OCI_HTYPE_STMT);
}

// NUMBER values cross every numeric and text external type without losing digits: SQLT_NUM and
// SQLT_VNU as Oracle's bytes, SQLT_INT cut toward zero (ORA-01455 past its range).
TEST_F(Conformance, NumbersCrossTheNumericExternalTypesExactly) {
  OciConnection c("system", "manager");
  ASSERT_EQ(c.Exec("create table T (K number, N number)"), "");
  ASSERT_EQ(c.Exec("insert into T values (1, 12345678901234567890)"), "");
  ASSERT_EQ(c.Exec("insert into T values (2, -2.75)"), "");
  ASSERT_EQ(c.Exec("insert into T values (3, 3000000000)"), "");
  struct Row {
    unsigned char num[22] = {};
    unsigned char vnu[22] = {};
    char str[48] = {};
    std::int64_t i64 = 0;
    sb4 i32 = 0;
    double flt = 0;
    ub2 len[6] = {};
  };
  auto fetch = [&](int key, Row& r) {
    OCIStmt* stmt = Prepare(c, "select N, N, N, N, N, N from T where K = " + std::to_string(key));
    EXPECT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    OCIDefine* def = nullptr;
    Lib().DefineByPos(stmt, &def, c.err, 1, r.num, 22, SQLT_NUM, nullptr, &r.len[0], nullptr, 0);
    Lib().DefineByPos(stmt, &def, c.err, 2, r.vnu, 22, SQLT_VNU, nullptr, &r.len[1], nullptr, 0);
    Lib().DefineByPos(stmt, &def, c.err, 3, r.str, 48, SQLT_STR, nullptr, &r.len[2], nullptr, 0);
    Lib().DefineByPos(stmt, &def, c.err, 4, &r.i64, 8, SQLT_INT, nullptr, &r.len[3], nullptr, 0);
    Lib().DefineByPos(stmt, &def, c.err, 5, &r.i32, 4, SQLT_INT, nullptr, &r.len[4], nullptr, 0);
    Lib().DefineByPos(stmt, &def, c.err, 6, &r.flt, 8, SQLT_FLT, nullptr, &r.len[5], nullptr, 0);
    const sword rc = Lib().StmtFetch(stmt, c.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT);
    Lib().HandleFree(stmt, OCI_HTYPE_STMT);
    return rc;
  };
  Row r;
  ASSERT_EQ(fetch(2, r), OCI_SUCCESS) << c.LastError();
  const unsigned char minus_2_75[] = {0x3E, 0x63, 0x1A, 0x66};
  EXPECT_EQ(r.len[0], 4);
  EXPECT_EQ(std::memcmp(r.num, minus_2_75, 4), 0);
  EXPECT_EQ(r.vnu[0], 4);
  EXPECT_EQ(std::memcmp(r.vnu + 1, minus_2_75, 4), 0);
  EXPECT_STREQ(r.str, "-2.75");
  EXPECT_EQ(r.i64, -2);
  EXPECT_EQ(r.i32, -2);
  EXPECT_EQ(r.flt, -2.75);

  // Twenty digits: the bytes and the text are exact; 32 and 64 bits overflow.
  Row big;
  EXPECT_EQ(fetch(1, big), OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-01455: converting column overflows integer datatype");
  Row three;
  EXPECT_EQ(fetch(3, three), OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-01455: converting column overflows integer datatype");
  OCIStmt* stmt = Prepare(c, "select N, N, N from T where K = 1");
  ASSERT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  OCIDefine* def = nullptr;
  Lib().DefineByPos(stmt, &def, c.err, 1, big.num, 22, SQLT_NUM, nullptr, &big.len[0], nullptr, 0);
  Lib().DefineByPos(stmt, &def, c.err, 2, big.str, 48, SQLT_STR, nullptr, nullptr, nullptr, 0);
  Lib().DefineByPos(stmt, &def, c.err, 3, &big.flt, 8, SQLT_FLT, nullptr, nullptr, nullptr, 0);
  ASSERT_EQ(Lib().StmtFetch(stmt, c.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_SUCCESS);
  Lib().HandleFree(stmt, OCI_HTYPE_STMT);
  const unsigned char twenty_digits[] = {0xCA, 13, 35, 57, 79, 91, 13, 35, 57, 79, 91};
  EXPECT_EQ(big.len[0], 11);
  EXPECT_EQ(std::memcmp(big.num, twenty_digits, 11), 0);
  EXPECT_STREQ(big.str, "12345678901234567890");
  EXPECT_EQ(big.flt, 12345678901234567890.0);

  // Binds of each kind store the exact value.
  stmt = Prepare(c, "insert into T values (:k, :n)");
  sb4 key = 10;
  OCIBind* bind = nullptr;
  Lib().BindByName(stmt, &bind, c.err, reinterpret_cast<const OraText*>(":k"), 2, &key, 4, SQLT_INT,
                   nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
  auto insert = [&](const void* value, sb4 size, ub2 dty) {
    Lib().BindByName(stmt, &bind, c.err, reinterpret_cast<const OraText*>(":n"), 2,
                     const_cast<void*>(value), size, dty, nullptr, nullptr, nullptr, 0, nullptr,
                     OCI_DEFAULT);
    EXPECT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 1, 0, nullptr, nullptr, OCI_DEFAULT),
              OCI_SUCCESS)
        << c.LastError();
    ++key;
  };
  const unsigned char vnu[] = {11, 0xCA, 13, 35, 57, 79, 91, 13, 35, 57, 79, 92};
  const char text[] = "-12345678901234567890.125";
  const std::int64_t smallest = INT64_MIN;
  const double tenth = 0.1;
  insert(minus_2_75, 4, SQLT_NUM);
  insert(vnu, 12, SQLT_VNU);
  insert(text, sizeof text, SQLT_STR);
  insert(&smallest, 8, SQLT_INT);
  insert(&tenth, 8, SQLT_FLT);
  Lib().HandleFree(stmt, OCI_HTYPE_STMT);
  EXPECT_EQ(c.Query("select N from T where K >= 10 order by K").values,
            (std::vector<std::vector<std::string>>{{"-2.75"},
                                                   {"12345678901234567891"},
                                                   {"-12345678901234567890.125"},
                                                   {"-9223372036854775808"},
                                                   {".1"}}));
}

struct Pieces {
  std::vector<ub1> asked;
  std::vector<std::vector<char>> buffers;
  std::vector<ub4> lengths;
  sb2 ind = 0;
};

sb4 TakePiece(void* ctx, OCIDefine*, ub4, void** bufpp, ub4** alenp, ub1* piecep, void** indp,
              ub2** rcodep) {
  auto* p = static_cast<Pieces*>(ctx);
  p->asked.push_back(*piecep);
  p->buffers.emplace_back(p->buffers.empty() ? 2000 : p->buffers.back().size() * 2);
  p->lengths.push_back(static_cast<ub4>(p->buffers.back().size()));
  *bufpp = p->buffers.back().data();
  *alenp = &p->lengths.back();
  *indp = &p->ind;
  *rcodep = nullptr;
  return OCI_CONTINUE;
}

TEST_F(Conformance, LongValuesComeInPiecesThroughTheCallback) {
  OciConnection c("system", "manager");
  std::string text;
  for (int i = 0; text.size() < 7000; ++i) text += "line " + std::to_string(i) + "\n";
  ASSERT_EQ(c.Exec("create table T (L long)"), "");
  // Longer than a text literal may be: it goes in through a bind, as on Oracle.
  OCIStmt* insert = Prepare(c, "insert into T values (:v)");
  OCIBind* bind = nullptr;
  ASSERT_EQ(Lib().BindByName(insert, &bind, c.err, reinterpret_cast<const OraText*>(":v"), 2,
                             text.data(), static_cast<sb4>(text.size()), SQLT_LNG, nullptr,
                             nullptr, nullptr, 0, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  ASSERT_EQ(Lib().StmtExecute(c.svc, insert, c.err, 1, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS)
      << c.LastError();
  Lib().HandleFree(insert, OCI_HTYPE_STMT);
  ASSERT_EQ(c.Exec("insert into T values (null)"), "");
  OCIStmt* stmt = Prepare(c, "select L from T");
  ASSERT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  OCIDefine* def = nullptr;
  sb2 ind = 0;
  ASSERT_EQ(Lib().DefineByPos(stmt, &def, c.err, 1, nullptr, 2147483647, SQLT_LNG, &ind, nullptr,
                              nullptr, OCI_DYNAMIC_FETCH),
            OCI_SUCCESS);
  Pieces pieces;
  ASSERT_EQ(Lib().DefineDynamic(def, c.err, &pieces, TakePiece), OCI_SUCCESS);
  ASSERT_EQ(Lib().StmtFetch(stmt, c.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_SUCCESS);
  // 2000 + 4000 + 8000 bytes of room: three pieces, FIRST then NEXT.
  ASSERT_EQ(pieces.asked, (std::vector<ub1>{OCI_FIRST_PIECE, OCI_NEXT_PIECE, OCI_NEXT_PIECE}));
  std::string value;
  for (std::size_t i = 0; i < pieces.buffers.size(); ++i)
    value.append(pieces.buffers[i].data(), pieces.lengths[i]);
  EXPECT_EQ(value, text);
  EXPECT_EQ(pieces.ind, 0);

  pieces = Pieces{};
  ASSERT_EQ(Lib().StmtFetch(stmt, c.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_SUCCESS);
  EXPECT_EQ(pieces.ind, -1);
  EXPECT_EQ(pieces.lengths.back(), 0u);
  Lib().HandleFree(stmt, OCI_HTYPE_STMT);

  // The dictionary's LONG column goes the same way.
  ASSERT_EQ(c.Exec("create table D (A varchar2(10) default 'abc' not null)"), "");
  const Rows rows = c.Query(
      "select column_name, data_default from user_tab_columns "
      "where table_name = 'D'");
  ASSERT_EQ(rows.values.size(), 1u);
  EXPECT_EQ(rows.values[0][1], "'abc' ");
}

struct LobPieces {
  std::vector<ub1> pieces;
  std::string data;
};

sb4 TakeLobPiece(void* context, const void* buffer, ub4 length, ub1 piece) {
  auto& pieces = *static_cast<LobPieces*>(context);
  pieces.pieces.push_back(piece);
  pieces.data.append(static_cast<const char*>(buffer), length);
  return OCI_CONTINUE;
}

TEST_F(Conformance, LobLocatorsReadTheFetchedValues) {
  OciConnection c("system", "manager");
  ASSERT_EQ(c.Exec("create table L (N number, C clob, B blob)"), "");
  ASSERT_EQ(c.Exec("insert into L values (2, empty_clob(), empty_blob())"), "");
  ASSERT_EQ(c.Exec("insert into L values (3, null, null)"), "");
  std::string big;
  for (int i = 0; big.size() < 70000; ++i) big += "row " + std::to_string(i) + ";";
  const std::string bytes("\0\xFF\x10", 3);
  for (const auto& [n, text, raw] : {std::tuple{1, std::string("hello world"), bytes},
                                     std::tuple{4, big, std::string()}}) {
    OCIStmt* insert = Prepare(c, "insert into L values (" + std::to_string(n) + ", :c, :b)");
    OCIBind* bind = nullptr;
    sb2 raw_ind = raw.empty() ? -1 : 0;
    ASSERT_EQ(Lib().BindByName(insert, &bind, c.err, reinterpret_cast<const OraText*>(":c"), 2,
                               const_cast<char*>(text.data()), static_cast<sb4>(text.size()),
                               SQLT_LNG, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(Lib().BindByName(insert, &bind, c.err, reinterpret_cast<const OraText*>(":b"), 2,
                               const_cast<char*>(raw.data()), static_cast<sb4>(raw.size()),
                               SQLT_BIN, &raw_ind, nullptr, nullptr, 0, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(Lib().StmtExecute(c.svc, insert, c.err, 1, 0, nullptr, nullptr, OCI_DEFAULT),
              OCI_SUCCESS)
        << c.LastError();
    Lib().HandleFree(insert, OCI_HTYPE_STMT);
  }

  OCIStmt* stmt = Prepare(c, "select C, B from L order by N");
  ASSERT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  void* param = nullptr;
  ASSERT_EQ(Lib().ParamGet(stmt, OCI_HTYPE_STMT, c.err, &param, 1), OCI_SUCCESS);
  EXPECT_EQ(Attr<ub2>(c, param, OCI_DTYPE_PARAM, OCI_ATTR_DATA_TYPE), SQLT_CLOB);
  EXPECT_EQ(Attr<ub2>(c, param, OCI_DTYPE_PARAM, OCI_ATTR_DATA_SIZE), 4000);
  auto alloc = reinterpret_cast<OCIDescriptorAlloc_t>(Lib().Symbol("OCIDescriptorAlloc"));
  OCILobLocator* clobs[4];
  OCILobLocator* blobs[4];
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(alloc(c.env, reinterpret_cast<void**>(&clobs[i]), OCI_DTYPE_LOB, 0, nullptr),
              OCI_SUCCESS);
    ASSERT_EQ(alloc(c.env, reinterpret_cast<void**>(&blobs[i]), OCI_DTYPE_LOB, 0, nullptr),
              OCI_SUCCESS);
  }
  sb2 clob_ind[4], blob_ind[4];
  OCIDefine* def = nullptr;
  ASSERT_EQ(Lib().DefineByPos(stmt, &def, c.err, 1, clobs, sizeof(OCILobLocator*), SQLT_CLOB,
                              clob_ind, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  ASSERT_EQ(Lib().DefineByPos(stmt, &def, c.err, 2, blobs, sizeof(OCILobLocator*), SQLT_BLOB,
                              blob_ind, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  ASSERT_EQ(Lib().StmtFetch(stmt, c.err, 4, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_SUCCESS)
      << c.LastError();
  EXPECT_EQ((std::vector<sb2>(clob_ind, clob_ind + 4)), (std::vector<sb2>{0, 0, -1, 0}));
  EXPECT_EQ((std::vector<sb2>(blob_ind, blob_ind + 4)), (std::vector<sb2>{0, 0, -1, -1}));

  auto length_of = reinterpret_cast<OCILobGetLength_t>(Lib().Symbol("OCILobGetLength"));
  auto read = reinterpret_cast<OCILobRead_t>(Lib().Symbol("OCILobRead"));
  auto is_init = reinterpret_cast<OCILobLocatorIsInit_t>(Lib().Symbol("OCILobLocatorIsInit"));
  auto length = [&](OCILobLocator* lob) {
    ub4 n = 99;
    EXPECT_EQ(length_of(c.svc, c.err, lob, &n), OCI_SUCCESS) << c.LastError();
    return n;
  };
  char buffer[100];
  auto read_part = [&](OCILobLocator* lob, ub4 offset, ub4 amount, sword expected) {
    ub4 n = amount;
    EXPECT_EQ(read(c.svc, c.err, lob, &n, offset, buffer, sizeof buffer, nullptr, nullptr, 0, 0),
              expected);
    return std::string(buffer, n);
  };
  EXPECT_EQ(length(clobs[0]), 11u);
  EXPECT_EQ(read_part(clobs[0], 1, 11, OCI_SUCCESS), "hello world");
  EXPECT_EQ(read_part(clobs[0], 7, 3, OCI_SUCCESS), "wor");
  EXPECT_EQ(length(blobs[0]), 3u);
  EXPECT_EQ(read_part(blobs[0], 1, 0, OCI_SUCCESS), bytes);
  // The empty LOB is a value of no length; NULL has no value to read.
  EXPECT_EQ(length(clobs[1]), 0u);
  EXPECT_EQ(read_part(clobs[1], 1, 5, OCI_NO_DATA), "");
  int initialized = -1;
  EXPECT_EQ(is_init(c.env, c.err, clobs[2], &initialized), OCI_SUCCESS);
  EXPECT_EQ(initialized, 0);
  ub4 n = 0;
  EXPECT_EQ(length_of(c.svc, c.err, clobs[2], &n), OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-22275: invalid LOB locator specified");

  // A value larger than the buffer is polled for in parts, or handed to a callback piece by
  // piece.
  EXPECT_EQ(length(clobs[3]), big.size());
  std::string polled;
  ub4 amount = 0;
  sword status;
  int calls = 0;
  do {
    std::vector<char> part(30000);
    amount = 0;
    status = read(c.svc, c.err, clobs[3], &amount, 1, part.data(), 30000, nullptr, nullptr, 0, 0);
    polled.append(part.data(), amount);
    ++calls;
  } while (status == OCI_NEED_DATA);
  EXPECT_EQ(status, OCI_SUCCESS);
  EXPECT_EQ(calls, 3);
  EXPECT_TRUE(polled == big);
  LobPieces pieces;
  std::vector<char> part(30000);
  amount = 0;
  EXPECT_EQ(read(c.svc, c.err, clobs[3], &amount, 69001, part.data(), 30000, &pieces,
                 TakeLobPiece, 0, 0),
            OCI_SUCCESS);
  EXPECT_TRUE(pieces.data == big.substr(69000));
  EXPECT_EQ(pieces.pieces, std::vector<ub1>{OCI_ONE_PIECE});
  pieces = LobPieces{};
  amount = 0;
  EXPECT_EQ(read(c.svc, c.err, clobs[3], &amount, 1, part.data(), 30000, &pieces, TakeLobPiece,
                 0, 0),
            OCI_SUCCESS);
  EXPECT_EQ(pieces.pieces, (std::vector<ub1>{OCI_FIRST_PIECE, OCI_NEXT_PIECE, OCI_LAST_PIECE}));
  EXPECT_TRUE(pieces.data == big);
  EXPECT_EQ(amount, big.size());
  Lib().HandleFree(stmt, OCI_HTYPE_STMT);
  for (int i = 0; i < 4; ++i) {
    Lib().DescriptorFree(clobs[i], OCI_DTYPE_LOB);
    Lib().DescriptorFree(blobs[i], OCI_DTYPE_LOB);
  }

  // LOBs are not compared, and a locator takes only a LOB of its kind.
  for (const char* sql : {"select N from L where C = 'x'", "select N from L order by C",
                          "select distinct B from L", "select C, count(*) from L group by C"})
    EXPECT_EQ(c.ErrorOf(sql).substr(0, 44), "ORA-00932: inconsistent datatypes: expected ")
        << sql;
  EXPECT_EQ(c.ErrorOf("select N from L where C = 'x'"),
            "ORA-00932: inconsistent datatypes: expected - got CLOB");
  const Rows types = c.Query(
      "select column_name, data_type, data_length from user_tab_columns "
      "where table_name = 'L' order by column_id");
  ASSERT_EQ(types.values.size(), 3u);
  EXPECT_EQ(types.values[1], (std::vector<std::string>{"C", "CLOB", "4000"}));
  EXPECT_EQ(types.values[2], (std::vector<std::string>{"B", "BLOB", "4000"}));
  stmt = Prepare(c, "select N from L");
  ASSERT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  OCILobLocator* lob = nullptr;
  ASSERT_EQ(alloc(c.env, reinterpret_cast<void**>(&lob), OCI_DTYPE_LOB, 0, nullptr), OCI_SUCCESS);
  ASSERT_EQ(Lib().DefineByPos(stmt, &def, c.err, 1, &lob, sizeof lob, SQLT_CLOB, nullptr, nullptr,
                              nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  EXPECT_EQ(Lib().StmtFetch(stmt, c.err, 1, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-00932: inconsistent datatypes: expected CLOB got NUMBER");
  Lib().HandleFree(stmt, OCI_HTYPE_STMT);
  Lib().DescriptorFree(lob, OCI_DTYPE_LOB);
}

TEST_F(Conformance, FileLocatorsReadFilesOfADirectoryWhileOpen) {
  OciConnection c("system", "manager");
  std::filesystem::create_directory(home_ + "/docs");
  const std::string bytes("PK\0\x03 file", 10);
  std::ofstream(home_ + "/docs/a.bin", std::ios::binary) << bytes;
  ASSERT_EQ(c.Exec("create directory docs as 'docs'"), "");
  EXPECT_EQ(c.Exec("create directory docs as '/elsewhere'"),
            "ORA-00955: name is already used by an existing object");
  ASSERT_EQ(c.Exec("create or replace directory docs as '" + home_ + "/docs'"), "");
  EXPECT_EQ(c.Query("select directory_name, directory_path from all_directories").values,
            (std::vector<std::vector<std::string>>{{"DOCS", home_ + "/docs"}}));
  EXPECT_EQ(c.Exec("drop directory nosuch"), "ORA-04043: object NOSUCH does not exist");
  ASSERT_EQ(c.Exec("create user reader identified by pw"), "");
  ASSERT_EQ(c.Exec("grant connect, resource to reader"), "");
  EXPECT_EQ(OciConnection("reader", "pw").Exec("create directory mine as '/tmp'"),
            "ORA-01031: insufficient privileges");

  ASSERT_EQ(c.Exec("create table F (N number, F bfile)"), "");
  ASSERT_EQ(c.Exec("insert into F values (1, bfilename('DOCS', 'a.bin'))"), "");
  ASSERT_EQ(c.Exec("insert into F values (2, bfilename('DOCS', 'missing.bin'))"), "");
  ASSERT_EQ(c.Exec("insert into F values (3, bfilename('NODIR', 'a.bin'))"), "");
  EXPECT_EQ(c.Exec("insert into F values (4, 'a.bin')"),
            "ORA-00932: inconsistent datatypes: expected FILE got CHAR");
  OCIStmt* stmt = Prepare(c, "select F from F order by N");
  ASSERT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  auto alloc = reinterpret_cast<OCIDescriptorAlloc_t>(Lib().Symbol("OCIDescriptorAlloc"));
  OCILobLocator* files[3];
  for (auto& file : files)
    ASSERT_EQ(alloc(c.env, reinterpret_cast<void**>(&file), OCI_DTYPE_FILE, 0, nullptr),
              OCI_SUCCESS);
  OCIDefine* def = nullptr;
  ASSERT_EQ(Lib().DefineByPos(stmt, &def, c.err, 1, files, sizeof(OCILobLocator*), SQLT_BFILE,
                              nullptr, nullptr, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  ASSERT_EQ(Lib().StmtFetch(stmt, c.err, 3, OCI_FETCH_NEXT, OCI_DEFAULT), OCI_SUCCESS)
      << c.LastError();

  auto open = reinterpret_cast<OCILobFileOpen_t>(Lib().Symbol("OCILobFileOpen"));
  auto close = reinterpret_cast<OCILobFileClose_t>(Lib().Symbol("OCILobFileClose"));
  auto is_open = reinterpret_cast<OCILobFileIsOpen_t>(Lib().Symbol("OCILobFileIsOpen"));
  auto exists = reinterpret_cast<OCILobFileExists_t>(Lib().Symbol("OCILobFileExists"));
  auto get_name = reinterpret_cast<OCILobFileGetName_t>(Lib().Symbol("OCILobFileGetName"));
  auto length_of = reinterpret_cast<OCILobGetLength_t>(Lib().Symbol("OCILobGetLength"));
  auto read = reinterpret_cast<OCILobRead_t>(Lib().Symbol("OCILobRead"));
  char buffer[64];
  auto read_all = [&](OCILobLocator* file, sword expected) {
    ub4 n = 0;
    EXPECT_EQ(read(c.svc, c.err, file, &n, 1, buffer, sizeof buffer, nullptr, nullptr, 0, 0),
              expected);
    return std::string(buffer, expected == OCI_SUCCESS ? n : 0);
  };
  ub4 length = 0;
  EXPECT_EQ(length_of(c.svc, c.err, files[0], &length), OCI_SUCCESS) << c.LastError();
  EXPECT_EQ(length, bytes.size());
  read_all(files[0], OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-22289: cannot perform FILEREAD operation on an unopened file or LOB");
  ASSERT_EQ(open(c.svc, c.err, files[0], OCI_FILE_READONLY), OCI_SUCCESS) << c.LastError();
  int flag = 0;
  EXPECT_EQ(is_open(c.svc, c.err, files[0], &flag), OCI_SUCCESS);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(read_all(files[0], OCI_SUCCESS), bytes);
  EXPECT_EQ(close(c.svc, c.err, files[0]), OCI_SUCCESS);
  EXPECT_EQ(is_open(c.svc, c.err, files[0], &flag), OCI_SUCCESS);
  EXPECT_EQ(flag, 0);
  OraText directory[30], name[30];
  ub2 directory_length = sizeof directory, name_length = sizeof name;
  EXPECT_EQ(get_name(c.env, c.err, files[0], directory, &directory_length, name, &name_length),
            OCI_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(directory), directory_length), "DOCS");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name), name_length), "a.bin");

  EXPECT_EQ(exists(c.svc, c.err, files[1], &flag), OCI_SUCCESS);
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(open(c.svc, c.err, files[1], OCI_FILE_READONLY), OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-22288: file or LOB operation FILEOPEN failed");
  EXPECT_EQ(open(c.svc, c.err, files[2], OCI_FILE_READONLY), OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-22285: non-existent directory or file for FILEOPEN operation");
  Lib().HandleFree(stmt, OCI_HTYPE_STMT);
  for (auto* file : files) Lib().DescriptorFree(file, OCI_DTYPE_FILE);
}

TEST_F(Conformance, ParseErrorOffsetIsAnsweredUnderBothNumbers) {
  OciConnection c("system", "manager");
  struct Case {
    std::string sql;
    ub2 offset;
    std::string error;
  };
  const Case cases[] = {
      {"select * from nosuch", 14, "ORA-00942: table or view does not exist"},
      {"select * form dual", 9, "ORA-00923: FROM keyword not found where expected"},
      {"select dummy\nfrom dual where nosuch = 1", 29, "ORA-00904: \"NOSUCH\": invalid identifier"},
      {"select * from dual;", 18, "ORA-00911: invalid character"},
  };
  for (const Case& k : cases) {
    OCIStmt* stmt = Prepare(c, k.sql);
    EXPECT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT),
              OCI_ERROR);
    EXPECT_EQ(c.LastError(), k.error);
    EXPECT_EQ(Attr<ub2>(c, stmt, OCI_HTYPE_STMT, OCI_ATTR_PARSE_ERROR_OFFSET), k.offset) << k.sql;
    EXPECT_EQ(Attr<ub2>(c, stmt, OCI_HTYPE_STMT, OCI_ATTR_PARSE_ERROR_OFFSET_V80), k.offset);
    Lib().HandleFree(stmt, OCI_HTYPE_STMT);
  }
}

std::string Count(OciConnection& c) {
  return c.Query("select count(*) from T").values[0][0];
}

TEST_F(Conformance, SessionEndCommitsWhatASecondSessionThenSees) {
  OciConnection writer("system", "manager");
  OciConnection reader("system", "manager");
  ASSERT_EQ(writer.Exec("create table T (A varchar2(5))"), "");
  ASSERT_EQ(writer.Exec("insert into T values ('x')"), "");
  EXPECT_EQ(Count(reader), "0");
  EXPECT_EQ(Count(writer), "1");
  writer.EndSession();
  EXPECT_EQ(Count(reader), "1");
}

TEST_F(Conformance, CommitRollbackAndDdlDelimitTransactions) {
  OciConnection a("system", "manager");
  OciConnection b("system", "manager");
  ASSERT_EQ(a.Exec("create table T (A varchar2(5))"), "");
  a.Exec("insert into T values ('1')");
  a.Rollback();
  EXPECT_EQ(Count(a), "0");
  a.Exec("insert into T values ('2')");
  a.Commit();
  EXPECT_EQ(Count(b), "1");
  a.Exec("insert into T values ('3')");
  ASSERT_EQ(a.Exec("create table U (B number)"), "");  // DDL commits what is open
  a.Rollback();
  EXPECT_EQ(Count(b), "2");
  // A failing DDL statement has committed too.
  a.Exec("insert into T values ('4')");
  EXPECT_EQ(a.Exec("create table U (B number)"),
            "ORA-00955: name is already used by an existing object");
  EXPECT_EQ(Count(b), "3");
}

TEST_F(Conformance, DetachWithoutSessionEndLosesOpenWork) {
  OciConnection reader("system", "manager");
  ASSERT_EQ(reader.Exec("create table T (A varchar2(5))"), "");
  {
    OciConnection writer("system", "manager");
    ASSERT_EQ(writer.Exec("insert into T values ('x')"), "");
    writer.Detach();
  }
  EXPECT_EQ(Count(reader), "0");
}

TEST_F(Conformance, AProcessThatDiesLeavesNothingOfItsOpenTransaction) {
  {
    OciConnection setup("system", "manager");
    ASSERT_EQ(setup.Exec("create table T (A varchar2(5))"), "");
  }
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    try {
      OciConnection c("system", "manager");
      const bool inserted = c.Exec("insert into T values ('x')").empty() && Count(c) == "1";
      _exit(inserted ? 0 : 1);  // dies with the connection open: no session end, no commit
    } catch (...) {
      _exit(1);
    }
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "the child could not insert";
  OciConnection c("system", "manager");
  EXPECT_EQ(Count(c), "0");
  EXPECT_EQ(c.Exec("insert into T values ('y')"), "");  // nothing was left locked
}

TEST_F(Conformance, BindsByNameWithArrays) {
  OciConnection c("system", "manager");
  ASSERT_EQ(c.Exec("create table T (N number, S varchar2(10), D date)"), "");
  OCIStmt* stmt = Prepare(c, "insert into T values (:n, :s, :d)");
  sb4 numbers[3] = {1, 2, 3};
  char texts[3][4] = {"one", "two", ""};
  sb2 text_ind[3] = {0, 0, -1};
  unsigned char dates[3][7] = {
      {120, 103, 3, 15, 1, 1, 1}, {120, 103, 3, 16, 1, 1, 1}, {120, 103, 3, 17, 1, 1, 1}};
  OCIBind* bind = nullptr;
  ASSERT_EQ(Lib().BindByName(stmt, &bind, c.err, reinterpret_cast<const OraText*>(":N"), 2, numbers,
                             4, SQLT_INT, nullptr, nullptr, nullptr, 3, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  ASSERT_EQ(Lib().BindByName(stmt, &bind, c.err, reinterpret_cast<const OraText*>(":s"), 2, texts,
                             4, SQLT_STR, text_ind, nullptr, nullptr, 3, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  ASSERT_EQ(Lib().BindByName(stmt, &bind, c.err, reinterpret_cast<const OraText*>(":D"), 2, dates,
                             7, SQLT_DAT, nullptr, nullptr, nullptr, 3, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  ASSERT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 3, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS)
      << c.LastError();
  EXPECT_EQ(Attr<ub4>(c, stmt, OCI_HTYPE_STMT, OCI_ATTR_ROW_COUNT), 3u);
  Lib().HandleFree(stmt, OCI_HTYPE_STMT);
  const Rows rows = c.Query("select N, S, to_char(D, 'DD.MM.YYYY') from T order by N");
  ASSERT_EQ(rows.values.size(), 3u);
  EXPECT_EQ(rows.values[1], (std::vector<std::string>{"2", "two", "16.03.2003"}));
  EXPECT_EQ(rows.values[2][1], "<null>");

  // A failing row stops the array: the rows before it are done and counted, as Oracle does
  // without OCI_BATCH_ERRORS.
  ASSERT_EQ(c.Exec("create table K (N number primary key)"), "");
  stmt = Prepare(c, "insert into K values (:n)");
  sb4 keys[4] = {1, 2, 2, 3};
  ASSERT_EQ(Lib().BindByName(stmt, &bind, c.err, reinterpret_cast<const OraText*>(":n"), 2, keys, 4,
                             SQLT_INT, nullptr, nullptr, nullptr, 4, nullptr, OCI_DEFAULT),
            OCI_SUCCESS);
  EXPECT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 4, 0, nullptr, nullptr, OCI_DEFAULT), OCI_ERROR);
  EXPECT_EQ(c.LastError().substr(0, 30), "ORA-00001: unique constraint (");
  EXPECT_EQ(Attr<ub4>(c, stmt, OCI_HTYPE_STMT, OCI_ATTR_ROW_COUNT), 2u);
  Lib().HandleFree(stmt, OCI_HTYPE_STMT);
  EXPECT_EQ(c.Query("select count(*) from K").values[0][0], "2");

  stmt = Prepare(c, "select * from T where N = :missing");
  EXPECT_EQ(Lib().StmtExecute(c.svc, stmt, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT), OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-01008: not all variables bound");
  Lib().HandleFree(stmt, OCI_HTYPE_STMT);
}

TEST_F(Conformance, ClientCharacterSetAndTerritoryComeFromNlsLang) {
  {
    OciConnection c("system", "manager");
    ASSERT_EQ(c.Exec("create table T (S varchar2(5), N number, D date)"), "");
    ASSERT_EQ(c.Exec("insert into T values ('Жёлтый', 1.5, sysdate)"),
              "ORA-12899: value too large for column \"SYSTEM\".\"T\".\"S\" (actual: 6, "
              "maximum: 5)");
    ASSERT_EQ(c.Exec("insert into T values ('Жёлт', 1.5, to_date('01.02.2003', 'DD.MM.YYYY'))"),
              "");
    c.Commit();
  }
  setenv("NLS_LANG", "RUSSIAN_RUSSIA.CL8MSWIN1251", 1);
  OciConnection c("system", "manager");
  const Rows rows = c.Query("select S, N, D from T");
  EXPECT_EQ(rows.values[0][0], "\xC6\xB8\xEB\xF2");  // the same text in code page 1251
  EXPECT_EQ(rows.values[0][1], "1,5");
  EXPECT_EQ(rows.values[0][2], "01.02.03");
  EXPECT_EQ(c.Exec("insert into T (N) values ('2,25')"), "");
  EXPECT_EQ(c.Exec("insert into T (N) values ('2.25')"), "ORA-01722: invalid number");
  // Text sent in code page 1251 is stored as the same characters.
  EXPECT_EQ(c.Exec("insert into T (S) values ('\xC6\xB8')"), "");
  EXPECT_EQ(c.Query("select count(*) from T where S = '\xC6\xB8'").values[0][0], "1");
}

TEST_F(Conformance, NlsDateFormatFromTheEnvironmentOnlyWithNlsLang) {
  setenv("NLS_DATE_FORMAT", "DD.MM.RRRR", 1);
  {
    OciConnection c("system", "manager");
    EXPECT_EQ(c.Query("select to_char(to_date('15.03.2003'), 'YYYY-MM-DD') from dual").values[0][0],
              "2003-03-15");
  }
  unsetenv("NLS_LANG");
  OciConnection c("system", "manager");
  EXPECT_EQ(c.Query("select to_char(to_date('15-MAR-03'), 'YYYY-MM-DD') from dual").values[0][0],
            "2003-03-15");
}

TEST_F(Conformance, ReleaseSevenCallsOverTheSameEngine) {
  {
    OciConnection c("system", "manager");
    Fill(c, 3);
    c.Commit();
  }
  auto olog = reinterpret_cast<olog_t>(Lib().Symbol("olog"));
  auto oopen = reinterpret_cast<oopen_t>(Lib().Symbol("oopen"));
  auto oparse = reinterpret_cast<oparse_t>(Lib().Symbol("oparse"));
  auto odescr = reinterpret_cast<odescr_t>(Lib().Symbol("odescr"));
  auto odefin = reinterpret_cast<odefin_t>(Lib().Symbol("odefin"));
  auto oexfet = reinterpret_cast<oexfet_t>(Lib().Symbol("oexfet"));
  auto ofen = reinterpret_cast<ofen_t>(Lib().Symbol("ofen"));
  auto oerhms = reinterpret_cast<oerhms_t>(Lib().Symbol("oerhms"));
  auto oexec = reinterpret_cast<oexec_t>(Lib().Symbol("oexec"));
  auto oclose = reinterpret_cast<oclose_t>(Lib().Symbol("oclose"));
  auto ologof = reinterpret_cast<ologof_t>(Lib().Symbol("ologof"));
  Lda_Def lda{};
  ub1 hda[HDA_SIZE] = {};
  ASSERT_EQ(olog(&lda, hda, reinterpret_cast<OraText*>(const_cast<char*>("system/manager@orcl")),
                 -1, nullptr, -1, nullptr, -1, OCI_LM_DEF),
            0);
  Cda_Def cda{};
  ASSERT_EQ(oopen(&cda, &lda, nullptr, -1, -1, nullptr, -1), 0);
  char sql[] = "select N, S from T order by N";
  ASSERT_EQ(oparse(&cda, reinterpret_cast<OraText*>(sql), -1, 1, 2), 0);
  EXPECT_EQ(cda.ft, 4);
  sb4 dbsize = 0;
  sb2 dbtype = 0;
  sb1 name[30];
  sb4 name_len = sizeof name;
  EXPECT_EQ(odescr(&cda, 2, &dbsize, &dbtype, name, &name_len, nullptr, nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(dbtype, SQLT_CHR);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name), name_len), "S");
  EXPECT_NE(odescr(&cda, 3, &dbsize, &dbtype, name, &name_len, nullptr, nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(cda.rc, 1007);
  sb4 numbers[2];
  sb2 ind[2];
  ASSERT_EQ(odefin(&cda, 1, reinterpret_cast<ub1*>(numbers), 4, SQLT_INT, -1, ind, nullptr, -1, -1,
                   nullptr, nullptr),
            0);
  EXPECT_EQ(oexfet(&cda, 2, 0, 0), 0);
  EXPECT_EQ(cda.rpc, 2u);
  EXPECT_EQ(numbers[1], 2);
  EXPECT_NE(ofen(&cda, 2), 0);
  EXPECT_EQ(cda.rc, 1403);
  EXPECT_EQ(cda.rpc, 3u);
  EXPECT_EQ(numbers[0], 3);

  char bad[] = "insert into T values ('x', 'y')";
  oparse(&cda, reinterpret_cast<OraText*>(bad), -1, 1, 2);
  EXPECT_NE(oexec(&cda), 0);
  EXPECT_EQ(cda.rc, 1722);
  char message[200];
  oerhms(&lda, static_cast<sb2>(cda.rc), reinterpret_cast<OraText*>(message), sizeof message);
  EXPECT_STREQ(message, "ORA-01722: invalid number\n");
  char insert[] = "insert into T values (4, 'd')";
  oparse(&cda, reinterpret_cast<OraText*>(insert), -1, 1, 2);
  EXPECT_EQ(oexec(&cda), 0);
  EXPECT_EQ(cda.ft, 3);
  EXPECT_EQ(cda.rpc, 1u);
  EXPECT_EQ(oclose(&cda), 0);
  EXPECT_EQ(ologof(&lda), 0);  // commits
  OciConnection c("system", "manager");
  EXPECT_EQ(Count(c), "4");
}

TEST_F(Conformance, ReleaseSevenParsesNowOrDeferredAndReadsLongValuesInParts) {
  auto olog = reinterpret_cast<olog_t>(Lib().Symbol("olog"));
  auto oopen = reinterpret_cast<oopen_t>(Lib().Symbol("oopen"));
  auto oparse = reinterpret_cast<oparse_t>(Lib().Symbol("oparse"));
  auto oexec = reinterpret_cast<oexec_t>(Lib().Symbol("oexec"));
  auto obndra = reinterpret_cast<obndra_t>(Lib().Symbol("obndra"));
  auto odefin = reinterpret_cast<odefin_t>(Lib().Symbol("odefin"));
  auto oexfet = reinterpret_cast<oexfet_t>(Lib().Symbol("oexfet"));
  auto oflng = reinterpret_cast<oflng_t>(Lib().Symbol("oflng"));
  auto ologof = reinterpret_cast<ologof_t>(Lib().Symbol("ologof"));
  auto text = [](const char* s) { return reinterpret_cast<OraText*>(const_cast<char*>(s)); };
  Lda_Def lda{};
  ub1 hda[HDA_SIZE] = {};
  ASSERT_EQ(olog(&lda, hda, text("system/manager"), -1, nullptr, -1, nullptr, -1, OCI_LM_DEF), 0);
  Cda_Def cda{};
  ASSERT_EQ(oopen(&cda, &lda, nullptr, -1, -1, nullptr, -1), 0);

  // Parsed at once, a definition runs there and then; executing the cursor does not repeat it.
  // Deferred, it runs at the execution.
  Cda_Def probe{};
  ASSERT_EQ(oopen(&probe, &lda, nullptr, -1, -1, nullptr, -1), 0);
  ASSERT_EQ(oparse(&cda, text("create table L (N number, TXT long)"), -1, 0, 2), 0);
  EXPECT_EQ(oparse(&probe, text("select N from L"), -1, 0, 2), 0);
  EXPECT_EQ(oexec(&cda), 0);
  EXPECT_EQ(cda.fc, OCI7_FC_OEXEC);
  ASSERT_EQ(oparse(&cda, text("create table M (N number)"), -1, 1, 2), 0);
  EXPECT_NE(oparse(&probe, text("select N from M"), -1, 0, 2), 0);
  EXPECT_EQ(probe.rc, 942);
  EXPECT_EQ(oexec(&cda), 0);
  EXPECT_EQ(oparse(&probe, text("select N from M"), -1, 0, 2), 0);

  // A parse error comes back at once, or with the execution of a deferred parse.
  const char* bad = "select N from nosuch";
  EXPECT_NE(oparse(&cda, text(bad), -1, 0, 2), 0);
  EXPECT_EQ(cda.rc, 942);
  EXPECT_EQ(cda.peo, 14);
  EXPECT_EQ(oparse(&cda, text(bad), -1, 1, 2), 0);
  EXPECT_NE(oexec(&cda), 0);
  EXPECT_EQ(cda.rc, 942);
  EXPECT_EQ(cda.peo, 14);

  // A LONG value longer than its buffer: the fetch succeeds with the first part and the length
  // in the indicator; oflng reads on from any offset.
  std::string value(5000, 'x');
  for (std::size_t i = 0; i < value.size(); ++i) value[i] = static_cast<char>('a' + i % 26);
  ASSERT_EQ(oparse(&cda, text("insert into L values (1, :T)"), -1, 1, 2), 0);
  ASSERT_EQ(obndra(&cda, text(":T"), -1, reinterpret_cast<ub1*>(value.data()),
                   static_cast<sword>(value.size()), SQLT_LNG, -1, nullptr, nullptr, nullptr, 0,
                   nullptr, nullptr, -1, -1),
            0);
  ASSERT_EQ(oexec(&cda), 0);
  ASSERT_EQ(oparse(&cda, text("select TXT from L"), -1, 1, 2), 0);
  char first[2000];
  sb2 ind = 0;
  ub2 length = 0;
  ASSERT_EQ(odefin(&cda, 1, reinterpret_cast<ub1*>(first), sizeof first, SQLT_LNG, -1, &ind,
                   nullptr, -1, -1, &length, nullptr),
            0);
  EXPECT_EQ(oexfet(&cda, 1, 0, 0), 0);
  EXPECT_EQ(length, 2000);
  EXPECT_EQ(ind, 5000);
  EXPECT_EQ(std::string(first, 2000), value.substr(0, 2000));
  char rest[4000];
  ub4 read = 0;
  EXPECT_EQ(oflng(&cda, 1, reinterpret_cast<ub1*>(rest), sizeof rest, SQLT_LNG, &read, 2000), 0);
  EXPECT_EQ(read, 3000u);
  EXPECT_EQ(std::string(rest, read), value.substr(2000));
  EXPECT_EQ(ologof(&lda), 0);
}

TEST_F(Conformance, ServiceContextSwitchesToALogonDataAreaAndBack) {
  OciConnection c("system", "manager");
  auto to_lda = reinterpret_cast<OCISvcCtxToLda_t>(Lib().Symbol("OCISvcCtxToLda"));
  auto to_svc = reinterpret_cast<OCILdaToSvcCtx_t>(Lib().Symbol("OCILdaToSvcCtx"));
  auto oopen = reinterpret_cast<oopen_t>(Lib().Symbol("oopen"));
  auto oparse = reinterpret_cast<oparse_t>(Lib().Symbol("oparse"));
  auto oexec = reinterpret_cast<oexec_t>(Lib().Symbol("oexec"));
  Lda_Def lda{};
  ASSERT_EQ(to_lda(c.svc, c.err, &lda), OCI_SUCCESS);
  Cda_Def cda{};
  ASSERT_EQ(oopen(&cda, &lda, nullptr, -1, -1, nullptr, -1), 0);
  char sql[] = "create table T (A number)";
  ASSERT_EQ(oparse(&cda, reinterpret_cast<OraText*>(sql), -1, 1, 2), 0);
  ASSERT_EQ(oexec(&cda), 0);
  OCISvcCtx* svc = nullptr;
  ASSERT_EQ(to_svc(&svc, c.err, &lda), OCI_SUCCESS);
  EXPECT_EQ(svc, c.svc);
  EXPECT_EQ(Count(c), "0");
}

TEST_F(Conformance, OlderInitialisationLogonCallsAndCommitOnSuccess) {
  auto initialize = reinterpret_cast<OCIInitialize_t>(Lib().Symbol("OCIInitialize"));
  auto env_init = reinterpret_cast<OCIEnvInit_t>(Lib().Symbol("OCIEnvInit"));
  auto logon = reinterpret_cast<OCILogon_t>(Lib().Symbol("OCILogon"));
  auto logoff = reinterpret_cast<OCILogoff_t>(Lib().Symbol("OCILogoff"));
  ASSERT_EQ(initialize(OCI_THREADED | OCI_OBJECT, nullptr, nullptr, nullptr, nullptr), OCI_SUCCESS);
  OCIEnv* env = nullptr;
  ASSERT_EQ(env_init(&env, OCI_ENV_NO_MUTEX, 0, nullptr), OCI_SUCCESS);
  void* err = nullptr;
  ASSERT_EQ(Lib().HandleAlloc(env, &err, OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
  auto* e = static_cast<OCIError*>(err);
  OCISvcCtx* svc = nullptr;
  auto text = [](const char* s) { return reinterpret_cast<const OraText*>(s); };
  ASSERT_EQ(logon(env, e, &svc, text("system"), 6, text("manager"), 7, text("orcl"), 4),
            OCI_SUCCESS);
  void* stmt = nullptr;
  Lib().HandleAlloc(env, &stmt, OCI_HTYPE_STMT, 0, nullptr);
  const std::string sql = "create table T (A number)";
  Lib().StmtPrepare(static_cast<OCIStmt*>(stmt), e, text(sql.c_str()), static_cast<ub4>(sql.size()),
                    OCI_NTV_SYNTAX, OCI_DEFAULT);
  ASSERT_EQ(
      Lib().StmtExecute(svc, static_cast<OCIStmt*>(stmt), e, 1, 0, nullptr, nullptr, OCI_DEFAULT),
      OCI_SUCCESS);
  const std::string insert = "insert into T values (1)";
  Lib().StmtPrepare(static_cast<OCIStmt*>(stmt), e, text(insert.c_str()),
                    static_cast<ub4>(insert.size()), OCI_NTV_SYNTAX, OCI_DEFAULT);
  ASSERT_EQ(Lib().StmtExecute(svc, static_cast<OCIStmt*>(stmt), e, 1, 0, nullptr, nullptr,
                              OCI_COMMIT_ON_SUCCESS),
            OCI_SUCCESS);
  {
    OciConnection other("system", "manager");
    EXPECT_EQ(Count(other), "1");  // committed by the execute itself
  }
  ASSERT_EQ(logoff(svc, e), OCI_SUCCESS);
  Lib().HandleFree(env, OCI_HTYPE_ENV);
}

TEST_F(Conformance, PasswordChangeChecksTheOldPassword) {
  OciConnection c("system", "manager");
  ASSERT_EQ(c.Exec("create user SCOTT identified by tiger"), "");
  ASSERT_EQ(c.Exec("grant connect to SCOTT"), "");
  auto change = reinterpret_cast<OCIPasswordChange_t>(Lib().Symbol("OCIPasswordChange"));
  auto text = [](const char* s) { return reinterpret_cast<const OraText*>(s); };
  EXPECT_EQ(change(c.svc, c.err, text("scott"), 5, text("wrong"), 5, text("lion"), 4, OCI_DEFAULT),
            OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-01017: invalid username/password; logon denied");
  EXPECT_EQ(change(c.svc, c.err, text("scott"), 5, text("tiger"), 5, text("lion"), 4, OCI_DEFAULT),
            OCI_SUCCESS);
  EXPECT_NO_THROW(OciConnection("scott", "lion"));
}

TEST_F(Conformance, ASecondWriterWaitsForTheFirstThenGivesUp) {
  setenv("OCILITE_BUSY_TIMEOUT", "100", 1);
  OciConnection first("system", "manager");
  OciConnection second("system", "manager");
  unsetenv("OCILITE_BUSY_TIMEOUT");
  ASSERT_EQ(first.Exec("create table T (A number)"), "");
  ASSERT_EQ(first.Exec("insert into T values (1)"), "");
  EXPECT_EQ(second.Exec("insert into T values (2)"),
            "ORA-30006: resource busy; acquire with WAIT timeout expired");
  EXPECT_EQ(Count(second), "0");  // reading is never blocked
  first.Commit();
  EXPECT_EQ(second.Exec("insert into T values (2)"), "");
}

TEST_F(Conformance, HandlesAreCheckedBeforeUse) {
  OciConnection c("system", "manager");
  int not_a_handle = 0;
  EXPECT_EQ(Lib().StmtExecute(c.svc, reinterpret_cast<OCIStmt*>(&not_a_handle), c.err, 1, 0,
                              nullptr, nullptr, OCI_DEFAULT),
            OCI_INVALID_HANDLE);
  EXPECT_EQ(Lib().HandleFree(c.err, OCI_HTYPE_STMT), OCI_INVALID_HANDLE);
  void* stmt = nullptr;
  ASSERT_EQ(Lib().HandleAlloc(c.env, &stmt, OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
  ASSERT_EQ(Lib().HandleFree(stmt, OCI_HTYPE_STMT), OCI_SUCCESS);
  EXPECT_EQ(Lib().HandleFree(stmt, OCI_HTYPE_STMT), OCI_INVALID_HANDLE);
  // A service context whose server handle is gone reports it instead of reaching for it.
  OCIStmt* query = Prepare(c, "select * from dual");
  ASSERT_EQ(Lib().HandleFree(c.server, OCI_HTYPE_SERVER), OCI_SUCCESS);
  EXPECT_EQ(Lib().StmtExecute(c.svc, query, c.err, 0, 0, nullptr, nullptr, OCI_DEFAULT), OCI_ERROR);
  EXPECT_EQ(c.LastError(), "ORA-03114: not connected to ORACLE");
  c.server = nullptr;
  c.Detach();
}

}  // namespace
}  // namespace qm::ocilite::testing
