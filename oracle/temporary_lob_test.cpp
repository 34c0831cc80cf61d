#include "oracle/temporary_lob.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "oracle/oracle_query.h"
#include "oracle/oracle_session.h"
#include "platform/codepage.h"
#include "oracle/testing/connected_engine_test.h"
#include "oracle/testing/session_test_support.h"

namespace qm {
namespace {

class TemporaryLOBTest : public testing::ConnectedEngineInterfaceTest {
 protected:
  void SetUp() override {
    ConnectedEngineInterfaceTest::SetUp();
    Run({"create table docs (id number(9), body clob, scan blob)"});
  }

  template <typename F>
  static std::string ErrorOf(F&& f) {
    try {
      f();
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "<no error>";
  }
};

TEST_P(TemporaryLOBTest, LOBVariablesInsertTheValuesOfTemporaryLOBs) {
  if (UseOCI7()) {
    EXPECT_EQ(ErrorOf([&] { TTemporaryLOB lob(&session_, SQLT_CLOB); }),
              "Temporary LOB requires OCI8 mode, but OCI7 mode is used.");
    return;
  }
  TTemporaryLOB body(&session_, SQLT_CLOB);
  TTemporaryLOB scan(&session_, SQLT_BLOB);
  body.Write("a first, longer draft");
  // The session's client text is code page 1251.
  body.Write(std::string(Cp1251("Текст — ")) + std::string(5000, 'x'));  // replaces it whole
  scan.Write(std::string("\0\1\2", 3));

  TOracleQuery insert;
  insert.SetSession(&session_);
  insert.SQL().Add("insert into docs (id, body, scan) values (:id, :body, :scan)");
  insert.DeclareVariable("id", kVariableInteger);
  insert.DeclareVariable("body", kVariableCLOB);
  insert.DeclareVariable("scan", kVariableBLOB);
  EXPECT_EQ(ErrorOf([&] { insert.SetComplexVariable("scan", body); }), "scan is not a LOB variable");
  EXPECT_EQ(ErrorOf([&] { insert.Execute(); }), "LOB variable :BODY cannot be nil");
  insert.SetVariable("id", 1);
  insert.SetComplexVariable("body", body);
  insert.SetComplexVariable("scan", scan);
  insert.Execute();
  // The same statement again, with a new value in the same temporary.
  body.Write("");
  insert.SetVariable("id", 2);
  insert.Execute();
  EXPECT_EQ(insert.ParseCount(), 1);

  TOracleQuery select;
  select.SetSession(&session_);
  select.SQL().Add("select body, scan from docs order by id");
  select.Execute();
  EXPECT_EQ(select.LOBField(0).AsString(), std::string(Cp1251("Текст — ")) + std::string(5000, 'x'));
  EXPECT_EQ(select.LOBField(1).AsString(), std::string("\0\1\2", 3));
  EXPECT_EQ(select.LOBField(0).Size(), 5008);  // characters
  select.Next();
  EXPECT_EQ(select.LOBField(0).AsString(), "");
}

TEST_P(TemporaryLOBTest, ALOBThatOutlivesItsLogonHoldsNothingAndBindsAsNil) {
  if (UseOCI7()) GTEST_SKIP() << "release 7 sessions make no temporary LOBs";
  TTemporaryLOB body(&session_, SQLT_CLOB);
  body.Write("kept");
  TOracleQuery insert;
  insert.SetSession(&session_);
  insert.SQL().Add("insert into docs (id, body) values (3, :body)");
  insert.DeclareVariable("body", kVariableCLOB);
  insert.SetComplexVariable("body", body);

  // The logoff frees the temporary with the session's handles; the next logon's statement does
  // not bind the freed locator.
  session_.LogOff();
  EXPECT_EQ(body.Locator(), nullptr);
  EXPECT_EQ(ErrorOf([&] { body.Write("x"); }),
            "The temporary LOB was freed when its session logged off");
  session_.LogOn();
  EXPECT_EQ(ErrorOf([&] { insert.Execute(); }), "LOB variable :BODY cannot be nil");

  // A LOB whose session is destroyed first is destroyed without calling it.
  auto other = std::make_unique<TOracleSession>();
  other->SetLogonUsername("system");
  other->SetLogonPassword("manager");
  other->SetLogonDatabase("orcl");
  other->LogOn();
  auto scan = std::make_unique<TTemporaryLOB>(other.get(), SQLT_BLOB);
  other.reset();
  EXPECT_EQ(scan->Locator(), nullptr);
  scan.reset();
}

INSTANTIATE_TEST_SUITE_P(Interfaces, TemporaryLOBTest, testing::BothInterfaces(),
                         testing::InterfaceName);

}  // namespace
}  // namespace qm
