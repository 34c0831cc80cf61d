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
// and the columns are the compiled statement's, which must outlive the cursor; the statement goes
// back to the session's idle pool it came from (Session::Acquire).
//
// The session steps a new cursor onto its first row as it opens it, so the query reads the
// database as it stands at execution, as the server's does; an error met there is raised by the
// first Next, where the client looks for it.
class Cursor {
 public:
  Cursor(Session& session, const std::string& sql, std::vector<SqliteStmt>* pool, SqliteStmt stmt,
         const std::vector<ResultColumn>& columns);
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;
  ~Cursor();

  const std::vector<ResultColumn>& Columns() const { return *columns_; }
  // Reads the next row; false after the last. Throws OraError (conversion errors of the row).
  bool Next(std::vector<Value>& row);

 private:
  friend class Session;
  // Steps onto the first row, keeping an error for Next.
  void StepAhead();
  // Steps once; false (and finished) after the last row. Throws OraError.
  bool Step();
  void ReadRow(std::vector<Value>& row);
  bool StepInto(std::vector<Value>& row);
  void Drain();
  void Finish();

  Session* session_;  // nullptr once the session is gone
  const std::string* sql_;
  std::vector<SqliteStmt>* pool_;  // where the statement goes back; nullptr: the pool of sql_
  SqliteStmt stmt_;
  const std::vector<ResultColumn>* columns_;
  bool ahead_ = false;  // the statement stands on a row that Next has not read yet
  std::deque<std::vector<Value>> buffered_;
  std::optional<OraError> deferred_error_;  // met while reading ahead, raised in its turn
};

}  // namespace qm::ocilite
