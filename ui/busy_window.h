#pragma once
// The busy window: a small borderless window in the middle of the screen with a one-line message
// and, optionally, a thin gauge that keeps moving while a long call runs. At most one exists.
//
// The gauge is moved by its own animation thread (TMyThread) every 50 ms; a full sweep takes 100
// steps, after which the bar starts again from empty with its two colours swapped. The gauge's
// state is shared between that thread and the painting under one lock. Only the user-interface
// thread may paint in Qt, so a long call is run with RunWhileBusy: on a worker thread, while the
// user-interface thread repaints but takes no user input.

#include <QColor>
#include <QWidget>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class QLabel;

namespace qm {

struct GaugeState {
  int minValue = 0;
  int maxValue = 100;
  int position = 0;
  QColor foreColor;
  QColor backColor = Qt::white;
  int sweeps = 0;  // full sweeps completed, for whoever watches
};

// One step: the position moves on by one; reaching the maximum starts again from 0 with the fore
// and back colours swapped between `highlight` and white.
void AnimationStep(GaugeState& state, const QColor& highlight);

class TGauge : public QWidget {
  Q_OBJECT

 public:
  TGauge(std::mutex& lock, const GaugeState& state, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::mutex& lock_;
  const GaugeState& state_;
};

class TMessageForm : public QWidget {
  Q_OBJECT

 public:
  TMessageForm();

  QLabel* Mess() const { return mess_; }
  TGauge* Progress() const { return progress_; }
  // A copy of the gauge's state, taken under the lock.
  GaugeState Gauge() const;

 private:
  friend class TMyThread;
  mutable std::mutex lock_;
  GaugeState gauge_;
  QLabel* mess_;
  TGauge* progress_;
};

class TMyThread {
 public:
  static constexpr int kStepMs = 50;

  explicit TMyThread(TMessageForm& form);
  // Sets the stop request and waits for the thread to end.
  ~TMyThread();
  TMyThread(const TMyThread&) = delete;
  TMyThread& operator=(const TMyThread&) = delete;

  bool Running() const { return running_; }

 private:
  void Execute();

  TMessageForm& form_;
  QColor highlight_;
  std::atomic<bool> stopRequest_{false};
  std::atomic<bool> running_{true};
  std::thread thread_;
};

// Opens the busy window with `message` (code page 1251), with the moving gauge when `animate`,
// and returns once it has been painted.
void ShowBusyWindow(const std::string& message, bool animate);
// Stops the animation, waiting for its thread, then closes and destroys the window. Does nothing
// when no busy window is shown.
void HideBusyWindow();
// The busy window shown now, or null; and whether its animation thread runs.
TMessageForm* CurrentBusyWindow();
bool BusyAnimationRunning();

// Runs `call` on a worker thread; meanwhile the user-interface thread repaints but takes no user
// input. Returns when the call has ended; an exception it throws is thrown again here.
void RunWhileBusy(const std::function<void()>& call);

}  // namespace qm
