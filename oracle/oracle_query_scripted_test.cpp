// Statements on the scripted client (the engine runs no PL/SQL and has no object types):
// PL/SQL-table, cursor, object and reference variables, a dataset over a cursor variable,
// and a release of the statement's resources that fails.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "oracle/e_oracle_error.h"
#include "oracle/oracle_dataset.h"
#include "oracle/oracle_object.h"
#include "oracle/oracle_query.h"
#include "oracle/oracle_reference.h"
#include "oracle/oracle_session.h"
#include "oracle/testing/scripted_client_test.h"
#include "oracle/testing/session_test_support.h"
#include "platform/scripted_dialogs.h"

namespace qm {
namespace {

class ScriptedQueryTest : public testing::ScriptedClientTest {
 protected:
  void SetUp() override {
    ScriptedClientTest::SetUp();
    testing::SetLogon(session_, "scott", "tiger", "ORA80");
    session_.LogOn();
    query_.SetSession(&session_);
  }
  void TearDown() override { session_.LogOff(); }

  template <typename F>
  static std::string ErrorOf(F&& f) {
    try {
      f();
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "<no error>";
  }

  TOracleSession session_;
  TOracleQuery query_;
};

TEST_F(ScriptedQueryTest, ATableIsBoundWholeWithItsCountAndReadBackAsTheServerLeftIt) {
  query_.SQL().Add("begin fill(:T); end;");
  query_.DeclarePLSQLTable("t", kVariableInteger, 5);
  query_.SetVariableArray("t", {1, 2});
  Reset();
  query_.Execute();
  // One execution; the table goes as one bind of 5 elements of which 2 are in use.
  EXPECT_EQ(Calls({"OCIBindByName", "OCIStmtExecute"}),
            (std::vector<std::string>{"OCIBindByName(:T,3,4,5,2)", "OCIStmtExecute(1,0)"}));
  EXPECT_EQ(query_.GetVariableArray("t"), (std::vector<TVariableValue>{10, 20, 30}));
  EXPECT_EQ(query_.GetVariable("t"), TVariableValue(10));

  // A table is bound again at every execution, so the server sees the current count.
  query_.SetVariableArray("t", {});
  Reset();
  query_.Execute();
  EXPECT_EQ(Calls({"OCIBindByName"}), std::vector<std::string>{"OCIBindByName(:T,3,4,5,0)"});
}

TEST_F(ScriptedQueryTest, ATableTakesOnlyAnArrayThatFits) {
  query_.DeclarePLSQLTable("names", kVariableString, 2);
  EXPECT_EQ(ErrorOf([&] { query_.SetVariable("names", std::string("x")); }),
            "names is a PL/SQL Table, assign a variant array to it");
  EXPECT_EQ(ErrorOf([&] {
              query_.SetVariableArray("names", {std::string("a"), std::string("b"), std::string("c")});
            }),
            "Array is larger than PL/SQL Table (3 > 2)");
  query_.SetVariableArray("names", {std::string("a"), std::string("b")});
  EXPECT_EQ(query_.GetVariableArray("names"),
            (std::vector<TVariableValue>{std::string("a"), std::string("b")}));

  // Beside ordinary arrays it counts as one row, and the statement shows it as a table.
  query_.DeclareVariable("id", kVariableInteger);
  query_.SetVariable("id", 7);
  query_.SQL().Add("begin fill(:T); end;");
  Reset();
  query_.Execute();
  EXPECT_EQ(Calls({"OCIStmtExecute"}), std::vector<std::string>{"OCIStmtExecute(1,0)"});
  EXPECT_EQ(Calls({"OCIBindByName"}),
            (std::vector<std::string>{"OCIBindByName(:NAMES,5,4001,2,2)",
                                      "OCIBindByName(:ID,3,4,0,-)"}));
}

TEST_F(ScriptedQueryTest, ACursorVariableBindsItsQueryWhichThenReadsTheResultSet) {
  // The cursor has a select of its own, whose handle and columns it gives up.
  TOracleQuery cursor;
  cursor.SetSession(&session_);
  cursor.SQL().Add("select * from kinds");
  cursor.Execute();
  cursor.SetReadBuffer(2);
  query_.SQL().Add("begin open :c for select id, name from t; end;");
  query_.DeclareVariable("c", kVariableCursor);
  query_.SetComplexVariable("c", cursor);
  Reset();
  query_.Execute();
  // The block's statement handle is S1; the cursor's fresh one, allocated with prefetch off, goes
  // as type 116 and is the one fetched from, two rows a fetch, with no text prepared on it.
  EXPECT_EQ(Calls({"OCIHandleAlloc", "OCIHandleFree", "OCIAttrSet", "OCIBindByName",
                   "OCIStmtExecute", "OCIStmtPrepare", "OCIStmtFetch"}),
            (std::vector<std::string>{
                "OCIHandleAlloc(2)", "OCIHandleAlloc(2)", "OCIHandleAlloc(4)", "OCIAttrSet(4,11)",
                "OCIAttrSet(4,13)",
                "OCIStmtPrepare(begin open :c for select id, name from t; end;\\n)",
                "OCIHandleFree(4)", "OCIHandleAlloc(4)", "OCIAttrSet(4,11)", "OCIAttrSet(4,13)",
                "OCIBindByName(:C,116,0,0,-,S2)", "OCIStmtExecute(1,0)", "OCIStmtFetch(2,S2)"}));
  EXPECT_EQ(cursor.Session(), &session_);
  ASSERT_EQ(cursor.FieldCount(), 2);
  EXPECT_EQ(cursor.FieldName(1), "NAME");
  std::vector<std::pair<TVariableValue, TVariableValue>> rows;
  for (; !cursor.Eof(); cursor.Next()) rows.emplace_back(cursor.Field("ID"), cursor.Field(1));
  EXPECT_EQ(rows, (std::vector<std::pair<TVariableValue, TVariableValue>>{
                      {10, std::string("ten")}, {20, std::string("twenty")}, {30, {}}}));
  EXPECT_EQ(cursor.RowsProcessed(), 3);

  // Executed again, the block binds the cursor's handle of before (the only one allocated now,
  // S1 after the reset, is the block's) and the server opens it afresh.
  Reset();
  query_.Execute();
  EXPECT_EQ(Calls({"OCIHandleAlloc", "OCIBindByName", "OCIStmtFetch"}),
            (std::vector<std::string>{"OCIHandleAlloc(4)", "OCIBindByName(:C,116,0,0,-,S2)",
                                      "OCIStmtFetch(2,S2)"}));
  EXPECT_FALSE(cursor.Eof());
  EXPECT_EQ(cursor.Field(0), TVariableValue(10));
}

TEST_F(ScriptedQueryTest, ACursorVariableNeedsACursorAndTakesNothingElse) {
  TOracleQuery cursor;
  query_.SQL().Add("begin open :c for select id, name from t; end;");
  query_.DeclareVariable("c", kVariableCursor);
  query_.DeclareVariable("n", kVariableInteger);
  const struct {
    const char* name;
    TOracleQuery* cursor;
    const char* error;
  } cases[] = {{"n", &cursor, "n is not a cursor variable"},
               {"x", &cursor, "Variable x not declared"},
               {"c", &query_, "c cannot be opened on its own query"}};
  for (const auto& c : cases)
    EXPECT_EQ(ErrorOf([&] { query_.SetComplexVariable(c.name, *c.cursor); }), c.error) << c.name;
  // None of them gave :C a query.
  EXPECT_EQ(ErrorOf([&] { query_.Execute(); }), "Cursor variable :C cannot be nil");
}

TEST_F(ScriptedQueryTest, ADatasetWithACursorVariableHoldsTheRowsOfTheResultSet) {
  TOracleDataSet data;
  data.SetSession(&session_);
  data.SQL().Add("begin open :c for select id, name from t; end;");
  data.MainQuery().DeclareVariable("c", kVariableCursor);
  const auto rowsOf = [&] {
    std::vector<std::string> rows;
    for (data.First(); !data.Eof(); data.Next())
      rows.push_back(data.FieldByName("ID").AsString() + "," + data.FieldByName("NAME").AsString());
    return rows;
  };
  const std::vector<std::string> expected{"10,ten", "20,twenty", "30,"};
  for (const bool all : {true, false}) {
    data.SetQueryAllRecords(all);
    Reset();
    data.Open();
    // The block runs once, binding a statement of the dataset's own, from which the rows come.
    EXPECT_EQ(Calls({"OCIStmtExecute"}), std::vector<std::string>{"OCIStmtExecute(1,0)"}) << all;
    ASSERT_EQ(data.FieldCount(), 2);
    EXPECT_EQ(rowsOf(), expected) << all;
    EXPECT_EQ(data.RecordCount(), 3);
    data.Close();
  }
}

TEST_F(ScriptedQueryTest, ObjectsAndReferencesAreBoundWithTheirTypesAtEveryExecution) {
  TOracleObject point(&session_, "SCOTT.POINT");
  TOracleReference ref(&session_, "POINT");
  query_.SQL().Add("begin move(:p, :r); end;");
  query_.DeclareVariable("p", kVariableObject);
  query_.DeclareVariable("r", kVariableReference);
  query_.SetComplexVariable("p", point);
  query_.SetComplexVariable("r", ref);
  ScriptedDialogs dialogs;
  query_.SetDebug(true);
  Reset();
  query_.Execute();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text,
            "begin move(:p, :r); end;\r\n\r:P = (Object)\r:R = (Reference)");
  query_.SetDebug(false);
  // Each goes by name with its type number and no buffer of its own, then with its type
  // descriptor and where its instance (and an object's null structure) is kept.
  const std::vector<std::string> binds{"OCIBindByName(:P,108,0,0,-)", "OCIBindObject(TPOINT,I1,N1)",
                                       "OCIBindByName(:R,110,0,0,-)", "OCIBindObject(TPOINT,I2,-)"};
  EXPECT_EQ(
      Calls({"OCIBindByName", "OCIBindObject", "OCIStmtExecute"}),
      (std::vector<std::string>{binds[0], binds[1], binds[2], binds[3], "OCIStmtExecute(1,0)"}));
  Reset();
  query_.Execute();
  EXPECT_EQ(Calls({"OCIBindByName", "OCIBindObject"}), binds);
}

TEST_F(ScriptedQueryTest, ObjectAndReferenceVariablesTakeOnlyTheirOwnKind) {
  TOracleObject point(&session_, "POINT");
  TOracleReference ref(&session_, "POINT");
  query_.SQL().Add("begin move(:p, :r); end;");
  query_.DeclareVariable("p", kVariableObject);
  query_.DeclareVariable("r", kVariableReference);
  query_.DeclareVariable("c", kVariableCLOB);
  const struct {
    const char* name;
    bool object;
    const char* error;
  } cases[] = {{"r", true, "r is not an object variable"},
               {"c", true, "c is not an object variable"},
               {"p", false, "p is not a reference variable"},
               {"x", true, "Variable x not declared"},
               {"x", false, "Variable x not declared"}};
  for (const auto& c : cases)
    EXPECT_EQ(ErrorOf([&] {
                if (c.object)
                  query_.SetComplexVariable(c.name, point);
                else
                  query_.SetComplexVariable(c.name, ref);
              }),
              c.error)
        << c.name;
  // None of them gave a variable its object.
  EXPECT_EQ(ErrorOf([&] { query_.Execute(); }), "Object variable :P cannot be nil");
  query_.SetComplexVariable("p", point);
  EXPECT_EQ(ErrorOf([&] { query_.Execute(); }), "Reference variable :R cannot be nil");

  // The logoff emptied both: given to the variables, they count as none.
  query_.SetComplexVariable("r", ref);
  session_.LogOff();
  session_.LogOn();
  EXPECT_EQ(ErrorOf([&] { query_.Execute(); }), "Object variable :P cannot be nil");
  TOracleObject another(&session_, "POINT");
  query_.SetComplexVariable("p", another);
  EXPECT_EQ(ErrorOf([&] { query_.Execute(); }), "Reference variable :R cannot be nil");
}

TEST_F(ScriptedQueryTest, AnObjectIsRefusedByAStatementOnTheReleaseSevenInterface) {
  // An object made on a release 8 session, given to a statement of a session that an Oracle7
  // server put on the release 7 interface.
  session_.LogOff();
  UseScriptedClient(OCI8_CLIENT_WITH_OCI7);
  session_.LogOn();
  TOracleObject point(&session_, "POINT");
  TOracleReference ref(&session_, "POINT");
  TOracleSession old;
  testing::SetLogon(old, "scott", "tiger", "ORA73");
  old.LogOn();
  ASSERT_FALSE(old.OCI8Session());
  TOracleQuery query;
  query.SetSession(&old);
  query.SQL().Add("begin move(:p); end;");
  query.DeclareVariable("p", kVariableObject);
  query.SetComplexVariable("p", point);
  EXPECT_EQ(ErrorOf([&] { query.Execute(); }),
            "Object variable :P requires OCI8 mode, but OCI7 mode is used.");
  query.DeclareVariable("p", kVariableReference);
  query.SetComplexVariable("p", ref);
  EXPECT_EQ(ErrorOf([&] { query.Execute(); }),
            "Reference variable :P requires OCI8 mode, but OCI7 mode is used.");
  old.LogOff();
}

TEST_F(ScriptedQueryTest, AFailedReleaseIsRaisedByCloseButNotByTheDestructor) {
  auto failNextFree = reinterpret_cast<void (*)()>(probe_->Symbol("qm_test_fail_next_statement_free"));
  query_.SQL().Add("begin null; end;");
  query_.Execute();
  failNextFree();
  try {
    query_.Close();
    ADD_FAILURE() << "no error";
  } catch (const EOracleError& e) {
    EXPECT_EQ(e.ErrorCode(), 3114);
    EXPECT_STREQ(e.what(), "ORA-03114: not connected to ORACLE\n");
  }
  // Everything was released all the same: the next execution starts afresh.
  Reset();
  query_.Execute();
  EXPECT_EQ(Calls({"OCIStmtPrepare"}).size(), 1u);

  {
    TOracleQuery other;
    other.SetSession(&session_);
    other.SQL().Add("begin null; end;");
    other.Execute();
    failNextFree();
  }  // destroyed quietly
  SUCCEED();
}

}  // namespace
}  // namespace qm
