// Logons as the Oracle access layer makes them: OCISessionBegin on an attached server with
// RDBMS or external credentials and the SYSDBA/SYSOPER modes, OCIPasswordChange, and what the
// password lifecycle and the privileges make of them.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <string>
#include <thread>

#include "ocilite/testing/engine_fixture.h"
#include "ocilite/testing/oci_test_client.h"

namespace qm::ocilite::testing {
namespace {

using Logons = EngineTest;

const OraText* Text(const std::string& s) {
  return reinterpret_cast<const OraText*>(s.data());
}

// An environment with its server attached to ORCL and a session handle holding the user name and
// password; the session is begun (or the password changed) by the test.
class Attempt {
 public:
  Attempt(const std::string& user, const std::string& password) : user_(user) {
    OciLibrary& lib = Library();
    lib.EnvCreate(&env_, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr);
    void* h = nullptr;
    lib.HandleAlloc(env_, &h, OCI_HTYPE_ERROR, 0, nullptr);
    err_ = static_cast<OCIError*>(h);
    lib.HandleAlloc(env_, &h, OCI_HTYPE_SERVER, 0, nullptr);
    server_ = static_cast<OCIServer*>(h);
    lib.HandleAlloc(env_, &h, OCI_HTYPE_SVCCTX, 0, nullptr);
    svc_ = static_cast<OCISvcCtx*>(h);
    lib.HandleAlloc(env_, &h, OCI_HTYPE_SESSION, 0, nullptr);
    session_ = static_cast<OCISession*>(h);
    EXPECT_EQ(lib.ServerAttach(server_, err_, nullptr, 0, OCI_DEFAULT), OCI_SUCCESS);
    lib.AttrSet(svc_, OCI_HTYPE_SVCCTX, server_, 0, OCI_ATTR_SERVER, err_);
    lib.AttrSet(svc_, OCI_HTYPE_SVCCTX, session_, 0, OCI_ATTR_SESSION, err_);
    lib.AttrSet(session_, OCI_HTYPE_SESSION, const_cast<char*>(user.data()),
                static_cast<ub4>(user.size()), OCI_ATTR_USERNAME, err_);
    lib.AttrSet(session_, OCI_HTYPE_SESSION, const_cast<char*>(password.data()),
                static_cast<ub4>(password.size()), OCI_ATTR_PASSWORD, err_);
  }
  Attempt(const Attempt&) = delete;
  Attempt& operator=(const Attempt&) = delete;
  ~Attempt() {
    OciLibrary& lib = Library();
    if (begun_) lib.SessionEnd(svc_, err_, session_, OCI_DEFAULT);
    lib.ServerDetach(server_, err_, OCI_DEFAULT);
    lib.HandleFree(env_, OCI_HTYPE_ENV);
  }

  sword Begin(ub4 credt = OCI_CRED_RDBMS, ub4 mode = OCI_DEFAULT) {
    const sword rc = Library().SessionBegin(svc_, err_, session_, credt, mode);
    begun_ = rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO;
    return rc;
  }

  sword ChangePassword(const std::string& old_password, const std::string& new_password,
                       ub4 mode = OCI_DEFAULT) {
    auto change = reinterpret_cast<OCIPasswordChange_t>(Library().Symbol("OCIPasswordChange"));
    const sword rc = change(svc_, err_, Text(user_), static_cast<ub4>(user_.size()),
                            Text(old_password), static_cast<ub4>(old_password.size()),
                            Text(new_password), static_cast<ub4>(new_password.size()), mode);
    if (rc == OCI_SUCCESS) begun_ = true;
    return rc;
  }

  // Record 1 of the error handle without its line end.
  std::string Message() {
    char text[1024] = {};
    sb4 code = 0;
    Library().ErrorGet(err_, 1, nullptr, &code, reinterpret_cast<OraText*>(text), sizeof text,
                       OCI_HTYPE_ERROR);
    std::string s(text);
    if (!s.empty() && s.back() == '\n') s.pop_back();
    return s;
  }

  // The value of USER in the session: runs the query and fetches its one row.
  std::string SessionUser() {
    OciLibrary& lib = Library();
    void* h = nullptr;
    lib.HandleAlloc(env_, &h, OCI_HTYPE_STMT, 0, nullptr);
    auto* stmt = static_cast<OCIStmt*>(h);
    const std::string sql = "select user from dual";
    lib.StmtPrepare(stmt, err_, Text(sql), static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX,
                    OCI_DEFAULT);
    char value[64] = {};
    OCIDefine* define = nullptr;
    lib.DefineByPos(stmt, &define, err_, 1, value, sizeof value, SQLT_STR, nullptr, nullptr,
                    nullptr, OCI_DEFAULT);
    const sword rc = lib.StmtExecute(svc_, stmt, err_, 1, 0, nullptr, nullptr, OCI_DEFAULT);
    lib.HandleFree(stmt, OCI_HTYPE_STMT);
    return rc == OCI_SUCCESS ? std::string(value) : "error: " + Message();
  }

 private:
  std::string user_;
  OCIEnv* env_ = nullptr;
  OCIError* err_ = nullptr;
  OCIServer* server_ = nullptr;
  OCISvcCtx* svc_ = nullptr;
  OCISession* session_ = nullptr;
  bool begun_ = false;
};

void AsSystem(std::initializer_list<std::string> statements) {
  OciConnection system("system", "manager");
  for (const std::string& sql : statements) ASSERT_EQ(system.Exec(sql), "") << sql;
}

void Pause(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

TEST_F(Logons, LockedAndExpiredAccounts) {
  AsSystem({"create user scott identified by tiger", "grant connect to scott",
            "alter user scott account lock"});
  {
    Attempt a("scott", "tiger");
    EXPECT_EQ(a.Begin(), OCI_ERROR);
    EXPECT_EQ(a.Message(), "ORA-28000: the account is locked");
  }
  {
    // A wrong password is reported as such even for a locked account.
    Attempt a("scott", "lion");
    EXPECT_EQ(a.Begin(), OCI_ERROR);
    EXPECT_EQ(a.Message(), "ORA-01017: invalid username/password; logon denied");
  }
  AsSystem({"alter user scott account unlock password expire"});
  {
    Attempt a("scott", "tiger");
    EXPECT_EQ(a.Begin(), OCI_ERROR);
    EXPECT_EQ(a.Message(), "ORA-28001: the password has expired");
    // The logon dialog then changes the password on the attached server, which opens the session.
    EXPECT_EQ(a.ChangePassword("wrong", "lion"), OCI_ERROR);
    EXPECT_EQ(a.Message(), "ORA-01017: invalid username/password; logon denied");
    EXPECT_EQ(a.ChangePassword("tiger", "lion"), OCI_SUCCESS);
    EXPECT_EQ(a.SessionUser(), "SCOTT");
  }
  Attempt a("scott", "lion");
  EXPECT_EQ(a.Begin(), OCI_SUCCESS);
}

TEST_F(Logons, PasswordChangeWithAuthModeOpensTheSession) {
  AsSystem({"create user scott identified by tiger password expire", "grant connect to scott"});
  Attempt a("scott", "tiger");
  EXPECT_EQ(a.ChangePassword("tiger", "lion", OCI_AUTH), OCI_SUCCESS);
  EXPECT_EQ(a.SessionUser(), "SCOTT");
}

TEST_F(Logons, PasswordPastItsLifeTimeWarnsThroughItsGraceTimeThenExpires) {
  AsSystem({"create profile short_life limit password_life_time 0.00001 password_grace_time 5",
            "create profile shorter limit password_life_time 0.00001 "
            "password_grace_time 0.00002",
            "create user scott identified by tiger profile short_life",
            "create user adams identified by wood profile shorter",
            "grant connect to scott, adams"});
  Pause(1.2);
  {
    Attempt a("scott", "tiger");
    EXPECT_EQ(a.Begin(), OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(a.Message(), "ORA-28002: the password will expire within 5 days");
    EXPECT_EQ(a.SessionUser(), "SCOTT");
  }
  {
    Attempt a("adams", "wood");
    EXPECT_EQ(a.Begin(), OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(a.Message(), "ORA-28002: the password will expire within 1 days");
  }
  Pause(3.1);
  {
    Attempt a("adams", "wood");
    EXPECT_EQ(a.Begin(), OCI_ERROR);
    EXPECT_EQ(a.Message(), "ORA-28001: the password has expired");
  }
  {
    Attempt a("scott", "tiger");  // still within its five days
    EXPECT_EQ(a.Begin(), OCI_SUCCESS_WITH_INFO);
  }
  // A new password starts the clock again; the profile now gives it a day.
  AsSystem({"alter profile short_life limit password_life_time 1",
            "alter user scott identified by tiger"});
  Attempt a("scott", "tiger");
  EXPECT_EQ(a.Begin(), OCI_SUCCESS);
  // A password changed on a connected session replaces the old one at once.
  EXPECT_EQ(a.ChangePassword("tiger", "lion"), OCI_SUCCESS);
  EXPECT_EQ(a.SessionUser(), "SCOTT");
  Attempt b("scott", "lion");
  EXPECT_EQ(b.Begin(), OCI_SUCCESS);
}

TEST_F(Logons, ProfileStatementsAndTheirErrors) {
  OciConnection system("system", "manager");
  struct Case {
    std::string sql, error;
  };
  const Case cases[] = {
      {"create profile p limit password_life_time 30 password_grace_time default", ""},
      {"create profile p limit password_life_time 30", "ORA-02379: profile P already exists"},
      {"create profile q limit password_life_time 0", "ORA-02377: invalid resource limit"},
      {"create profile q limit password_life_time 1 password_life_time 2",
       "ORA-02376: invalid or redundant resource"},
      {"create profile q limit colour 2", "ORA-02376: invalid or redundant resource"},
      {"alter profile nosuch limit password_life_time 1",
       "ORA-02380: profile NOSUCH does not exist"},
      {"alter profile default limit password_grace_time 3", ""},
      {"create user bob identified by x profile nosuch",
       "ORA-02380: profile NOSUCH does not exist"},
      {"create user bob identified by x profile p", ""},
      {"drop profile p", "ORA-02382: profile P has users assigned, cannot drop without CASCADE"},
      {"alter user bob profile default", ""},
      {"alter user bob profile p", ""},
      {"drop profile p cascade", ""},
      {"drop profile p", "ORA-02380: profile P does not exist"},
  };
  for (const Case& k : cases) EXPECT_EQ(system.Exec(k.sql), k.error) << k.sql;
}

TEST_F(Logons, CreateSessionIsNeededDirectlyOrThroughARole) {
  AsSystem({"create user bob identified by x", "create user ann identified by x",
            "grant connect to ann"});
  {
    Attempt a("bob", "x");
    EXPECT_EQ(a.Begin(), OCI_ERROR);
    EXPECT_EQ(a.Message(), "ORA-01045: user BOB lacks CREATE SESSION privilege; logon denied");
  }
  {
    Attempt a("ann", "x");
    EXPECT_EQ(a.Begin(), OCI_SUCCESS);
  }
  AsSystem({"grant create session to bob"});
  Attempt a("bob", "x");
  EXPECT_EQ(a.Begin(), OCI_SUCCESS);
}

TEST_F(Logons, CreatingTablesNeedsItsPrivilege) {
  AsSystem({"create user bob identified by x", "grant create session to bob",
            "create user ann identified by x", "grant resource, create session to ann"});
  {
    OciConnection bob("bob", "x");
    EXPECT_EQ(bob.Exec("create table T (A number)"), "ORA-01031: insufficient privileges");
    EXPECT_EQ(bob.Exec("create table ANN.T (A number)"), "ORA-01031: insufficient privileges");
  }
  OciConnection ann("ann", "x");
  EXPECT_EQ(ann.Exec("create table T (A number)"), "");
  EXPECT_EQ(ann.Exec("create table BOB.T (A number)"), "ORA-01031: insufficient privileges");
  OciConnection system("system", "manager");  // DBA: any schema
  EXPECT_EQ(system.Exec("create table BOB.T (A number)"), "");
}

TEST_F(Logons, AdministrativeLogonsNeedTheirPrivilege) {
  {
    Attempt a("system", "manager");
    EXPECT_EQ(a.Begin(OCI_CRED_RDBMS, OCI_SYSDBA), OCI_ERROR);
    EXPECT_EQ(a.Message(), "ORA-01031: insufficient privileges");
  }
  AsSystem({"grant sysdba, sysoper to system"});
  {
    Attempt a("system", "manager");
    EXPECT_EQ(a.Begin(OCI_CRED_RDBMS, OCI_SYSDBA), OCI_SUCCESS);
    EXPECT_EQ(a.SessionUser(), "SYS");
  }
  Attempt a("system", "manager");
  EXPECT_EQ(a.Begin(OCI_CRED_RDBMS, OCI_SYSOPER), OCI_SUCCESS);
  EXPECT_EQ(a.SessionUser(), "PUBLIC");
}

TEST_F(Logons, ExternalCredentialsNameTheOperatingSystemUser) {
  const passwd* pw = getpwuid(geteuid());
  ASSERT_NE(pw, nullptr);
  std::string user = std::string("OPS$") + pw->pw_name;
  for (char& c : user) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  {
    Attempt a("", "");
    EXPECT_EQ(a.Begin(OCI_CRED_EXT), OCI_ERROR);
    EXPECT_EQ(a.Message(), "ORA-01017: invalid username/password; logon denied");
  }
  AsSystem(
      {"create user \"" + user + "\" identified externally", "grant connect to \"" + user + "\""});
  Attempt a("", "");
  EXPECT_EQ(a.Begin(OCI_CRED_EXT), OCI_SUCCESS);
  EXPECT_EQ(a.SessionUser(), user);
}

}  // namespace
}  // namespace qm::ocilite::testing
