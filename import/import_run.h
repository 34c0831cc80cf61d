#pragma once
// The import run behind "Process data": validation, the optional deletion of old rows, then, for
// every source record, the optional existence check and the literal insert, with progress, an
// error log entry per failed insert and a summary box. It reads the window it is started from
// through ImportRunWindow and reaches the database through ImportDatabase, so it runs the same
// behind the main window, behind a command line, and in tests.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "import/rejected_records.h"
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
  // Commits the session's open work. Called only by a run whose limits ask for commits
  // (ImportRunLimits::commitEvery); throws the database's error.
  virtual void Commit() {}
};

// How much of the source a run takes and when it stops, for the batch program; the defaults are
// the window's run: every record, no commit, no limit.
struct ImportRunLimits {
  std::int32_t skip = 0;   // records passed over before the first one read
  std::int32_t load = -1;  // records read at most; negative: all
  // Rejected records allowed: the run stops once one more is rejected; negative: no limit.
  std::int32_t errorLimit = -1;
  std::int32_t commitEvery = 0;  // commit after every so many records read; 0: never
  // Records carrying the deletion mark are read and imported too (SourceTable::IncludeDeleted).
  bool includeDeleted = false;
  // A lost session (ImportDatabase::LostOpenWork) stops the run instead of rejecting the records
  // of its open work, which a continued run can then take again.
  bool stopWhenWorkLost = false;
  // Set from elsewhere (a signal handler) to stop the run before its next record.
  const std::atomic<bool>* stop = nullptr;
};

enum class RunStop {
  kNone,         // every record up to the end (or the load limit) was read
  kErrorLimit,   // more records were rejected than the error limit allows
  kInterrupted,  // ImportRunLimits::stop was set
  kWorkLost,     // the session lost its open work (a commit failed, the connection went)
};

struct ImportRunResult {
  bool started = false;  // false when the validation stopped it
  std::int32_t total = 0;
  std::int32_t inserted = 0;  // and not lost again with the session's open work
  bool errors = false;
  // The records by outcome. Each record before `last` that was not skipped was read, and is
  // inserted, present, rejected or (when the session lost its work) lost; `notRead` are those
  // the run would have read had it not stopped.
  std::int32_t skipped = 0;  // passed over by ImportRunLimits::skip
  std::int32_t read = 0;
  std::int32_t present = 0;  // an equal row was found ("Seek old record")
  std::int32_t rejected = 0;
  std::int32_t lost = 0;            // inserted, then lost with the session's open work
  std::int32_t deletedSkipped = 0;  // carrying the deletion mark, so not read
  std::int32_t notRead = 0;
  RunStop stop = RunStop::kNone;
  std::string stopReason;  // the error that lost the session's work
  // Where the run got to, counted from the source's first record (deleted ones only when they
  // are read), skipped ones included: the last record read, and the last one the run's own
  // commits took (`skip` when none did). A run continued with `skip` set to the one whose work
  // the session kept takes every record once.
  std::int32_t readThrough = 0;
  std::int32_t committedThrough = 0;
  std::int32_t committedInserted = 0;  // of `inserted`, those the last commit of the run took
  // The records not inserted because of an error, in the order met.
  std::vector<RejectedRecord> rejectedRecords;
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
// The run commits nothing itself unless its limits say so. When an insert fails in a way that
// lost the session's open work, the records inserted since the last commit are lost too: each is
// logged as failed, with its statement, before the failing one, and none of them counts as
// inserted (or, with ImportRunLimits::stopWhenWorkLost, the run stops there instead).
//
// With limits, the run reads the records after the first `skip` (as far as `load` allows),
// commits after every `commitEvery` of them, and stops before the next record once more than
// `errorLimit` records are rejected or `stop` is set. Whatever stops it, the error log and the
// summary box follow as at the end.
ImportRunResult RunImport(ImportRunWindow& window, ImportDatabase& database, SourceTable& dbf,
                          const ImportRunLimits& limits = {});

}  // namespace qm
