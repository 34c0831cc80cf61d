#pragma once
// TOracleSession: the connection to one Oracle database account through the process's client
// library (oracle_client.h).
//
// It holds the logon properties, logs on and off, owns the client handles, turns every failed
// client call into EOracleError (the client's message and the Oracle error number) and keeps
// the statements, datasets and other objects attached to it, which LogOff closes. It never
// commits on its own: with RollbackOnDisconnect false, open work is left to the server's handling
// of a normal session end, which commits it.
//
// Two client interfaces: the release 8 handles, and the release 7 logon data area for a session
// with UseOCI7, on a client without the release 8 functions, or over an ODBC bridge (logged on
// with olog, or orlon on clients without it). A release 8 session whose server turns out older
// than Oracle8 switches its service context to a logon data area (OCISvcCtxToLda) and gives it
// back (OCILdaToSvcCtx) before the session ends; on a client without the release 7 functions it
// stays on the release 8 interface.
//
// Life cycle: disconnected (no handles) -> LogOn -> attached (handles allocated, server attached)
// -> connected. A logon that fails after the attach leaves the session attached but disconnected;
// the next LogOn or LogOff detaches it and frees its handles. Every session is in a process-wide
// list; LogOffSessionsAndUnloadClient, run at process end, logs each off (errors ignored) before
// the client library is unloaded.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "oracle/busy_cursor.h"
#include "oci/oci.h"
#include "oracle/oracle_critical_section.h"
#include "oracle/session_options.h"
#include "oracle/session_preferences.h"

namespace qm {

class EOracleError;
class TOracleQuery;
class TSessionAttachment;
struct OciEntryPoints;

// The fetch type and buffer size of a NUMBER column.
struct TNumberColumnType {
  ub2 type;  // SQLT_INT, SQLT_FLT or SQLT_STR
  int size;  // bytes
};

// Raised by LogOn when the session would use the release 7 interface (UseOCI7, an ODBC bridge) and
// the client library does not have its functions.
inline constexpr const char* kNoOCI7Functions =
    "OCI7 mode requires the OCI7 functions, which the client library does not have";

class TOracleSession {
 public:
  using TNotifyEvent = std::function<void(TOracleSession& sender)>;

  TOracleSession();
  // Logs off (errors ignored), tells every attached object, leaves the process-wide list.
  virtual ~TOracleSession();
  TOracleSession(const TOracleSession&) = delete;
  TOracleSession& operator=(const TOracleSession&) = delete;

  // Events. OnChange: after a logon attempt and after a successful logoff. BeforeLogOn: first
  // thing in LogOn. AfterLogOn: at the end of every LogOn, successful or not.
  TNotifyEvent OnChange;
  TNotifyEvent BeforeLogOn;
  TNotifyEvent AfterLogOn;

  // ---- Logon ---------------------------------------------------------------------------------

  // Loads the client when needed (its initialization error, a std::runtime_error, passes out
  // unchanged), disconnects (a failing end of the old session, such as ORA-03114 after the
  // server was lost, is dropped with that session), then attaches and begins the session, or logs on through the
  // release 7 interface (kNoOCI7Functions when the client lacks it). Throws EOracleError for a
  // failed client call; ORA-28002 (password about to expire) is no failure but the
  // PasswordWarning.
  void LogOn();
  // Closes the attached statements and datasets, ends the session (no commit and, unless
  // RollbackOnDisconnect, no rollback is sent), detaches the server and frees every handle.
  // Throws EOracleError when ending the session or detaching fails.
  void LogOff();
  bool Connected() const { return connected_; }
  // True calls LogOn, false LogOff; the current value does nothing.
  void SetConnected(bool value);
  // Commit and roll back the open transaction; nothing when not connected.
  void Commit();
  void Rollback();
  // Changes the password of LogonUsername from LogonPassword to `newPassword` (attaching first
  // when not attached) and then keeps the new one in LogonPassword. On the release 7 interface the
  // change is an "alter user" statement, which needs the session connected ("Not logged on"
  // otherwise). The caller logs on afterwards when the session is not connected.
  void ChangePassword(const std::string& newPassword);
  // The message of an ORA-28002 reply at the last logon, otherwise "".
  const std::string& PasswordWarning() const { return passwordWarning_; }

  // ---- Properties ----------------------------------------------------------------------------

  const std::string& LogonUsername() const { return logonUsername_; }
  void SetLogonUsername(const std::string& value);
  const std::string& LogonPassword() const { return logonPassword_; }
  void SetLogonPassword(const std::string& value);
  const std::string& LogonDatabase() const { return logonDatabase_; }
  void SetLogonDatabase(const std::string& value);
  TConnectAsOption ConnectAs() const { return connectAs_; }
  void SetConnectAs(TConnectAsOption value) { connectAs_ = value; }

  // The busy cursor shown during loading, logon, logoff and internal statements.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value) { cursor_ = value; }
  // When true, a Connected = true set while the session is being loaded is not acted on.
  bool DesignConnection() const { return designConnection_; }
  void SetDesignConnection(bool value) { designConnection_ = value; }
  // The next three refuse while connected with "Cannot change <Name> property when connected".
  bool ThreadSafe() const { return threadSafe_; }
  void SetThreadSafe(bool value);
  TSessionPoolingOption Pooling() const { return pooling_; }
  void SetPooling(TSessionPoolingOption value);
  TMTSOptions MTSOptions() const { return mtsOptions_; }
  void SetMTSOptions(TMTSOptions value);
  TSessionPreferences& Preferences() { return preferences_; }
  const TSessionPreferences& Preferences() const { return preferences_; }
  void SetPreferences(const TSessionPreferences& value) { preferences_.Assign(value); }
  bool RollbackOnDisconnect() const { return rollbackOnDisconnect_; }
  void SetRollbackOnDisconnect(bool value) { rollbackOnDisconnect_ = value; }
  // Statements of a release 8 session with AutoCommit execute with commit on success; on the
  // release 7 interface the setter (and each logon) switches the server's autocommit.
  bool AutoCommit() const { return autoCommit_; }
  void SetAutoCommit(bool value);
  TNullValueOption NullValue() const { return nullValue_; }
  void SetNullValue(TNullValueOption value) { nullValue_ = value; }
  // The next three run an "alter session" when connected and set to anything but unchanged.
  TSQLTraceOption SQLTrace() const { return sqlTrace_; }
  void SetSQLTrace(TSQLTraceOption value);
  TOptimizerGoalOption OptimizerGoal() const { return optimizerGoal_; }
  void SetOptimizerGoal(TOptimizerGoalOption value);
  TIsolationLevelOption IsolationLevel() const { return isolationLevel_; }
  void SetIsolationLevel(TIsolationLevelOption value);
  TBytesPerCharacterOption BytesPerCharacter() const { return bytesPerCharacter_; }
  // Also forgets the CharacterWidth found so far.
  void SetBytesPerCharacter(TBytesPerCharacterOption value);
  const std::string& MessageTable() const { return messageTable_; }
  void SetMessageTable(const std::string& value) { messageTable_ = value; }

  // An ODBC-bridge session: "ODBC:" in the database or the user name (any case). Such a session
  // always uses the release 7 interface.
  bool IsODBC() const { return odbc_; }
  // Of an ODBC-bridge session: whether OCA60 under SOFTWARE\ORACLE (local machine) is set, as
  // read at the last change of a logon property. Without it, and with no library path set yet,
  // LogOn and ChangePassword load "ora73.dll".
  bool HasOCA60() const { return odbcOCA60_; }

  // ---- Loading from a stored description -----------------------------------------------------

  // Between BeginLoading and Loaded, a LogOn raises no AfterLogOn and OnChange, and Connected =
  // true is not acted on when DesignConnection is set. Loaded raises both events when the
  // session ended up connected.
  void BeginLoading() { loading_ = true; }
  void Loaded();

  // ---- Services for statements and datasets --------------------------------------------------

  // Whether the release 8 interface drives the session; otherwise the logon data area does.
  bool OCI8Session() const { return oci8_; }
  // The release 7 logon data area (valid while connected through it).
  Lda_Def* LogonDataArea() { return &lda_; }
  // Whether the logon data area was switched from the release 8 service context.
  bool LogonDataAreaTaken() const { return ldaTaken_; }
  bool ServerAttached() const { return attached_; }
  const OciEntryPoints& Entries() const;
  OCIEnv* EnvHandle() const { return env_; }
  OCISvcCtx* ServiceContext() const { return svc_; }
  OCIError* ErrorHandle() const { return err_; }
  OCIServer* ServerHandle() const { return server_; }
  OCISession* SessionHandle() const { return usr_; }
  sword LastStatus() const { return lastStatus_; }

  // Keeps `status` as the last status and raises EOracleError when the call failed: through the
  // session's error handle when it is OCI_ERROR or OCI_SUCCESS_WITH_INFO (or any other non-zero
  // code); on the release 7 interface, when the logon data area holds a return code.
  void CheckStatus(sword status);
  // The error RaiseOracleError would raise, for raising later.
  EOracleError MakeOracleError(OCIError* errorHandle) const;
  EOracleError MakeOracleError(int returnCode);
  // Throws EOracleError with record 1 of `errorHandle` (the session's or a statement's): its
  // number, and its text cut at 1023 characters.
  [[noreturn]] void RaiseOracleError(OCIError* errorHandle) const;
  // The same for a release 7 return code, with the client's text for it (oerhms).
  [[noreturn]] void RaiseOracleError(int returnCode);
  // The fetch type and size for a NUMBER(precision, scale) column.
  TNumberColumnType NumberColumnType(int precision, int scale, bool textOnly) const;
  // Bytes per character of the database character set (cached until LogOff).
  int CharacterWidth();
  // The longest text a string variable may bind.
  int MaxStringBindSize();
  // The greatest length of a date in the session's date format (cached until LogOff).
  int DateFormatLength();
  // Runs `sql` on the session's own statement (a TOracleQuery), with the busy cursor. Throws
  // EOracleError.
  void ExecInternal(const std::string& sql);
  // Calls that go through the release 7 interface of a thread-safe session hold the session lock.
  // LockSession enters it only then and answers whether it did; UnlockSession undoes one entry
  // (TSessionLockScope pairs them).
  bool LockSession();
  void UnlockSession() { lock_.Leave(); }

  // Registries of attached objects: statements, datasets and others.
  void AttachStatement(TSessionAttachment* statement);
  void DetachStatement(TSessionAttachment* statement);
  void AttachDataSet(TSessionAttachment* dataSet);
  void DetachDataSet(TSessionAttachment* dataSet);
  void AttachObject(TSessionAttachment* object);
  void DetachObject(TSessionAttachment* object);

 protected:
  // Raise BeforeLogOn and AfterLogOn.
  virtual void DoBeforeLogOn();
  virtual void DoAfterLogOn();

 private:
  void Attach();
  void FreeHandles();
  void NormalizeLogon();
  void UpdateODBCMarks();
  // An ODBC-bridge session without OCA60 loads "ora73.dll" when no library path is set.
  void ApplyODBCLibraryRule();
  bool WantsOCI8() const;
  sb4 LogOnOCI8(ub4 mode);
  sb4 LogOnOCI7();
  sb4 EndSession();
  // LogOff at the start of LogOn: failures of the old connection are dropped with it.
  void LogOffBeforeLogOn();
  void ApplyAutoCommit();
  // Forgets a connection whose library was unloaded under it.
  void DropUnloadedConnection();
  // The Oracle error number behind the last status (0 for success).
  sb4 LastErrorCode() const;
  // The error of the last logon or logoff call: from the error handle on the release 8
  // interface, from `returnCode` on the release 7 one.
  EOracleError LastCallError(int returnCode);
  void ApplySessionSettings();
  void FinishLogOn(TOracleLockScope& clientLock);

  // Logon properties
  std::string logonUsername_;
  std::string logonPassword_;
  std::string logonDatabase_;
  TConnectAsOption connectAs_ = caNormal;
  TCursor cursor_ = crHourGlass;
  bool designConnection_ = false;
  bool threadSafe_ = false;
  TSessionPoolingOption pooling_ = spNone;
  TMTSOptions mtsOptions_ = moImplicit | moUniqueServer;
  TSessionPreferences preferences_{this};
  bool rollbackOnDisconnect_ = false;
  bool autoCommit_ = false;
  TNullValueOption nullValue_ = nvUnAssigned;
  TSQLTraceOption sqlTrace_ = stUnchanged;
  TOptimizerGoalOption optimizerGoal_ = ogUnchanged;
  TIsolationLevelOption isolationLevel_ = ilUnchanged;
  TBytesPerCharacterOption bytesPerCharacter_ = bc1Byte;
  std::string messageTable_;

  // State
  bool connected_ = false;
  bool attached_ = false;
  bool oci8_ = false;
  bool ldaTaken_ = false;
  bool odbc_ = false;
  bool odbcOCA60_ = false;
  bool loading_ = false;
  bool destroying_ = false;
  OCIEnv* env_ = nullptr;
  OCISvcCtx* svc_ = nullptr;
  OCIError* err_ = nullptr;
  OCIError* err2_ = nullptr;
  OCIServer* server_ = nullptr;
  OCISession* usr_ = nullptr;
  Lda_Def lda_{};
  alignas(8) ub1 hda_[HDA_SIZE] = {};
  sword lastStatus_ = OCI_SUCCESS;
  std::string passwordWarning_;
  int characterWidth_ = 0;
  int dateFormatLength_ = -1;
  std::vector<TSessionAttachment*> statements_;
  std::vector<TSessionAttachment*> dataSets_;
  std::vector<TSessionAttachment*> objects_;
  TOracleCriticalSection lock_;
  std::unique_ptr<TOracleQuery> internal_;
};

// "<what> requires a session", "... a connected session", "... OCI8 mode, but OCI7 mode is
// used." or "... Net8, which is not detected on this PC", as a std::runtime_error, unless
// `session` is a connected release 8 session.
void RequireFeature(const TOracleSession* session, const std::string& what);

// Logs off every session of the process (errors ignored), then unloads the client library. Runs
// at process end by itself; a program may call it earlier.
void LogOffSessionsAndUnloadClient();

}  // namespace qm
