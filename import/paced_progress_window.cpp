#include "import/paced_progress_window.h"

namespace qm {

PacedProgressWindow::PacedProgressWindow(ImportRunWindow& window,
                                         std::chrono::milliseconds interval, Clock clock)
    : window_(window), interval_(interval), clock_(std::move(clock)) {}

void PacedProgressWindow::SetProgressMax(int max) {
  Show();
  window_.SetProgressMax(max);
}

void PacedProgressWindow::SetProgress(int position) {
  position_ = position;
  positionPending_ = true;
}

void PacedProgressWindow::SetCounterLabel(const std::string& text) {
  label_ = text;
  labelPending_ = true;
}

void PacedProgressWindow::ProcessEvents() {
  const auto now = clock_();
  if (shownOnce_ && now - lastShown_ < interval_) return;
  shownOnce_ = true;
  lastShown_ = now;
  Show();
  window_.ProcessEvents();
}

void PacedProgressWindow::Show() {
  if (positionPending_) window_.SetProgress(position_);
  if (labelPending_) window_.SetCounterLabel(label_);
  positionPending_ = labelPending_ = false;
}

void PacedProgressWindow::ShowErrorLog() {
  Show();
  window_.ShowErrorLog();
}

MessageButton PacedProgressWindow::ShowMessage(const MessageBoxRequest& request) {
  Show();
  return window_.ShowMessage(request);
}

void PacedProgressWindow::ShowBusy(const std::string& message) {
  Show();
  window_.ShowBusy(message);
}

void PacedProgressWindow::RunEnded() {
  Show();
  window_.RunEnded();
}

}  // namespace qm
