#include "oracle/oracle_query.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "oracle/e_oracle_error.h"
#include "oracle/main_thread_calls.h"
#include "oracle/oci_entry_points.h"
#include "oracle/oracle_client.h"
#include "oracle/oracle_session.h"
#include "oracle/session_lock_scope.h"
#include "oracle/variable_scanner.h"
#include "platform/codepage.h"
#include "platform/dialogs.h"
#include "platform/number_format.h"
#include "platform/regional_formats.h"

namespace qm {
namespace {

constexpr size_t kMaxColumnName = 30;
constexpr ub4 kFirstLongPiece = 2000;
constexpr ub4 kLargestLongPiece = 32000;

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

bool IsTextType(ub2 type) {
  return type == 1 || type == SQLT_STR || type == 10 || type == 97;
}

std::string VariableKey(const std::string& name) {
  return Cp1251Upper(!name.empty() && name[0] == ':' ? name : ":" + name);
}

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

TOracleQuery::~TOracleQuery() {
  stopThread_ = true;
  WaitForThread();
  Close();
  if (session_ != nullptr) session_->DetachStatement(this);
}

void TOracleQuery::SetSession(TOracleSession* session) {
  if (session == session_) return;
  if (session_ != nullptr) session_->DetachStatement(this);
  Close();
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
  std::string text = sql_.Text();
  const bool substitutes = std::any_of(variables_.begin(), variables_.end(), [](const auto& v) {
    return v->kind == kVariableSubstitution;
  });
  if (substitutes) {
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
  }
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text.empty() ? " " : text;
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
  if (session_ != nullptr && handlesOpen_) {
    const OciEntryPoints& oci = session_->Entries();
    // A library unloaded meanwhile took its handles with it.
    if (oci.OCIHandleFree != nullptr) {
      if (stmt_ != nullptr) oci.OCIHandleFree(stmt_, OCI_HTYPE_STMT);
      if (err_ != nullptr) oci.OCIHandleFree(err_, OCI_HTYPE_ERROR);
      if (err2_ != nullptr) oci.OCIHandleFree(err2_, OCI_HTYPE_ERROR);
    }
    if (rowid_ != nullptr && oci.OCIDescriptorFree != nullptr)
      oci.OCIDescriptorFree(rowid_, OCI_DTYPE_ROWID);
  }
  handlesOpen_ = false;
  stmt_ = nullptr;
  err_ = err2_ = nullptr;
  rowid_ = nullptr;
  CloseCursor();
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
  CheckSession();
  if (debug_) ShowMessage(DebugText(), "Debug", MessageIcon::Information);
  int rows = 0;
  try {
    TBusyCursorScope busy(insideQueryThread ? crDefault : cursor_);
    TSessionLockScope hold(session_);
    Parse(PreparedTextOf());
    BindVariables();
    if (functionCode_ == kFunctionSelect)
      ExecuteSelect();
    else
      rows = ExecuteRows(index, count, wholeArray);
  } catch (const EOracleError&) {
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
  if (code != 0) RaiseExecuteError();
  DescribeColumns();
  DefineColumns();
}

void TOracleQuery::Parse(const std::string& text) {
  OpenHandles();
  errorLine_ = errorPosition_ = 0;
  // Long and array binds need a fresh statement handle.
  if (OCI8() &&
      (arraySize_ > 1 || std::any_of(variables_.begin(), variables_.end(), [](const auto& v) {
         return v->kind == kVariableLong || v->kind == kVariableLongRaw || v->Count() > 1;
       })))
    prepared_.clear();
  if (optimize_ && !prepared_.empty() && prepared_ == text && Reusable(functionCode_)) return;

  ReleaseColumns();
  prepared_ = text;
  functionCode_ = 0;
  described_ = false;
  if (!OCI8()) {
    ParseOCI7(text);
    return;
  }
  const OciEntryPoints& oci = session_->Entries();
  if (stmt_ != nullptr) oci.OCIHandleFree(stmt_, OCI_HTYPE_STMT);
  stmt_ = nullptr;
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
  ++parseCount_;
  const sword status =
      oci.OCIStmtPrepare(stmt_, err_, reinterpret_cast<const OraText*>(text.data()),
                         static_cast<ub4>(text.size()), OCI_NTV_SYNTAX, OCI_DEFAULT);
  if (ErrorCodeOf(status) != 0) RaiseExecuteError();
  ub2 type = 0;
  oci.OCIAttrGet(stmt_, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, err2_);
  functionCode_ = FunctionCodeOfType(type);
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

void TOracleQuery::BindVariables() {
  const OciEntryPoints& oci = session_->Entries();
  int arrayCount = -1;
  for (const auto& holder : variables_) {
    TVariableData& v = *holder;
    if (v.kind == kVariableSubstitution) continue;
    if (v.Complex()) {
      const char* what = v.kind == 108   ? "Object variable "
                         : v.kind == 110 ? "Reference variable "
                         : v.kind == 116 ? "Cursor variable "
                                         : "LOB variable ";
      throw std::runtime_error(what + v.name + " cannot be nil");
    }
    if (v.array) {
      if (arrayCount >= 0 && arrayCount != v.Count())
        throw std::runtime_error("All arrays must be of equal size for Array DML");
      arrayCount = v.Count();
    }
    if (OCI8() && v.boundParse == parseCount_ && v.boundBuffer == v.buffer.data()) continue;
    sb4 size = static_cast<sb4>(v.elementSize);
    ub2 type = static_cast<ub2>(v.kind);
    switch (v.kind) {
      case kVariableString:
      case kVariableChar:
        if (!v.array) size = std::min(size, session_->MaxStringBindSize() + 1);
        type = v.kind == kVariableChar ? SQLT_AVC : SQLT_STR;
        break;
      case kVariableLongString:
        type = SQLT_STR;
        break;
      case kVariableLong:
      case kVariableLongRaw:
        size = static_cast<sb4>(v.elementSize - 1);  // the value's own length
        break;
      default:
        break;
    }
    if (!OCI8()) {
      BindOCI7(v, size, type);
      continue;
    }
    OCIBind* bind = nullptr;
    const sword status =
        oci.OCIBindByName(stmt_, &bind, err_, reinterpret_cast<const OraText*>(v.name.data()),
                          static_cast<sb4>(v.name.size()), v.buffer.data(), size, type,
                          v.indicators.data(), nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
    if (ErrorCodeOf(status) != 0) session_->RaiseOracleError(err_);
    v.boundParse = parseCount_;
    v.boundBuffer = v.buffer.data();
  }
  arraySize_ = arrayCount < 0 ? 1 : arrayCount;
}

// ---- Variables ----------------------------------------------------------------------------------

int TOracleQuery::VariableIndex(const std::string& name) const {
  const std::string key = VariableKey(name);
  for (size_t i = 0; i < variables_.size(); ++i)
    if (variables_[i]->name == key) return static_cast<int>(i);
  return -1;
}

TVariableData& TOracleQuery::Variable(const std::string& name) {
  const int index = VariableIndex(name);
  if (index < 0) throw std::runtime_error("Variable " + name + " not declared");
  return *variables_[static_cast<size_t>(index)];
}

void TOracleQuery::DeclareVariable(const std::string& name, int kind) {
  if (name.empty() || name == ":")
    throw std::runtime_error("You cannot declare a variable with an empty name");
  auto variable = std::make_unique<TVariableData>(VariableKey(name), kind);
  const int index = VariableIndex(name);
  if (index >= 0)
    variables_[static_cast<size_t>(index)] = std::move(variable);
  else
    variables_.push_back(std::move(variable));
  prepared_.clear();
  CloseForODBC();
}

void TOracleQuery::DeleteVariable(const std::string& name) {
  const int index = VariableIndex(name);
  if (index < 0) throw std::runtime_error("Variable " + name + " not declared");
  variables_.erase(variables_.begin() + index);
  prepared_.clear();
  CloseForODBC();
}

void TOracleQuery::SetVariable(const std::string& name, const TVariableValue& value) {
  TVariableData& v = Variable(name);
  const bool convertCRLF = session_ != nullptr && session_->Preferences().ConvertCRLF();
  const bool zeroDateIsNull = session_ == nullptr || session_->Preferences().ZeroDateIsNull();
  v.array = false;
  v.Assign({value}, convertCRLF, zeroDateIsNull);
}

void TOracleQuery::SetVariableArray(const std::string& name,
                                    const std::vector<TVariableValue>& values) {
  TVariableData& v = Variable(name);
  if (v.Complex()) throw std::runtime_error(name + " is a complex variable and cannot be an array");
  if (v.kind == kVariableSubstitution)
    throw std::runtime_error(name + " is a substitution variable and cannot be an array");
  const bool convertCRLF = session_ != nullptr && session_->Preferences().ConvertCRLF();
  const bool zeroDateIsNull = session_ == nullptr || session_->Preferences().ZeroDateIsNull();
  v.array = true;
  v.Assign(values, convertCRLF, zeroDateIsNull);
}

TVariableValue TOracleQuery::GetVariable(const std::string& name) const {
  const int index = VariableIndex(name);
  if (index < 0) throw std::runtime_error("Unknown variable: " + name);
  return variables_[static_cast<size_t>(index)]->Element(0);
}

const std::string& TOracleQuery::VariableName(int index) const {
  if (index < 0 || index >= VariableCount())
    throw std::runtime_error("Variable " + std::to_string(index) + " does not exist");
  return variables_[static_cast<size_t>(index)]->name;
}

int TOracleQuery::VariableType(int index) const {
  VariableName(index);
  return variables_[static_cast<size_t>(index)]->kind;
}

void TOracleQuery::ExecuteSelect() {
  const OciEntryPoints& oci = session_->Entries();
  if (!OCI8()) {
    ExecuteSelectOCI7();
  } else if (!described_) {
    const int code = ErrorCodeOf(oci.OCIStmtExecute(session_->ServiceContext(), stmt_, err_, 0, 0,
                                                    nullptr, nullptr, OCI_DEFAULT));
    if (code != 0 && code != 1403) RaiseExecuteError();
    DescribeColumns();
    DefineColumns();
    FetchBatch(rowsPerFetch_);
  } else {
    ClearLongPieces();
    ++fetchCalls_;
    const int code = ErrorCodeOf(oci.OCIStmtExecute(
        session_->ServiceContext(), stmt_, err_, rowsPerFetch_, 0, nullptr, nullptr, OCI_DEFAULT));
    if (code != 0 && code != 1403) RaiseExecuteError();
  }
  currentRow_ = 0;
  rowsInBuffer_ = static_cast<ub4>(RowsProcessed());
  eof_ = rowsInBuffer_ == 0;
  PrepareLOBColumns();
}

void TOracleQuery::DescribeColumns() {
  const OciEntryPoints& oci = session_->Entries();
  rowsPerFetch_ = static_cast<ub4>(readBuffer_);
  ReleaseColumns();
  ub4 count = 0;
  if (ErrorCodeOf(oci.OCIAttrGet(stmt_, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT,
                                 err_)) != 0) {
    ReleaseColumns();
    RaiseExecuteError();
  }
  for (ub4 position = 1; position <= count; ++position) {
    void* param = nullptr;
    if (ErrorCodeOf(oci.OCIParamGet(stmt_, OCI_HTYPE_STMT, err_, &param, position)) != 0) {
      ReleaseColumns();
      RaiseExecuteError();
    }
    auto column = std::make_unique<TFieldData>();
    ub2 size = 0, type = 0;
    // Clients write the precision in one or two bytes; the cell is zeroed for the short form.
    ub2 precision = 0;
    sb1 scale = 0;
    ub1 isNull = 0;
    OraText* name = nullptr;
    ub4 nameLength = 0;
    oci.OCIAttrGet(param, OCI_DTYPE_PARAM, &size, nullptr, OCI_ATTR_DATA_SIZE, err2_);
    oci.OCIAttrGet(param, OCI_DTYPE_PARAM, &type, nullptr, OCI_ATTR_DATA_TYPE, err2_);
    oci.OCIAttrGet(param, OCI_DTYPE_PARAM, &name, &nameLength, OCI_ATTR_NAME, err2_);
    oci.OCIAttrGet(param, OCI_DTYPE_PARAM, &precision, nullptr, OCI_ATTR_PRECISION, err2_);
    oci.OCIAttrGet(param, OCI_DTYPE_PARAM, &scale, nullptr, OCI_ATTR_SCALE, err2_);
    oci.OCIAttrGet(param, OCI_DTYPE_PARAM, &isNull, nullptr, OCI_ATTR_IS_NULL, err2_);
    column->declaredSize = size;
    column->internalType = type;
    if (name != nullptr)
      column->name.assign(reinterpret_cast<const char*>(name),
                          std::min<size_t>(nameLength, kMaxColumnName));
    column->precision = precision;
    column->scale = scale;
    column->nullable = isNull;

    ChooseFetchType(*column, 0);
    columns_.push_back(std::move(column));
  }
}

void TOracleQuery::RequireColumnFeature(const std::string& what) {
  try {
    RequireFeature(session_, what);
  } catch (...) {
    ReleaseColumns();
    prepared_.clear();
    throw;
  }
}

void TOracleQuery::ChooseFetchType(TFieldData& column, sb4 longBuffer) {
  switch (column.internalType) {
    case SQLT_NUM: {
      const TNumberColumnType number =
          session_->NumberColumnType(column.precision, column.scale, stringFieldsOnly_);
      column.fetchType = number.type;
      column.bufferSize = number.size;
      break;
    }
    case SQLT_LNG:
    case SQLT_LBI:
      column.fetchType = column.internalType;
      column.bufferSize = longBuffer;
      rowsPerFetch_ = 1;  // the value is read piecewise for the current row only
      break;
    case SQLT_RID:
    case SQLT_RDD:
      column.fetchType = SQLT_STR;
      column.bufferSize = std::max<sb4>(column.declaredSize + 1, 19);
      break;
    case SQLT_DAT:
      column.fetchType = stringFieldsOnly_ ? SQLT_STR : SQLT_DAT;
      column.bufferSize = stringFieldsOnly_ ? session_->DateFormatLength() + 1 : 7;
      break;
    case SQLT_BIN:
      column.fetchType = SQLT_STR;
      column.bufferSize = column.declaredSize * 2 + 1;
      break;
    case SQLT_OSL:
      column.fetchType = SQLT_STR;
      column.bufferSize = 255;
      break;
    case 108:
    case 110:
    case 116: {
      const int type = column.internalType;
      RequireColumnFeature(type == 108   ? "A query with objects"
                           : type == 110 ? "A query with references"
                                         : "A query with sub-queries");
      // Described, so that a dataset can pass over them, but never defined or fetched: their
      // values need the object layer, which nothing here uses.
      column.fetchType = static_cast<ub2>(type);
      column.bufferSize = 4;
      break;
    }
    case SQLT_CLOB:
    case SQLT_BLOB:
    case SQLT_BFILE:
      RequireColumnFeature("A query with LOB's");
      column.fetchType = column.internalType;
      column.bufferSize = sizeof(OCILobLocator*);  // one locator per row
      break;
    case 187:
    case 188:
    case 232:
      column.fetchType = SQLT_STR;
      column.bufferSize = session_->CharacterWidth() * 50;
      break;
    default:
      column.fetchType = SQLT_STR;
      column.bufferSize = column.declaredSize + 1;
      break;
  }
}

void TOracleQuery::DefineColumns() {
  const OciEntryPoints& oci = session_->Entries();
  for (size_t i = 0; i < columns_.size(); ++i) {
    TFieldData& column = *columns_[i];
    column.rows = rowsPerFetch_;
    // A LOB column's buffer is its array of locators.
    const bool buffered = column.bufferSize > 0 && !column.IsLOB();
    column.values.assign(buffered ? static_cast<size_t>(column.bufferSize) * column.rows : 0, 0);
    column.indicators.assign(column.rows, 0);
    column.lengths.assign(column.rows, 0);
    const ub4 position = static_cast<ub4>(i + 1);
    if (column.fetchType == 108 || column.fetchType == 110 || column.fetchType == 116) continue;
    if (!OCI8()) {
      DefineColumnOCI7(column, position);
      continue;
    }
    OCIDefine* define = nullptr;
    const ub2 defineType = column.internalType == SQLT_OSL ? SQLT_OSL : column.fetchType;
    sword status;
    if (column.IsLOB()) {
      AllocateLocators(column);
      status = oci.OCIDefineByPos(stmt_, &define, err_, position, column.locators.data(),
                                  column.bufferSize, defineType, column.indicators.data(),
                                  column.lengths.data(), nullptr, OCI_DEFAULT);
    } else if (column.bufferSize <= 0 && column.IsLong()) {
      status = oci.OCIDefineByPos(stmt_, &define, err_, position, nullptr, 2147483647, defineType,
                                  column.indicators.data(), nullptr, nullptr, OCI_DYNAMIC_FETCH);
      if (ErrorCodeOf(status) == 0)
        status = oci.OCIDefineDynamic(define, err_, &column, &LongPieceCallback);
    } else {
      status = oci.OCIDefineByPos(stmt_, &define, err_, position, column.values.data(),
                                  column.bufferSize, defineType, column.indicators.data(),
                                  column.lengths.data(), nullptr, OCI_DEFAULT);
    }
    if (ErrorCodeOf(status) != 0) session_->RaiseOracleError(err_);
  }
  described_ = true;
}

void TOracleQuery::AllocateLocators(TFieldData& column) {
  const OciEntryPoints& oci = session_->Entries();
  column.locators.assign(column.rows, nullptr);
  for (OCILobLocator*& locator : column.locators) {
    void* descriptor = nullptr;
    const sword status = oci.OCIDescriptorAlloc(session_->EnvHandle(), &descriptor,
                                                column.LocatorKind(), 0, nullptr);
    if (status != OCI_SUCCESS)
      throw std::runtime_error("The client could not allocate the statement's LOB locators");
    locator = static_cast<OCILobLocator*>(descriptor);
  }
  column.lob = std::make_unique<TLOBLocator>(*session_, err_, column.fetchType);
}

void TOracleQuery::PrepareLOBColumns() {
  if (eof_) return;
  for (const auto& column : columns_)
    if (column->lob != nullptr)
      column->lob->SetLocator(column->indicators[currentRow_] == -1
                                  ? nullptr
                                  : column->locators[currentRow_]);
}

sb4 TOracleQuery::LongPieceCallback(void* context, OCIDefine*, ub4 iteration, void** buffer,
                                    ub4** length, ub1*, void** indicator, ub2** returnCode) {
  auto& column = *static_cast<TFieldData*>(context);
  ub4 size = kFirstLongPiece;
  if (!column.longPieces.empty()) {
    size = column.longPieces.back()->bufferSize;
    if (size < kLargestLongPiece) size *= 2;
  }
  column.longPieces.push_back(std::make_unique<TLongPiece>(size));
  TLongPiece& piece = *column.longPieces.back();
  *buffer = piece.buffer.data();
  *length = &piece.length;
  *indicator = &column.indicators[std::min<size_t>(iteration, column.indicators.size() - 1)];
  *returnCode = nullptr;
  return OCI_CONTINUE;
}

void TOracleQuery::ClearLongPieces() {
  for (auto& column : columns_) column->longPieces.clear();
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

// ---- Field access -------------------------------------------------------------------------------

const TFieldData& TOracleQuery::Column(int index) const {
  if (index < 0 || index >= FieldCount())
    throw std::runtime_error("Field " + std::to_string(index) + " does not exist");
  return *columns_[static_cast<size_t>(index)];
}

const TFieldData& TOracleQuery::ValueColumn(int index) const {
  const TFieldData& column = Column(index);
  if (eof_) throw std::runtime_error("You cannot access field data beyond Eof");
  return column;
}

const std::string& TOracleQuery::FieldName(int index) const {
  return Column(index).name;
}

int TOracleQuery::FieldIndex(const std::string& name) const {
  // Names are code page 1251 whatever the process locale, so Cyrillic compares as Latin does.
  for (size_t i = 0; i < columns_.size(); ++i)
    if (Cp1251EqualNoCase(columns_[i]->name, name)) return static_cast<int>(i);
  return -1;
}

int TOracleQuery::FieldType(int index) const {
  return Column(index).fetchType;
}
int TOracleQuery::FieldInternalType(int index) const {
  return Column(index).internalType;
}
int TOracleQuery::FieldSize(int index) const {
  const TFieldData& column = Column(index);
  return column.fetchType == SQLT_STR ? column.bufferSize - 1 : 0;
}
int TOracleQuery::FieldPrecision(int index) const {
  return Column(index).precision;
}
int TOracleQuery::FieldScale(int index) const {
  return Column(index).scale;
}
bool TOracleQuery::FieldOptional(int index) const {
  return Column(index).nullable != 0;
}

bool TOracleQuery::FieldIsNull(int index) const {
  return ValueColumn(index).indicators[currentRow_] == -1;
}

TVariableValue TOracleQuery::Field(int index) const {
  const TFieldData& column = ValueColumn(index);
  if (column.indicators[currentRow_] == -1) return {};
  switch (column.fetchType) {
    case SQLT_INT:
      return FieldAsInteger(index);
    case SQLT_FLT:
    case SQLT_DAT:
      return FieldAsFloat(index);
    case SQLT_LNG:
    case SQLT_LBI:
      return LongValue(index);
    case SQLT_CLOB:
    case SQLT_BLOB:
    case SQLT_BFILE: {
      std::string content = column.lob->AsString();
      if (content.empty()) return {};
      return content;
    }
    default:
      if (IsTextType(column.fetchType)) return FieldAsString(index);
      return {};
  }
}

TVariableValue TOracleQuery::Field(const std::string& name) const {
  const int index = FieldIndex(name);
  if (index < 0) throw std::runtime_error("Field " + name + " does not exist");
  return Field(index);
}

std::string TOracleQuery::AdjustLineBreaks(std::string text) const {
  if (session_ == nullptr || !session_->Preferences().ConvertCRLF()) return text;
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      result += "\r\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      result += c;
    }
  }
  return result;
}

std::string TOracleQuery::FieldAsString(int index) const {
  const TFieldData& column = ValueColumn(index);
  if (column.indicators[currentRow_] == -1) return "";
  const char* value = column.Value(currentRow_);
  if (column.fetchType == SQLT_INT) {
    sb4 number;
    std::memcpy(&number, value, sizeof number);
    return std::to_string(number);
  }
  if (column.fetchType == SQLT_FLT)
    return FormatFloatGeneral(FieldAsFloat(index), CurrentRegionalFormats().decimalSeparator);
  if (IsTextType(column.fetchType))
    return AdjustLineBreaks(std::string(value, strnlen(value, column.bufferSize)));
  if (column.fetchType == SQLT_DAT) return FormatDateTimeValue(FieldAsDate(index));
  throw std::runtime_error("Cannot convert field " + column.name + " to a String");
}

int TOracleQuery::FieldAsInteger(int index) const {
  const TFieldData& column = ValueColumn(index);
  if (column.indicators[currentRow_] == -1) return 0;
  switch (column.fetchType) {
    case SQLT_INT: {
      sb4 number;
      std::memcpy(&number, column.Value(currentRow_), sizeof number);
      return number;
    }
    case SQLT_FLT:
    case SQLT_DAT:
      return static_cast<int>(std::trunc(FieldAsFloat(index)));
    case SQLT_STR:
      return StrToInt(FieldAsString(index));
    default:
      throw std::runtime_error("Cannot convert field " + column.name + " to an Integer");
  }
}

double TOracleQuery::FieldAsFloat(int index) const {
  const TFieldData& column = ValueColumn(index);
  if (column.indicators[currentRow_] == -1) return 0;
  const char* value = column.Value(currentRow_);
  switch (column.fetchType) {
    case SQLT_INT:
      return FieldAsInteger(index);
    case SQLT_FLT: {
      double number;
      std::memcpy(&number, value, sizeof number);
      return number;
    }
    case SQLT_DAT:
      return DecodeOracleDate(reinterpret_cast<const unsigned char*>(value));
    case SQLT_STR:
      return StrToFloat(FieldAsString(index), CurrentRegionalFormats().decimalSeparator);
    default:
      throw std::runtime_error("Cannot convert field " + column.name + " to a Float");
  }
}

TDateTime TOracleQuery::FieldAsDate(int index) const {
  const TFieldData& column = ValueColumn(index);
  if (column.indicators[currentRow_] == -1) return 0;
  switch (column.fetchType) {
    case SQLT_INT:
    case SQLT_FLT:
    case SQLT_DAT:
      return FieldAsFloat(index);
    case SQLT_STR: {
      // Text in the regional short date format, with or without the long time.
      const std::string text = FieldAsString(index);
      const RegionalFormats& formats = CurrentRegionalFormats();
      for (const std::string& format :
           {formats.shortDate + " " + formats.longTime, formats.shortDate}) {
        std::tm parts{};
        const char* end = strptime(text.c_str(), format.c_str(), &parts);
        if (end != nullptr && *end == '\0')
          return PartsToDateTime({parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                                  parts.tm_hour, parts.tm_min, parts.tm_sec});
      }
      throw std::runtime_error("'" + text + "' is not a valid date");
    }
    default:
      throw std::runtime_error("Cannot convert field " + column.name + " to a Date");
  }
}

const TLOBLocator& TOracleQuery::LOBField(int index) const {
  const TFieldData& column = ValueColumn(index);
  if (!column.IsLOB()) throw std::runtime_error("Field " + column.name + " is not a LOB");
  return *column.lob;
}

std::string TOracleQuery::LongValue(int index) const {
  const TFieldData& column = ValueColumn(index);
  if (!column.IsLong())
    throw std::runtime_error("Field " + std::to_string(index) + " is not a Long");
  if (column.indicators[currentRow_] == -1) return "";
  std::string value;
  if (OCI8()) {
    for (const auto& piece : column.longPieces)
      value.append(piece->buffer.data(), std::min(piece->length, piece->bufferSize));
  } else {
    // Reads grow like the pieces of the release 8 interface, until one comes back short.
    std::vector<char> part;
    for (int ask = static_cast<int>(kFirstLongPiece);;) {
      part.resize(static_cast<size_t>(ask));
      const int got = ReadLongPiece(index, part.data(), ask, static_cast<int>(value.size()));
      value.append(part.data(), static_cast<size_t>(got));
      if (got < ask) break;
      if (ask < static_cast<int>(kLargestLongPiece)) ask *= 2;
    }
  }
  return column.fetchType == SQLT_LNG ? AdjustLineBreaks(std::move(value)) : value;
}

int TOracleQuery::ReadLongPiece(int index, char* destination, int length, int offset) const {
  const TFieldData& column = Column(index);
  if (!column.IsLong())
    throw std::runtime_error("Field " + std::to_string(index) + " is not a Long");
  if (!OCI8()) return ReadLongPieceOCI7(column, index, destination, length, offset);
  int copied = 0;
  long start = 0;
  for (const auto& piece : column.longPieces) {
    const long pieceLength = std::min(piece->length, piece->bufferSize);
    const long from = std::max<long>(offset + copied - start, 0);
    if (from < pieceLength && copied < length) {
      const long count = std::min<long>(pieceLength - from, length - copied);
      std::memcpy(destination + copied, piece->buffer.data() + from, static_cast<size_t>(count));
      copied += static_cast<int>(count);
    }
    start += pieceLength;
  }
  return copied;
}

}  // namespace qm
