#include "ui/busy_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace qm {
namespace {

TEST(BusyWindow, AnimationStepSweepsAndSwapsColours) {
  const QColor highlight(0, 120, 215);
  GaugeState s;
  s.foreColor = highlight;
  for (int i = 0; i < 99; ++i) AnimationStep(s, highlight);
  EXPECT_EQ(s.position, 99);
  AnimationStep(s, highlight);
  EXPECT_EQ(s.position, 0);
  EXPECT_EQ(s.backColor, highlight);
  EXPECT_EQ(s.foreColor, QColor(Qt::white));
  for (int i = 0; i < 100; ++i) AnimationStep(s, highlight);
  EXPECT_EQ(s.backColor, QColor(Qt::white));
  EXPECT_EQ(s.foreColor, highlight);
  EXPECT_EQ(s.sweeps, 2);
}

TEST(BusyWindow, WithoutAnimationOnlyTheMessageShows) {
  ShowBusyWindow("Deleting old rows", false);
  ASSERT_NE(CurrentBusyWindow(), nullptr);
  EXPECT_EQ(CurrentBusyWindow()->Mess()->text(), "Deleting old rows");
  EXPECT_TRUE(CurrentBusyWindow()->isVisible());
  EXPECT_FALSE(CurrentBusyWindow()->Progress()->isVisible());
  EXPECT_FALSE(BusyAnimationRunning());
  EXPECT_EQ(CurrentBusyWindow()->size(), QSize(322, 47));
  HideBusyWindow();
  EXPECT_EQ(CurrentBusyWindow(), nullptr);
  HideBusyWindow();  // nothing shown: nothing happens
}

TEST(BusyWindow, GaugeKeepsMovingThroughATwelveSecondCall) {
  ShowBusyWindow("Deleting old rows", true);
  TMessageForm* form = CurrentBusyWindow();
  ASSERT_NE(form, nullptr);
  const QColor highlight = form->palette().color(QPalette::Highlight);

  struct Paints : QObject {
    std::atomic<int> count{0};
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++count;
      return false;
    }
  } paints;
  form->Progress()->installEventFilter(&paints);

  std::vector<GaugeState> seen;
  RunWhileBusy([&] {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(12);
    while (std::chrono::steady_clock::now() < end) {
      seen.push_back(form->Gauge());
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
  const GaugeState last = form->Gauge();
  EXPECT_EQ(last.sweeps, 2);
  EXPECT_GT(last.position, 0);
  EXPECT_LT(last.position, 100);
  for (const GaugeState& s : seen) {
    const bool swapped = s.sweeps % 2 == 1;
    EXPECT_EQ(s.backColor, swapped ? highlight : QColor(Qt::white));
    EXPECT_EQ(s.foreColor, swapped ? QColor(Qt::white) : highlight);
  }
  // The gauge was repainted while the caller was blocked, many times.
  EXPECT_GT(paints.count.load(), 100);

  HideBusyWindow();
  EXPECT_FALSE(BusyAnimationRunning());
  EXPECT_EQ(CurrentBusyWindow(), nullptr);
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_NE(w->objectName(), "MessageForm");
}

TEST(BusyWindow, AnErrorOfTheLongCallComesBackToTheCaller) {
  EXPECT_THROW(RunWhileBusy([] { throw std::runtime_error("ORA-00942"); }), std::runtime_error);
}

}  // namespace
}  // namespace qm
