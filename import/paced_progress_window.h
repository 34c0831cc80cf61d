#pragma once
// An ImportRunWindow in front of another that passes a run's progress on at a pace a screen can
// follow: the progress position and the counter label, and the event processing that shows them,
// reach the window at most once per interval. What came in between is kept, and the latest is
// passed on at the next due ProcessEvents and before anything that shows the end or a pause of a
// run (the error log, a box, the busy window, the run's end), so the final position and counter
// are always shown. Everything else is passed on at once.

#include <chrono>
#include <functional>
#include <string>

#include "import/import_run.h"

namespace qm {

class PacedProgressWindow : public ImportRunWindow {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // The first ProcessEvents is always due. `window` is not owned.
  PacedProgressWindow(ImportRunWindow& window, std::chrono::milliseconds interval,
                      Clock clock = &std::chrono::steady_clock::now);

  const FieldLinkTable& Links() override { return window_.Links(); }
  std::string TableName() override { return window_.TableName(); }
  std::string SourcePath() override { return window_.SourcePath(); }
  bool DeleteOldData() override { return window_.DeleteOldData(); }
  bool SeekOldRecord() override { return window_.SeekOldRecord(); }
  void SetProgressMax(int max) override;
  void SetProgress(int position) override;
  void SetCounterLabel(const std::string& text) override;
  void ProcessEvents() override;
  // Many records may fail in a row; the log takes them without holding up the pace.
  void AppendErrorLog(const std::string& entry, const std::string& reason) override {
    window_.AppendErrorLog(entry, reason);
  }
  void ShowErrorLog() override;
  MessageButton ShowMessage(const MessageBoxRequest& request) override;
  void ShowBusy(const std::string& message) override;
  void RunBlocking(const std::function<void()>& call) override { window_.RunBlocking(call); }
  void HideBusy() override { window_.HideBusy(); }
  void RunStarted() override { window_.RunStarted(); }
  void RunEnded() override;

 private:
  // Passes on the position and the label when they changed since they were last passed on.
  void Show();

  ImportRunWindow& window_;
  std::chrono::steady_clock::duration interval_;
  Clock clock_;
  bool shownOnce_ = false;
  std::chrono::steady_clock::time_point lastShown_{};
  int position_ = 0;
  bool positionPending_ = false;
  std::string label_;
  bool labelPending_ = false;
};

}  // namespace qm
