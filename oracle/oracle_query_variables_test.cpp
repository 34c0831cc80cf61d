#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "oracle/e_oracle_error.h"
#include "oracle/oracle_query.h"
#include "oracle/testing/connected_engine_test.h"
#include "platform/scripted_dialogs.h"
#include "platform/testing/error_text.h"

namespace qm {
namespace {

class QueryVariablesTest : public testing::ConnectedEngineInterfaceTest {
 protected:
  void SetUp() override {
    ConnectedEngineInterfaceTest::SetUp();
    query_.SetSession(&session_);
    Run({"create table t (n number(9) primary key, s varchar2(20), d date)"});
  }

  void SetText(const std::string& sql) {
    query_.SQL().Clear();
    query_.SQL().Add(sql);
  }

  std::vector<std::string> Column(const std::string& sql) {
    TOracleQuery q;
    q.SetSession(&session_);
    q.SQL().Add(sql);
    q.Execute();
    std::vector<std::string> values;
    for (; !q.Eof(); q.Next()) values.push_back(q.FieldAsString(0));
    return values;
  }

  TOracleQuery query_;
};

using testing::ErrorText;

TEST_P(QueryVariablesTest, VariablesAreBoundByNameAndTheParsedTextIsReused) {
  SetText("insert into t values (:n, :s, :d)");
  query_.DeclareVariable("n", kVariableInteger);
  query_.DeclareVariable(":S", kVariableString);
  query_.DeclareVariable("d", kVariableDate);
  for (int i = 1; i <= 3; ++i) {
    query_.SetVariable("N", i);
    query_.SetVariable("s", i == 2 ? TVariableValue{} : TVariableValue{"v" + std::to_string(i)});
    query_.SetVariable("d", 43895.0 + i);
    query_.Execute();
  }
  EXPECT_EQ(query_.ParseCount(), 1);
  EXPECT_EQ(query_.VariableName(1), ":S");
  EXPECT_EQ(std::get<std::string>(query_.GetVariable("s")), "v3");
  EXPECT_EQ(Column("select nvl(s, 'null') from t order by n"),
            (std::vector<std::string>{"v1", "null", "v3"}));
  EXPECT_EQ(Column("select to_char(d, 'YYYY-MM-DD') from t where n = 1"),
            std::vector<std::string>{"2020-03-06"});

  SetText("select s from t where n = :n");
  query_.Clear();
  query_.SQL().Add("select s from t where n = :n");
  query_.DeclareVariable("n", kVariableInteger);
  query_.SetVariable("n", 3);
  query_.Execute();
  EXPECT_EQ(query_.FieldAsString(0), "v3");
}

TEST_P(QueryVariablesTest, SubstitutionVariablesReplaceTheirNamesOutsideLiterals) {
  Run({"insert into t values (1, ':tab', null)"});
  SetText("select n from :tab where s = ':tab'");
  query_.DeclareVariable("tab", kVariableSubstitution);
  query_.SetVariable("tab", "t");
  query_.Execute();
  ASSERT_FALSE(query_.Eof());
  EXPECT_EQ(query_.FieldAsString(0), "1");
}

TEST_P(QueryVariablesTest, AFailingArrayRowGoesToOnArrayErrorAndTheRestContinue) {
  Run({"insert into t values (3, 'old', null)"});
  SetText("insert into t (n) values (:n)");
  query_.DeclareVariable("n", kVariableInteger);
  query_.SetVariableArray("n", {1, 2, 3, 4, 5});
  std::vector<int> failed;
  query_.OnArrayError = [&](TOracleQuery&, int index, int code, const std::string&, bool&) {
    failed.push_back(index);
    EXPECT_EQ(code, 1);
  };
  EXPECT_EQ(query_.ExecuteArray(0, 5), 4);
  EXPECT_EQ(failed, std::vector<int>{2});
  EXPECT_EQ(Column("select count(*) from t"), std::vector<std::string>{"5"});

  query_.OnArrayError = nullptr;
  Run({"delete from t where n <> 3"});
  EXPECT_EQ(query_.ExecuteArray(0, 5), 2);  // stops at the failing row
  EXPECT_THROW(query_.Execute(), EOracleError);
}

TEST_P(QueryVariablesTest, VariableMisuseRaisesItsErrors) {
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { query_.DeclareVariable("", kVariableString); },
       "You cannot declare a variable with an empty name"},
      {[&] { query_.DeclareVariable("x", 2); }, "Unsupported variable type"},
      {[&] { query_.SetVariable("nosuch", 1); }, "Variable nosuch not declared"},
      {[&] { query_.DeleteVariable("nosuch"); }, "Variable nosuch not declared"},
      {[&] { query_.GetVariable("nosuch"); }, "Unknown variable: nosuch"},
      {[&] { query_.VariableName(0); }, "Variable 0 does not exist"},
  };
  for (const auto& [call, message] : cases) EXPECT_EQ(ErrorText(call), message);

  query_.DeclareVariable("c", 116);
  query_.DeclareVariable("sub", kVariableSubstitution);
  EXPECT_EQ(ErrorText([&] { query_.SetVariableArray("c", {1}); }),
            "c is a complex variable and cannot be an array");
  EXPECT_EQ(ErrorText([&] { query_.SetVariableArray("sub", {1}); }),
            "sub is a substitution variable and cannot be an array");
  SetText("select * from dual");
  EXPECT_EQ(ErrorText([&] { query_.Execute(); }), "Cursor variable :C cannot be nil");
  query_.DeleteVariable("c");
  query_.DeclareVariable("a", kVariableInteger);
  query_.DeclareVariable("b", kVariableInteger);
  query_.SetVariableArray("a", {1, 2});
  query_.SetVariableArray("b", {1});
  SetText("insert into t (n) values (:a + :b)");
  EXPECT_EQ(ErrorText([&] { query_.Execute(); }), "All arrays must be of equal size for Array DML");
}

TEST_P(QueryVariablesTest, DebugShowsTheTextAndTheVariables) {
  ScriptedDialogs dialogs;
  SetText("insert into t (n, s) values (:n, :s)");
  query_.DeclareVariable("n", kVariableInteger);
  query_.DeclareVariable("s", kVariableString);
  query_.SetVariable("n", 7);
  query_.SetDebug(true);
  query_.Execute();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text,
            "insert into t (n, s) values (:n, :s)\r\n\r:N = 7\r:S = Null");
}

INSTANTIATE_TEST_SUITE_P(Interfaces, QueryVariablesTest, testing::BothInterfaces(),
                         testing::InterfaceName);

}  // namespace
}  // namespace qm
