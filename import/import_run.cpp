#include "import/import_run.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <vector>

#include "import/field_link_table.h"
#include "import/import_statements.h"
#include "import/record_statements.h"
#include "import/source_record.h"
#include "source/engine_error.h"
#include "source/source_path.h"
#include "source/source_table.h"

namespace qm {
namespace {

// Ends the run however it ends: the window is told, the source table is closed. While the run
// lasts the table writes its values for transfer, so that the regional settings (a decimal comma,
// a month-first date) never change what is stored.
class RunScope {
 public:
  RunScope(ImportRunWindow& window, SourceTable& dbf) : window_(window), dbf_(dbf) {
    window_.RunStarted();
    dbf_.SetValueTexts(SourceTable::ValueTexts::kTransfer);
  }
  ~RunScope() {
    dbf_.Close();
    dbf_.SetValueTexts(SourceTable::ValueTexts::kRegional);
    window_.RunEnded();
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  ImportRunWindow& window_;
  SourceTable& dbf_;
};

void DeleteOldData(ImportRunWindow& window, ImportDatabase& database) {
  const std::string table = window.TableName();
  window.ShowBusy(DeletionMessage(table));
  auto statement = database.NewStatement();
  bool failed = false;
  window.RunBlocking([&] {
    try {
      statement->Execute(DeletionStatement(table));
    } catch (const std::exception&) {
      // The second attempt names the table as a quoted identifier, for names that need it.
      try {
        statement->Execute("delete from \"" + table + "\"");
      } catch (const std::exception&) {
        failed = true;
      }
    }
  });
  if (failed) window.ShowMessage(DeletionFailureBox(statement->SqlText()));
  statement.reset();
  window.HideBusy();
}

// The error log entry of a record whose values could not be read: as a failed insert's entry,
// with the reason in place of the statement.
std::string UnreadRecordEntry(std::int32_t pass, const std::string& reason) {
  return "/" + std::to_string(pass) + "/not read: " + reason + "\r\n";
}

// What the source's values could not show, as one box after the summary; none when all is well.
std::optional<MessageBoxRequest> SourceWarningBox(const std::string& path,
                                                  const SourceReadReport& report) {
  std::vector<std::string> lines;
  if (report.Short())
    lines.push_back(path + " is shorter than its header says: the header gives " +
                    std::to_string(report.headerRecords) + " records, the file holds " +
                    std::to_string(report.storedRecords) + "; only those were read.");
  if (report.lostCharacters > 0)
    lines.push_back("characters with no equivalent in code page 1251 became \"?\": " +
                    std::to_string(report.lostCharacters) + ", the first in record " +
                    std::to_string(report.firstLossRecord) + ", field " + report.firstLossField +
                    ".");
  if (lines.empty()) return std::nullopt;
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
  return MessageBoxRequest{text, "source file", MessageIcon::Warning, kButtonOk};
}

// Records inserted in the session's open transaction, which a failure may yet take away.
class PendingInserts {
 public:
  explicit PendingInserts(std::int32_t records)
      : inserted_(static_cast<std::size_t>(records) + 1) {}
  void Add(std::int32_t record) {
    inserted_[static_cast<std::size_t>(record)] = true;
    ++count_;
  }
  // Logs every pending record before `current` as failed, with the statement that inserted it
  // and `reason`, and forgets it; `current` stays the source's current record. Returns how many
  // there were.
  // Each is added to `rejected` too.
  std::int32_t LogAsLost(ImportRunWindow& window, SourceTable& dbf, const SourceRecord& record,
                         std::int32_t current, const std::string& reason,
                         std::vector<RejectedRecord>& rejected) {
    const std::int32_t lost = count_;
    for (std::int32_t k = from_; k < current && count_ > 0; ++k) {
      if (!inserted_[static_cast<std::size_t>(k)]) continue;
      dbf.SetRecNo(k);
      window.AppendErrorLog(
          ErrorLogEntry(k, InsertStatement(window.Links(), window.TableName(), record) + "\r\n"),
          reason);
      rejected.push_back(DescribeRejection(dbf.FilePosition(), reason, window.Links(), record));
      inserted_[static_cast<std::size_t>(k)] = false;
      --count_;
    }
    if (lost > 0) dbf.SetRecNo(current);
    return lost;
  }
  std::int32_t Count() const { return count_; }
  // The session committed every record up to `through`: none of them can be lost any more.
  void Committed(std::int32_t through) {
    from_ = through + 1;
    count_ = 0;
  }

 private:
  std::vector<bool> inserted_;  // by record number
  std::int32_t count_ = 0;
  std::int32_t from_ = 1;  // the first record not committed
};

}  // namespace

ImportRunResult RunImport(ImportRunWindow& window, ImportDatabase& database, SourceTable& dbf,
                          const ImportRunLimits& limits) {
  ImportRunResult result;
  const std::string validation = ValidationText(window.Links());
  if (!validation.empty()) {
    window.ShowMessage(ValidationBox(validation));
    return result;
  }
  result.started = true;
  RunScope scope(window, dbf);
  const std::string sourcePath = window.SourcePath();
  if (window.DeleteOldData()) DeleteOldData(window, database);

  try {
    const SourcePath split = SplitSourcePath(sourcePath);
    dbf.SetDatabaseName(split.folder);
    dbf.SetTableName(split.name);
    dbf.SetIncludeDeleted(limits.includeDeleted);
    dbf.Open();
  } catch (const std::exception& e) {
    // The source's own message on a line of its own: a missing file, a pipe and a damaged header
    // want different things of the user.
    throw std::runtime_error("not connect to " + sourcePath + "\r\n" + e.what());
  }

  auto statement = database.NewStatement();
  window.SetProgressMax(dbf.RecordCount());
  window.SetProgress(0);
  const std::int32_t third = 0, fourth = 0;  // counters nothing in the run changes yet
  result.total = dbf.RecordCount();
  const std::int32_t n = dbf.RecordCount();
  const std::int32_t first = std::min(std::max(limits.skip, 0), n);
  const std::int32_t last = limits.load < 0
                                ? n
                                : static_cast<std::int32_t>(std::min<std::int64_t>(
                                      n, static_cast<std::int64_t>(first) + limits.load));
  result.skipped = first;
  result.committedThrough = result.readThrough = first;
  dbf.First();
  if (first > 0 && first < n) dbf.SetRecNo(first + 1);
  const CurrentRecord record(dbf);
  RecordStatements statements(dbf);
  PendingInserts pending(n);
  auto reject = [&](std::int32_t i, const std::string& entry, const std::string& message) {
    window.AppendErrorLog(ErrorLogEntry(i, entry), message);
    result.errors = true;
    ++result.rejected;
    result.rejectedRecords.push_back(
        DescribeRejection(dbf.FilePosition(), message, window.Links(), record));
  };
  // Ends the run where the session lost its open work: the inserts since the last commit are
  // gone, and a continued run takes them again.
  auto workLost = [&](const std::exception& e) {
    result.lost += pending.Count();
    result.inserted -= pending.Count();
    result.stop = RunStop::kWorkLost;
    result.stopReason = e.what();
  };
  std::string counter;
  for (std::int32_t i = first + 1; i <= last; ++i) {
    if (limits.stop && limits.stop->load()) {
      result.stop = RunStop::kInterrupted;
      break;
    }
    window.SetProgress(i);
    CounterLabel(counter, i, result.total, third, fourth);
    window.SetCounterLabel(counter);
    window.ProcessEvents();
    try {
      bool exists = false, faulted = false;
      if (window.SeekOldRecord()) {
        const std::string& query = statements.ExistenceQuery(window.Links(), window.TableName());
        try {
          exists = database.CountRows(query) > 0;
        } catch (const std::exception& e) {
          if (limits.stopWhenWorkLost && database.LostOpenWork(e)) {
            workLost(e);
            break;
          }
          if (!database.RecordFault(e)) throw;
          reject(i, query + "\r\n", e.what());
          faulted = true;
        }
      }
      if (exists) ++result.present;
      if (!exists && !faulted) {
        const std::string& insert = statements.InsertStatement(window.Links(), window.TableName());
        try {
          statement->Execute(insert);
          ++result.inserted;
          pending.Add(i);
        } catch (const std::exception& e) {
          const std::string failed = statement->SqlText();
          if (limits.stopWhenWorkLost && database.LostOpenWork(e)) {
            workLost(e);
            break;
          }
          if (database.LostOpenWork(e)) {
            const std::int32_t lost =
                pending.LogAsLost(window, dbf, record, i, e.what(), result.rejectedRecords);
            result.inserted -= lost;
            result.rejected += lost;
          }
          reject(i, failed, e.what());
        }
      }
    } catch (const EFieldValueError& e) {
      // Only this record is lost: no statement could be built for it. The entry itself says why.
      window.AppendErrorLog(UnreadRecordEntry(i, e.Text()), {});
      result.errors = true;
      ++result.rejected;
      result.rejectedRecords.push_back(
          DescribeRejection(dbf.FilePosition(), e.Text(), window.Links(), record));
    }
    ++result.read;
    result.readThrough = i;
    if (limits.commitEvery > 0 && (i - first) % limits.commitEvery == 0) {
      try {
        database.Commit();
        pending.Committed(i);
        result.committedThrough = i;
        result.committedInserted = result.inserted;
      } catch (const std::exception& e) {
        workLost(e);
        break;
      }
    }
    if (limits.errorLimit >= 0 && result.rejected > limits.errorLimit && i < last) {
      result.stop = RunStop::kErrorLimit;
      break;
    }
    dbf.Next();
  }
  result.notRead = result.stop == RunStop::kNone ? 0 : last - result.readThrough;
  statement.reset();
  const SourceReadReport report = dbf.ReadReport();
  if (!limits.includeDeleted)
    result.deletedSkipped = static_cast<std::int32_t>(report.deletedRecords);
  dbf.Close();
  window.ShowErrorLog();
  window.ShowMessage(ImportSummary(result.errors, result.inserted, result.total));
  if (const auto warning = SourceWarningBox(sourcePath, report)) window.ShowMessage(*warning);
  return result;
}

}  // namespace qm
