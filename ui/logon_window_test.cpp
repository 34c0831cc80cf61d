#include "ui/logon_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <deque>
#include <functional>

#include "ocilite/testing/engine_fixture.h"
#include "oracle/client_naming_profile.h"
#include "oracle/logon_history.h"
#include "oracle/oracle_client.h"
#include "oracle/oracle_logon.h"
#include "oracle/oracle_session.h"
#include "platform/command_line.h"
#include "platform/dynamic_library.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/memory_registry.h"
#include "platform/scripted_dialogs.h"
#include "platform/testing/service_scope.h"

namespace qm {
namespace {

template <typename W>
W* Child(QWidget& form, const char* name) {
  W* widget = form.findChild<W*>(QString::fromLatin1(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

// Acts on each logon window as it is shown modally, one step per showing; every step closes the
// window. Steps left over when the script ends fail the test.
class ModalScript {
 public:
  explicit ModalScript(std::deque<std::function<void(TLogOnForm&)>> steps)
      : steps_(std::move(steps)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* form = qobject_cast<TLogOnForm*>(QApplication::activeModalWidget());
      if (!form || !form->isVisible() || steps_.empty()) return;
      auto step = std::move(steps_.front());
      steps_.pop_front();
      step(*form);
    });
    timer_.start(5);
  }
  ~ModalScript() { EXPECT_TRUE(steps_.empty()) << steps_.size() << " steps not run"; }

 private:
  std::deque<std::function<void(TLogOnForm&)>> steps_;
  QTimer timer_;
};

void Type(TLogOnForm& form, const char* box, const QString& text) {
  QLineEdit* edit = Child<QLineEdit>(form, box);
  edit->clear();
  QTest::keyClicks(edit, text);
}

void ClickOk(TLogOnForm& form) {
  Child<QPushButton>(form, "OKBtn")->click();
}

class LogonWindowTest : public ::testing::Test {
 protected:
  LogonWindowTest() {
    InstallLogonWindow();
    HistoryItems().Clear();
  }
  ~LogonWindowTest() override { SetLogonWindowFactory(nullptr); }
  ScriptedDialogs dialogs_;
};

TEST_F(LogonWindowTest, TheWindowIsLaidOutWithTheTextsAndPutsTheFocus) {
  TOracleSession session;
  session.SetLogonUsername("scott");
  TOracleLogon logon;
  logon.SetSession(&session);
  ModalScript script({[](TLogOnForm& form) {
    EXPECT_EQ(form.windowTitle(), "Oracle Logon");
    EXPECT_EQ(Child<QLabel>(form, "Label1")->text(), "Username");
    EXPECT_EQ(Child<QLabel>(form, "Label3")->text(), "Database");
    EXPECT_EQ(Child<QPushButton>(form, "CancelBtn")->text(), "Cancel");
    EXPECT_EQ(Child<QLineEdit>(form, "UsernameEdit")->text(), "scott");
    EXPECT_EQ(Child<QComboBox>(form, "ConnectAsList")->count(), 3);
    EXPECT_EQ(Child<QLineEdit>(form, "PasswordEdit")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(form.focusWidget(), Child<QLineEdit>(form, "PasswordEdit"));
    EXPECT_TRUE(Child<QWidget>(form, "DBPanel")->isVisible());
    EXPECT_FALSE(Child<QWidget>(form, "CAPanel")->isVisible());  // no ldConnectAs
    EXPECT_FALSE(Child<QWidget>(form, "HistoryBtn")->isVisible());
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    form.reject();
  }});
  EXPECT_FALSE(logon.Execute());
}

TEST_F(LogonWindowTest, HiddenRowsShrinkTheWindowByTheirHeights) {
  TLogOnForm full;
  TLogOnForm noDatabase;
  noDatabase.HideDatabaseRow();
  TLogOnForm neither;
  neither.HideDatabaseRow();
  neither.HideConnectAsRow();
  const double scale = full.logicalDpiX() / 120.0;
  EXPECT_NEAR(full.height(), 215 * scale, 1);
  EXPECT_NEAR(full.height() - noDatabase.height(), 32 * scale, 1);
  EXPECT_NEAR(full.height() - neither.height(), (32 + 35) * scale, 1);
  EXPECT_NEAR(full.findChild<QWidget*>("GroupBox")->height() -
                  neither.findChild<QWidget*>("GroupBox")->height(),
              (32 + 35) * scale, 1);
}

TEST_F(LogonWindowTest, CtrlEnterIsOkWithCtrlHeldAndAPlainOkIsNot) {
  TLogOnForm form;
  QTimer::singleShot(0, [&] {
    QTest::keyClick(Child<QLineEdit>(form, "UsernameEdit"), Qt::Key_Return, Qt::ControlModifier);
  });
  bool ctrl = false;
  EXPECT_TRUE(form.ShowModal(ctrl));
  EXPECT_TRUE(ctrl);

  QTest::keyRelease(&form, Qt::Key_Control);
  QTimer::singleShot(0, [&] { ClickOk(form); });
  EXPECT_TRUE(form.ShowModal(ctrl));
  EXPECT_FALSE(ctrl);

  // OK clicked with Ctrl held counts as well.
  QTimer::singleShot(0, [&] {
    QTest::keyPress(&form, Qt::Key_Control, Qt::ControlModifier);
    ClickOk(form);
  });
  EXPECT_TRUE(form.ShowModal(ctrl));
  EXPECT_TRUE(ctrl);
  QTest::keyRelease(&form, Qt::Key_Control);

  QTimer::singleShot(0, [&] { QTest::keyClick(&form, Qt::Key_Escape); });
  EXPECT_FALSE(form.ShowModal(ctrl));
}

TEST_F(LogonWindowTest, TheHistoryPopupFillsTheBoxesFromTheChosenEntry) {
  THistoryItems& items = HistoryItems();
  items.SetKeepPasswords(true);
  items.AddHistoryEntry("scott/tiger@orcl");
  items.AddHistoryEntry("sys/manager@prod as sysdba");
  TLogOnForm form;
  form.UseAliasList({"ORCL", "PROD"}, 8);
  form.ShowHistoryButton(true, "Logon history");
  form.show();
  Child<QToolButton>(form, "HistoryBtn")->click();
  auto* popup = Child<QMenu>(form, "HistoryPopup");
  ASSERT_EQ(popup->actions().size(), 2);
  EXPECT_EQ(popup->actions()[0]->text(), "scott@orcl");
  EXPECT_EQ(popup->actions()[1]->text(), "sys@prod as SYSDBA");
  EXPECT_EQ(Child<QToolButton>(form, "HistoryBtn")->toolTip(), "Logon history");
  popup->actions()[1]->trigger();
  popup->hide();
  EXPECT_EQ(form.Username(), "sys");
  EXPECT_EQ(form.Password(), "manager");
  EXPECT_EQ(form.Database(), "prod");
  EXPECT_EQ(Child<QComboBox>(form, "ConnectAsList")->currentText(), "SYSDBA");

  items.SetKeepPasswords(false);
  form.HistoryClick(0);
  EXPECT_EQ(form.Password(), "");
  EXPECT_EQ(form.ConnectAs(), caNormal);
}

// Through the windows against the embedded engine.
class LogonWindowEngineTest : public ocilite::testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    static MemoryRegistry machine;
    static ProcessEnvironment environment;
    static LocalFileSystem fileSystem;
    static DynamicLibraryLoader loader;
    static FixedCommandLine commandLine({});
    LogOffSessionsAndUnloadClient();
    commandLine = FixedCommandLine({std::string("OCIDLL=") + OCILITE_LIBRARY});
    OracleClient::Process().SetProviders(
        {&machine, &environment, &fileSystem, &loader, &commandLine, &LinuxNaming()});
    InstallLogonWindow();
    HistoryItems().Clear();
  }
  void TearDown() override {
    SetLogonWindowFactory(nullptr);
    LogOffSessionsAndUnloadClient();
    EngineTest::TearDown();
  }
  ScriptedDialogs dialogs_;
  MemoryRegistry registry_;
  testing::ServiceScope<SetAppRegistry> appRegistry_{&registry_};
};

TEST_F(LogonWindowEngineTest, AnExpiredPasswordIsChangedInThePasswordDialog) {
  {
    TOracleSession system;
    system.SetLogonUsername("system");
    system.SetLogonPassword("manager");
    system.LogOn();
    for (const char* sql : {"create user scott identified by tiger", "grant connect to scott",
                            "alter user scott password expire"})
      system.ExecInternal(sql);
  }
  TOracleSession session;
  TOracleLogon logon;
  ConfigureMainLogon(logon, session);
  logon.SetOptions(logon.Options() & ~ldAuto);
  ModalScript script({
      [](TLogOnForm& form) {
        EXPECT_TRUE(Child<QWidget>(form, "AliasList")->isVisible());
        EXPECT_FALSE(Child<QWidget>(form, "DatabaseEdit")->isVisible());
        Type(form, "UsernameEdit", "scott");
        Type(form, "PasswordEdit", "tiger");
        ClickOk(form);
      },
      [](TLogOnForm& form) {
        EXPECT_EQ(form.windowTitle(), "Your password has expired");
        EXPECT_EQ(Child<QLabel>(form, "Label1")->text(), "New password");
        EXPECT_EQ(Child<QLabel>(form, "Label2")->text(), "Verification");
        EXPECT_EQ(Child<QLineEdit>(form, "UsernameEdit")->echoMode(), QLineEdit::Password);
        EXPECT_FALSE(Child<QWidget>(form, "DBPanel")->isVisible());
        EXPECT_FALSE(Child<QWidget>(form, "CAPanel")->isVisible());
        Type(form, "UsernameEdit", "lion");
        Type(form, "PasswordEdit", "lynx");
        ClickOk(form);
      },
      [](TLogOnForm& form) {
        Type(form, "PasswordEdit", "LION");
        ClickOk(form);
      },
  });
  EXPECT_TRUE(logon.Execute());
  EXPECT_TRUE(session.Connected());
  EXPECT_EQ(session.LogonPassword(), "LION");
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text, "Verification failed");
  EXPECT_EQ(HistoryItems().Count(), 0);
}

TEST_F(LogonWindowEngineTest, AFailedLogonIsShownAndTheWindowComesBackRefilled) {
  TOracleSession session;
  TOracleLogon logon;
  logon.SetSession(&session);
  logon.SetOptions(ldDatabase | ldLogonHistory);
  ModalScript script({
      [](TLogOnForm& form) {
        Type(form, "UsernameEdit", "system/wrong@orcl");
        ClickOk(form);
      },
      [](TLogOnForm& form) {
        // The session split what was typed.
        EXPECT_EQ(Child<QLineEdit>(form, "UsernameEdit")->text(), "system");
        EXPECT_EQ(Child<QLineEdit>(form, "DatabaseEdit")->text(), "orcl");
        Type(form, "PasswordEdit", "manager");
        QTest::keyClick(Child<QLineEdit>(form, "PasswordEdit"), Qt::Key_Enter, Qt::ControlModifier);
      },
  });
  EXPECT_TRUE(logon.Execute());
  EXPECT_TRUE(session.Connected());
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text, "ORA-01017: invalid username/password; logon denied\n");
  EXPECT_EQ(HistoryItems().Count(), 0);  // Ctrl was held
}

}  // namespace
}  // namespace qm
