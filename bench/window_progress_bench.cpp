// What showing a run's progress on a window costs per record: a progress bar and a counter label
// on a shown window (run it with QT_QPA_PLATFORM=offscreen), updated and repainted for every
// record as the main window did, and through PacedProgressWindow as it does now. Prints the time
// per record of each; compare with the time per record of a whole import.

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <string>

#include "import/field_link_table.h"
#include "import/import_statements.h"
#include "import/paced_progress_window.h"

namespace {

// The progress part of the main window's face of the import run.
class ProgressFace : public qm::ImportRunWindow {
 public:
  ProgressFace() {
    window_.resize(420, 380);
    bar_ = new QProgressBar(&window_);
    bar_->setGeometry(10, 350, 311, 11);
    bar_->setTextVisible(false);
    label_ = new QLabel(QStringLiteral("0\\0"), &window_);
    label_->move(12, 364);
    window_.show();
  }
  const qm::FieldLinkTable& Links() override { return links_; }
  std::string TableName() override { return "T"; }
  std::string SourcePath() override { return {}; }
  bool DeleteOldData() override { return false; }
  bool SeekOldRecord() override { return false; }
  void SetProgressMax(int max) override { bar_->setMaximum(max); }
  void SetProgress(int position) override { bar_->setValue(position); }
  void SetCounterLabel(const std::string& text) override {
    label_->setText(QString::fromStdString(text));
    label_->adjustSize();
  }
  void ProcessEvents() override { QApplication::processEvents(); }
  void AppendErrorLog(const std::string&, const std::string&) override {}
  void ShowErrorLog() override {}
  qm::MessageButton ShowMessage(const qm::MessageBoxRequest&) override { return qm::kButtonOk; }
  void ShowBusy(const std::string&) override {}
  void RunBlocking(const std::function<void()>& call) override { call(); }
  void HideBusy() override {}
  void RunStarted() override {}
  void RunEnded() override {}

 private:
  qm::FieldLinkTable links_;
  QWidget window_;
  QProgressBar* bar_;
  QLabel* label_;
};

// Seconds per record for the run's progress calls over `records` records.
double PerRecord(qm::ImportRunWindow& window, int records) {
  const auto start = std::chrono::steady_clock::now();
  window.SetProgressMax(records);
  std::string counter;
  for (int i = 1; i <= records; ++i) {
    window.SetProgress(i);
    qm::CounterLabel(counter, i, records, 0, 0);
    window.SetCounterLabel(counter);
    window.ProcessEvents();
  }
  window.RunEnded();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
         records;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int records = argc > 1 ? std::stoi(argv[1]) : 200000;
  ProgressFace face;
  const double every = PerRecord(face, records);
  qm::PacedProgressWindow paced(face, std::chrono::milliseconds(200));
  const double pacedTime = PerRecord(paced, records);
  std::printf("progress shown for every record: %.3f us per record\n", every * 1e6);
  std::printf("progress paced (200 ms):        %.3f us per record\n", pacedTime * 1e6);
  return 0;
}
