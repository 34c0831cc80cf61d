#pragma once
// The import run's window for the command line: options given up front, progress on standard
// error (a bar with records per second and the time left on a terminal, a line every few seconds
// elsewhere), failed statements appended to a log file in code page 1251, each followed by the
// line of its reason, messages as text.

#include <chrono>
#include <cstdio>
#include <string>

#include "import/field_link_table.h"
#include "import/import_run.h"

namespace qm {

struct ConsoleImportOptions {
  std::string sourcePath;
  std::string tableName;
  std::string logPath = "Quillmove_err.log";
  bool deleteOld = false;
  bool seek = true;
};

class ConsoleImportWindow : public ImportRunWindow {
 public:
  // Messages go to `out` (the summary) and `err` (everything else); `interactive` chooses the
  // progress bar over occasional lines.
  ConsoleImportWindow(const ConsoleImportOptions& options, FieldLinkTable& links, std::FILE* out,
                      std::FILE* err, bool interactive);

  const FieldLinkTable& Links() override { return links_; }
  std::string TableName() override { return options_.tableName; }
  std::string SourcePath() override { return options_.sourcePath; }
  bool DeleteOldData() override { return options_.deleteOld; }
  bool SeekOldRecord() override { return options_.seek; }
  void SetProgressMax(int max) override;
  void SetProgress(int position) override;
  void SetCounterLabel(const std::string&) override {}
  void ProcessEvents() override {}
  // Appends the entry, then the reason on the line after it and an empty line, to the log file. A
  // log that cannot be written is reported once, and the run goes on.
  void AppendErrorLog(const std::string& entry, const std::string& reason) override;
  // Says how many entries were appended to the log, or, when some could not be written, how many
  // of them the log holds.
  void ShowErrorLog() override;
  // The summary ("move data") goes to standard output, every other box to standard error.
  MessageButton ShowMessage(const MessageBoxRequest& request) override;
  // Keeps the run's summary back, for a caller that prints its own once it knows what the end
  // of the session stored (PrintSummary).
  void HoldSummary() { holdSummary_ = true; }
  void PrintSummary(const MessageBoxRequest& summary) { Print(out_, summary.text); }
  void ShowBusy(const std::string& message) override;
  void RunBlocking(const std::function<void()>& call) override { call(); }
  void HideBusy() override {}
  void RunStarted() override;
  void RunEnded() override {}

  // Entries given to the log, and those of them written whole.
  int LoggedEntries() const { return logged_; }
  int WrittenEntries() const { return written_; }

 private:
  void Print(std::FILE* to, const std::string& cp1251);

  ConsoleImportOptions options_;
  FieldLinkTable& links_;
  std::FILE* out_;
  std::FILE* err_;
  bool interactive_;
  int max_ = 0;
  int logged_ = 0;
  int written_ = 0;
  bool logFailed_ = false;
  bool holdSummary_ = false;
  bool barOpen_ = false;  // the progress bar's line is not ended yet
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastReport_;
};

}  // namespace qm
