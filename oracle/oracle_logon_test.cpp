#include "oracle/oracle_logon.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <thread>

#include "ocilite/testing/engine_fixture.h"
#include "oracle/client_naming_profile.h"
#include "oracle/e_oracle_error.h"
#include "oracle/logon_history.h"
#include "oracle/logon_history_text.h"
#include "oracle/logon_texts.h"
#include "oracle/oracle_client.h"
#include "oracle/oracle_logon_window.h"
#include "oracle/oracle_session.h"
#include "oracle/testing/scripted_logon_window.h"
#include "platform/command_line.h"
#include "platform/dynamic_library.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/memory_registry.h"
#include "platform/scripted_dialogs.h"
#include "platform/testing/service_scope.h"

namespace qm {
namespace {

class LogonTest : public ocilite::testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    UseCommandLine({});
    HistoryItems().Clear();
  }
  void TearDown() override {
    LogOffSessionsAndUnloadClient();
    EngineTest::TearDown();
  }

  // The process's client loads the engine (through `loader` when given); `extra` are further
  // command-line arguments.
  static void UseCommandLine(std::vector<std::string> extra,
                             const std::string& library = OCILITE_LIBRARY,
                             LibraryLoader* loader = nullptr) {
    static MemoryRegistry machine;
    static ProcessEnvironment environment;
    static LocalFileSystem fileSystem;
    static DynamicLibraryLoader systemLoader;
    static FixedCommandLine commandLine({});
    LogOffSessionsAndUnloadClient();
    extra.insert(extra.begin(), "OCIDLL=" + library);
    commandLine = FixedCommandLine(extra);
    OracleClient::Process().SetProviders({&machine, &environment, &fileSystem,
                                          loader != nullptr ? loader : &systemLoader, &commandLine,
                                          &LinuxNaming()});
  }

  static void AsSystem(std::initializer_list<const char*> statements) {
    TOracleSession system;
    system.SetLogonUsername("system");
    system.SetLogonPassword("manager");
    system.LogOn();
    for (const char* sql : statements) system.ExecInternal(sql);
  }

  std::vector<std::string> StoredHistory() const {
    std::vector<std::string> out;
    for (int n = 0;; ++n) {
      const std::string text = DecodeHistoryText(ReadRegistryText(
          registry_, RegistryHive::CurrentUser, "Tarnwick", "Logon" + std::to_string(n)));
      if (text.empty()) return out;
      out.push_back(text);
    }
  }

  WindowScript script_;
  ScriptedDialogs dialogs_;
  MemoryRegistry registry_;
  testing::ServiceScope<SetLogonWindowFactory> logonWindows_{
      [this] { return std::make_unique<ScriptedLogonWindow>(script_); }};
  testing::ServiceScope<SetAppRegistry> appRegistry_{&registry_};
  TOracleSession session_;
  TOracleLogon logon_;
};

TEST_F(LogonTest, TheMainWindowsComponent) {
  ConfigureMainLogon(logon_, session_);
  EXPECT_EQ(logon_.Session(), &session_);
  EXPECT_EQ(logon_.Retries(), 2);
  EXPECT_EQ(logon_.Options(), ldAuto | ldDatabase | ldDatabaseList | ldLogonHistory | ldConnectAs);
  EXPECT_EQ(logon_.HistoryRegSection(), "Tarnwick");
  EXPECT_EQ(logon_.HistorySize(), 6);
  EXPECT_TRUE(logon_.HistoryWithPassword());

  TOracleLogon defaults;
  EXPECT_EQ(defaults.Options(), ldAuto | ldDatabase);
  EXPECT_EQ(defaults.AliasDropDownCount(), 8);
  EXPECT_FALSE(defaults.Execute());  // no session
  EXPECT_TRUE(script_.shown.empty());
}

TEST_F(LogonTest, TheSessionIsForgottenWhenItIsDestroyed) {
  auto session = std::make_unique<TOracleSession>();
  logon_.SetSession(session.get());
  session.reset();
  EXPECT_EQ(logon_.Session(), nullptr);
  EXPECT_FALSE(logon_.Execute());
}

TEST_F(LogonTest, UserIdOnTheCommandLineLogsOnWithoutAWindowOnlyTheFirstTime) {
  UseCommandLine({"UserId=system/manager@orcl"});
  ConfigureMainLogon(logon_, session_);
  EXPECT_TRUE(logon_.Execute());
  EXPECT_TRUE(session_.Connected());
  EXPECT_TRUE(script_.shown.empty());
  EXPECT_EQ(logon_.Options() & ldAuto, 0u);
  EXPECT_EQ(StoredHistory(), std::vector<std::string>{"system/manager@orcl"});

  EXPECT_FALSE(logon_.Execute());  // shown, then cancelled
  ASSERT_EQ(script_.shown.size(), 1u);
  const Showing& shown = script_.shown[0];
  EXPECT_EQ(shown.title, "Oracle Logon");
  EXPECT_EQ(shown.username, "system");
  EXPECT_EQ(shown.password, "manager");
  EXPECT_EQ(shown.database, "orcl");
  EXPECT_TRUE(shown.aliasList);
  EXPECT_TRUE(shown.historyButton);
  EXPECT_TRUE(shown.historyEnabled);
  EXPECT_TRUE(shown.connectAsRow);  // the client is loaded by now and has release 8 functions
}

TEST_F(LogonTest, ASessionWithUserAndPasswordLogsOnAutomatically) {
  session_.SetLogonUsername("system");
  session_.SetLogonPassword("manager");
  logon_.SetSession(&session_);
  EXPECT_TRUE(logon_.Execute());
  EXPECT_TRUE(session_.Connected());
  EXPECT_TRUE(script_.shown.empty());
}

TEST_F(LogonTest, ThreeFailedAttemptsWithTwoRetriesReturnTrueDisconnected) {
  logon_.SetSession(&session_);
  script_.answers = {Ok("system", "wrong1"), Ok("system", "wrong2"), Ok("system", "wrong3")};
  EXPECT_TRUE(logon_.Execute());
  EXPECT_FALSE(session_.Connected());
  ASSERT_EQ(script_.shown.size(), 3u);
  EXPECT_EQ(script_.shown[1].password, "wrong1");  // refilled from the session
  ASSERT_EQ(dialogs_.messages.size(), 3u);
  EXPECT_EQ(dialogs_.messages[2].text, "ORA-01017: invalid username/password; logon denied\n");
  EXPECT_FALSE(script_.shown[0].databaseRow == false);
  EXPECT_FALSE(script_.shown[0].connectAsRow);  // ldConnectAs not set
}

// Loads libraries for real and counts the loads.
class CountingLoader : public LibraryLoader {
 public:
  std::unique_ptr<LoadedLibrary> Load(const std::string& path) override {
    ++loads;
    return DynamicLibraryLoader().Load(path);
  }
  int loads = 0;
};

TEST_F(LogonTest, WithTheAliasListAnODBCBridgeSessionReloadsTheClientBeforeEachAttempt) {
  CountingLoader loader;
  UseCommandLine({}, OCILITE_LIBRARY, &loader);
  logon_.SetSession(&session_);
  struct Case {
    const char* database;
    TLogonOptions options;
    int loads;
  };
  // The alias list loads the client once for the process; each attempt of a bridge session
  // picked from the list unloads it and the logon loads it again.
  const Case cases[] = {
      {"ODBC:orcl", ldDatabase | ldDatabaseList, 1 + 3},
      {"ODBC:orcl", ldDatabase, 1},
      {"orcl", ldDatabase | ldDatabaseList, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.database) + ((c.options & ldDatabaseList) ? " listed" : ""));
    UseCommandLine({}, OCILITE_LIBRARY, &loader);
    loader.loads = 0;
    logon_.SetOptions(c.options);
    script_.answers = {Ok("system", "wrong", c.database), Ok("system", "wrong", c.database),
                       Ok("system", "wrong", c.database)};
    EXPECT_TRUE(logon_.Execute());
    EXPECT_FALSE(session_.Connected());
    EXPECT_EQ(loader.loads, c.loads);
  }
  UseCommandLine({});
}

TEST_F(LogonTest, CancelAfterAFailedAttemptStillReturnsTrue) {
  logon_.SetSession(&session_);
  script_.answers = {Ok("system", "wrong"), Cancel()};
  EXPECT_TRUE(logon_.Execute());
  EXPECT_EQ(script_.shown.size(), 2u);
  EXPECT_FALSE(session_.Connected());

  script_.shown.clear();
  EXPECT_FALSE(logon_.Execute());  // the first window cancelled
  EXPECT_EQ(script_.shown.size(), 1u);
}

TEST_F(LogonTest, ASuccessfulAttemptEndsTheRetriesAndFillsTheSession) {
  logon_.SetSession(&session_);
  logon_.SetOptions(ldDatabase | ldConnectAs);
  Answer sys = Ok("SYS", "manager", "ORCL");
  sys.connectAs = caSYSDBA;
  script_.answers = {Ok("system", "wrong"), sys, Ok("never", "used")};
  EXPECT_TRUE(logon_.Execute());
  EXPECT_TRUE(session_.Connected());
  EXPECT_EQ(script_.shown.size(), 2u);
  EXPECT_EQ(session_.ConnectAs(), caSYSDBA);
  EXPECT_EQ(session_.LogonUsername(), "SYS");
}

TEST_F(LogonTest, TheHistoryReplacesTheSameLogonAndCtrlOkLeavesItAlone) {
  AsSystem({"create user scott identified by tiger", "grant connect to scott"});
  ConfigureMainLogon(logon_, session_);
  logon_.SetOptions(logon_.Options() & ~ldAuto);
  registry_.Set(RegistryHive::CurrentUser, "Tarnwick", "Logon0",
                EncodeHistoryText("SCOTT/old@ORCL", 2500));

  script_.answers = {Ok("system", "manager")};
  ASSERT_TRUE(logon_.Execute());
  script_.answers = {Ok("scott", "tiger")};
  ASSERT_TRUE(logon_.Execute());
  EXPECT_EQ(StoredHistory(), (std::vector<std::string>{"scott/tiger@orcl", "system/manager@orcl"}));

  Answer ctrl = Ok("system", "manager");
  ctrl.ctrlHeld = true;
  script_.answers = {ctrl};
  registry_.Set(RegistryHive::CurrentUser, "Tarnwick", "Logon2", "2000");  // dropped by the save
  ASSERT_TRUE(logon_.Execute());
  EXPECT_TRUE(session_.Connected());
  EXPECT_EQ(StoredHistory(), (std::vector<std::string>{"scott/tiger@orcl", "system/manager@orcl"}));
  EXPECT_FALSE(registry_.ReadValue(RegistryHive::CurrentUser, "Tarnwick", "Logon2"));
}

TEST_F(LogonTest, AnExpiredPasswordIsChangedThroughThePasswordDialogWithoutAHistoryEntry) {
  AsSystem({"create user scott identified by tiger", "grant connect to scott",
            "alter user scott password expire"});
  ConfigureMainLogon(logon_, session_);
  logon_.SetOptions(logon_.Options() & ~ldAuto);
  script_.answers = {Ok("scott", "tiger"),
                     // the password dialog: a mismatch first, then texts equal but for case
                     Ok("lion", "tigress", ""), Ok("lion", "LION", "")};
  EXPECT_TRUE(logon_.Execute());
  EXPECT_TRUE(session_.Connected());
  EXPECT_EQ(session_.LogonPassword(), "LION");  // the verification text as typed
  ASSERT_EQ(script_.shown.size(), 3u);
  EXPECT_EQ(script_.shown[1].title, "Your password has expired");
  EXPECT_FALSE(script_.shown[1].databaseRow);
  EXPECT_FALSE(script_.shown[1].connectAsRow);
  EXPECT_EQ(script_.shown[1].username, "");
  EXPECT_EQ(script_.shown[2].password, "tigress");  // the window comes back as it was
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text, "Verification failed");
  EXPECT_TRUE(StoredHistory().empty());
}

TEST_F(LogonTest, APasswordDialogCancelledLeavesTheSessionDisconnected) {
  AsSystem({"create user scott identified by tiger", "grant connect to scott",
            "alter user scott password expire"});
  logon_.SetSession(&session_);
  script_.answers = {Ok("scott", "tiger"), Cancel(), Cancel()};
  EXPECT_TRUE(logon_.Execute());
  EXPECT_FALSE(session_.Connected());
  EXPECT_EQ(script_.shown.size(), 3u);  // logon, password dialog, logon again
}

TEST_F(LogonTest, AChangeOfferedByTheExpiryWarningIsRecordedWithTheNewPassword) {
  try {
    AsSystem(
        {"create profile short_life limit password_life_time 0.00001 "
         "password_grace_time 5"});
  } catch (const EOracleError& e) {
    GTEST_SKIP() << "the engine has no password profiles yet, so no password about to "
                    "expire: "
                 << e.what();
  }
  AsSystem({"create user scott identified by tiger", "grant connect to scott",
            "alter user scott profile short_life"});
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  ConfigureMainLogon(logon_, session_);
  logon_.SetOptions(logon_.Options() & ~ldAuto);
  dialogs_.messageAnswers = {kButtonYes};
  script_.answers = {Ok("scott", "tiger"), Ok("lion", "lion", "")};
  EXPECT_TRUE(logon_.Execute());
  EXPECT_TRUE(session_.Connected());
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text.rfind("ORA-28002: ", 0), 0u) << dialogs_.messages[0].text;
  EXPECT_NE(dialogs_.messages[0].text.find("\r\nDo you wish to change your password now?"),
            std::string::npos);
  EXPECT_EQ(dialogs_.messages[0].buttons, kButtonYes | kButtonNo);
  EXPECT_EQ(StoredHistory(), std::vector<std::string>{"scott/lion@orcl"});
}

TEST_F(LogonTest, WithoutAClientTheAliasListIsEmptyAndTheInitializationErrorPassesOut) {
  UseCommandLine({}, "/nonexistent/libclntsh.so");
  ConfigureMainLogon(logon_, session_);
  logon_.SetOptions(logon_.Options() & ~ldAuto);
  script_.answers = {Ok("system", "manager")};
  try {
    logon_.Execute();
    ADD_FAILURE() << "no initialization error";
  } catch (const EOracleError& e) {
    ADD_FAILURE() << e.what();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Initialization error\r\n", 0), 0u) << e.what();
  }
  ASSERT_EQ(script_.shown.size(), 1u);
  EXPECT_TRUE(script_.shown[0].aliasList);
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(LogonTest, ExecuteOnAConnectedSessionShowsTheWindowAndReconnects) {
  session_.SetLogonUsername("system");
  session_.SetLogonPassword("manager");
  session_.LogOn();
  int logoffs = 0;
  session_.OnChange = [&](TOracleSession& s) { logoffs += s.Connected() ? 0 : 1; };
  logon_.SetSession(&session_);
  logon_.SetOptions(ldDatabase);
  script_.answers = {Ok("system", "manager")};
  EXPECT_TRUE(logon_.Execute());
  EXPECT_EQ(script_.shown.size(), 1u);
  EXPECT_TRUE(session_.Connected());
  EXPECT_EQ(logoffs, 1);
}

TEST_F(LogonTest, ACaptionReplacesTheTitleForLaterDialogsToo) {
  const std::string saved = LogonTexts().title;
  logon_.SetSession(&session_);
  logon_.SetCaption("Connect to the archive");
  logon_.Execute();
  TOracleLogon other;
  other.SetSession(&session_);
  other.Execute();
  ASSERT_EQ(script_.shown.size(), 2u);
  EXPECT_EQ(script_.shown[1].title, "Connect to the archive");
  LogonTexts().title = saved;
}

}  // namespace
}  // namespace qm
