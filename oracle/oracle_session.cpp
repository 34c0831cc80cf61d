#include "oracle/oracle_session.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include "oracle/e_oracle_error.h"
#include "oracle/internal/logon_string.h"
#include "oracle/internal/server_version.h"
#include "oracle/internal/session_lock_scope.h"
#include "oracle/oci_entry_points.h"
#include "oracle/oracle_client.h"
#include "oracle/oracle_query.h"
#include "oracle/session_attachment.h"
#include "platform/codepage.h"

namespace qm {

namespace {

constexpr int kPasswordWarningCode = 28002;
constexpr std::size_t kErrorBuffer = 4001;
constexpr std::size_t kErrorTextLimit = 1023;
constexpr ub4 kVersionBuffer = 501;
// The client library an ODBC bridge of the release 7 era goes through.
constexpr const char* kODBCLibrary = "ora73.dll";

OracleClient& Client() {
  return OracleClient::Process();
}

// The sessions of the process. At process end it logs off those still there and unloads the
// client; made with the first session, after the process client, so it goes before it.
class SessionList {
 public:
  SessionList() { OracleClient::Process(); }
  ~SessionList() { LogOffAllAndUnload(); }

  void Add(TOracleSession* session) {
    std::lock_guard hold(mutex_);
    sessions_.push_back(session);
  }
  void Remove(TOracleSession* session) {
    std::lock_guard hold(mutex_);
    sessions_.erase(std::remove(sessions_.begin(), sessions_.end(), session), sessions_.end());
  }
  void LogOffAllAndUnload() {
    std::vector<TOracleSession*> sessions;
    {
      std::lock_guard hold(mutex_);
      sessions = sessions_;
    }
    for (TOracleSession* session : sessions) {
      try {
        session->LogOff();
      } catch (...) {
        // Nothing can be done about a session that does not end at this point.
      }
    }
    Client().UnloadClient();
  }

 private:
  std::mutex mutex_;
  std::vector<TOracleSession*> sessions_;
};

SessionList& Sessions() {
  static SessionList list;
  return list;
}

void Remove(std::vector<TSessionAttachment*>& list, TSessionAttachment* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

void Add(std::vector<TSessionAttachment*>& list, TSessionAttachment* item) {
  if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}

// Tells each of `list` (a copy: they may detach themselves meanwhile) that the session logs off.
void CloseAll(const std::vector<TSessionAttachment*>& list) {
  for (TSessionAttachment* item : std::vector<TSessionAttachment*>(list)) {
    try {
      item->SessionLoggingOff();
    } catch (...) {
      // Closing errors do not stop a logoff.
    }
  }
}

}  // namespace

// ---- Preferences ------------------------------------------------------------------------------

void TSessionPreferences::SetUseOCI7(bool value) {
  if (value == useOCI7_) return;
  if (session_ != nullptr && session_->Connected())
    throw std::runtime_error("Cannot change UseOCI7 property when session is connected");
  useOCI7_ = value;
}

void TSessionPreferences::Assign(const TSessionPreferences& other) {
  SetUseOCI7(other.useOCI7_);
  floatPrecision_ = other.floatPrecision_;
  integerPrecision_ = other.integerPrecision_;
  smallIntPrecision_ = other.smallIntPrecision_;
  convertCRLF_ = other.convertCRLF_;
  trimStringFields_ = other.trimStringFields_;
  maxStringFieldSize_ = other.maxStringFieldSize_;
  zeroDateIsNull_ = other.zeroDateIsNull_;
  nullLOBIsEmpty_ = other.nullLOBIsEmpty_;
}

// ---- Construction ---------------------------------------------------------------------------

TOracleSession::TOracleSession() {
  Sessions().Add(this);
}

TOracleSession::~TOracleSession() {
  destroying_ = true;
  try {
    LogOff();
  } catch (...) {
    // A destructor cannot report it; the server ends what is left with the connection.
  }
  internal_.reset();
  for (auto* list : {&statements_, &dataSets_, &objects_})
    for (TSessionAttachment* item : std::vector<TSessionAttachment*>(*list))
      item->SessionDestroyed();
  Sessions().Remove(this);
}

// ---- Properties -------------------------------------------------------------------------------

void TOracleSession::SetLogonUsername(const std::string& value) {
  if (value == logonUsername_) return;
  logonUsername_ = value;
  UpdateODBCMarks();
}

void TOracleSession::SetLogonPassword(const std::string& value) {
  if (value == logonPassword_) return;
  logonPassword_ = value;
  UpdateODBCMarks();
}

void TOracleSession::SetLogonDatabase(const std::string& value) {
  if (value == logonDatabase_) return;
  logonDatabase_ = value;
  UpdateODBCMarks();
}

void TOracleSession::UpdateODBCMarks() {
  odbc_ = Cp1251Upper(logonDatabase_).find("ODBC:") != std::string::npos ||
          Cp1251Upper(logonUsername_).find("ODBC:") != std::string::npos;
  odbcOCA60_ = odbc_ && !Client().ReadText(OracleClient::kOracleKey, "OCA60").empty();
}

void TOracleSession::ApplyODBCLibraryRule() {
  if (odbc_ && !odbcOCA60_ && Client().LibraryPath().empty()) Client().SetLibraryPath(kODBCLibrary);
}

bool TOracleSession::WantsOCI8() const {
  return !(preferences_.UseOCI7() || !Client().OCI8Ready() || odbc_);
}

bool TOracleSession::LockSession() {
  if (!threadSafe_ || oci8_) return false;
  lock_.Enter();
  return true;
}

void TOracleSession::SetThreadSafe(bool value) {
  if (value == threadSafe_) return;
  if (connected_) throw std::runtime_error("Cannot change ThreadSafe property when connected");
  threadSafe_ = value;
}

void TOracleSession::SetPooling(TSessionPoolingOption value) {
  if (value == pooling_) return;
  if (connected_) throw std::runtime_error("Cannot change Pooling property when connected");
  pooling_ = value;
}

void TOracleSession::SetMTSOptions(TMTSOptions value) {
  if (value == mtsOptions_) return;
  if (connected_) throw std::runtime_error("Cannot change MTSOptions property when connected");
  mtsOptions_ = value;
}

void TOracleSession::SetConnected(bool value) {
  if (value == connected_) return;
  if (value && loading_ && designConnection_) return;
  if (value)
    LogOn();
  else
    LogOff();
}

void TOracleSession::Loaded() {
  loading_ = false;
  if (connected_) {
    DoAfterLogOn();
    if (OnChange) OnChange(*this);
  }
}

void TOracleSession::SetAutoCommit(bool value) {
  if (value == autoCommit_) return;
  autoCommit_ = value;
  ApplyAutoCommit();
}

void TOracleSession::ApplyAutoCommit() {
  // A release 8 session only keeps the flag: its statements commit on success. On the release 7
  // interface the server commits by itself.
  if (!connected_ || oci8_) return;
  TSessionLockScope hold(this);
  const OciEntryPoints& oci = Entries();
  CheckStatus(autoCommit_ ? oci.ocon(&lda_) : oci.ocof(&lda_));
}

void TOracleSession::SetSQLTrace(TSQLTraceOption value) {
  sqlTrace_ = value;
  if (connected_ && value != stUnchanged)
    ExecInternal(std::string("alter session set sql_trace = ") +
                 (value == stTrue ? "true" : "false"));
}

void TOracleSession::SetOptimizerGoal(TOptimizerGoalOption value) {
  optimizerGoal_ = value;
  if (!connected_ || value == ogUnchanged) return;
  static constexpr const char* kGoals[] = {"", "choose", "first_rows", "all_rows", "rule"};
  ExecInternal(std::string("alter session set optimizer_goal = ") + kGoals[value]);
}

void TOracleSession::SetIsolationLevel(TIsolationLevelOption value) {
  isolationLevel_ = value;
  if (connected_ && value != ilUnchanged)
    ExecInternal(std::string("alter session set isolation_level = ") +
                 (value == ilReadCommitted ? "read committed" : "serializable"));
}

void TOracleSession::SetBytesPerCharacter(TBytesPerCharacterOption value) {
  bytesPerCharacter_ = value;
  characterWidth_ = 0;
}

void TOracleSession::ApplySessionSettings() {
  if (sqlTrace_ != stUnchanged) SetSQLTrace(sqlTrace_);
  if (optimizerGoal_ != ogUnchanged) SetOptimizerGoal(optimizerGoal_);
  if (isolationLevel_ != ilUnchanged) SetIsolationLevel(isolationLevel_);
}

// ---- Events -----------------------------------------------------------------------------------

void TOracleSession::DoBeforeLogOn() {
  if (BeforeLogOn) BeforeLogOn(*this);
}

void TOracleSession::DoAfterLogOn() {
  if (AfterLogOn) AfterLogOn(*this);
}

// ---- Errors -----------------------------------------------------------------------------------

const OciEntryPoints& TOracleSession::Entries() const {
  return Client().Entries();
}

sb4 TOracleSession::LastErrorCode() const {
  if (lastStatus_ != OCI_ERROR && lastStatus_ != OCI_SUCCESS_WITH_INFO) return lastStatus_;
  sb4 code = 0;
  Entries().OCIErrorGet(err_, 1, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR);
  return code;
}

EOracleError TOracleSession::MakeOracleError(OCIError* errorHandle) const {
  std::vector<OraText> buffer(kErrorBuffer, 0);
  sb4 code = 0;
  Entries().OCIErrorGet(errorHandle, 1, nullptr, &code, buffer.data(),
                        static_cast<ub4>(buffer.size()), OCI_HTYPE_ERROR);
  const char* text = reinterpret_cast<const char*>(buffer.data());
  return EOracleError(std::string(text, strnlen(text, kErrorTextLimit)), code);
}

void TOracleSession::RaiseOracleError(OCIError* errorHandle) const {
  throw MakeOracleError(errorHandle);
}

EOracleError TOracleSession::LastCallError(int returnCode) {
  return oci8_ ? MakeOracleError(err_) : MakeOracleError(returnCode);
}

EOracleError TOracleSession::MakeOracleError(int returnCode) {
  std::vector<OraText> buffer(kErrorBuffer, 0);
  {
    TSessionLockScope hold(this);
    Entries().oerhms(&lda_, static_cast<sb2>(returnCode), buffer.data(),
                     static_cast<sword>(buffer.size()));
  }
  const char* text = reinterpret_cast<const char*>(buffer.data());
  return EOracleError(std::string(text, strnlen(text, kErrorTextLimit)), returnCode);
}

void TOracleSession::RaiseOracleError(int returnCode) {
  throw MakeOracleError(returnCode);
}

void TOracleSession::CheckStatus(sword status) {
  lastStatus_ = status;
  if (!oci8_) {
    if (lda_.rc != 0) RaiseOracleError(lda_.rc);
    return;
  }
  if (LastErrorCode() != 0) RaiseOracleError(err_);
}

// ---- Logon and logoff -------------------------------------------------------------------------

void TOracleSession::NormalizeLogon() {
  const LogonStrings s = NormalizeLogonStrings(logonUsername_, logonPassword_, logonDatabase_);
  SetLogonUsername(s.username);
  SetLogonPassword(s.password);
  SetLogonDatabase(s.database);
  if (s.connectAs) connectAs_ = *s.connectAs;
}

void TOracleSession::Attach() {
  const OciEntryPoints& oci = Entries();
  if (env_ == nullptr) {
    if (Client().OCI81Ready())
      oci.OCIEnvCreate(&env_, OCI_OBJECT | (threadSafe_ ? OCI_THREADED : 0), nullptr, nullptr,
                       nullptr, nullptr, 0, nullptr);
    else
      oci.OCIEnvInit(&env_, threadSafe_ ? OCI_DEFAULT : OCI_ENV_NO_MUTEX, 0, nullptr);
    if (env_ == nullptr) throw std::runtime_error("The client could not create an environment");
    oci.OCIHandleAlloc(env_, reinterpret_cast<void**>(&svc_), OCI_HTYPE_SVCCTX, 0, nullptr);
    oci.OCIHandleAlloc(env_, reinterpret_cast<void**>(&err_), OCI_HTYPE_ERROR, 0, nullptr);
    oci.OCIHandleAlloc(env_, reinterpret_cast<void**>(&err2_), OCI_HTYPE_ERROR, 0, nullptr);
    oci.OCIHandleAlloc(env_, reinterpret_cast<void**>(&server_), OCI_HTYPE_SERVER, 0, nullptr);
    oci.OCIHandleAlloc(env_, reinterpret_cast<void**>(&usr_), OCI_HTYPE_SESSION, 0, nullptr);
  }
  if (attached_) oci.OCIServerDetach(server_, err2_, OCI_DEFAULT);
  attached_ = false;
  lastStatus_ =
      oci.OCIServerAttach(server_, err_, reinterpret_cast<const OraText*>(logonDatabase_.data()),
                          static_cast<sb4>(logonDatabase_.size()), OCI_DEFAULT);
  if (LastErrorCode() != 0) RaiseOracleError(err_);
  attached_ = true;
  oci.OCIAttrSet(svc_, OCI_HTYPE_SVCCTX, server_, 0, OCI_ATTR_SERVER, err2_);
  oci.OCIAttrSet(svc_, OCI_HTYPE_SVCCTX, usr_, 0, OCI_ATTR_SESSION, err2_);
}

void TOracleSession::FreeHandles() {
  const OciEntryPoints& oci = Entries();
  oci.OCIHandleFree(server_, OCI_HTYPE_SERVER);
  oci.OCIHandleFree(svc_, OCI_HTYPE_SVCCTX);
  oci.OCIHandleFree(err_, OCI_HTYPE_ERROR);
  oci.OCIHandleFree(err2_, OCI_HTYPE_ERROR);
  oci.OCIHandleFree(usr_, OCI_HTYPE_SESSION);
  oci.OCIHandleFree(env_, OCI_HTYPE_ENV);
  env_ = nullptr;
  svc_ = nullptr;
  err_ = err2_ = nullptr;
  server_ = nullptr;
  usr_ = nullptr;
}

sb4 TOracleSession::LogOnOCI8(ub4 mode) {
  Attach();
  const OciEntryPoints& oci = Entries();
  if (!logonUsername_.empty() || !logonPassword_.empty()) {
    oci.OCIAttrSet(usr_, OCI_HTYPE_SESSION, logonUsername_.data(),
                   static_cast<ub4>(logonUsername_.size()), OCI_ATTR_USERNAME, err_);
    oci.OCIAttrSet(usr_, OCI_HTYPE_SESSION, logonPassword_.data(),
                   static_cast<ub4>(logonPassword_.size()), OCI_ATTR_PASSWORD, err_);
    lastStatus_ = oci.OCISessionBegin(svc_, err_, usr_, OCI_CRED_RDBMS, mode);
  } else {
    lastStatus_ = oci.OCISessionBegin(svc_, err_, usr_, OCI_CRED_EXT, mode);
  }
  const sb4 code = LastErrorCode();
  if (code != 0) return code;
  OraText version[kVersionBuffer] = {};
  oci.OCIServerVersion(server_, err_, version, kVersionBuffer, OCI_HTYPE_SERVER);
  const char* banner = reinterpret_cast<const char*>(version);
  // A client without the release 7 calls keeps the release 8 interface: the server answers what it
  // can rather than the client calling functions it does not have.
  if (Client().OCI7Ready() &&
      ServerNeedsOCI7(std::string_view(banner, strnlen(banner, kVersionBuffer)))) {
    // An older server speaks the release 7 interface only: the same connection goes on through
    // a logon data area until LogOff gives it back.
    lastStatus_ = oci.OCISvcCtxToLda(svc_, err_, &lda_);
    if (LastErrorCode() != 0) RaiseOracleError(err_);
    oci8_ = false;
    ldaTaken_ = true;
  }
  return 0;
}

sb4 TOracleSession::LogOnOCI7() {
  if (!Client().OCI7Ready()) throw std::runtime_error(kNoOCI7Functions);
  const OciEntryPoints& oci = Entries();
  std::string connect = logonUsername_ + "/" + logonPassword_ + "@" + logonDatabase_;
  TSessionLockScope hold(this);
  if (Client().OLogReady())
    oci.olog(&lda_, hda_, MutableText(connect), -1, nullptr, -1, nullptr, -1, OCI_LM_DEF);
  else
    oci.orlon(&lda_, hda_, MutableText(connect), -1, nullptr, -1, 0);
  return lda_.rc;
}

void TOracleSession::LogOn() {
  DoBeforeLogOn();
  TOracleLockScope clientLock(Client().Lock(), threadSafe_);
  try {
    ApplyODBCLibraryRule();
    {
      TBusyCursorScope busy(cursor_);
      Client().InitClient();
    }
    LogOffBeforeLogOn();
    oci8_ = WantsOCI8();
    ldaTaken_ = false;
    NormalizeLogon();
    std::memset(hda_, 0, sizeof hda_);
    std::memset(&lda_, 0, 4);

    sb4 code = 0;
    {
      TBusyCursorScope busy(cursor_);
      const ub4 mode = connectAs_ == caSYSDBA    ? OCI_SYSDBA
                       : connectAs_ == caSYSOPER ? OCI_SYSOPER
                                                 : OCI_DEFAULT;
      code = oci8_ ? LogOnOCI8(mode) : LogOnOCI7();
    }
    if (code == kPasswordWarningCode) {
      passwordWarning_ = LastCallError(code).what();
      lastStatus_ = OCI_SUCCESS;
    } else {
      passwordWarning_.clear();
      if (code != 0) throw LastCallError(code);
    }

    connected_ = true;
    if (autoCommit_) ApplyAutoCommit();
    ApplySessionSettings();
  } catch (...) {
    FinishLogOn(clientLock);
    throw;
  }
  FinishLogOn(clientLock);
}

void TOracleSession::FinishLogOn(TOracleLockScope& clientLock) {
  clientLock.Leave();
  Client().RestoreCurrentDirectory();
  if (loading_) return;
  DoAfterLogOn();
  if (OnChange) OnChange(*this);
}

void TOracleSession::DropUnloadedConnection() {
  const bool wasConnected = connected_;
  CloseAll(statements_);
  CloseAll(dataSets_);
  CloseAll(objects_);
  connected_ = attached_ = ldaTaken_ = false;
  characterWidth_ = 0;
  dateFormatLength_ = -1;
  env_ = nullptr;
  svc_ = nullptr;
  err_ = err2_ = nullptr;
  server_ = nullptr;
  usr_ = nullptr;
  std::memset(&lda_, 0, sizeof lda_);
  if (wasConnected && !destroying_ && OnChange) OnChange(*this);
}

sb4 TOracleSession::EndSession() {
  const OciEntryPoints& oci = Entries();
  if (ldaTaken_) {
    // The logon data area goes back first, so the session ends as it began.
    OCISvcCtx* svc = svc_;
    oci.OCILdaToSvcCtx(&svc, err2_, &lda_);
    ldaTaken_ = false;
    oci8_ = true;
  }
  if (oci8_) {
    lastStatus_ = oci.OCISessionEnd(svc_, err_, usr_, OCI_DEFAULT);
    return LastErrorCode();
  }
  TSessionLockScope hold(this);
  lastStatus_ = oci.ologof(&lda_);
  return lda_.rc;
}

void TOracleSession::LogOff() {
  // A library that went away under the session (an unload by someone else) took its handles and
  // its connection with it.
  if ((env_ != nullptr || connected_) && !Client().ClientLoaded()) {
    DropUnloadedConnection();
    return;
  }
  if (connected_) {
    if (rollbackOnDisconnect_) {
      try {
        Rollback();
      } catch (...) {
        // The session ends all the same.
      }
    }
    CloseAll(statements_);
    CloseAll(dataSets_);
    CloseAll(objects_);
    connected_ = false;
    characterWidth_ = 0;
    dateFormatLength_ = -1;
    sb4 code = 0;
    {
      TBusyCursorScope busy(cursor_);
      TOracleLockScope clientLock(Client().Lock(), threadSafe_);
      code = EndSession();
    }
    if (code != 0) throw LastCallError(code);
    if (!destroying_ && OnChange) OnChange(*this);
  }
  if (attached_) {
    attached_ = false;
    CheckStatus(Entries().OCIServerDetach(server_, err_, OCI_DEFAULT));
  }
  if (oci8_ && env_ != nullptr) FreeHandles();
}

void TOracleSession::LogOffBeforeLogOn() {
  try {
    LogOff();
  } catch (const EOracleError&) {
    // The old connection is being replaced: a session end or detach that fails, as it does once
    // the server was lost, must not cost the new logon. What LogOff could not finish is
    // finished here, so the logon starts from a fresh environment.
    if (attached_) {
      attached_ = false;
      Entries().OCIServerDetach(server_, err2_, OCI_DEFAULT);
    }
    if (oci8_ && env_ != nullptr) FreeHandles();
  }
}

void TOracleSession::Commit() {
  if (!connected_) return;
  if (oci8_) {
    CheckStatus(Entries().OCITransCommit(svc_, err_, OCI_DEFAULT));
    return;
  }
  TSessionLockScope hold(this);
  CheckStatus(Entries().ocom(&lda_));
}

void TOracleSession::Rollback() {
  if (!connected_) return;
  if (oci8_) {
    CheckStatus(Entries().OCITransRollback(svc_, err_, OCI_DEFAULT));
    return;
  }
  TSessionLockScope hold(this);
  CheckStatus(Entries().orol(&lda_));
}

void TOracleSession::ChangePassword(const std::string& newPassword) {
  ApplyODBCLibraryRule();
  {
    TBusyCursorScope busy(cursor_);
    Client().InitClient();
  }
  if (!connected_ && !attached_) oci8_ = WantsOCI8();
  if (!oci8_) {
    // The release 7 interface has no password call: the server changes it by statement.
    ExecInternal("alter user " + logonUsername_ + " identified by " + newPassword);
    SetLogonPassword(newPassword);
    return;
  }
  if (!attached_) {
    NormalizeLogon();
    Attach();
  }
  CheckStatus(Entries().OCIPasswordChange(
      svc_, err_, reinterpret_cast<const OraText*>(logonUsername_.data()),
      static_cast<ub4>(logonUsername_.size()),
      reinterpret_cast<const OraText*>(logonPassword_.data()),
      static_cast<ub4>(logonPassword_.size()), reinterpret_cast<const OraText*>(newPassword.data()),
      static_cast<ub4>(newPassword.size()), OCI_DEFAULT));
  SetLogonPassword(newPassword);
}

// ---- Services ---------------------------------------------------------------------------------

TNumberColumnType TOracleSession::NumberColumnType(int precision, int scale, bool textOnly) const {
  const int limit = preferences_.IntegerPrecision() != 0 ? preferences_.IntegerPrecision()
                    : IsODBC()                           ? 10
                                                         : 9;
  const bool floatColumn = scale == -127;
  if (floatColumn) {
    scale = 1;
    precision = 38;
  } else if (precision == 0 && scale == 0) {
    precision = 38;
  }
  if (scale <= 0 && limit >= precision && !textOnly) return {SQLT_INT, 4};
  const int floatPrecision = preferences_.FloatPrecision();
  if (textOnly || (floatPrecision != 0 && precision > floatPrecision))
    return {SQLT_STR, precision + (scale <= 0 ? 2 : 3) + (floatColumn ? 132 : 0)};
  return {SQLT_FLT, 8};
}

int TOracleSession::CharacterWidth() {
  if (characterWidth_ != 0) return characterWidth_;
  int width = 1;
  if (bytesPerCharacter_ != bcAutoDetect) {
    width = static_cast<int>(bytesPerCharacter_);  // bc1Byte .. bc4Bytes are 1 .. 4
  } else if (connected_) {
    try {
      TOracleQuery probe;  // "BytesPerCharacterQuery"
      probe.SetSession(this);
      probe.SQL().Add(
          "select length(chr(2000000000)) l4, length(chr(2000000)) l3,  length(chr(20000)) l2 "
          "from dual");
      probe.Execute();
      if (!probe.Eof()) {
        width = probe.FieldAsInteger(0);
        if (width == 1) width = probe.FieldAsInteger(1);
        if (width == 1) width = probe.FieldAsInteger(2);
      }
    } catch (...) {
      width = 1;
    }
    if (width == 0) width = 1;
  }
  characterWidth_ = width;
  return width;
}

int TOracleSession::MaxStringBindSize() {
  return (oci8_ ? 4000 : 2000) / CharacterWidth();
}

int TOracleSession::DateFormatLength() {
  if (dateFormatLength_ != -1) return dateFormatLength_;
  int length = 0;
  if (connected_) {
    std::string sql;
    for (int month = 1; month <= 12; ++month) {
      char line[120];
      std::snprintf(line, sizeof line,
                    "select to_char(to_date('10-%d-1999 10:10:10', 'dd-mm-yyyy hh24:mi:ss')) "
                    "from dual",
                    month);
      if (month > 1) sql += "\nunion all\n";
      sql += line;
    }
    try {
      TOracleQuery probe;  // "DateFormatLengthQuery"
      probe.SetSession(this);
      probe.SQL().Add(sql);
      for (probe.Execute(); !probe.Eof(); probe.Next())
        length = std::max(length, static_cast<int>(probe.FieldAsString(0).size()));
    } catch (...) {
      // What was read so far counts.
    }
  }
  dateFormatLength_ = length > 0 ? length : 40;
  return dateFormatLength_;
}

void TOracleSession::ExecInternal(const std::string& sql) {
  TBusyCursorScope busy(cursor_);
  if (!internal_) {
    internal_ = std::make_unique<TOracleQuery>();  // "Query"
    internal_->SetSession(this);
  } else {
    internal_->Clear();
  }
  internal_->SQL().Add(sql);
  internal_->Execute();
}

// ---- Attached objects -------------------------------------------------------------------------

void TOracleSession::AttachStatement(TSessionAttachment* statement) {
  Add(statements_, statement);
}
void TOracleSession::DetachStatement(TSessionAttachment* statement) {
  Remove(statements_, statement);
}
void TOracleSession::AttachDataSet(TSessionAttachment* dataSet) {
  Add(dataSets_, dataSet);
}
void TOracleSession::DetachDataSet(TSessionAttachment* dataSet) {
  Remove(dataSets_, dataSet);
}
void TOracleSession::AttachObject(TSessionAttachment* object) {
  Add(objects_, object);
}
void TOracleSession::DetachObject(TSessionAttachment* object) {
  Remove(objects_, object);
}

// ---- Process-wide -----------------------------------------------------------------------------

void RequireFeature(const TOracleSession* session, const std::string& what) {
  if (session == nullptr) throw std::runtime_error(what + " requires a session");
  if (!session->Connected()) throw std::runtime_error(what + " requires a connected session");
  if (!session->OCI8Session()) {
    if (Client().OCI8Ready())
      throw std::runtime_error(what + " requires OCI8 mode, but OCI7 mode is used.");
    throw std::runtime_error(what + " requires Net8, which is not detected on this PC");
  }
}

void LogOffSessionsAndUnloadClient() {
  Sessions().LogOffAllAndUnload();
}

}  // namespace qm
