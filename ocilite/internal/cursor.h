#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/sql_translator.h"
#include "ocilite/internal/sqlite_db.h"
#include "ocilite/internal/value.h"

namespace qm::ocilite {

class Session;

// The rows of a query, read one at a time. Holds a SQLite statement until the rows are read, the
// cursor is closed, or the session needs the connection for a write; then the remaining rows are
// kept in memory, so the cursor still answers from the state it was opened on. The SQLite text
// and the columns are the compiled statement's, which must outlive the cursor.
class Cursor {
 public:
  Cursor(Session& session, const std::string& sql, SqliteStmt stmt,
         const std::vector<ResultColumn>& columns);
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;
  ~Cursor();

  const std::vector<ResultColumn>& Columns() const { return *columns_; }
  // Reads the next row; false after the last. Throws OraError (conversion errors of the row).
  bool Next(std::vector<Value>& row);

 private:
  friend class Session;
  bool StepInto(std::vector<Value>& row);
  void Drain();
  void Finish();

  Session* session_;  // nullptr once the session is gone
  const std::string* sql_;
  SqliteStmt stmt_;
  const std::vector<ResultColumn>* columns_;
  std::deque<std::vector<Value>> buffered_;
  std::optional<OraError> deferred_error_;  // met while reading ahead, raised in its turn
};

}  // namespace qm::ocilite
