// Storage failures under the names Oracle gives them, and what becomes of a session's open work
// when the storage gives up: nothing may look stored that is not.
#include "ocilite/internal/storage_errors.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "ocilite/testing/engine_fixture.h"
#include "ocilite/testing/oci_test_client.h"
#include "platform/testing/file_size_limit.h"

namespace qm::ocilite::testing {
namespace {

TEST(StorageErrors, EachFailureGivesTheErrorOracleGivesForItsDataFile) {
  const StorageSite table{"SCOTT", "T", "USERS", false, 2, "/data/ORCL.db", 81920};
  StorageSite sorting = table;
  sorting.owner = sorting.table = "";
  sorting.tablespace = "TEMP";
  sorting.query = true;
  StorageSite unknown = table;
  unknown.owner = unknown.table = "";
  const char* const kExtend =
      "ORA-01653: unable to extend table SCOTT.T by 128 in tablespace USERS";
  const char* const kWrite = "ORA-01114: IO error writing block to file /data/ORCL.db (block # 11)";
  const struct {
    const char* what;
    int code;
    int system_errno;
    const StorageSite& site;
    const char* message;
  } cases[] = {
      {"disk full", SQLITE_FULL, 0, table, kExtend},
      {"file size limit", SQLITE_IOERR_WRITE, EFBIG, table, kExtend},
      {"disk full on write", SQLITE_IOERR_WRITE, ENOSPC, table, kExtend},
      {"quota", SQLITE_IOERR_WRITE, EDQUOT, table, kExtend},
      {"sorting", SQLITE_FULL, 0, sorting,
       "ORA-01652: unable to extend temp segment by 128 in tablespace TEMP"},
      {"no table known", SQLITE_FULL, 0, unknown, kWrite},
      {"write", SQLITE_IOERR_WRITE, EIO, table, kWrite},
      {"flush", SQLITE_IOERR_FSYNC, EIO, table, kWrite},
      {"read", SQLITE_IOERR_READ, EIO, table,
       "ORA-01115: IO error reading block from file /data/ORCL.db (block # 11)"},
      {"read-only", SQLITE_READONLY_DBMOVED, 0, table,
       "ORA-00372: file 2 cannot be modified at this time\n"
       "ORA-01110: data file 2: '/data/ORCL.db'"},
      {"damaged", SQLITE_CORRUPT, 0, table,
       "ORA-01578: ORACLE data block corrupted (file # 2, block # 0)\n"
       "ORA-01110: data file 2: '/data/ORCL.db'"},
      {"not a database", SQLITE_NOTADB, 0, table,
       "ORA-01578: ORACLE data block corrupted (file # 2, block # 0)\n"
       "ORA-01110: data file 2: '/data/ORCL.db'"},
      {"cannot open", SQLITE_CANTOPEN, ENOENT, table,
       "ORA-01116: error in opening database file 2\nORA-01110: data file 2: '/data/ORCL.db'"},
  };
  for (const auto& k : cases) {
    EXPECT_TRUE(IsStorageFailure(k.code)) << k.what;
    const OraError e = StorageError(k.code, k.system_errno, k.site);
    EXPECT_STREQ(e.what(), k.message) << k.what;
    EXPECT_EQ(e.Code(), std::stoi(std::string(k.message).substr(4, 5))) << k.what;
  }
  for (const int code : {SQLITE_CONSTRAINT_UNIQUE, SQLITE_BUSY, SQLITE_ERROR, SQLITE_NOMEM})
    EXPECT_FALSE(IsStorageFailure(code)) << code;
}

// A session that writes rows of 1000 characters into T, with the files of the database held
// to a size limit while a test needs it.
class StorageFailure : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    db_ = std::make_unique<OciConnection>("system", "manager");
    ASSERT_EQ(db_->Exec("create table T (A varchar2(1000))"), "");
  }
  void TearDown() override {
    db_.reset();
    EngineTest::TearDown();
  }
  std::string Insert() { return db_->Exec("insert into T values (rpad('a', 1000, 'a'))"); }
  // Inserts up to `rows` rows; "" when all went in, else the first error.
  std::string Insert(int rows) {
    for (int i = 0; i < rows; ++i)
      if (std::string error = Insert(); !error.empty()) return error;
    return "";
  }
  std::string Commit() {
    return Library().TransCommit(db_->svc, db_->err, OCI_DEFAULT) == OCI_SUCCESS ? ""
                                                                                 : db_->LastError();
  }
  std::string Count() { return db_->Query("select count(*) from T").values[0][0]; }
  // The largest file of the database: a limit a little above it lets only so much be written.
  std::uintmax_t LargestFile() const {
    std::uintmax_t largest = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home_))
      largest = std::max(largest, entry.file_size());
    return largest;
  }

  std::unique_ptr<OciConnection> db_;
};

constexpr const char* kLost =
    "ORA-02091: transaction rolled back\n"
    "ORA-01653: unable to extend table SYSTEM.T by 128 in tablespace SYSTEM";
constexpr const char* kRollbackRequired = "ORA-02067: transaction or savepoint rollback required";

TEST_F(StorageFailure, AFullDiskFailsTheStatementAndTheLostTransactionUntilRollback) {
  ASSERT_EQ(Insert(10), "");
  ASSERT_EQ(Commit(), "");
  {
    qm::testing::FileSizeLimit limit(LargestFile() + 256 * 1024);
    // More than the page cache holds, so that the storage must take rows before the commit.
    EXPECT_EQ(Insert(20000), kLost);
    EXPECT_EQ(Insert(), kRollbackRequired);
    EXPECT_EQ(db_->ErrorOf("select count(*) from T"), kRollbackRequired);
    EXPECT_EQ(db_->Exec("create table U (A number)"), kRollbackRequired);
    EXPECT_EQ(Commit(), kLost);
  }
  // The commit said the transaction was rolled back; the session goes on from there.
  EXPECT_EQ(Count(), "10");
  ASSERT_EQ(Insert(), "");
  ASSERT_EQ(Commit(), "");
  EXPECT_EQ(Count(), "11");
}

TEST_F(StorageFailure, RollbackAcknowledgesTheLoss) {
  {
    qm::testing::FileSizeLimit limit(LargestFile() + 256 * 1024);
    EXPECT_EQ(Insert(20000), kLost);
  }
  EXPECT_EQ(Insert(), kRollbackRequired);
  ASSERT_EQ(Library().TransRollback(db_->svc, db_->err, OCI_DEFAULT), OCI_SUCCESS);
  ASSERT_EQ(Insert(), "");
  ASSERT_EQ(Commit(), "");
  EXPECT_EQ(Count(), "1");
}

TEST_F(StorageFailure, ACommitThatCannotBeWrittenSaysTheTransactionWasRolledBack) {
  ASSERT_EQ(Insert(300), "");  // well inside the page cache: nothing written before the commit
  {
    qm::testing::FileSizeLimit limit(LargestFile() + 16 * 1024);
    EXPECT_EQ(Commit(), kLost);
  }
  EXPECT_EQ(Count(), "0");
  ASSERT_EQ(Insert(), "");
  ASSERT_EQ(Commit(), "");
  EXPECT_EQ(Count(), "1");
}

TEST_F(StorageFailure, TheEndOfASessionWhoseWorkWasLostFailsAndEndsIt) {
  {
    qm::testing::FileSizeLimit limit(LargestFile() + 256 * 1024);
    EXPECT_EQ(Insert(20000), kLost);
  }
  OciLibrary& lib = Library();
  ASSERT_EQ(lib.SessionEnd(db_->svc, db_->err, db_->session, OCI_DEFAULT), OCI_ERROR);
  EXPECT_EQ(db_->LastError(), kLost);
  ASSERT_EQ(lib.SessionEnd(db_->svc, db_->err, db_->session, OCI_DEFAULT), OCI_ERROR);
  EXPECT_EQ(db_->LastError(), "ORA-01012: not logged on");
  OciConnection other("system", "manager");
  EXPECT_EQ(other.Query("select count(*) from T").values[0][0], "0");
}

}  // namespace
}  // namespace qm::ocilite::testing
