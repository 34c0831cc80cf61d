// Connect and Disconnect on the main window, with the logon window answered by a script, against
// the embedded engine.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/main_window.h"
#include "oracle/testing/connected_engine_test.h"
#include "oracle/testing/scripted_logon_window.h"
#include "platform/memory_registry.h"
#include "platform/qt/standard_error_box.h"
#include "platform/scripted_dialogs.h"
#include "platform/testing/scratch_folder.h"
#include "platform/testing/service_scope.h"
#include "source/testing/test_tables.h"
#include "ui/create_window.h"
#include "ui/filename_edit.h"
#include "ui/import_errors_window.h"

namespace qm {
namespace {

class ConnectTest : public testing::ConnectedEngineTest {
 protected:
  void SetUp() override {
    ConnectedEngineTest::SetUp();
    Run({"create table T1 (A varchar2(5), B number)", "create table T2 (C date)"});
  }
  void TearDown() override {
    form_.OracleSession1().SetConnected(false);
    ConnectedEngineTest::TearDown();
  }

  QStringList Tables() const {
    QStringList names;
    for (int i = 0; i < form_.ComboBox1()->count(); ++i) names << form_.ComboBox1()->itemText(i);
    return names;
  }

  MemoryRegistry registry_;
  WindowScript script_;
  testing::ServiceScope<SetAppRegistry> appRegistry_{&registry_};
  testing::ServiceScope<SetLogonWindowFactory> logonWindows_{
      [this] { return std::make_unique<ScriptedLogonWindow>(script_); }};
  ScriptedDialogs dialogs_;
  TForm1 form_{VERSIONED_PROBE};
};

TEST_F(ConnectTest, CancellingTheLogonLeavesConnect) {
  script_.answers.push_back(Cancel());
  form_.Button1Click();
  EXPECT_EQ(form_.Button1()->text(), "Connect");
  EXPECT_FALSE(form_.Connected());
  EXPECT_EQ(form_.ComboBox1()->count(), 0);
}

TEST_F(ConnectTest, ConnectDisconnectConnectRefillsTheListAndKeepsTheLinks) {
  script_.answers.push_back(Ok("system", "manager"));
  form_.Button1Click();
  EXPECT_EQ(form_.Button1()->text(), "Disconnect");
  EXPECT_EQ(Tables(), (QStringList{"T1", "T2"}));
  form_.ComboBox1()->setCurrentIndex(0);
  form_.ComboBox1Change();
  ASSERT_EQ(form_.Links().RowCount(), 3);
  form_.Links().SetCell(3, 1, "SRC");

  form_.Button1Click();
  EXPECT_EQ(form_.Button1()->text(), "Connect");
  EXPECT_FALSE(form_.OracleSession1().Connected());
  // The list stays; choosing from it now fails and leaves the links as they were.
  form_.ComboBox1()->setCurrentIndex(1);
  RunHandler([&] { form_.ComboBox1Change(); });
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text, "Not logged on.");
  EXPECT_EQ(form_.Links().RowCount(), 3);
  EXPECT_EQ(form_.Links().Cell(0, 1), "A");

  script_.answers.push_back(Ok("system", "manager"));
  form_.Button1Click();
  EXPECT_EQ(Tables(), (QStringList{"T1", "T2"}));
  EXPECT_EQ(form_.Links().Cell(3, 1), "SRC");
}

TEST_F(ConnectTest, WrongPasswordsUntilTheAttemptsRunOutStillShowDisconnect) {
  for (int i = 0; i < 3; ++i) script_.answers.push_back(Ok("system", "wrong"));
  RunHandler([&] { form_.Button1Click(); });
  EXPECT_EQ(script_.shown.size(), 3u);
  EXPECT_EQ(form_.Button1()->text(), "Disconnect");
  ASSERT_FALSE(dialogs_.messages.empty());
  EXPECT_EQ(dialogs_.messages.back().text, "Not logged on.");
  EXPECT_EQ(form_.ComboBox1()->count(), 0);
  form_.Button1Click();
  EXPECT_EQ(form_.Button1()->text(), "Connect");
}

TEST_F(ConnectTest, TheScriptRunsUntilAStatementFailsThenDisconnects) {
  testing::ScratchFolder dir;
  TForm2 form2;
  form_.SetErrorsWindow(&form2);
  TCreateForm create;
  create.Edit4()->setText("SCOTT");
  create.FilenameEdit1()->SetText(dir.Write(
      "create.sql", "create table #USERNAME_A (X number);\r\ncreate table\r\nbad syntax;\r\n"
                    "create table #USERNAME_C (Z number);\r\n"));
  script_.answers.push_back(Ok("system", "manager"));
  form_.CreateFormButton2Click(create);
  EXPECT_FALSE(form_.OracleSession1().Connected());
  EXPECT_EQ(form2.Text(), " create table bad syntax\r\n\r\n");
  Run({"select * from SCOTT_A"});
  EXPECT_THROW(Run({"select * from SCOTT_C"}), std::exception);

  // An unfinished tail: what came before runs, the tail is logged.
  create.FilenameEdit1()->SetText(dir.Write("tail.sql", "create table T3 (X number);\nno end"));
  script_.answers.push_back(Ok("system", "manager"));
  form_.CreateFormButton2Click(create);
  Run({"select * from T3"});
  EXPECT_EQ(form2.Text(), " create table bad syntax\r\n\r\n no end\r\n\r\n");
}

}  // namespace
}  // namespace qm
