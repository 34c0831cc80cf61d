// Thin RAII ownership of SQLite connections and statements, and the quoting of names and texts in
// the SQL the engine writes. Failures throw SqliteError carrying SQLite's code and message; the
// session turns them into Oracle errors where a client can see them.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qm::ocilite {

// `name` in double quotes and `text` in single quotes, a quote inside doubled: how SQLite's SQL,
// and Oracle's messages, write them.
std::string Quote(std::string_view name);
std::string SqlString(std::string_view text);

class SqliteError : public std::runtime_error {
 public:
  SqliteError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

class SqliteStmt {
 public:
  SqliteStmt() = default;
  explicit SqliteStmt(sqlite3_stmt* stmt) : stmt_(stmt) {}
  SqliteStmt(SqliteStmt&& other) noexcept : stmt_(other.stmt_) { other.stmt_ = nullptr; }
  SqliteStmt& operator=(SqliteStmt&& other) noexcept {
    if (this != &other) {
      sqlite3_finalize(stmt_);
      stmt_ = other.stmt_;
      other.stmt_ = nullptr;
    }
    return *this;
  }
  SqliteStmt(const SqliteStmt&) = delete;
  SqliteStmt& operator=(const SqliteStmt&) = delete;
  ~SqliteStmt() { sqlite3_finalize(stmt_); }

  sqlite3_stmt* get() const { return stmt_; }
  explicit operator bool() const { return stmt_ != nullptr; }

  // Binds by 1-based index.
  void Bind(int index, std::string_view text) {
    sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  void Bind(int index, std::int64_t v) { sqlite3_bind_int64(stmt_, index, v); }
  void BindNull(int index) { sqlite3_bind_null(stmt_, index); }
  // Steps once: true for a row, false when done; throws on error.
  bool Step();
  void Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  std::string Text(int column) const {
    const auto* p = sqlite3_column_text(stmt_, column);
    return p ? std::string(reinterpret_cast<const char*>(p), sqlite3_column_bytes(stmt_, column))
             : std::string();
  }
  std::int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
  bool IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

class SqliteDb {
 public:
  // Opens (or, with `create`, creates) the file; throws SqliteError. A statement that finds the
  // file locked by another connection waits up to `busy_timeout_ms` for it, from the first read
  // on (the schema read by the first prepare included).
  SqliteDb(const std::string& path, bool create, int busy_timeout_ms);
  SqliteDb(const SqliteDb&) = delete;
  SqliteDb& operator=(const SqliteDb&) = delete;
  ~SqliteDb();

  sqlite3* get() const { return db_; }
  void Exec(const std::string& sql);
  SqliteStmt Prepare(std::string_view sql);
  bool InTransaction() const { return sqlite3_get_autocommit(db_) == 0; }
  [[noreturn]] void Throw(int code) const;

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace qm::ocilite
