#include "import/import_run.h"

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

// Values of the open source table, written in the forms the client session reads.
class CurrentRecord : public SourceRecord {
 public:
  explicit CurrentRecord(const SourceTable& dbf) : dbf_(dbf) {}
  std::string FieldValue(const std::string& name) const override {
    return dbf_.FieldByName(name).AsString();
  }

 private:
  const SourceTable& dbf_;
};

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
  std::int32_t LogAsLost(ImportRunWindow& window, SourceTable& dbf, const SourceRecord& record,
                         std::int32_t current, const std::string& reason) {
    const std::int32_t lost = count_;
    for (std::int32_t k = 1; k < current && count_ > 0; ++k) {
      if (!inserted_[static_cast<std::size_t>(k)]) continue;
      dbf.SetRecNo(k);
      window.AppendErrorLog(
          ErrorLogEntry(k, InsertStatement(window.Links(), window.TableName(), record) + "\r\n"),
          reason);
      inserted_[static_cast<std::size_t>(k)] = false;
      --count_;
    }
    if (lost > 0) dbf.SetRecNo(current);
    return lost;
  }

 private:
  std::vector<bool> inserted_;  // by record number
  std::int32_t count_ = 0;
};

}  // namespace

ImportRunResult RunImport(ImportRunWindow& window, ImportDatabase& database, SourceTable& dbf) {
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
  dbf.First();
  const std::int32_t n = dbf.RecordCount();
  const CurrentRecord record(dbf);
  RecordStatements statements(dbf);
  PendingInserts pending(n);
  for (std::int32_t i = 1; i <= n; ++i) {
    window.SetProgress(i);
    window.SetCounterLabel(CounterLabel(i, result.total, third, fourth));
    window.ProcessEvents();
    try {
      bool exists = false;
      if (window.SeekOldRecord()) {
        const std::string& query = statements.ExistenceQuery(window.Links(), window.TableName());
        try {
          exists = database.CountRows(query) > 0;
        } catch (const std::exception& e) {
          if (!database.RecordFault(e)) throw;
          window.AppendErrorLog(ErrorLogEntry(i, query + "\r\n"), e.what());
          result.errors = true;
          dbf.Next();
          continue;
        }
      }
      if (!exists) {
        const std::string& insert = statements.InsertStatement(window.Links(), window.TableName());
        try {
          statement->Execute(insert);
          ++result.inserted;
          pending.Add(i);
        } catch (const std::exception& e) {
          const std::string failed = statement->SqlText();
          if (database.LostOpenWork(e))
            result.inserted -= pending.LogAsLost(window, dbf, record, i, e.what());
          window.AppendErrorLog(ErrorLogEntry(i, failed), e.what());
          result.errors = true;
        }
      }
    } catch (const EFieldValueError& e) {
      // Only this record is lost: no statement could be built for it. The entry itself says why.
      window.AppendErrorLog(UnreadRecordEntry(i, e.Text()), {});
      result.errors = true;
    }
    dbf.Next();
  }
  statement.reset();
  const SourceReadReport report = dbf.ReadReport();
  dbf.Close();
  window.ShowErrorLog();
  window.ShowMessage(ImportSummary(result.errors, result.inserted, result.total));
  if (const auto warning = SourceWarningBox(sourcePath, report)) window.ShowMessage(*warning);
  return result;
}

}  // namespace qm
