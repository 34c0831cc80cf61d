#include "import/paced_progress_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "import/field_link_table.h"

namespace qm {
namespace {

using namespace std::chrono_literals;

// Writes down what reaches it, in order.
struct RecordingWindow : ImportRunWindow {
  FieldLinkTable links;
  std::vector<std::string> calls;

  const FieldLinkTable& Links() override { return links; }
  std::string TableName() override { return "T"; }
  std::string SourcePath() override { return "s.dbf"; }
  bool DeleteOldData() override { return false; }
  bool SeekOldRecord() override { return false; }
  void SetProgressMax(int max) override { calls.push_back("max " + std::to_string(max)); }
  void SetProgress(int position) override { calls.push_back("at " + std::to_string(position)); }
  void SetCounterLabel(const std::string& text) override { calls.push_back("label " + text); }
  void ProcessEvents() override { calls.push_back("events"); }
  void AppendErrorLog(const std::string& entry, const std::string&) override {
    calls.push_back("log " + entry);
  }
  void ShowErrorLog() override { calls.push_back("log shown"); }
  MessageButton ShowMessage(const MessageBoxRequest& r) override {
    calls.push_back("box " + r.text);
    return kButtonOk;
  }
  void ShowBusy(const std::string& message) override { calls.push_back("busy " + message); }
  void RunBlocking(const std::function<void()>& call) override { call(); }
  void HideBusy() override { calls.push_back("busy hidden"); }
  void RunStarted() override { calls.push_back("started"); }
  void RunEnded() override { calls.push_back("ended"); }
};

struct FakeClock {
  std::chrono::steady_clock::time_point now{};
};

// The run's calls for records 1..n, each taking `perRecord`.
void Records(PacedProgressWindow& paced, FakeClock& clock, int n,
             std::chrono::milliseconds perRecord) {
  for (int i = 1; i <= n; ++i) {
    paced.SetProgress(i);
    paced.SetCounterLabel(std::to_string(i) + "/" + std::to_string(n));
    paced.ProcessEvents();
    clock.now += perRecord;
  }
}

TEST(PacedProgressWindow, PassesProgressOnOncePerIntervalAndTheLastBeforeTheRunEnds) {
  RecordingWindow window;
  FakeClock clock;
  PacedProgressWindow paced(window, 100ms, [&] { return clock.now; });
  paced.RunStarted();
  paced.SetProgressMax(1000);
  paced.SetProgress(0);
  Records(paced, clock, 1000, 1ms);
  paced.AppendErrorLog("/1000/x", "");
  paced.ShowErrorLog();
  paced.ShowMessage({"done", "move data", MessageIcon::Information, kButtonOk});
  paced.RunEnded();

  EXPECT_EQ(std::count(window.calls.begin(), window.calls.end(), "events"), 10);
  const std::vector<std::string> head(window.calls.begin(), window.calls.begin() + 8);
  EXPECT_EQ(head, (std::vector<std::string>{"started", "max 1000", "at 1", "label 1/1000",
                                            "events", "at 101", "label 101/1000", "events"}));
  const std::vector<std::string> tail(window.calls.end() - 7, window.calls.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"events", "log /1000/x", "at 1000",
                                            "label 1000/1000", "log shown", "box done",
                                            "ended"}));
}

TEST(PacedProgressWindow, ARecordThatTookLongerThanTheIntervalIsFollowedByAShowing) {
  RecordingWindow window;
  FakeClock clock;
  PacedProgressWindow paced(window, 100ms, [&] { return clock.now; });
  Records(paced, clock, 3, 250ms);
  paced.ShowBusy("wait");
  paced.RunEnded();
  EXPECT_EQ(window.calls,
            (std::vector<std::string>{"at 1", "label 1/3", "events", "at 2", "label 2/3",
                                      "events", "at 3", "label 3/3", "events", "busy wait",
                                      "ended"}));
}

}  // namespace
}  // namespace qm
