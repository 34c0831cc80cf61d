// TOracleQuery on the release 8 interface: the statement's life, its client handles, its errors
// and its execution (parse, execute, array execution, the background thread, fetching the rows).
// The declared variables are in oracle_query_variables.cpp, the columns and field values of the
// result set in oracle_query_fields.cpp, the release 7 side in oracle_query_oci7.cpp.
#include "oracle/oracle_query.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "oracle/e_oracle_error.h"
#include "oracle/internal/select_shape.h"
#include "oracle/internal/session_lock_scope.h"
#include "oracle/internal/variable_scanner.h"
#include "oracle/main_thread_calls.h"
#include "oracle/oci_entry_points.h"
#include "oracle/oracle_client.h"
#include "oracle/oracle_session.h"
#include "platform/dialogs.h"
#include "platform/number_format.h"
#include "platform/regional_formats.h"

namespace qm {
namespace {

// Statement kinds whose parsed form may run again unchanged.
bool Reusable(int functionCode) {
  switch (functionCode) {
    case 3:
    case 4:
    case 5:
    case 9:
    case 33:
    case 34:
    case 35:
    case 54:
    case 55:
    case 56:
      return true;
    default:
      return false;
  }
}

int FunctionCodeOfType(ub2 type) {
  switch (type) {
    case OCI_STMT_SELECT:
      return kFunctionSelect;
    case OCI_STMT_UPDATE:
      return kFunctionUpdate;
    case OCI_STMT_DELETE:
      return kFunctionDelete;
    case OCI_STMT_INSERT:
      return kFunctionInsert;
    case OCI_STMT_BEGIN:
    case OCI_STMT_DECLARE:
      return kFunctionPLSQL;
    default:
      return -1;
  }
}

constexpr const char* kThreadInProgress = "Query thread is still in progress";

// The background thread shows no busy cursor: the screen belongs to the main thread.
thread_local bool insideQueryThread = false;

std::string DebugValue(const TVariableData& v) {
  switch (v.kind) {
    case kVariableLong:
      return "(Long)";
    case kVariableLongRaw:
      return "(Long Raw)";
    case 108:
      return "(Object)";
    case 110:
      return "(Reference)";
    case 112:
      return "(CLOB)";
    case 113:
      return "(BLOB)";
    case 114:
      return "(BFile)";
    case 116:
      return "(Cursor)";
    default:
      break;
  }
  if (v.plsqlTable) return "(PL/SQL Table)";
  if (v.array) return "(Array)";
  const TVariableValue value = v.Element(0);
  std::string text;
  if (const auto* i = std::get_if<int>(&value)) text = std::to_string(*i);
  if (const auto* d = std::get_if<double>(&value))
    text = v.kind == kVariableDate
               ? FormatDateTimeValue(*d)
               : FormatFloatGeneral(*d, CurrentRegionalFormats().decimalSeparator);
  if (const auto* t = std::get_if<std::string>(&value)) text = *t;
  return text.empty() ? "Null" : text;
}

}  // namespace

TOracleQuery::TOracleQuery() = default;

TOracleQuery::~TOracleQuery() {
  stopThread_ = true;
  WaitForThread();
  try {
    Close();
  } catch (...) {
    // Nothing is left to release, and a destructor has no one to tell.
  }
  if (session_ != nullptr) session_->DetachStatement(this);
}

void TOracleQuery::SetSession(TOracleSession* session) {
  if (session == session_) return;
  Close();  // a failure keeps the old session, with the resources released all the same
  if (session_ != nullptr) session_->DetachStatement(this);
  session_ = session;
  if (session_ != nullptr) session_->AttachStatement(this);
}

void TOracleQuery::SessionDestroyed() {
  // The handles went with the session's environment, the cursor with its logon.
  handlesOpen_ = false;
  err_ = err2_ = nullptr;
  rowid_ = nullptr;
  stmt_ = nullptr;
  cursorOpen_ = false;
  Close();
  session_ = nullptr;
}

void TOracleQuery::SetStringFieldsOnly(bool value) {
  stringFieldsOnly_ = value;
  prepared_.clear();
}

void TOracleQuery::Clear() {
  variables_.clear();
  sql_.Clear();
  prepared_.clear();
  described_ = false;
  CloseForODBC();
}

void TOracleQuery::CloseForODBC() {
  if (session_ != nullptr && session_->IsODBC()) Close();
}

bool TOracleQuery::OCI8() const {
  return session_ != nullptr && session_->OCI8Session();
}

void TOracleQuery::CheckSession() const {
  if (session_ == nullptr) throw std::runtime_error("Session undefined");
  if (!session_->Connected()) throw std::runtime_error("Not logged on");
}

std::string TOracleQuery::PreparedTextOf() const {
  const bool substitutes = std::any_of(variables_.begin(), variables_.end(), [](const auto& v) {
    return v->kind == kVariableSubstitution;
  });
  if (!substitutes) {
    // The lines as Text() joins them, with every CR left out on the way.
    std::string text;
    std::size_t size = 0;
    for (int i = 0; i < sql_.Count(); ++i) size += sql_[i].size() + 1;
    text.reserve(size);
    for (int i = 0; i < sql_.Count(); ++i) {
      std::string_view line = sql_[i];
      for (std::size_t cr; (cr = line.find('\r')) != std::string_view::npos;
           line.remove_prefix(cr + 1))
        text.append(line.substr(0, cr));
      text.append(line).push_back('\n');
    }
    if (text.empty()) text = " ";
    return text;
  }
  std::string text = sql_.Text();
  const std::vector<TScannedVariable> found = ScanVariables(text, true);
  for (auto it = found.rbegin(); it != found.rend(); ++it) {
    const int index = VariableIndex(it->name);
    if (index < 0 || variables_[static_cast<size_t>(index)]->kind != kVariableSubstitution)
      continue;
    const TVariableValue value = variables_[static_cast<size_t>(index)]->Element(0);
    const std::string* replacement = std::get_if<std::string>(&value);
    text.replace(static_cast<size_t>(it->position - 1), it->name.size() + 1,
                 replacement != nullptr ? *replacement : std::string());
  }
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  if (text.empty()) text = " ";
  return text;
}

// ---- Handles --------------------------------------------------------------------------------

void TOracleQuery::OpenHandles() {
  if (!OCI8()) {
    OpenCursor();
    return;
  }
  if (handlesOpen_) return;
  const OciEntryPoints& oci = session_->Entries();
  OCIEnv* env = session_->EnvHandle();
  oci.OCIHandleAlloc(env, reinterpret_cast<void**>(&err_), OCI_HTYPE_ERROR, 0, nullptr);
  oci.OCIHandleAlloc(env, reinterpret_cast<void**>(&err2_), OCI_HTYPE_ERROR, 0, nullptr);
  oci.OCIDescriptorAlloc(env, &rowid_, OCI_DTYPE_ROWID, 0, nullptr);
  handlesOpen_ = true;
  if (err_ == nullptr || err2_ == nullptr || rowid_ == nullptr) {
    FreeHandles();
    throw std::runtime_error("The client could not allocate the statement's handles");
  }
}

void TOracleQuery::FreeHandles() {
  std::optional<EOracleError> releaseError;
  if (session_ != nullptr && handlesOpen_) {
    const OciEntryPoints& oci = session_->Entries();
    // A library unloaded meanwhile took its handles with it.
    if (oci.OCIHandleFree != nullptr) {
      if (stmt_ != nullptr) {
        const sword status = oci.OCIHandleFree(stmt_, OCI_HTYPE_STMT);
        // Raised once everything else is released too.
        if (status != OCI_SUCCESS && status != OCI_SUCCESS_WITH_INFO && err_ != nullptr)
          releaseError = session_->MakeOracleError(err_);
      }
      if (err_ != nullptr) oci.OCIHandleFree(err_, OCI_HTYPE_ERROR);
      if (err2_ != nullptr) oci.OCIHandleFree(err2_, OCI_HTYPE_ERROR);
    }
    if (rowid_ != nullptr && oci.OCIDescriptorFree != nullptr)
      oci.OCIDescriptorFree(rowid_, OCI_DTYPE_ROWID);
  }
  handlesOpen_ = false;
  stmt_ = nullptr;
  stmtBound_ = false;
  err_ = err2_ = nullptr;
  rowid_ = nullptr;
  CloseCursor(releaseError);
  if (releaseError) throw *releaseError;
}

void TOracleQuery::ReleaseColumns() {
  const OciEntryPoints* oci = session_ != nullptr && handlesOpen_ ? &session_->Entries() : nullptr;
  // Without open handles the locators went with the session's environment.
  if (oci != nullptr && oci->OCIDescriptorFree != nullptr) {
    for (const auto& column : columns_)
      for (OCILobLocator* locator : column->locators)
        if (locator != nullptr) oci->OCIDescriptorFree(locator, column->LocatorKind());
  }
  columns_.clear();
  keepColumns_ = false;
}

void TOracleQuery::Close() {
  prepared_.clear();
  described_ = false;
  ReleaseColumns();
  eof_ = true;
  rowsInBuffer_ = currentRow_ = 0;
  FreeHandles();
}

// ---- Errors -----------------------------------------------------------------------------------

int TOracleQuery::ErrorCodeOf(sword status) const {
  if (!OCI8()) return cda_.rc;
  switch (status) {
    case OCI_SUCCESS:
    case OCI_SUCCESS_WITH_INFO:
    case OCI_NEED_DATA:
      return 0;
    case OCI_NO_DATA:
      return 1403;
    case OCI_ERROR:
    case OCI_INVALID_HANDLE: {
      sb4 code = 0;
      session_->Entries().OCIErrorGet(err_, 1, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR);
      return code;
    }
    default:
      return status;
  }
}

void TOracleQuery::RaiseExecuteError() {
  const bool oci8 = OCI8();
  ub2 offset = cda_.peo;
  if (oci8) {
    offset = 0;
    const ub4 attribute = OracleClient::Process().OCI81Ready() ? OCI_ATTR_PARSE_ERROR_OFFSET
                                                               : OCI_ATTR_PARSE_ERROR_OFFSET_V80;
    if (stmt_ != nullptr)
      session_->Entries().OCIAttrGet(stmt_, OCI_HTYPE_STMT, &offset, nullptr, attribute, err2_);
  }
  int line = 0, column = 0;
  for (size_t i = 0; i < offset && i < prepared_.size(); ++i) {
    if (prepared_[i] == '\n') {
      ++line;
      column = 0;
    } else {
      ++column;
    }
  }
  errorLine_ = line + 1;
  errorPosition_ = column + 1;
  prepared_.clear();
  if (!oci8) session_->RaiseOracleError(cda_.rc);
  session_->RaiseOracleError(err_);
}

void TOracleQuery::CallPendingAfterQuery() {
  if (!afterQueryPending_) return;
  afterQueryPending_ = false;
  if (AfterQuery) AfterQuery(*this);
}

// ---- Execution ----------------------------------------------------------------------------------

void TOracleQuery::Execute() {
  if (!threaded_) {
    Run(0, 0, true);
    return;
  }
  if (threadRunning_) throw std::runtime_error(kThreadInProgress);
  WaitForThread();
  threadRunning_ = true;
  stopThread_ = false;
  thread_ = std::thread([this] { ThreadMain(); });
}

void TOracleQuery::WaitForThread() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void TOracleQuery::Notify(const std::function<void()>& call) {
  if (threadSynchronized_)
    AppMainThreadCalls().Call(call);
  else
    call();
}

void TOracleQuery::ThreadMain() {
  insideQueryThread = true;
  try {
    Run(0, 0, true);
    Notify([this] {
      if (OnThreadExecuted) OnThreadExecuted(*this);
    });
    for (; !eof_ && !stopThread_; Next())
      Notify([this] {
        if (OnThreadRecord) OnThreadRecord(*this);
      });
  } catch (const std::exception& e) {
    const auto* oracleError = dynamic_cast<const EOracleError*>(&e);
    const int code = oracleError != nullptr ? oracleError->ErrorCode() : 0;
    const std::string message = e.what();
    Notify([&] {
      if (OnThreadError) OnThreadError(*this, code, message);
    });
  }
  threadRunning_ = false;
  Notify([this] {
    if (OnThreadFinished) OnThreadFinished(*this);
  });
}

int TOracleQuery::ExecuteArray(int index, int count) {
  return Run(index, count, false);
}

int TOracleQuery::Run(int index, int count, bool wholeArray) {
  if (BeforeQuery) BeforeQuery(*this);
  afterQueryPending_ = true;
  eof_ = true;
  int rows = 0;
  try {
    CheckSession();
    if (debug_) ShowMessage(DebugText(), "Debug", MessageIcon::Information);
    TBusyCursorScope busy(insideQueryThread ? crDefault : cursor_);
    TSessionLockScope hold(session_);
    Parse(PreparedTextOf());
    BindVariables();
    stmtBound_ = stmtBound_ || std::any_of(variables_.begin(), variables_.end(), [](const auto& v) {
                   return v->kind != kVariableSubstitution;
                 });
    if (functionCode_ == kFunctionSelect)
      ExecuteSelect();
    else {
      rows = ExecuteRows(index, count, wholeArray);
      OpenBoundCursors();
    }
  } catch (...) {
    // Whatever ended it, the query is over for whoever framed it with BeforeQuery.
    CallPendingAfterQuery();
    throw;
  }
  if (eof_) CallPendingAfterQuery();
  return rows;
}

std::string TOracleQuery::DebugText() const {
  std::string text = sql_.Text();
  for (const auto& v : variables_) text += "\r" + v->name + " = " + DebugValue(*v);
  return text;
}

void TOracleQuery::Describe() {
  if (threadRunning_) throw std::runtime_error(kThreadInProgress);
  CheckSession();
  eof_ = true;
  TBusyCursorScope busy(cursor_);
  TSessionLockScope hold(session_);
  Parse(PreparedTextOf());
  if (functionCode_ != kFunctionSelect || described_) return;
  if (!OCI8()) {
    DescribeColumnsOCI7();
    DefineColumns();
    return;
  }
  const OciEntryPoints& oci = session_->Entries();
  const int code = ErrorCodeOf(oci.OCIStmtExecute(session_->ServiceContext(), stmt_, err_, 0, 0,
                                                  nullptr, nullptr, OCI_DESCRIBE_ONLY));
  if (code != 0) {
    ReleaseColumns();
    RaiseExecuteError();
  }
  DescribeAndDefine();
}

void TOracleQuery::DescribeAndDefine() {
  // A column added or dropped meanwhile shows in the count.
  ub4 count = 0;
  if (std::exchange(keepColumns_, false))
    session_->Entries().OCIAttrGet(stmt_, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT,
                                   err2_);
  if (count == 0 || count != columns_.size()) DescribeColumns();
  DefineColumns();
}

void TOracleQuery::Parse(std::string text) {
  OpenHandles();
  errorLine_ = errorPosition_ = 0;
  // Long and array binds need a fresh statement handle.
  if (OCI8() &&
      (arraySize_ > 1 || std::any_of(variables_.begin(), variables_.end(), [](const auto& v) {
         return v->kind == kVariableLong || v->kind == kVariableLongRaw || v->plsqlTable ||
                v->Count() > 1;
       })))
    prepared_.clear();
  if (optimize_ && !prepared_.empty() && prepared_ == text && Reusable(functionCode_)) return;

  // A select of the same shape as the one before keeps its described columns and their buffers,
  // which are defined again after the execution, instead of the describe.
  keepColumns_ = OCI8() && stmt_ != nullptr && !stmtBound_ && described_ &&
                 functionCode_ == kFunctionSelect && !columns_.empty() &&
                 rowsPerFetch_ == static_cast<ub4>(readBuffer_) &&
                 std::none_of(columns_.begin(), columns_.end(),
                              [](const auto& c) { return c->IsLOB() || c->IsLong(); }) &&
                 !prepared_.empty() && PreparedShape().Matches(text);
  // A handle nothing was bound to or defined on, or only those kept columns, is prepared again in
  // place: it holds nothing else of the statement before.
  const bool reuseHandle = stmt_ != nullptr && !stmtBound_ && (columns_.empty() || keepColumns_);
  if (!keepColumns_) ReleaseColumns();
  // A text of the same shape leaves the shape read from the one before true of it.
  if (!keepColumns_) shapeRead_ = false;
  prepared_ = std::move(text);
  functionCode_ = 0;
  described_ = false;
  if (!OCI8()) {
    ParseOCI7(prepared_);
    return;
  }
  const OciEntryPoints& oci = session_->Entries();
  if (!reuseHandle) AllocateStatement();
  ++parseCount_;
  const sword status =
      oci.OCIStmtPrepare(stmt_, err_, reinterpret_cast<const OraText*>(prepared_.data()),
                         static_cast<ub4>(prepared_.size()), OCI_NTV_SYNTAX, OCI_DEFAULT);
  if (ErrorCodeOf(status) != 0) RaiseExecuteError();
  ub2 type = 0;
  oci.OCIAttrGet(stmt_, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, err2_);
  functionCode_ = FunctionCodeOfType(type);
}

const SelectShape& TOracleQuery::PreparedShape() {
  if (!shapeRead_) {
    shape_ = std::make_unique<SelectShape>(prepared_);
    shapeRead_ = true;
  }
  return *shape_;
}

void TOracleQuery::AllocateStatement() {
  const OciEntryPoints& oci = session_->Entries();
  if (stmt_ != nullptr) oci.OCIHandleFree(stmt_, OCI_HTYPE_STMT);
  stmt_ = nullptr;
  stmtBound_ = false;
  oci.OCIHandleAlloc(session_->EnvHandle(), reinterpret_cast<void**>(&stmt_), OCI_HTYPE_STMT, 0,
                     nullptr);
  if (stmt_ == nullptr) {
    prepared_.clear();
    throw std::runtime_error("The client could not allocate a statement handle");
  }
  // Rows come only from this object's own array fetches.
  ub4 zero = 0;
  oci.OCIAttrSet(stmt_, OCI_HTYPE_STMT, &zero, 0, OCI_ATTR_PREFETCH_ROWS, err2_);
  oci.OCIAttrSet(stmt_, OCI_HTYPE_STMT, &zero, 0, OCI_ATTR_PREFETCH_MEMORY, err2_);
}

OCIStmt** TOracleQuery::CursorHandle(TOracleSession* session) {
  if (threadRunning_) throw std::runtime_error(kThreadInProgress);
  SetSession(session);
  OpenHandles();
  ReleaseColumns();
  eof_ = true;
  rowsInBuffer_ = currentRow_ = 0;
  described_ = false;
  // A handle that holds a text of this object's own is not handed over: the server would open
  // the result set on a statement it still describes as that text.
  if (stmt_ == nullptr || !prepared_.empty()) AllocateStatement();
  prepared_.clear();
  // Its own next text gets a handle of its own.
  stmtBound_ = true;
  return &stmt_;
}

void TOracleQuery::OpenResultSet() {
  functionCode_ = kFunctionSelect;
  DescribeAndDefine();
  FetchBatch(rowsPerFetch_);
  TakeFirstBatch();
}

void TOracleQuery::ExecuteOnce(ub4 iterations, ub4 rowOffset) {
  if (!OCI8()) {
    ExecuteOCI7(iterations, rowOffset);
    return;
  }
  const OciEntryPoints& oci = session_->Entries();
  const ub4 mode = session_->AutoCommit() ? OCI_COMMIT_ON_SUCCESS : OCI_DEFAULT;
  const sword status = oci.OCIStmtExecute(session_->ServiceContext(), stmt_, err_, iterations,
                                          rowOffset, nullptr, nullptr, mode);
  ub2 code = 0;
  if (oci.OCIAttrGet(stmt_, OCI_HTYPE_STMT, &code, nullptr, OCI_ATTR_SQLFNCODE, err2_) ==
      OCI_SUCCESS)
    functionCode_ = code;
  if (ErrorCodeOf(status) != 0) RaiseExecuteError();
}

int TOracleQuery::ExecuteRows(int index, int count, bool wholeArray) {
  if (arraySize_ <= 1) {
    ExecuteOnce(1, 0);
    return RowsProcessed();
  }
  int start = wholeArray ? 0 : index;
  const int end = wholeArray ? arraySize_ : index + count;
  int total = 0;
  while (start < end) {
    try {
      ExecuteOnce(static_cast<ub4>(end - start), static_cast<ub4>(start));
      total += RowsProcessed();
      break;
    } catch (const EOracleError& e) {
      const int done = RowsProcessed();
      total += done;
      const int failing = start + done;
      start = failing + 1;
      bool continueExecution = true;
      if (OnArrayError)
        OnArrayError(*this, failing, e.ErrorCode(), e.what(), continueExecution);
      else if (wholeArray)
        throw;
      else
        break;
      if (!continueExecution) break;
    }
  }
  return total;
}

void TOracleQuery::ExecuteSelect() {
  const OciEntryPoints& oci = session_->Entries();
  if (!OCI8()) {
    ExecuteSelectOCI7();
  } else if (!described_) {
    const int code = ErrorCodeOf(oci.OCIStmtExecute(session_->ServiceContext(), stmt_, err_, 0, 0,
                                                    nullptr, nullptr, OCI_DEFAULT));
    if (code != 0 && code != 1403) {
      ReleaseColumns();  // kept ones too: a failed select has no columns
      RaiseExecuteError();
    }
    DescribeAndDefine();
    FetchBatch(rowsPerFetch_);
  } else {
    ClearLongPieces();
    ++fetchCalls_;
    const int code = ErrorCodeOf(oci.OCIStmtExecute(
        session_->ServiceContext(), stmt_, err_, rowsPerFetch_, 0, nullptr, nullptr, OCI_DEFAULT));
    if (code != 0 && code != 1403) RaiseExecuteError();
  }
  TakeFirstBatch();
}

void TOracleQuery::TakeFirstBatch() {
  currentRow_ = 0;
  rowsInBuffer_ = static_cast<ub4>(RowsProcessed());
  eof_ = rowsInBuffer_ == 0;
  PrepareLOBColumns();
}

void TOracleQuery::FetchBatch(ub4 rows) {
  if (!OCI8()) {
    FetchOCI7(rows);
    return;
  }
  ClearLongPieces();
  ++fetchCalls_;
  const sword status =
      session_->Entries().OCIStmtFetch(stmt_, err_, rows, OCI_FETCH_NEXT, OCI_DEFAULT);
  const int code = ErrorCodeOf(status);
  if (code != 0 && code != 1403) session_->RaiseOracleError(err_);
}

int TOracleQuery::RowsProcessed() const {
  if (session_ == nullptr || !session_->Connected()) return 0;
  if (!OCI8()) return cursorOpen_ ? static_cast<int>(cda_.rpc) : 0;
  if (stmt_ == nullptr) return 0;
  ub4 rows = 0;
  session_->Entries().OCIAttrGet(stmt_, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT, err2_);
  return static_cast<int>(rows);
}

void TOracleQuery::Next() {
  if (eof_) return;
  CheckSession();
  ++currentRow_;
  if (currentRow_ >= rowsInBuffer_) {
    if (rowsInBuffer_ < rowsPerFetch_) {
      eof_ = true;  // the last batch was short: no more rows on the server
    } else {
      const int before = RowsProcessed();
      try {
        TBusyCursorScope busy(insideQueryThread ? crDefault : cursor_);
        TSessionLockScope hold(session_);
        FetchBatch(rowsPerFetch_);
      } catch (const EOracleError&) {
        CallPendingAfterQuery();
        throw;
      }
      currentRow_ = 0;
      rowsInBuffer_ = static_cast<ub4>(RowsProcessed() - before);
      eof_ = rowsInBuffer_ == 0;
    }
  }
  PrepareLOBColumns();
  if (eof_) CallPendingAfterQuery();
}

}  // namespace qm
