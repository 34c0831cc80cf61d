#include "oracle/oracle_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ocilite/database_files.h"
#include "ocilite/testing/engine_fixture.h"
#include "oracle/client_naming_profile.h"
#include "oracle/e_oracle_error.h"
#include "oracle/oracle_client.h"
#include "oracle/oracle_dataset.h"
#include "oracle/oracle_query.h"
#include "oracle/session_attachment.h"
#include "oracle/testing/connected_engine_test.h"
#include "oracle/testing/scripted_client_test.h"
#include "oracle/testing/session_test_support.h"
#include "platform/command_line.h"
#include "platform/dynamic_library.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/memory_registry.h"
#include "platform/scripted_dialogs.h"
#include "platform/testing/service_scope.h"

namespace qm {
namespace {

using testing::ExpectGeneralError;
using testing::ExpectOracleError;
using testing::QueryValue;
using testing::ServiceScope;
using testing::SetLogon;
using testing::UseClientLibrary;

// ---- Against the embedded engine --------------------------------------------------------------

class SessionTest : public ocilite::testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    UseClientLibrary(OCILITE_LIBRARY);
  }

  // Runs statements as SYSTEM.
  void AsSystem(std::initializer_list<const char*> statements) {
    TOracleSession system;
    SetLogon(system, "system", "manager");
    system.LogOn();
    for (const char* sql : statements) system.ExecInternal(sql);
  }
};

TEST_F(SessionTest, LogOnAndLogOffWithTheirEvents) {
  TOracleSession s;
  std::vector<std::string> events;
  s.BeforeLogOn = [&](TOracleSession&) { events.push_back("BeforeLogOn"); };
  s.AfterLogOn = [&](TOracleSession&) { events.push_back("AfterLogOn"); };
  s.OnChange = [&](TOracleSession& sender) {
    events.push_back(sender.Connected() ? "OnChange:on" : "OnChange:off");
  };
  SetLogon(s, "system", "manager");

  s.SetConnected(true);
  EXPECT_TRUE(s.Connected());
  EXPECT_TRUE(s.OCI8Session());
  EXPECT_EQ(s.PasswordWarning(), "");
  EXPECT_EQ(QueryValue(s, "select user from dual"), "SYSTEM");
  EXPECT_EQ(events, (std::vector<std::string>{"BeforeLogOn", "AfterLogOn", "OnChange:on"}));

  events.clear();
  OCIEnv* env = s.EnvHandle();
  s.SetConnected(true);  // the current value: nothing happens
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(s.EnvHandle(), env);

  s.LogOn();  // directly: disconnects first
  EXPECT_EQ(events,
            (std::vector<std::string>{"BeforeLogOn", "OnChange:off", "AfterLogOn", "OnChange:on"}));
  EXPECT_TRUE(s.Connected());

  events.clear();
  s.SetConnected(false);
  EXPECT_EQ(events, std::vector<std::string>{"OnChange:off"});
  EXPECT_FALSE(s.Connected());
  EXPECT_FALSE(s.ServerAttached());
  EXPECT_EQ(s.EnvHandle(), nullptr);
  s.SetConnected(false);
  s.Commit();
  s.Rollback();
  EXPECT_EQ(events.size(), 1u);
}

TEST_F(SessionTest, AWholeConnectStringInTheUserNameIsSplitAndConnectsAsSysdba) {
  TOracleSession s;
  SetLogon(s, "sys/manager@ORCL as sysdba", "", "");
  s.LogOn();
  EXPECT_TRUE(s.Connected());
  EXPECT_EQ(s.LogonUsername(), "sys");
  EXPECT_EQ(s.LogonPassword(), "manager");
  EXPECT_EQ(s.LogonDatabase(), "ORCL");
  EXPECT_EQ(s.ConnectAs(), caSYSDBA);
  EXPECT_EQ(QueryValue(s, "select user from dual"), "SYS");
}

TEST_F(SessionTest, ARejectedLogOnLeavesTheSessionAttachedButDisconnected) {
  TOracleSession s;
  int afterLogOn = 0, changes = 0;
  s.AfterLogOn = [&](TOracleSession&) { ++afterLogOn; };
  s.OnChange = [&](TOracleSession&) { ++changes; };
  SetLogon(s, "system", "wrong");
  ExpectOracleError([&] { s.LogOn(); }, 1017,
                    "ORA-01017: invalid username/password; logon denied\n");
  EXPECT_FALSE(s.Connected());
  EXPECT_TRUE(s.ServerAttached());
  EXPECT_NE(s.EnvHandle(), nullptr);
  EXPECT_EQ(afterLogOn, 1);
  EXPECT_EQ(changes, 1);

  s.SetLogonPassword("manager");
  s.LogOn();  // starts with a detach of the half-open attach
  EXPECT_TRUE(s.Connected());

  TOracleSession other;
  SetLogon(other, "system", "manager", "nosuchdb");
  ExpectOracleError([&] { other.LogOn(); }, 12154,
                    "ORA-12154: TNS:could not resolve service name\n");
  EXPECT_FALSE(other.ServerAttached());
}

TEST_F(SessionTest, OneLogOnBringsBackASessionWhoseServerWasLost) {
  TOracleSession s;
  SetLogon(s, "system", "manager");
  s.LogOn();
  testing::SetEngineServerReachable(false);
  ExpectOracleError([&] { QueryValue(s, "select user from dual"); }, 3113,
                    "ORA-03113: end-of-file on communication channel\n");
  testing::SetEngineServerReachable(true);
  int afterLogOn = 0;
  s.AfterLogOn = [&](TOracleSession&) { ++afterLogOn; };

  s.LogOn();

  EXPECT_EQ(afterLogOn, 1);
  EXPECT_TRUE(s.Connected());
  EXPECT_EQ(QueryValue(s, "select user from dual"), "SYSTEM");
  // The lost connection's end is not reported again by a later LogOff.
  EXPECT_NO_THROW(s.LogOff());
}

TEST_F(SessionTest, AnExpiredPasswordRaises28001AndAChangeLetsTheNextLogOnIn) {
  AsSystem({"create user scott identified by tiger", "grant connect, resource to scott",
            "alter user scott password expire"});
  TOracleSession s;
  SetLogon(s, "scott", "tiger");
  ExpectOracleError([&] { s.LogOn(); }, 28001, "ORA-28001: the password has expired\n");

  s.ChangePassword("lion");
  EXPECT_EQ(s.LogonPassword(), "lion");
  s.LogOn();
  EXPECT_TRUE(s.Connected());
  EXPECT_EQ(s.PasswordWarning(), "");
}

TEST_F(SessionTest, APasswordAboutToExpireLogsOnWithTheWarning) {
  AsSystem({"create profile short_life limit password_life_time 0.00001 password_grace_time 5"});
  AsSystem({"create user scott identified by tiger", "grant connect to scott",
            "alter user scott profile short_life"});
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  TOracleSession s;
  SetLogon(s, "scott", "tiger");
  s.LogOn();
  EXPECT_TRUE(s.Connected());
  EXPECT_EQ(s.PasswordWarning().rfind("ORA-28002: the password will expire within ", 0), 0u)
      << s.PasswordWarning();
  EXPECT_EQ(s.LastStatus(), OCI_SUCCESS);
}

TEST_F(SessionTest, DisconnectLeavesOpenWorkToTheSessionEndWhichCommitsIt) {
  AsSystem({"create table t (n number)"});
  TOracleSession reader;
  SetLogon(reader, "system", "manager");
  reader.LogOn();

  TOracleSession writer;
  SetLogon(writer, "system", "manager");
  writer.LogOn();
  writer.ExecInternal("insert into t values (1)");
  EXPECT_EQ(QueryValue(reader, "select count(*) from t"), "0");
  writer.SetConnected(false);
  EXPECT_EQ(QueryValue(reader, "select count(*) from t"), "1");

  writer.SetRollbackOnDisconnect(true);
  writer.LogOn();
  writer.ExecInternal("insert into t values (2)");
  writer.SetConnected(false);
  EXPECT_EQ(QueryValue(reader, "select count(*) from t"), "1");

  writer.SetRollbackOnDisconnect(false);
  writer.LogOn();
  writer.ExecInternal("insert into t values (3)");
  writer.Rollback();
  writer.ExecInternal("insert into t values (4)");
  writer.Commit();
  EXPECT_EQ(QueryValue(reader, "select sum(n) from t"), "5");
}

TEST_F(SessionTest, SessionsStillConnectedAtTheEndAreLoggedOffBeforeTheUnload) {
  AsSystem({"create table t (n number)"});
  {
    TOracleSession writer;
    SetLogon(writer, "system", "manager");
    writer.LogOn();
    writer.ExecInternal("insert into t values (7)");
    LogOffSessionsAndUnloadClient();
    EXPECT_FALSE(writer.Connected());
    EXPECT_FALSE(OracleClient::Process().ClientLoaded());
  }
  TOracleSession reader;
  SetLogon(reader, "system", "manager");
  reader.LogOn();
  EXPECT_EQ(QueryValue(reader, "select count(*) from t"), "1");
}

TEST_F(SessionTest, TheServerReleaseDecidesTheInterface) {
  ocilite::SetVersionBanner(database_path_,
                            "Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - "
                            "Production\nVersion 19.3.0.0.0");
  TOracleSession s;
  SetLogon(s, "system", "manager");
  s.LogOn();
  EXPECT_TRUE(s.OCI8Session());
  s.LogOff();

  // An older server: the same connection goes on through a logon data area, and LogOff gives it
  // back before the session ends, which commits the open work.
  ocilite::SetVersionBanner(database_path_, "Oracle7 Server Release 7.3.4.0.0 - Production");
  AsSystem({"create table t (n number)"});
  s.LogOn();
  EXPECT_TRUE(s.Connected());
  EXPECT_FALSE(s.OCI8Session());
  EXPECT_TRUE(s.LogonDataAreaTaken());
  EXPECT_TRUE(s.ServerAttached());
  EXPECT_EQ(QueryValue(s, "select user from dual"), "SYSTEM");
  EXPECT_EQ(s.MaxStringBindSize(), 2000);
  ExpectGeneralError([&] { RequireFeature(&s, "A query with LOB's"); },
                     "A query with LOB's requires OCI8 mode, but OCI7 mode is used.");
  s.ExecInternal("insert into t values (1)");
  s.LogOff();
  EXPECT_TRUE(s.OCI8Session());
  EXPECT_FALSE(s.LogonDataAreaTaken());
  EXPECT_EQ(s.EnvHandle(), nullptr);
  TOracleSession reader;
  SetLogon(reader, "system", "manager");
  reader.LogOn();
  EXPECT_EQ(QueryValue(reader, "select count(*) from t"), "1");
}

TEST_F(SessionTest, PropertiesThatCannotChangeWhileConnected) {
  TOracleSession s;
  SetLogon(s, "system", "manager");
  s.LogOn();
  s.SetThreadSafe(false);  // the same value is no change
  ExpectGeneralError([&] { s.SetThreadSafe(true); },
                     "Cannot change ThreadSafe property when connected");
  ExpectGeneralError([&] { s.SetPooling(spInternal); },
                     "Cannot change Pooling property when connected");
  ExpectGeneralError([&] { s.SetMTSOptions(moImplicit); },
                     "Cannot change MTSOptions property when connected");
  ExpectGeneralError([&] { s.Preferences().SetUseOCI7(true); },
                     "Cannot change UseOCI7 property when session is connected");
  TSessionPreferences other;
  other.SetUseOCI7(true);
  other.SetFloatPrecision(15);
  ExpectGeneralError([&] { s.SetPreferences(other); },
                     "Cannot change UseOCI7 property when session is connected");

  s.LogOff();
  s.SetPreferences(other);
  EXPECT_TRUE(s.Preferences().UseOCI7());
  EXPECT_EQ(s.Preferences().FloatPrecision(), 15);
  s.LogOn();
  EXPECT_FALSE(s.OCI8Session());
  ExpectGeneralError([&] { s.Preferences().SetUseOCI7(false); },
                     "Cannot change UseOCI7 property when session is connected");
  s.LogOff();
  s.Preferences().SetUseOCI7(false);
  s.LogOn();
  EXPECT_TRUE(s.OCI8Session());
}

// An attached statement or dataset that records what the session tells it.
class RecordingAttachment : public TSessionAttachment {
 public:
  explicit RecordingAttachment(bool failClosing = false) : failClosing_(failClosing) {}
  void SessionLoggingOff() override {
    ++closed;
    if (failClosing_) throw std::runtime_error("cannot close");
  }
  void SessionDestroyed() override { ++forgotten; }
  int closed = 0;
  int forgotten = 0;

 private:
  bool failClosing_;
};

TEST_F(SessionTest, LogOffClosesAttachedObjectsAndDestructionTellsThem) {
  RecordingAttachment statement(true), dataSet, object, detached;
  {
    TOracleSession s;
    s.AttachStatement(&statement);
    s.AttachDataSet(&dataSet);
    s.AttachObject(&object);
    s.AttachDataSet(&detached);
    s.DetachDataSet(&detached);
    s.LogOff();  // not connected: nothing to close
    EXPECT_EQ(statement.closed + dataSet.closed + object.closed, 0);

    SetLogon(s, "system", "manager");
    s.LogOn();
    s.LogOff();  // a statement that fails to close does not stop the others
    EXPECT_EQ(statement.closed, 1);
    EXPECT_EQ(dataSet.closed, 1);
    EXPECT_EQ(object.closed, 1);
    EXPECT_FALSE(s.Connected());
  }
  EXPECT_EQ(statement.forgotten, 1);
  EXPECT_EQ(dataSet.forgotten, 1);
  EXPECT_EQ(object.forgotten, 1);
  EXPECT_EQ(detached.closed + detached.forgotten, 0);
}

TEST_F(SessionTest, ColumnWidthsAndDateFormatLength) {
  TOracleSession s;
  SetLogon(s, "system", "manager");
  EXPECT_EQ(s.CharacterWidth(), 1);
  s.SetBytesPerCharacter(bc3Bytes);
  EXPECT_EQ(s.CharacterWidth(), 3);
  s.LogOn();
  EXPECT_EQ(s.MaxStringBindSize(), 4000 / 3);
  s.SetBytesPerCharacter(bc1Byte);
  EXPECT_EQ(s.MaxStringBindSize(), 4000);

  s.ExecInternal("alter session set nls_date_format = 'DD.MM.RRRR HH24:MI'");
  EXPECT_EQ(s.DateFormatLength(), 16);
  s.ExecInternal("alter session set nls_date_format = 'DD.MM.RRRR'");
  EXPECT_EQ(s.DateFormatLength(), 16);  // cached until LogOff
  s.LogOn();
  s.ExecInternal("alter session set nls_date_format = 'DD.MM.RRRR'");
  EXPECT_EQ(s.DateFormatLength(), 10);
}

// ---- On the scripted test client --------------------------------------------------------------

class ScriptedSessionTest : public testing::ScriptedClientTest {};

TEST_F(ScriptedSessionTest, ADataSetPassesOverObjectReferenceAndCursorColumnsWithAMessageEach) {
  ScriptedDialogs dialogs;
  TOracleSession s;
  SetLogon(s, "scott", "tiger", "ORA80");
  s.LogOn();
  TOracleDataSet ods;
  ods.SetSession(&s);
  ods.SQL().Add("select * from kinds");
  ods.Open();

  ASSERT_EQ(ods.FieldCount(), 1);
  EXPECT_EQ(ods.Field(0).FieldName(), "ID");
  EXPECT_EQ(ods.RecordCount(), 0);
  std::vector<std::string> texts;
  for (const MessageBoxRequest& m : dialogs.messages) texts.push_back(m.text);
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "OBJ: Objects will be supported in version 3.5",
                       "PTR: References will be supported in version 3.5",
                       "CUR: Sub-queries not supported in dataset, use TOracleQuery instead"}));
  // Only the column with a value is defined.
  EXPECT_EQ(Calls({"OCIDefineByPos"}).size(), 1u);
  ods.Close();
  s.LogOff();
}

TEST_F(ScriptedSessionTest, LogOnAndLogOffCallTheClientInOrder) {
  using V = std::vector<std::string>;
  TOracleSession s;
  SetLogon(s, "scott", "tiger", "ORA80");
  s.LogOn();
  EXPECT_EQ(Calls(),
            (V{"OCIEnvInit(8)", "OCIHandleAlloc(3)", "OCIHandleAlloc(2)", "OCIHandleAlloc(2)",
               "OCIHandleAlloc(8)", "OCIHandleAlloc(9)", "OCIServerAttach(ORA80)",
               "OCIAttrSet(3,6)", "OCIAttrSet(3,7)", "OCIAttrSet(9,22,scott)",
               "OCIAttrSet(9,23,tiger)", "OCISessionBegin(1,0)", "OCIServerVersion"}));

  Reset();
  s.LogOff();  // neither commit nor rollback is sent
  EXPECT_EQ(Calls(),
            (V{"OCISessionEnd", "OCIServerDetach", "OCIHandleFree(8)", "OCIHandleFree(3)",
               "OCIHandleFree(2)", "OCIHandleFree(2)", "OCIHandleFree(9)", "OCIHandleFree(1)"}));

  s.SetRollbackOnDisconnect(true);
  s.LogOn();
  Reset();
  s.LogOff();
  EXPECT_EQ(Calls({"OCITransRollback", "OCISessionEnd", "OCIServerDetach"}),
            (V{"OCITransRollback", "OCISessionEnd", "OCIServerDetach"}));
}

TEST_F(ScriptedSessionTest, AnOracle7ServerGetsTheLogonDataAreaWhichGoesBackBeforeTheSessionEnds) {
  using V = std::vector<std::string>;
  // A client without the release 7 functions stays on the release 8 interface, and refuses
  // UseOCI7 instead of calling what it does not have.
  TOracleSession old;
  SetLogon(old, "scott", "tiger", "ORA73");
  old.LogOn();
  EXPECT_TRUE(old.OCI8Session());
  old.LogOff();
  old.Preferences().SetUseOCI7(true);
  ExpectGeneralError([&] { old.LogOn(); }, kNoOCI7Functions);
  EXPECT_FALSE(old.Connected());
  EXPECT_EQ(Calls({"OCISvcCtxToLda"}), V{});

  UseScriptedClient(OCI8_CLIENT_WITH_OCI7);
  TOracleSession s;
  SetLogon(s, "scott", "tiger", "ORA73");
  s.LogOn();
  EXPECT_FALSE(s.OCI8Session());
  EXPECT_EQ(Calls({"OCISessionBegin", "OCIServerVersion", "OCISvcCtxToLda", "OCILdaToSvcCtx"}),
            (V{"OCISessionBegin(1,0)", "OCIServerVersion", "OCISvcCtxToLda"}));
  Reset();
  s.LogOff();
  EXPECT_EQ(Calls({"OCISvcCtxToLda", "OCILdaToSvcCtx", "OCISessionEnd", "OCIServerDetach"}),
            (V{"OCILdaToSvcCtx", "OCISessionEnd", "OCIServerDetach"}));
  EXPECT_TRUE(s.OCI8Session());
}

TEST_F(ScriptedSessionTest, CredentialsAndModes) {
  using V = std::vector<std::string>;
  struct Case {
    const char *user, *password;
    bool threadSafe;
    TConnectAsOption connectAs;
    V expected;
  };
  const Case cases[] = {
      {"", "", false, caNormal, {"OCIEnvInit(8)", "OCISessionBegin(2,0)"}},
      {"sys",
       "pw",
       false,
       caSYSDBA,
       {"OCIEnvInit(8)", "OCIAttrSet(9,22,sys)", "OCIAttrSet(9,23,pw)", "OCISessionBegin(1,2)"}},
      {"sys",
       "pw",
       false,
       caSYSOPER,
       {"OCIEnvInit(8)", "OCIAttrSet(9,22,sys)", "OCIAttrSet(9,23,pw)", "OCISessionBegin(1,4)"}},
      {"u",
       "",
       true,
       caNormal,
       {"OCIEnvInit(0)", "OCIAttrSet(9,22,u)", "OCIAttrSet(9,23,)", "OCISessionBegin(1,0)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected.back());
    TOracleSession s;
    SetLogon(s, c.user, c.password, "ORA80");
    s.SetConnectAs(c.connectAs);
    s.SetThreadSafe(c.threadSafe);
    Reset();
    s.LogOn();
    std::vector<std::string> calls;
    for (const std::string& call : Calls({"OCIEnvInit", "OCIAttrSet", "OCISessionBegin"}))
      if (call.rfind("OCIAttrSet(3,", 0) != 0) calls.push_back(call);
    EXPECT_EQ(calls, c.expected);
  }
}

TEST_F(ScriptedSessionTest, SessionSettingsAreSentWhenSetAndAgainAtLogOn) {
  using V = std::vector<std::string>;
  TOracleSession s;
  SetLogon(s, "scott", "tiger", "ORA80");
  s.SetSQLTrace(stTrue);
  s.SetOptimizerGoal(ogFirstRows);
  s.SetIsolationLevel(ilSerializable);
  s.SetAutoCommit(true);
  EXPECT_TRUE(Calls().empty());  // not connected: only kept

  s.LogOn();
  EXPECT_EQ(
      Calls({"OCIStmtPrepare", "OCIStmtExecute"}),
      (V{"OCIStmtPrepare(alter session set sql_trace = true\\n)", "OCIStmtExecute(1,32)",
         "OCIStmtPrepare(alter session set optimizer_goal = first_rows\\n)", "OCIStmtExecute(1,32)",
         "OCIStmtPrepare(alter session set isolation_level = serializable\\n)",
         "OCIStmtExecute(1,32)"}));

  s.SetAutoCommit(false);
  struct Case {
    std::function<void()> set;
    V sent;
  };
  const Case cases[] = {
      {[&] { s.SetSQLTrace(stFalse); },
       {"OCIStmtPrepare(alter session set sql_trace = false\\n)", "OCIStmtExecute(1,0)"}},
      {[&] { s.SetOptimizerGoal(ogChoose); },
       {"OCIStmtPrepare(alter session set optimizer_goal = choose\\n)", "OCIStmtExecute(1,0)"}},
      {[&] { s.SetOptimizerGoal(ogAllRows); },
       {"OCIStmtPrepare(alter session set optimizer_goal = all_rows\\n)", "OCIStmtExecute(1,0)"}},
      {[&] { s.SetOptimizerGoal(ogRule); },
       {"OCIStmtPrepare(alter session set optimizer_goal = rule\\n)", "OCIStmtExecute(1,0)"}},
      {[&] { s.SetIsolationLevel(ilReadCommitted); },
       {"OCIStmtPrepare(alter session set isolation_level = read committed\\n)",
        "OCIStmtExecute(1,0)"}},
      {[&] { s.SetSQLTrace(stUnchanged); }, {}},
      {[&] { s.SetOptimizerGoal(ogUnchanged); }, {}},
      {[&] { s.SetIsolationLevel(ilUnchanged); }, {}},
  };
  for (const Case& c : cases) {
    Reset();
    c.set();
    EXPECT_EQ(Calls({"OCIStmtPrepare", "OCIStmtExecute"}), c.sent);
  }
}

TEST_F(ScriptedSessionTest, AMessageLongerThan1023CharactersIsCut) {
  TOracleSession s;
  SetLogon(s, "scott", "tiger", "LONGERROR");
  ExpectOracleError([&] { s.LogOn(); }, 20001, "ORA-20001: " + std::string(1012, 'x'));
}

TEST_F(ScriptedSessionTest, ALibraryUnloadedUnderASessionTakesItsHandlesAlong) {
  TOracleSession s;
  SetLogon(s, "scott", "tiger", "ORA80");
  s.LogOn();
  s.ExecInternal("alter session set sql_trace = true");
  OracleClient::Process().UnloadClient();
  s.LogOff();
  EXPECT_FALSE(s.Connected());
  EXPECT_EQ(s.EnvHandle(), nullptr);
  s.LogOn();
  EXPECT_TRUE(s.Connected());
}

// A busy cursor that counts what it is asked to show.
class RecordingCursor : public BusyCursor {
 public:
  void Show(TCursor cursor) override {
    ++shown;
    ++depth;
    last = cursor;
  }
  void Restore() override { --depth; }
  int shown = 0;
  int depth = 0;
  TCursor last = crDefault;

 private:
  ServiceScope<SetAppBusyCursor> installed_{this};
};

TEST_F(ScriptedSessionTest, TheBusyCursorIsShownAndAlwaysRestored) {
  RecordingCursor cursor;
  TOracleSession s;
  SetLogon(s, "scott", "tiger", "ORA80");
  s.SetCursor(crSQLWait);
  s.LogOn();
  EXPECT_GT(cursor.shown, 0);
  EXPECT_EQ(cursor.last, crSQLWait);
  EXPECT_EQ(cursor.depth, 0);

  s.SetLogonDatabase("LONGERROR");
  EXPECT_THROW(s.LogOn(), EOracleError);
  EXPECT_EQ(cursor.depth, 0);

  const int before = cursor.shown;
  s.SetCursor(crDefault);
  s.SetLogonDatabase("ORA80");
  s.LogOn();
  s.LogOff();
  EXPECT_EQ(cursor.shown, before);
}

TEST_F(ScriptedSessionTest, ASessionBeingLoadedConnectsQuietlyUnlessDesignConnection) {
  int afterLogOn = 0, changes = 0;
  TOracleSession s;
  s.AfterLogOn = [&](TOracleSession&) { ++afterLogOn; };
  s.OnChange = [&](TOracleSession&) { ++changes; };
  SetLogon(s, "scott", "tiger", "ORA80");

  s.BeginLoading();
  s.SetConnected(true);
  EXPECT_TRUE(s.Connected());
  EXPECT_EQ(afterLogOn + changes, 0);
  s.Loaded();
  EXPECT_EQ(afterLogOn, 1);
  EXPECT_EQ(changes, 1);

  TOracleSession design;
  SetLogon(design, "scott", "tiger", "ORA80");
  design.SetDesignConnection(true);
  design.BeginLoading();
  design.SetConnected(true);
  design.Loaded();
  EXPECT_FALSE(design.Connected());
}

// ---- Without a connection ---------------------------------------------------------------------

TEST(SessionServicesTest, NumberColumnType) {
  struct Case {
    int precision, scale;
    bool textOnly;
    int floatPrecision, integerPrecision;
    ub2 type;
    int size;
  };
  const Case cases[] = {
      {9, 0, false, 0, 0, SQLT_INT, 4},    {10, 0, false, 0, 0, SQLT_FLT, 8},
      {5, 2, false, 0, 0, SQLT_FLT, 8},    {0, 0, false, 0, 0, SQLT_FLT, 8},
      {0, -127, false, 0, 0, SQLT_FLT, 8}, {9, 0, true, 0, 0, SQLT_STR, 11},
      {5, 2, true, 0, 0, SQLT_STR, 8},     {126, -127, true, 0, 0, SQLT_STR, 173},
      {20, 0, false, 15, 0, SQLT_STR, 22}, {12, 0, false, 15, 0, SQLT_FLT, 8},
      {9, 0, false, 0, 4, SQLT_FLT, 8},    {4, -2, false, 0, 4, SQLT_INT, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.precision) + "," + std::to_string(c.scale) +
                 (c.textOnly ? " text" : ""));
    TOracleSession s;
    s.Preferences().SetFloatPrecision(c.floatPrecision);
    s.Preferences().SetIntegerPrecision(c.integerPrecision);
    const TNumberColumnType t = s.NumberColumnType(c.precision, c.scale, c.textOnly);
    EXPECT_EQ(t.type, c.type);
    EXPECT_EQ(t.size, c.size);
  }
  TOracleSession odbc;
  odbc.SetLogonDatabase("odbc:dsn");
  EXPECT_TRUE(odbc.IsODBC());
  EXPECT_EQ(odbc.NumberColumnType(10, 0, false).type, SQLT_INT);
}

TEST(SessionServicesTest, DefaultsAndRequireFeature) {
  TOracleSession s;
  EXPECT_EQ(s.Cursor(), crHourGlass);
  EXPECT_EQ(s.ConnectAs(), caNormal);
  EXPECT_EQ(s.MTSOptions(), moImplicit | moUniqueServer);
  EXPECT_EQ(s.BytesPerCharacter(), bc1Byte);
  EXPECT_EQ(s.Preferences().SmallIntPrecision(), -1);
  EXPECT_TRUE(s.Preferences().ConvertCRLF());
  EXPECT_TRUE(s.Preferences().TrimStringFields());
  EXPECT_TRUE(s.Preferences().ZeroDateIsNull());
  EXPECT_FALSE(s.Preferences().NullLOBIsEmpty());
  EXPECT_FALSE(s.AutoCommit() || s.RollbackOnDisconnect() || s.ThreadSafe() || s.Connected());
  EXPECT_EQ(s.DateFormatLength(), 40);  // not connected: the fallback

  ExpectGeneralError([] { RequireFeature(nullptr, "LOB"); }, "LOB requires a session");
  ExpectGeneralError([&] { RequireFeature(&s, "Cursor variable"); },
                     "Cursor variable requires a connected session");
}

}  // namespace
}  // namespace qm
