#include "ocilite/internal/sqlite_db.h"

#include "ocilite/internal/kept_read_locks.h"

namespace qm::ocilite {

std::string Quote(std::string_view name) {
  std::string out = "\"";
  for (const char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

std::string SqlString(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

bool SqliteStmt::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  sqlite3* db = sqlite3_db_handle(stmt_);
  throw SqliteError(sqlite3_extended_errcode(db), sqlite3_errmsg(db));
}

SqliteDb::SqliteDb(const std::string& path, bool create, int busy_timeout_ms) {
  // SQLite counts every allocation under a process-wide lock unless told not to, which costs
  // more than the counting is worth here: nothing reads the counts. Refused, harmlessly, when
  // SQLite was started before (by the process that loaded this library, say).
  [[maybe_unused]] static const int memory_counts_off = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, KeptReadLocksVfs());
  if (rc != SQLITE_OK) {
    const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw SqliteError(rc, message);
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, busy_timeout_ms);
}

SqliteDb::~SqliteDb() {
  // Closing with a transaction open rolls it back: that is how an abandoned session loses its
  // uncommitted work.
  sqlite3_close_v2(db_);
}

void SqliteDb::Throw(int code) const {
  throw SqliteError(code, sqlite3_errmsg(db_));
}

void SqliteDb::Exec(const std::string& sql) {
  char* error = nullptr;
  const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error);
  if (rc != SQLITE_OK) {
    const std::string message = error ? error : sqlite3_errmsg(db_);
    sqlite3_free(error);
    throw SqliteError(sqlite3_extended_errcode(db_), message);
  }
}

SqliteStmt SqliteDb::Prepare(std::string_view sql) {
  sqlite3_stmt* stmt = nullptr;
  const int rc = sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()),
                                    SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  if (rc != SQLITE_OK) Throw(sqlite3_extended_errcode(db_));
  return SqliteStmt(stmt);
}

}  // namespace qm::ocilite
