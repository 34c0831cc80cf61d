#include "app/internal/load_summary.h"

#include <gtest/gtest.h>

#include "platform/testing/error_text.h"

namespace qm {
namespace {

// Where a continued load starts and what the exit status says, for each way a load ends: a
// session that ended keeps all it read unless it had lost its work; one whose closing commit
// failed keeps only what the run's own commits took.
TEST(LoadSummary, ContinuePointAndExitStatusByHowTheLoadEnded) {
  struct Case {
    const char* name;
    RunStop stop;
    bool sessionEnded;
    std::int32_t rejected;
    std::int32_t continueFrom;
    int status;
    const char* last;  // the account's last line
  };
  const Case cases[] = {
      {"all loaded", RunStop::kNone, true, 0, 90, kLoadSucceeded,
       "Total logical records not read:        0\n"},
      {"some rejected", RunStop::kNone, true, 2, 90, kLoadWarning,
       "Total logical records not read:        0\n"},
      {"error limit", RunStop::kErrorLimit, true, 2, 90, kLoadWarning,
       "Load discontinued (maximum error count 1 exceeded); continue with --skip 90.\n"},
      {"interrupted", RunStop::kInterrupted, true, 0, 90, kLoadWarning,
       "Load discontinued (interrupted); continue with --skip 90.\n"},
      {"work lost", RunStop::kWorkLost, false, 0, 60, kLoadWarning,
       "Load discontinued (the session lost its open work: ORA-03113: end-of-file on "
       "communication channel); continue with --skip 60.\n"},
      {"closing commit failed", RunStop::kNone, false, 0, 60, kLoadWarning,
       "Load discontinued (the session's closing commit failed); continue with --skip 60.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ImportRunResult run;
    run.stop = c.stop;
    run.rejected = c.rejected;
    run.readThrough = 90;
    run.committedThrough = 60;
    run.inserted = 80;
    run.committedInserted = 55;
    run.stopReason = "ORA-03113: end-of-file on communication channel\r\n";
    const LoadEnd end{run, c.sessionEnded};
    EXPECT_EQ(ContinueFrom(end), c.continueFrom);
    EXPECT_EQ(LoadExitStatus(end), c.status);
    const std::string text = LoadSummaryText("T", end, 1);
    EXPECT_EQ(text.substr(text.rfind('\n', text.size() - 2) + 1), c.last);
    // A failed closing commit takes back what was inserted after the run's last commit.
    EXPECT_NE(text.find(c.sessionEnded ? "  80 Rows successfully loaded.\n"
                                       : "  55 Rows successfully loaded.\n"),
              std::string::npos)
        << text;
  }
}

TEST(LoadSummary, CountsAreWholeNumbers) {
  EXPECT_EQ(ParseCount("--skip", "0"), 0);
  EXPECT_EQ(ParseCount("--skip", "2147483647"), 2147483647);
  for (const char* text : {"", "-1", "1x", " 1", "2147483648", "0x10"})
    EXPECT_EQ(testing::ErrorText([&] { ParseCount("--skip", text); }),
              std::string("--skip needs a whole number from 0, not '") + text + "'");
  EXPECT_EQ(testing::ErrorText([] { ParseCount("--commit-every", "0", 1); }),
            "--commit-every needs a whole number from 1, not '0'");
}

}  // namespace
}  // namespace qm
