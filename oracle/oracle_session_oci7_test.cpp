// Sessions on the release 7 interface: clients without Net8 (test libraries that export the
// release 7 names only and forward to the engine), ODBC-bridge sessions, and the session lock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "ocilite/testing/engine_fixture.h"
#include "oracle/client_naming_profile.h"
#include "oracle/e_oracle_error.h"
#include "oracle/oracle_client.h"
#include "oracle/oracle_object.h"
#include "oracle/oracle_query.h"
#include "oracle/oracle_reference.h"
#include "oracle/oracle_session.h"
#include "oracle/testing/connected_engine_test.h"
#include "oracle/testing/session_test_support.h"
#include "oracle/testing/fake_client_loader.h"
#include "platform/command_line.h"
#include "platform/dynamic_library.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/memory_registry.h"

namespace qm {
namespace {

using testing::ExpectGeneralError;
using testing::ExpectOracleError;
using testing::QueryValue;
using testing::SetLogon;
using testing::UseClientLibrary;

// The process's client is one of the release 7 test libraries, loaded afresh by the first logon.
class Oci7ClientTest : public ocilite::testing::EngineTest {
 protected:
  void Use(const std::string& library) {
    UseClientLibrary(library);
    LogOffSessionsAndUnloadClient();
    probe_ = DynamicLibrary::Open(library);
    ASSERT_NE(probe_, nullptr);
    reinterpret_cast<void (*)()>(probe_->Symbol("qm_test_reset"))();
  }
  void TearDown() override {
    LogOffSessionsAndUnloadClient();
    EngineTest::TearDown();
  }
  int Calls(const char* name) {
    return reinterpret_cast<int (*)(const char*)>(probe_->Symbol("qm_test_calls"))(name);
  }
  unsigned OpinitMode() {
    return reinterpret_cast<unsigned (*)()>(probe_->Symbol("qm_test_opinit_mode"))();
  }

  std::unique_ptr<DynamicLibrary> probe_;
};

TEST_F(Oci7ClientTest, AClientWithoutNet8DrivesEverythingThroughTheReleaseSevenCalls) {
  Use(OCI7_ONLY_CLIENT);
  TOracleSession s, reader;
  SetLogon(s, "system", "manager");
  SetLogon(reader, "system", "manager");
  s.LogOn();
  reader.LogOn();
  const OracleClient& client = OracleClient::Process();
  EXPECT_TRUE(client.OCI7Ready() && client.OLogReady() && client.OPInitReady());
  EXPECT_FALSE(client.OCI8Ready());
  EXPECT_EQ(Calls("opinit"), 1);  // once for the process, not per logon
  EXPECT_EQ(OpinitMode(), 0u);
  EXPECT_EQ(Calls("olog"), 2);
  EXPECT_EQ(Calls("orlon"), 0);
  EXPECT_FALSE(s.OCI8Session());
  EXPECT_FALSE(s.LogonDataAreaTaken());
  EXPECT_EQ(s.MaxStringBindSize(), 2000);

  // Transactions: ocom and orol, the server's autocommit with ocon and ocof, and a session end
  // (ologof) that commits what is open.
  s.ExecInternal("create table t (n number(9))");
  s.ExecInternal("insert into t values (1)");
  s.Rollback();
  s.ExecInternal("insert into t values (2)");
  EXPECT_EQ(QueryValue(reader, "select count(*) from t"), "0");
  s.Commit();
  EXPECT_EQ(QueryValue(reader, "select count(*) from t"), "1");
  s.SetAutoCommit(true);
  s.ExecInternal("insert into t values (3)");
  EXPECT_EQ(QueryValue(reader, "select count(*) from t"), "2");
  s.SetAutoCommit(false);
  s.ExecInternal("insert into t values (4)");
  EXPECT_EQ(QueryValue(reader, "select count(*) from t"), "2");
  s.LogOff();
  EXPECT_EQ(QueryValue(reader, "select sum(n) from t"), "9");
  EXPECT_EQ(Calls("orol"), 1);
  EXPECT_EQ(Calls("ocom"), 1);
  EXPECT_EQ(Calls("ocon"), 1);
  EXPECT_EQ(Calls("ocof"), 1);
  EXPECT_EQ(Calls("ologof"), 1);

  // AutoCommit set before the logon is switched on at the logon.
  s.SetAutoCommit(true);
  s.LogOn();
  EXPECT_EQ(Calls("ocon"), 2);
  s.ExecInternal("insert into t values (5)");
  EXPECT_EQ(QueryValue(reader, "select count(*) from t"), "4");

  // Errors carry the client's text for their number (oerhms).
  ExpectOracleError([&] { s.ExecInternal("select * from nosuch"); }, 942,
                    "ORA-00942: table or view does not exist\n");
  EXPECT_GE(Calls("oerhms"), 1);
}

TEST_F(Oci7ClientTest, AFailedCursorCloseIsRaisedByCloseButNotByTheDestructor) {
  Use(OCI7_ONLY_CLIENT);
  auto failNextClose =
      reinterpret_cast<void (*)()>(probe_->Symbol("qm_test_fail_next_close"));
  TOracleSession s;
  SetLogon(s, "system", "manager");
  s.LogOn();
  TOracleQuery q;
  q.SetSession(&s);
  q.SQL().Add("select 1 from dual");
  q.Execute();
  failNextClose();
  ExpectOracleError([&] { q.Close(); }, 3114, "ORA-03114: not connected to ORACLE\n");
  // The cursor was given up all the same: the next execution opens and parses a new one.
  const int opened = Calls("oopen");
  q.Execute();
  EXPECT_EQ(Calls("oopen"), opened + 1);
  EXPECT_EQ(q.FieldAsInteger(0), 1);

  {
    TOracleQuery other;
    other.SetSession(&s);
    other.SQL().Add("select 1 from dual");
    other.Execute();
    failNextClose();
  }  // destroyed quietly
  EXPECT_EQ(Calls("oclose"), 2);
}

TEST_F(Oci7ClientTest, AClientWithoutNet8RefusesObjectsAndReferencesByName) {
  // Without the release 8 group the object calls were never resolved: nothing calls them.
  Use(OCI7_ONLY_CLIENT);
  TOracleSession s;
  SetLogon(s, "system", "manager");
  s.LogOn();
  ExpectGeneralError([&] { TOracleObject(&s, "POINT"); },
                     "Object requires Net8, which is not detected on this PC");
  ExpectGeneralError([&] { TOracleReference(&s, "POINT"); },
                     "Reference requires Net8, which is not detected on this PC");
}

TEST_F(Oci7ClientTest, APasswordChangesByStatementAndWrongPasswordsAreRefused) {
  Use(OCI7_ONLY_CLIENT);
  {
    TOracleSession system;
    SetLogon(system, "system", "manager");
    system.LogOn();
    system.ExecInternal("create user scott identified by tiger");
    system.ExecInternal("grant connect to scott");
  }
  TOracleSession s;
  SetLogon(s, "scott", "wrong");
  ExpectOracleError([&] { s.LogOn(); }, 1017,
                    "ORA-01017: invalid username/password; logon denied\n");
  EXPECT_FALSE(s.Connected());

  s.SetLogonPassword("tiger");
  s.LogOn();
  s.ChangePassword("lion");
  EXPECT_EQ(s.LogonPassword(), "lion");
  s.LogOff();
  s.LogOn();
  EXPECT_EQ(QueryValue(s, "select user from dual"), "SCOTT");
  s.LogOff();
  ExpectGeneralError([&] { s.ChangePassword("cat"); }, "Not logged on");
}

TEST_F(Oci7ClientTest, WithoutOlogTheLogonGoesThroughOrlonAndOpinitIsNotCalled) {
  Use(OCI7_CLIENT_WITHOUT_OLOG);
  TOracleSession s;
  SetLogon(s, "system", "manager");
  s.LogOn();
  const OracleClient& client = OracleClient::Process();
  EXPECT_TRUE(client.OCI7Ready());
  EXPECT_FALSE(client.OLogReady() || client.OPInitReady() || client.OCI8Ready());
  EXPECT_EQ(Calls("orlon"), 1);
  EXPECT_EQ(Calls("opinit"), 0);
  EXPECT_EQ(QueryValue(s, "select user from dual"), "SYSTEM");
}

TEST_F(Oci7ClientTest, AThreadSafeSessionHoldsItsLockAroundReleaseSevenCalls) {
  Use(OCI7_ONLY_CLIENT);
  TOracleSession s;
  SetLogon(s, "system", "manager");
  s.SetThreadSafe(true);
  s.LogOn();
  TOracleQuery q;
  q.SetSession(&s);
  q.SQL().Add("select * from dual");

  std::atomic<bool> locked{false}, released{false};
  std::thread holder([&] {
    EXPECT_TRUE(s.LockSession());
    locked = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    released = true;
    s.UnlockSession();
  });
  while (!locked) std::this_thread::yield();
  q.Execute();
  EXPECT_TRUE(released);  // the statement waited for the lock
  holder.join();
  EXPECT_EQ(q.FieldAsString(0), "X");

  TOracleSession unlocked;  // not thread-safe: no lock is taken
  SetLogon(unlocked, "system", "manager");
  unlocked.LogOn();
  EXPECT_FALSE(unlocked.LockSession());
}

// ---- ODBC-bridge sessions -----------------------------------------------------------------------

TEST(ODBCBridgeSessionTest, MarksFollowTheLogonProperties) {
  TOracleSession s;
  EXPECT_FALSE(s.IsODBC());
  s.SetLogonDatabase("odbc:Sales");
  EXPECT_TRUE(s.IsODBC());
  s.SetLogonDatabase("orcl");
  EXPECT_FALSE(s.IsODBC());
  s.SetLogonUsername("ODBC:scott");
  EXPECT_TRUE(s.IsODBC());
}

// Over fake providers: a loader that loads nothing and a registry with or without OCA60.
class ODBCLibraryRuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LogOffSessionsAndUnloadClient();
    OracleClient::Process().SetLibraryPath("");
    OracleClient::Process().SetProviders(
        {&registry_, &environment_, &fileSystem_, &loader_, &commandLine_, &LinuxNaming()});
  }
  void TearDown() override { UseClientLibrary(OCILITE_LIBRARY); }

  MemoryRegistry registry_;
  ProcessEnvironment environment_;
  LocalFileSystem fileSystem_;
  testing::FakeClientLoader loader_;
  FixedCommandLine commandLine_{{}};
};

TEST_F(ODBCLibraryRuleTest, WithoutOCA60AnODBCBridgeLoadsOra73) {
  const std::string ora73Error =
      "Initialization error\r\nCould not load \"ora73.dll\"\r\n\r\nOCIDLL forced to "
      "ora73.dll\r\nLoadLibrary(ora73.dll) returned 0";
  const std::string noClientError =
      "Initialization error\r\nSQL*Net not properly installed\r\n\r\nOracleHomeKey: "
      "SOFTWARE\\ORACLE\r\nOracleHomeDir: ";
  TOracleSession odbc;
  SetLogon(odbc, "scott", "tiger", "odbc:Sales");
  EXPECT_FALSE(odbc.HasOCA60());
  ExpectGeneralError([&] { odbc.LogOn(); }, ora73Error);
  EXPECT_EQ(loader_.loads.front(), "ora73.dll");
  EXPECT_EQ(OracleClient::Process().LibraryPath(), "ora73.dll");

  struct Case {
    const char* name;
    bool oca60;
    bool odbc;
    bool changePassword;
    const std::string& error;
  };
  const Case cases[] = {
      {"logon", false, true, false, ora73Error},
      {"password change", false, true, true, ora73Error},
      {"with OCA60", true, true, false, noClientError},
      {"not a bridge", false, false, false, noClientError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OracleClient::Process().SetLibraryPath("");
    if (c.oca60) registry_.Set(RegistryHive::LocalMachine, "SOFTWARE\\ORACLE", "OCA60", "1");
    TOracleSession s;
    SetLogon(s, "scott", "tiger", c.odbc ? "ODBC:Sales" : "orcl");
    EXPECT_EQ(s.HasOCA60(), c.oca60);
    ExpectGeneralError([&] { c.changePassword ? s.ChangePassword("lion") : s.LogOn(); }, c.error);
  }

  // A path set already is kept.
  OracleClient::Process().SetLibraryPath("other.so");
  registry_.DeleteValue(RegistryHive::LocalMachine, "SOFTWARE\\ORACLE", "OCA60");
  TOracleSession s;
  SetLogon(s, "scott", "tiger", "ODBC:Sales");
  EXPECT_THROW(s.LogOn(), std::runtime_error);
  EXPECT_EQ(OracleClient::Process().LibraryPath(), "other.so");
  OracleClient::Process().SetLibraryPath("");
}

using ODBCBridgeOnTheEngineTest = ocilite::testing::EngineTest;

TEST_F(ODBCBridgeOnTheEngineTest, AnODBCBridgeSessionUsesTheReleaseSevenInterface) {
  UseClientLibrary(OCILITE_LIBRARY);
  TOracleSession s;
  SetLogon(s, "ODBC:system", "manager");
  // The bridge's connect string reaches the client whole; the engine knows no such user.
  ExpectOracleError([&] { s.LogOn(); }, 1017,
                    "ORA-01017: invalid username/password; logon denied\n");
  EXPECT_FALSE(s.Connected());
  EXPECT_FALSE(s.OCI8Session());
  EXPECT_FALSE(s.ServerAttached());
}

}  // namespace
}  // namespace qm
