#include "app/check_data_command.h"

#include "app/target_facts.h"
#include "import/import_run.h"
#include "import/import_statements.h"
#include "source/source_path.h"
#include "source/source_table.h"

namespace qm {
namespace {

class RunNotice {
 public:
  explicit RunNotice(ImportRunWindow& window) : window_(window) { window_.RunStarted(); }
  ~RunNotice() { window_.RunEnded(); }
  RunNotice(const RunNotice&) = delete;
  RunNotice& operator=(const RunNotice&) = delete;

 private:
  ImportRunWindow& window_;
};

}  // namespace

std::string CheckLogEntry(const WouldBeReject& reject) {
  std::string entry = "/" + std::to_string(reject.record) + "/";
  if (reject.column.empty()) return entry + "not read: " + reject.message + "\r\n";
  const std::string line = RejectLine(reject);  // "record <n>, column ..."
  return entry + "check " + line.substr(line.find(", ") + 2) + "\r\n";
}

CheckSummary RunCheckData(ImportRunWindow& window, TOracleSession& session, SourceTable& dbf) {
  const std::string validation = ValidationText(window.Links());
  if (!validation.empty()) {
    window.ShowMessage(ValidationBox(validation));
    return {};
  }
  const RunNotice notice(window);
  const TargetFacts facts = ReadTargetFacts(session, window.TableName());
  const SourcePath split = SplitSourcePath(window.SourcePath());
  dbf.SetDatabaseName(split.folder);
  dbf.SetTableName(split.name);
  CheckObserver observer;
  observer.started = [&](std::int32_t n) {
    window.SetProgressMax(n);
    window.SetProgress(0);
  };
  observer.progress = [&](std::int32_t i) {
    window.SetProgress(i);
    window.ProcessEvents();
  };
  observer.reject = [&](const WouldBeReject& reject) {
    // A record that cannot be read says why in its entry, as the run's does.
    window.AppendErrorLog(CheckLogEntry(reject), reject.column.empty() ? "" : reject.message);
  };
  const CheckSummary summary = CheckAllRecords(dbf, window.Links(), facts, observer,
                                               window.SeekOldRecord());
  window.ShowErrorLog();
  window.ShowMessage({CheckSummaryText(summary, facts), "check data",
                      summary.rejected || !summary.stopper.empty() ? MessageIcon::Warning : MessageIcon::Information,
                      kButtonOk});
  return summary;
}

}  // namespace qm
