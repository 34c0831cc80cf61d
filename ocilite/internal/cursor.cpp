#include "ocilite/internal/cursor.h"

#include <vector>

#include "ocilite/internal/oracle_number.h"
#include "ocilite/internal/session.h"

namespace qm::ocilite {
namespace {

// A column of a NUMBER result holds number forms; whole numbers and doubles of SQLite's own
// making are numbers too.
Value ColumnValue(sqlite3_stmt* stmt, int i, const SqlType& type) {
  switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
      return NumberValue(std::int64_t{sqlite3_column_int64(stmt, i)});
    case SQLITE_FLOAT:
      return NumberValue(DecimalFromDouble(sqlite3_column_double(stmt, i)));
    case SQLITE_TEXT:
      return Value::Text(std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                     sqlite3_column_bytes(stmt, i)));
    case SQLITE_BLOB: {
      std::string bytes(static_cast<const char*>(sqlite3_column_blob(stmt, i)),
                        sqlite3_column_bytes(stmt, i));
      if (type.type == DataType::kNumber) return Value::Number(std::move(bytes));
      return Value::Blob(std::move(bytes));
    }
    default:
      return Value::Null();
  }
}

}  // namespace

Cursor::Cursor(Session& session, const std::string& sql, std::vector<SqliteStmt>* pool,
               SqliteStmt stmt, const std::vector<ResultColumn>& columns)
    : session_(&session), sql_(&sql), pool_(pool), stmt_(std::move(stmt)), columns_(&columns) {
  session_->open_cursors_.push_back(this);
}

Cursor::~Cursor() {
  Finish();
}

void Cursor::Finish() {
  ahead_ = false;
  if (!session_) return;
  std::erase(session_->open_cursors_, this);
  if (stmt_) session_->Release(*sql_, pool_, std::move(stmt_));
  stmt_ = SqliteStmt();
}

bool Cursor::Step() {
  bool has_row = false;
  try {
    has_row = stmt_.Step();
  } catch (const SqliteError& e) {
    Session* s = session_;
    Finish();
    s->RaiseFromSqlite(e, nullptr, true);
  }
  if (!has_row) Finish();
  return has_row;
}

void Cursor::ReadRow(std::vector<Value>& row) {
  const int n = static_cast<int>(columns_->size());
  row.resize(n);
  for (int i = 0; i < n; ++i) row[i] = ColumnValue(stmt_.get(), i, (*columns_)[i].type);
}

bool Cursor::StepInto(std::vector<Value>& row) {
  if (!Step()) return false;
  ReadRow(row);
  return true;
}

void Cursor::StepAhead() {
  try {
    ahead_ = Step();
  } catch (const OraError& e) {
    deferred_error_ = e;
  }
}

bool Cursor::Next(std::vector<Value>& row) {
  if (!buffered_.empty()) {
    row = std::move(buffered_.front());
    buffered_.pop_front();
    return true;
  }
  if (deferred_error_) {
    OraError e = *deferred_error_;
    deferred_error_.reset();
    throw e;
  }
  if (!stmt_) return false;
  if (!session_) throw OraError(3114);
  session_->CheckLink();
  if (ahead_) {
    ahead_ = false;
    ReadRow(row);
    return true;
  }
  return StepInto(row);
}

void Cursor::Drain() {
  std::vector<Value> row;
  try {
    if (ahead_) {
      ahead_ = false;
      ReadRow(row);
      buffered_.push_back(row);
    }
    while (stmt_ && StepInto(row)) buffered_.push_back(row);
  } catch (const OraError& e) {
    deferred_error_ = e;
  }
  Finish();
}

}  // namespace qm::ocilite
