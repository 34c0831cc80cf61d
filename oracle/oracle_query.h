#pragma once
// TOracleQuery: one SQL statement run through a TOracleSession, and for a select the rows it
// returns.
//
// The text sent is SQL's lines joined with CR LF, with every CR then removed (a single blank for
// an empty text), after substitution variables are replaced; nothing else is changed and no bind
// variable is looked for: only declared variables are bound. With Optimize, an unchanged text of
// a reusable statement kind is not parsed again. A new text is prepared on the statement handle
// already there when nothing was bound to it; a select that differs from the one before only in
// the literals it compares with (select_shape.h) keeps its described columns and buffers, which
// are defined again, unless the server then gives another number of columns. A select is
// described, its columns get fetch buffers for ReadBuffer rows, and Execute leaves the first row
// current; Next walks on, fetching a new batch when the buffered rows are used up.
//
// On a session that uses the release 7 interface the statement works on a 64-byte cursor data
// area opened on the session's logon data area: deferred parse in Oracle7 language mode, binds by
// name (obndra), execute (oexn), describe (odescr), define (odefin), execute-and-fetch (oexfet),
// fetch (ofen), and LONG values read from the server in parts (oflng).
//
// Failures: "Session undefined" and "Not logged on" (std::runtime_error) before anything is sent;
// a server error as EOracleError through the session, after ErrorLine/ErrorPosition are set from
// the parse error offset and the parsed text is forgotten, so the next Execute parses again.
// Accessor misuse raises std::runtime_error with the texts below. Every execution cycle that
// BeforeQuery starts ends with exactly one AfterQuery: after a statement without rows, after the
// Next that reaches the end, or just before any error of the execution is raised.

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "oracle/busy_cursor.h"
#include "oracle/e_oracle_error.h"
#include "oracle/field_data.h"
#include "oci/oci.h"
#include "oracle/oracle_date_time.h"
#include "oracle/session_attachment.h"
#include "oracle/sql_lines.h"
#include "oracle/variable_data.h"

namespace qm {

class SelectShape;
class TOracleSession;
class TOracleObject;
class TOracleReference;
class TTemporaryLOB;

// Function codes of statements, in the classic numbering.
inline constexpr int kFunctionInsert = 3;
inline constexpr int kFunctionSelect = 4;
inline constexpr int kFunctionUpdate = 5;
inline constexpr int kFunctionDelete = 9;
inline constexpr int kFunctionPLSQL = 34;

class TOracleQuery : public TSessionAttachment {
 public:
  using TOracleQueryEvent = std::function<void(TOracleQuery& sender)>;
  // A failing row of an array execution; clearing `continueExecution` stops the execution.
  using TArrayErrorEvent =
      std::function<void(TOracleQuery& sender, int index, int errorCode,
                         const std::string& errorMessage, bool& continueExecution)>;
  using TThreadErrorEvent =
      std::function<void(TOracleQuery& sender, int errorCode, const std::string& errorMessage)>;

  TOracleQuery();
  ~TOracleQuery() override;
  TOracleQuery(const TOracleQuery&) = delete;
  TOracleQuery& operator=(const TOracleQuery&) = delete;

  TSQLLines& SQL() { return sql_; }
  const TSQLLines& SQL() const { return sql_; }
  TOracleSession* Session() const { return session_; }
  // A different session: leaves the old one's statement list, closes, enters the new one's.
  void SetSession(TOracleSession* session);
  int ReadBuffer() const { return readBuffer_; }
  // Values below 1 store 1.
  void SetReadBuffer(int value) { readBuffer_ = value < 1 ? 1 : value; }
  bool Optimize() const { return optimize_; }
  void SetOptimize(bool value) { optimize_ = value; }
  // Shows the statement text in a message box before each execution.
  bool Debug() const { return debug_; }
  void SetDebug(bool value) { debug_ = value; }
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value) { cursor_ = value; }
  // Every column fetched as text; a change forces a new parse.
  bool StringFieldsOnly() const { return stringFieldsOnly_; }
  void SetStringFieldsOnly(bool value);

  // Execute on a background thread that executes and reads every row, reporting through the
  // OnThread events (on the main thread, through AppMainThreadCalls, when ThreadSynchronized).
  bool Threaded() const { return threaded_; }
  void SetThreaded(bool value) { threaded_ = value; }
  bool ThreadSynchronized() const { return threadSynchronized_; }
  void SetThreadSynchronized(bool value) { threadSynchronized_ = value; }
  bool ThreadRunning() const { return threadRunning_; }
  // Waits until a background execution has ended.
  void WaitForThread();

  TOracleQueryEvent OnThreadExecuted;
  TOracleQueryEvent OnThreadRecord;  // once per row, the row current
  TOracleQueryEvent OnThreadFinished;
  TThreadErrorEvent OnThreadError;

  TOracleQueryEvent BeforeQuery;
  TOracleQueryEvent AfterQuery;
  TArrayErrorEvent OnArrayError;

  // With Threaded, starts the background execution and returns; raises "Query thread is still in
  // progress" while one runs.
  void Execute();
  // Executes rows index .. index + count - 1 of the array variables and returns the rows
  // processed. A failing row goes to OnArrayError, which may continue with the rows after it;
  // without a handler the execution stops there (Execute raises instead).
  int ExecuteArray(int index, int count);
  // Parses (or reuses) and describes a select without fetching; Eof is true afterwards. Raises
  // "Query thread is still in progress" while a background execution runs.
  void Describe();
  // Releases the client handles (or closes the cursor data area and zeroes it) and forgets the
  // parsed statement. Everything is released either way; a failure of the release is raised
  // afterwards as EOracleError (the destructor keeps it to itself).
  void Close();
  // Clears SQL and the variables and forgets the parsed statement (and closes, on an ODBC-bridge
  // session).
  void Clear();

  // ---- Variables -------------------------------------------------------------------------------
  // Names are matched with a leading ":" added when missing, in upper case. Only declared
  // variables are bound, by name; the text is never searched for placeholders, except for the
  // substitution variables (kind 1), whose values replace their names before the text is sent.

  // Replaces a variable of the same name in its place; a new variable holds NULL. Raises "You
  // cannot declare a variable with an empty name" and "Unsupported variable type".
  void DeclareVariable(const std::string& name, int kind);
  // Raises "Variable <name> not declared".
  void DeleteVariable(const std::string& name);
  // Raises "Variable <name> not declared".
  void SetVariable(const std::string& name, const TVariableValue& value);
  // One value per row of an array execution.
  void SetVariableArray(const std::string& name, const std::vector<TVariableValue>& values);
  // Gives the CLOB or BLOB variable `name` the value of `lob`, which is bound as it is at each
  // execution and must live until then. Raises "Variable <name> not declared" and "<name> is
  // not a LOB variable" (for another kind or a LOB of the other type).
  void SetComplexVariable(const std::string& name, const TTemporaryLOB& lob);
  // Gives the cursor variable `name` the query `cursor`, whose statement handle is bound for the
  // server to open a result set on (`open :name for select ...` in a PL/SQL block). After each
  // execution `cursor` is an executed select of that result set: its columns described, the
  // first row current, Next and the field accessors as after its own Execute. `cursor` must live
  // until then; it moves to this query's session and forgets the statement it had. Raises
  // "Variable <name> not declared", "<name> is not a cursor variable" and, for this query itself,
  // "<name> cannot be opened on its own query"; the execution raises
  // "Cursor variable <name> requires ..." (RequireFeature) unless the session is an OCI8 one.
  void SetComplexVariable(const std::string& name, TOracleQuery& cursor);
  // Gives the object variable `name` the instance of `object`, or the reference variable `name`
  // the reference `reference`, bound with its type at each execution; the server may change it
  // there (an OUT or IN OUT variable of a block). It must live until then; one that its
  // session's logoff emptied counts as none ("... cannot be nil"). Raises "Variable
  // <name> not declared" and "<name> is not an object variable" / "<name> is not a reference
  // variable"; the execution raises "Object variable <name> requires ..." / "Reference variable
  // <name> requires ..." (RequireFeature) unless the session is an OCI8 one.
  void SetComplexVariable(const std::string& name, TOracleObject& object);
  void SetComplexVariable(const std::string& name, TOracleReference& reference);
  // A variable bound as a PL/SQL table of up to `tableSize` elements (at least 1), all NULL.
  // SetVariable on it raises "<name> is a PL/SQL Table, assign a variant array to it";
  // SetVariableArray raises "Array is larger than PL/SQL Table (<count> > <tableSize>)" for
  // more values than the table holds. Other raises as DeclareVariable.
  void DeclarePLSQLTable(const std::string& name, int kind, int tableSize);
  // The value (of the first row, for an array); raises "Unknown variable: <name>".
  TVariableValue GetVariable(const std::string& name) const;
  // Every element: of an array, or the elements a PL/SQL table holds (after an execution, as the
  // server left them); a scalar gives its one value. Raises "Unknown variable: <name>".
  std::vector<TVariableValue> GetVariableArray(const std::string& name) const;
  int VariableCount() const { return static_cast<int>(variables_.size()); }
  // Both raise "Variable <index> does not exist".
  const std::string& VariableName(int index) const;
  int VariableType(int index) const;
  // -1 when absent.
  int VariableIndex(const std::string& name) const;

  int FunctionCode() const { return functionCode_; }
  int ErrorLine() const { return errorLine_; }
  int ErrorPosition() const { return errorPosition_; }
  // A select: rows fetched so far; otherwise rows affected by the last execution; 0 when the
  // session is not connected.
  int RowsProcessed() const;
  // Server round trips that asked for rows since the statement was created: fetches, and
  // executions that fetch their first batch themselves.
  int FetchCalls() const { return fetchCalls_; }
  // Parses sent to the server since the statement was created.
  int ParseCount() const { return parseCount_; }

  // ---- Result set ------------------------------------------------------------------------------

  bool Eof() const { return eof_; }
  // The following row; nothing at Eof.
  void Next();

  int FieldCount() const { return static_cast<int>(columns_.size()); }
  // The index-based accessors raise "Field <index> does not exist" for a bad index, and the value
  // accessors "You cannot access field data beyond Eof" at Eof.
  const std::string& FieldName(int index) const;
  // Ignores the letter case of Latin and Cyrillic letters (code page 1251); -1 when absent.
  int FieldIndex(const std::string& name) const;
  int FieldType(int index) const;
  int FieldInternalType(int index) const;
  // Buffer size - 1 for text columns, else 0.
  int FieldSize(int index) const;
  int FieldPrecision(int index) const;
  int FieldScale(int index) const;
  bool FieldOptional(int index) const;
  bool FieldIsNull(int index) const;
  // The value by the column's fetch kind: NULL, an integer, a float or date-time, or a text (LONG,
  // LONG RAW and LOB values whole; an empty LOB is NULL). Raises "Field <name> does not exist" for an unknown name.
  TVariableValue Field(int index) const;
  TVariableValue Field(const std::string& name) const;
  // Each raises "Cannot convert field <name> to a String" (an Integer, a Float, a Date) for
  // column kinds without that conversion. NULL gives "" or 0. Text converts as a decimal number or
  // as a date in the regional short date format (with or without the long time); a text that
  // does not convert raises "'<text>' is not a valid integer value" (floating point value, date).
  std::string FieldAsString(int index) const;
  int FieldAsInteger(int index) const;
  double FieldAsFloat(int index) const;
  TDateTime FieldAsDate(int index) const;
  // The whole value of a LONG (line breaks adjusted) or LONG RAW column of the current row;
  // raises "Field <index> is not a Long" for other columns.
  std::string LongValue(int index) const;
  // Copies up to `length` bytes of the current row's LONG or LONG RAW value from `offset` on;
  // returns the bytes copied.
  int ReadLongPiece(int index, char* destination, int length, int offset) const;
  // The large object of a CLOB, BLOB or BFILE column in the current row, valid until the row
  // changes; raises "Field <name> is not a LOB" for other columns.
  const TLOBLocator& LOBField(int index) const;

  void SessionLoggingOff() override { Close(); }
  void SessionDestroyed() override;

 private:
  void CheckSession() const;
  int Run(int index, int count, bool wholeArray);
  void ThreadMain();
  void Notify(const std::function<void()>& call);
  std::string PreparedTextOf() const;
  std::string DebugText() const;
  void BindVariables();
  TVariableData& Variable(const std::string& name);
  int ExecuteRows(int index, int count, bool wholeArray);
  void ExecuteOnce(ub4 iterations, ub4 rowOffset);
  bool OCI8() const;
  void OpenHandles();
  void FreeHandles();
  void Parse(std::string text);
  // The shape of prepared_, read once for the texts held against it.
  const SelectShape& PreparedShape();
  // A fresh statement handle, prefetch off, in place of the one there.
  void AllocateStatement();
  // As a cursor variable of another query in `session`: the handle that query binds.
  OCIStmt** CursorHandle(TOracleSession* session);
  // Binds an object, reference, LOB or cursor variable that has its object.
  void BindComplex(TVariableData& v);
  // The result set the server opened on the handle: described, defined, first batch fetched.
  void OpenResultSet();
  // After a statement without rows, the result sets of its cursor variables.
  void OpenBoundCursors();
  // The rows of the first fetch taken as the buffer, the first current.
  void TakeFirstBatch();
  void ExecuteSelect();
  void DescribeColumns();
  // The fetch type and buffer size of a described column; LONG and LONG RAW get `longBuffer`.
  void ChooseFetchType(TFieldData& column, sb4 longBuffer);
  // A column kind only the release 8 interface fetches; the statement is forgotten on refusal.
  void RequireColumnFeature(const std::string& what);
  void DefineColumns();
  // The described columns, or those kept from the select before (keepColumns_), defined.
  void DescribeAndDefine();
  void AllocateLocators(TFieldData& column);
  // Points each LOB column's TLOBLocator at the current row's locator.
  void PrepareLOBColumns();
  // Frees the LOB locators while the client still has them, and forgets the columns.
  void ReleaseColumns();
  void FetchBatch(ub4 rows);
  // The release 7 counterparts (oracle_query_oci7.cpp).
  void OpenCursor();
  // Keeps a failure of the close in `releaseError` unless one is there already.
  void CloseCursor(std::optional<EOracleError>& releaseError);
  void ParseOCI7(const std::string& text);
  void BindOCI7(TVariableData& v, sb4 size, ub2 type);
  void ExecuteOCI7(ub4 iterations, ub4 rowOffset);
  void ExecuteSelectOCI7();
  void DescribeColumnsOCI7();
  void DefineColumnOCI7(TFieldData& column, ub4 position);
  void FetchOCI7(ub4 rows);
  int ReadLongPieceOCI7(const TFieldData& column, int index, char* destination, int length,
                        int offset) const;
  // Closes on an ODBC-bridge session, which keeps no cursor across a change of statement.
  void CloseForODBC();
  void ClearLongPieces();
  // Oracle error number behind a client call's status; 0 for success and success with info.
  int ErrorCodeOf(sword status) const;
  // Sets ErrorLine/ErrorPosition, forgets the parsed text, raises through the session.
  [[noreturn]] void RaiseExecuteError();
  void CallPendingAfterQuery();
  const TFieldData& Column(int index) const;
  const TFieldData& ValueColumn(int index) const;  // also checks Eof and the current row
  std::string AdjustLineBreaks(std::string text) const;
  static sb4 LongPieceCallback(void* context, OCIDefine* define, ub4 iteration, void** buffer,
                               ub4** length, ub1* piece, void** indicator, ub2** returnCode);

  TSQLLines sql_;
  TOracleSession* session_ = nullptr;
  int readBuffer_ = 25;
  bool optimize_ = true;
  bool debug_ = false;
  TCursor cursor_ = crDefault;
  bool stringFieldsOnly_ = false;

  bool handlesOpen_ = false;
  OCIError* err_ = nullptr;
  OCIError* err2_ = nullptr;  // attribute reads, so err_ keeps the error being raised
  void* rowid_ = nullptr;
  OCIStmt* stmt_ = nullptr;
  bool stmtBound_ = false;    // a variable was bound on stmt_
  bool keepColumns_ = false;  // the next describe keeps the columns of the select before
  // The cursor data area stays at this address while open: the client keeps a reference to it.
  mutable Cda_Def cda_{};
  bool cursorOpen_ = false;
  std::string prepared_;
  // Read from prepared_ when a new text is first held against it; still true of prepared_ after
  // a text of the same shape replaced it.
  std::unique_ptr<SelectShape> shape_;
  bool shapeRead_ = false;
  int functionCode_ = 0;
  bool described_ = false;
  int errorLine_ = 0;
  int errorPosition_ = 0;
  ub4 rowsPerFetch_ = 25;
  ub4 currentRow_ = 0;
  ub4 rowsInBuffer_ = 0;
  bool eof_ = true;
  bool afterQueryPending_ = false;
  std::vector<std::unique_ptr<TFieldData>> columns_;
  std::vector<std::unique_ptr<TVariableData>> variables_;
  int arraySize_ = 0;  // of the last bind; 0 or 1 without array variables
  bool threaded_ = false;
  bool threadSynchronized_ = true;
  std::thread thread_;
  std::atomic<bool> threadRunning_{false};
  std::atomic<bool> stopThread_{false};
  int fetchCalls_ = 0;
  int parseCount_ = 0;
};

}  // namespace qm
