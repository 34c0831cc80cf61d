// The handles and descriptors of the release 8 client interface. A client holds them as opaque
// pointers; every entry point checks that a pointer is a live handle of the expected type before
// using it (OCI_INVALID_HANDLE otherwise). The error of a call is kept on the error handle it was
// given, as Oracle's client does, until another call fails on that handle.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "oci/oci.h"
#include "ocilite/internal/nls_settings.h"
#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/session.h"
#include "ocilite/internal/sqlite_db.h"
#include "ocilite/internal/statement_runner.h"

namespace qm::ocilite::oci {

struct EnvHandle;
struct StmtHandle;

struct Handle {
  Handle(ub4 handle_type, EnvHandle* owner_env);
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  virtual ~Handle();

  ub4 type;
  EnvHandle* env;
  std::vector<unsigned char> user_memory;  // the client's extra memory (xtramem_sz)
};

// Whether `p` is a live handle or descriptor of `type`.
bool IsLive(const void* p, ub4 type);

template <typename T>
T* As(const void* p, ub4 type) {
  return IsLive(p, type) ? static_cast<T*>(static_cast<Handle*>(const_cast<void*>(p))) : nullptr;
}

struct ErrorRecord {
  sb4 code;
  std::string message;  // in the client's character set, without the line end
};

struct ErrorHandle : Handle {
  using Handle::Handle;
  std::vector<ErrorRecord> records;
  // Replaces the records with this error.
  void Record(const OraError& e);
};

struct EnvHandle : Handle {
  explicit EnvHandle(ub4 mode);
  ~EnvHandle() override;
  ub4 mode;
  NlsSettings nls;
  std::vector<ErrorRecord> records;  // errors of calls that have no error handle
  std::vector<Handle*> children;     // handles and descriptors allocated under this one
  // Statement handles the client freed, kept for the next it allocates (see AllocStatement).
  std::vector<std::unique_ptr<StmtHandle>> idle_statements;
};

struct ServerHandle : Handle {
  using Handle::Handle;
  // Service contexts and sessions that point here forget it.
  ~ServerHandle() override;
  // Drops the connection (and what runs on it in the release 7 interface).
  void Detach();
  std::unique_ptr<Session> session;  // the attached connection
};

struct SessionHandle : Handle {
  using Handle::Handle;
  ~SessionHandle() override;
  std::string username;
  std::string password;
  ServerHandle* server = nullptr;  // where the session was begun
};

struct LdaConnection;

struct SvcCtxHandle : Handle {
  using Handle::Handle;
  ~SvcCtxHandle() override;
  ServerHandle* server = nullptr;
  SessionHandle* session = nullptr;
  Handle* transaction = nullptr;
  LdaConnection* lda = nullptr;  // while switched to the release 7 interface
  // The logged-on session; ORA-03114 without an attached server, ORA-01012 without a user.
  Session& Active();
};

struct StmtHandle;

struct BindHandle : Handle {
  BindHandle(EnvHandle* e, StmtHandle* s, std::size_t i)
      : Handle(OCI_HTYPE_BIND, e), stmt(s), index(i) {}
  StmtHandle* stmt;
  std::size_t index;  // into the statement's bind list
};

struct DefineHandle : Handle {
  DefineHandle(EnvHandle* e, StmtHandle* s, ub4 p)
      : Handle(OCI_HTYPE_DEFINE, e), stmt(s), position(p) {}
  StmtHandle* stmt;
  ub4 position;
};

struct ParamHandle : Handle {
  ParamHandle(EnvHandle* e, StmtHandle* s) : Handle(OCI_DTYPE_PARAM, e), stmt(s) {}
  ~ParamHandle() override;
  StmtHandle* stmt;
  ResultColumn column;
  std::string client_name;
  ub2 data_size = 0;
};

struct StmtHandle : Handle {
  using Handle::Handle;
  ~StmtHandle() override;
  // Back to the state of a handle just allocated, the runner's buffers kept.
  void Reset();
  StatementRunner runner;
  std::vector<std::unique_ptr<BindHandle>> binds;
  std::vector<std::unique_ptr<DefineHandle>> defines;  // at position - 1; null where none was made
  std::vector<ParamHandle*> params;  // owned by the client, or freed with the statement
  bool described = false;            // the select list is known
  bool executed = false;
  ub4 prefetch_rows = 1;
  ub4 prefetch_memory = 0;
};

// A LOB locator (OCI_DTYPE_LOB for CLOB and BLOB, OCI_DTYPE_FILE for BFILE). A fetch gives it
// the row's value as the fetch saw it, so later reads are consistent with that fetch; a BFILE's
// value is where its file is, which is read while the locator has it open.
struct LobLocator : Handle {
  using Handle::Handle;
  bool initialized = false;  // false until a fetch of a value that is not NULL
  bool temporary = false;    // made by OCILobCreateTemporary: its value lives in the locator
  DataType kind = DataType::kNull;  // kClob, kBlob or kBfile
  std::string content;  // CLOB: UTF-8 text; BLOB: bytes; BFILE: "DIRECTORY/file name"
  std::string open_path;  // BFILE: the file while the locator has it open
  bool opened = false;    // CLOB, BLOB: between OCILobOpen and OCILobClose
  // A read larger than the client's buffer hands out the rest on the following calls.
  std::string pending;  // in the client's form
  std::size_t pending_at = 0;
  bool polling = false;
  bool utf16 = false;  // the pending text is UTF-16: amounts count its code units
};

// A datetime descriptor (OCI_DTYPE_DATE, OCI_DTYPE_TIMESTAMP, _TIMESTAMP_TZ, _TIMESTAMP_LTZ). It
// starts with every field zero, which OCIDateTimeCheck reports as invalid, until a call or a fetch
// sets it; what sets it checks the fields first.
struct DateTimeDescriptor : Handle {
  using Handle::Handle;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  ub4 fraction = 0;        // nanoseconds
  int offset_minutes = 0;  // east of UTC, kept by the kinds with a time zone
  bool HasTimeZone() const {
    return type == OCI_DTYPE_TIMESTAMP_TZ || type == OCI_DTYPE_TIMESTAMP_LTZ;
  }
};

// An interval descriptor: years and months (OCI_DTYPE_INTERVAL_YM) or days to fractions of a
// second (OCI_DTYPE_INTERVAL_DS).
struct IntervalDescriptor : Handle {
  using Handle::Handle;
  sb4 years = 0, months = 0;
  sb4 days = 0, hours = 0, minutes = 0, seconds = 0, fraction = 0;
};

// A ROWID descriptor, filled from a statement's OCI_ATTR_ROWID.
struct RowidDescriptor : Handle {
  using Handle::Handle;
  std::string text;  // empty until filled
};

// Handles and descriptors the engine only allocates and frees (describe, transaction, rowid,
// snapshot, ...).
struct PlainHandle : Handle {
  using Handle::Handle;
};

// The national language settings behind an environment handle (the client's) or a user session
// handle (the session's, once begun); nullptr for anything else.
const NlsSettings* NlsOf(const void* hndl);

// Runs a call that reports its errors on `errhp`: a failure replaces the handle's records and
// answers OCI_ERROR. A call that succeeds leaves the records as they were, so that reading
// attributes between a failed call and OCIErrorGet loses nothing.
template <typename Body>
sword WithError(OCIError* errhp, Body&& body) {
  auto* err = As<ErrorHandle>(errhp, OCI_HTYPE_ERROR);
  if (!err) return OCI_INVALID_HANDLE;
  try {
    return body(*err);
  } catch (const OraError& e) {
    err->Record(e);
  } catch (const SqliteError& e) {
    err->Record(OraError(600, {"sqlite", e.what()}));
  } catch (const std::exception& e) {
    err->Record(OraError(600, {"ocilite", e.what()}));
  } catch (...) {
    err->Record(OraError(600, {"ocilite", "unknown"}));
  }
  return OCI_ERROR;
}

// Creates a handle registered as a child of `env`.
template <typename T, typename... Args>
T* MakeChild(EnvHandle* env, Args&&... args) {
  auto* h = new T(std::forward<Args>(args)...);
  env->children.push_back(h);
  return h;
}

// Frees a child handle (and, for a statement, what it owns).
void FreeChild(Handle* h);

// A client allocates and frees a statement handle per statement, often thousands a second: a
// freed one is kept, reset and unknown to IsLive, for the next allocation under its environment.
StmtHandle* AllocStatement(EnvHandle* env);
void FreeStatement(StmtHandle* s);

// A text argument of the client interface: `length` bytes, or up to its NUL when `length` is
// negative; empty for a null pointer.
std::string TextArg(const OraText* text, sb4 length);
// The same text seen where it lies, valid while the caller's argument is.
std::string_view TextView(const OraText* text, sb4 length);

}  // namespace qm::ocilite::oci
