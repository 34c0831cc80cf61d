#pragma once
// The import run behind "Process data": validation, the optional deletion of old rows, then, for
// every source record, the optional existence check and the literal insert, with progress, an
// error log entry per failed insert and a summary box. It reads the window it is started from
// through ImportRunWindow and reaches the database through ImportDatabase, so it runs the same
// behind the main window, behind a command line, and in tests.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/dialogs.h"

namespace qm {

class FieldLinkTable;
class SourceTable;

// What the run reads from and shows on the window that started it. Texts are code page 1251.
class ImportRunWindow {
 public:
  virtual ~ImportRunWindow() = default;
  // The field-link table; read anew for every record, so edits take effect from the next one.
  virtual const FieldLinkTable& Links() = 0;
  virtual std::string TableName() = 0;   // read every time a statement is built
  virtual std::string SourcePath() = 0;  // read once, at the start
  virtual bool DeleteOldData() = 0;      // read once, at the start
  virtual bool SeekOldRecord() = 0;      // read once per record
  virtual void SetProgressMax(int max) = 0;
  virtual void SetProgress(int position) = 0;
  virtual void SetCounterLabel(const std::string& text) = 0;
  // Lets the window handle what is pending: repaints, edits, clicks.
  virtual void ProcessEvents() = 0;
  // One entry of the error log (import_statements.h: ErrorLogEntry), with the reason it failed:
  // the message of the database's error; empty when the entry says it itself.
  virtual void AppendErrorLog(const std::string& entry, const std::string& reason) = 0;
  virtual void ShowErrorLog() = 0;
  virtual MessageButton ShowMessage(const MessageBoxRequest& request) = 0;
  // The busy window around a long call: shown, the call run while it is up, hidden.
  virtual void ShowBusy(const std::string& message) = 0;
  virtual void RunBlocking(const std::function<void()>& call) = 0;
  virtual void HideBusy() = 0;
  // Told when a run starts and when it ends, however it ends.
  virtual void RunStarted() = 0;
  virtual void RunEnded() = 0;
};

// A statement object on the session: its SQL replaced by one line and executed.
class ImportStatement {
 public:
  virtual ~ImportStatement() = default;
  // Throws the database's error (an EOracleError, or the statement layer's own errors).
  virtual void Execute(const std::string& sql) = 0;
  // The whole text of the statement's SQL, each line followed by CR LF.
  virtual std::string SqlText() const = 0;
};

class ImportDatabase {
 public:
  virtual ~ImportDatabase() = default;
  virtual std::unique_ptr<ImportStatement> NewStatement() = 0;
  // The number of rows `query` gives, through the existence dataset. Throws its errors.
  virtual std::int32_t CountRows(const std::string& query) = 0;
  // Whether `error`, thrown by one of its statements, says that the session's open work (every
  // insert since its last commit) is gone: the transaction rolled back, the connection lost.
  virtual bool LostOpenWork(const std::exception& error) const {
    static_cast<void>(error);
    return false;
  }
  // Whether `error`, thrown by an existence query, is about the record's own values (a literal
  // too long, text that is no number or no date of the column's type), so that only this record
  // fails; any other error of the query ends the run.
  virtual bool RecordFault(const std::exception& error) const {
    static_cast<void>(error);
    return false;
  }
};

struct ImportRunResult {
  bool started = false;  // false when the validation stopped it
  std::int32_t total = 0;
  std::int32_t inserted = 0;
  bool errors = false;
};

// Runs one import. Throws std::runtime_error "not connect to <path>", CR LF and the source
// table's message when the source cannot be opened, and lets any other error of a pass end the
// run (the window's run-ended notice, the statement and the source table's close happen all the
// same).
//
// A record with a value the source cannot read (EFieldValueError) gets no statement: it is logged
// as "/<pass>/not read: <path>: record <n>, field <name>: <fault>" and CR LF, counts as failed,
// and the run goes on.
//
// After the summary box, a box captioned "source file" with the warning icon says what the
// source's values could not show, one line each: a file shorter than its header says ("<path> is
// shorter than its header says: the header gives 5 records, the file holds 3; only those were
// read."), and characters that became '?' ("characters with no equivalent in code page 1251
// became "?": 3, the first in record 2, field NAME.").
//
// An existence query that fails for the record's own values (ImportDatabase::RecordFault) fails
// that record alone: its entry is the query's text, with the server's message as its reason.
//
// The run commits nothing itself. When an insert fails in a way that lost the session's open
// work, the records inserted before it are lost too: each is logged as failed, with its
// statement, before the failing one, and none of them counts as inserted.
ImportRunResult RunImport(ImportRunWindow& window, ImportDatabase& database, SourceTable& dbf);

}  // namespace qm
