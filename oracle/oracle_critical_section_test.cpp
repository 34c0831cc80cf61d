#include "oracle/oracle_critical_section.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace qm {
namespace {

TEST(OracleCriticalSectionTest, RecursiveCountedAndLeaveOnlyByTheHolder) {
  TOracleCriticalSection section;
  section.Leave();  // nothing held: ignored
  EXPECT_EQ(section.Count(), 0);

  section.Enter();
  section.Enter();
  EXPECT_EQ(section.Count(), 2);

  std::atomic<bool> entered{false};
  std::thread other([&] {
    section.Leave();  // not the holder: ignored
    section.Enter();
    entered = true;
    section.Leave();
  });
  section.Leave();
  EXPECT_EQ(section.Count(), 1);
  EXPECT_FALSE(entered);
  section.Leave();
  other.join();
  EXPECT_TRUE(entered);
  EXPECT_EQ(section.Count(), 0);
}

}  // namespace
}  // namespace qm
