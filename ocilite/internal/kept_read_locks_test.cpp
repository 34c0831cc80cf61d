// A read lock kept past its query changes nothing another connection can see: each query reads
// what was committed before it started, the connection's own checkpoints do not wait on it, and
// once the connection is idle no other connection's checkpoint waits on it for long.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "ocilite/internal/sqlite_db.h"
#include "platform/testing/scratch_folder.h"

namespace qm::ocilite {
namespace {

class KeptReadLocks : public ::testing::Test {
 protected:
  void SetUp() override {
    SqliteDb setup(path_, true, 0);
    setup.Exec("PRAGMA journal_mode=WAL");
    setup.Exec("CREATE TABLE t (x INTEGER)");
  }

  static std::int64_t Count(SqliteDb& db) {
    SqliteStmt q = db.Prepare("SELECT count(*) FROM t");
    q.Step();
    return q.Int(0);
  }
  // The checkpoint's first column: 1 when it could not finish for another connection's lock.
  static std::int64_t Checkpoint(SqliteDb& db, const std::string& mode) {
    SqliteStmt q = db.Prepare("PRAGMA wal_checkpoint(" + mode + ")");
    q.Step();
    return q.Int(0);
  }

  qm::testing::ScratchFolder folder_;
  std::string path_ = folder_.PathOf("kept.db");
};

TEST_F(KeptReadLocks, EachQueryReadsWhatWasCommittedBeforeIt) {
  SqliteDb reader(path_, false, 0);
  SqliteDb writer(path_, false, 5000);
  for (int i = 1; i <= 120; ++i) {
    writer.Exec("INSERT INTO t VALUES (" + std::to_string(i) + ")");
    // Moves the readers' marks, and now and then starts the log over, which needs every reader
    // slot free.
    if (i % 10 == 0) {
      EXPECT_EQ(Checkpoint(writer, i % 40 == 0 ? "RESTART" : "PASSIVE"), 0);
    }
    ASSERT_EQ(Count(reader), i);
    ASSERT_EQ(Count(reader), i);
  }
}

TEST_F(KeptReadLocks, TheConnectionsOwnCheckpointDoesNotWaitOnIt) {
  SqliteDb db(path_, false, 0);
  db.Exec("INSERT INTO t VALUES (1)");
  ASSERT_EQ(Count(db), 1);
  EXPECT_EQ(Checkpoint(db, "TRUNCATE"), 0);
  EXPECT_EQ(std::filesystem::file_size(path_ + "-wal"), 0u);
}

TEST_F(KeptReadLocks, AnIdleConnectionHoldsBackNoOthersCheckpoint) {
  SqliteDb idle(path_, false, 0);
  SqliteDb other(path_, false, 5000);
  other.Exec("INSERT INTO t VALUES (1)");
  ASSERT_EQ(Count(idle), 1);
  // A lock the idle connection never gave up would have this wait out its five seconds.
  EXPECT_EQ(Checkpoint(other, "TRUNCATE"), 0);
  EXPECT_EQ(std::filesystem::file_size(path_ + "-wal"), 0u);
  EXPECT_EQ(Count(idle), 1);
}

}  // namespace
}  // namespace qm::ocilite
