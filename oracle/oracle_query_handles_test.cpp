// Which client handles a statement object allocates, keeps and frees as it runs text after text,
// seen in the call log of the scripted test client.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "oracle/oracle_client.h"
#include "oracle/oracle_query.h"
#include "oracle/oracle_session.h"
#include "oracle/testing/connected_engine_test.h"
#include "oracle/testing/session_test_support.h"
#include "platform/dynamic_library.h"

namespace qm {
namespace {

class QueryHandlesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::UseClientLibrary(OCI8_ONLY_CLIENT);
    probe_ = DynamicLibrary::Open(OCI8_ONLY_CLIENT);
    ASSERT_NE(probe_, nullptr);
    OracleClient::Process().InitClient();
    testing::SetLogon(session_, "scott", "tiger", "ORA80");
    session_.LogOn();
    query_.SetSession(&session_);
    reinterpret_cast<void (*)()>(probe_->Symbol("qm_test_reset"))();
  }
  void TearDown() override {
    query_.SetSession(nullptr);
    session_.LogOff();
  }

  void Exec(const std::string& sql) {
    query_.SQL().Clear();
    query_.SQL().Add(sql);
    query_.Execute();
  }

  // The statement handle's calls since SetUp: allocations and frees of statement handles (type
  // 4) and the texts prepared (each ends in a line feed, logged as \n), and with `columns` the
  // describes and defines of columns.
  std::vector<std::string> StatementCalls(bool columns = false) {
    const std::string log =
        reinterpret_cast<const char* (*)()>(probe_->Symbol("qm_test_call_log"))();
    std::vector<std::string> kept;
    for (std::size_t start = 0, end; (end = log.find('\n', start)) != std::string::npos;
         start = end + 1) {
      const std::string call = log.substr(start, end - start);
      if (call == "OCIHandleAlloc(4)" || call == "OCIHandleFree(4)" ||
          call.rfind("OCIStmtPrepare(", 0) == 0 ||
          (columns && (call.rfind("OCIParamGet", 0) == 0 || call == "OCIDefineByPos")))
        kept.push_back(call);
    }
    return kept;
  }

  std::unique_ptr<DynamicLibrary> probe_;
  TOracleSession session_;
  TOracleQuery query_;
};

TEST_F(QueryHandlesTest, AHandleWithoutBindsIsPreparedAgainInPlaceAndOneWithBindsIsReplaced) {
  Exec("insert into t values ('a')");
  Exec("insert into t values ('b')");
  query_.DeclareVariable("v", kVariableString);
  query_.SetVariable("v", std::string("c"));
  Exec("insert into t values (:v)");
  query_.DeleteVariable("v");
  Exec("insert into t values ('d')");
  Exec("insert into t values ('e')");
  Exec("select * from kinds");
  Exec("insert into t values ('f')");
  query_.Close();
  EXPECT_EQ(StatementCalls(), (std::vector<std::string>{
                                  "OCIHandleAlloc(4)",
                                  "OCIStmtPrepare(insert into t values ('a')\\n)",
                                  "OCIStmtPrepare(insert into t values ('b')\\n)",
                                  "OCIStmtPrepare(insert into t values (:v)\\n)",
                                  "OCIHandleFree(4)",
                                  "OCIHandleAlloc(4)",
                                  "OCIStmtPrepare(insert into t values ('d')\\n)",
                                  "OCIStmtPrepare(insert into t values ('e')\\n)",
                                  "OCIStmtPrepare(select * from kinds\\n)",
                                  "OCIHandleFree(4)",
                                  "OCIHandleAlloc(4)",
                                  "OCIStmtPrepare(insert into t values ('f')\\n)",
                                  "OCIHandleFree(4)",
                              }));
}

TEST_F(QueryHandlesTest, ASelectOfTheSameShapeKeepsItsHandleAndColumnsAndAnotherDescribesAgain) {
  Exec("select * from kinds Where ID='1'");
  Exec("select * from kinds Where ID='22'");
  Exec("select * from kinds Where ID='333'");
  EXPECT_EQ(query_.FieldCount(), 4);
  EXPECT_EQ(query_.FieldName(0), "ID");
  Exec("select * from kinds Where ID IS NULL");
  // Back to a comparison: that is a shape of its own again, which the next text then keeps.
  Exec("select * from kinds Where ID='4'");
  Exec("select * from kinds Where ID='55'");
  // The columns of kinds 108, 110 and 116 get no define.
  const std::vector<std::string> describe = {"OCIParamGet(1)", "OCIParamGet(2)", "OCIParamGet(3)",
                                             "OCIParamGet(4)", "OCIDefineByPos"};
  const auto anew = [&](std::vector<std::string>& calls, const std::string& text) {
    calls.insert(calls.end(), {"OCIHandleFree(4)", "OCIHandleAlloc(4)",
                               "OCIStmtPrepare(" + text + "\\n)"});
    calls.insert(calls.end(), describe.begin(), describe.end());
  };
  const auto kept = [](std::vector<std::string>& calls, const std::string& text) {
    calls.insert(calls.end(), {"OCIStmtPrepare(" + text + "\\n)", "OCIDefineByPos"});
  };
  std::vector<std::string> expected = {"OCIHandleAlloc(4)",
                                       "OCIStmtPrepare(select * from kinds Where ID='1'\\n)"};
  expected.insert(expected.end(), describe.begin(), describe.end());
  kept(expected, "select * from kinds Where ID='22'");
  kept(expected, "select * from kinds Where ID='333'");
  anew(expected, "select * from kinds Where ID IS NULL");
  anew(expected, "select * from kinds Where ID='4'");
  kept(expected, "select * from kinds Where ID='55'");
  EXPECT_EQ(StatementCalls(true), expected);
}

}  // namespace
}  // namespace qm
