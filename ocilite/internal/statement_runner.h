// One client statement: its text, binds and defines, its compiled form and its open rows. Both
// client interfaces (release 8 handles and release 7 cursors) run statements through it.
//
// Execute compiles the text when it has not been compiled for this session or went stale, binds
// the client's values for each iteration and runs it; Fetch moves rows into the define buffers.
// Failures throw OraError; what the rows did (truncation, NULL without indicator, end of data)
// comes back in FetchResult for the caller to turn into its return code.
//
// A dynamic define without a callback is read by polling: the fetch stops at its value with
// need_data, PendingPiece says which define and row wait, SetPieceBuffer gives the buffer for the
// next piece, and the next Fetch writes that piece and goes on (need_data again while the value
// has more, then the rest of the row and the batch). Every value is asked for this way, a NULL
// too (its piece is empty and its indicator -1).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "oci/oci.h"
#include "ocilite/internal/code_page.h"
#include "ocilite/internal/session.h"

namespace qm::ocilite {

// OCIDefineByPos sets every field in place: a field added here is set there too.
struct DefineSpec {
  void* value = nullptr;
  sb4 size = 0;
  ub2 dty = 0;
  sb2* ind = nullptr;
  ub2* rlen = nullptr;
  ub2* rcode = nullptr;
  ub4 value_skip = 0;
  ub4 ind_skip = sizeof(sb2);
  ub4 rlen_skip = sizeof(ub2);
  ub4 rcode_skip = sizeof(ub2);
  bool dynamic = false;  // OCI_DYNAMIC_FETCH: pieces through `callback`, or polled without one
  void* callback_context = nullptr;
  OCICallbackDefine callback = nullptr;
  OCIDefine* handle = nullptr;  // passed back to the callback
  // LOB defines: fills the locator whose address is in `slot` with a row's value (nullptr for
  // NULL), or throws when the column is not of the defined kind.
  std::function<void(void* slot, const Value* value, const SqlType& type)> store_locator;
  bool defined = false;
};

struct BindSpec {
  std::string name;  // placeholder without ":" (upper case unless quoted); empty: by position
  ub4 position = 0;
  const void* value = nullptr;
  sb4 size = 0;
  ub2 dty = 0;
  const sb2* ind = nullptr;
  const ub2* alen = nullptr;
  ub4 value_skip = 0;
  ub4 ind_skip = sizeof(sb2);
  ub4 alen_skip = sizeof(ub2);
};

struct FetchResult {
  ub4 rows = 0;
  bool need_data = false;  // stopped at a dynamic define that is read by polling
  bool end = false;  // fewer rows than asked for
  bool truncated = false;
  // A LONG or LONG RAW value cut to its define buffer (and nothing else cut): the release 7
  // interface reads the rest with oflng, so its fetches do not fail for it.
  bool long_truncated = false;
  bool null_without_indicator = false;
};

// The piece a polled fetch waits for.
struct PieceRequest {
  OCIDefine* define;
  ub4 iteration;  // the row within the fetch
  ub1 piece;      // OCI_FIRST_PIECE, then OCI_NEXT_PIECE
};

class StatementRunner {
 public:
  // Keeps the text (in the client's character set) for the next Execute.
  void Prepare(std::string_view client_text, const CodePage& cp);
  bool Prepared() const { return prepared_; }
  int StatementType() const { return statement_type_; }

  // Compiles for `session` when needed; throws OraError (ParseErrorOffset is then set).
  void Compile(Session& session, Session::CatalogCheck check = Session::CatalogCheck::kBefore);
  bool IsQuery() const { return compiled_ && compiled_->kind == CompiledSql::Kind::kQuery; }
  // Definition statements (neither query nor DML, nor transaction control or a PL/SQL block),
  // which a server runs as soon as it parses them.
  bool IsDefinition() const;
  const std::vector<ResultColumn>* Columns() const;

  // Runs the compiled statement: a query is opened and, with iters > 0, its first `iters` rows
  // fetched; other statements run `iters` times with the bind rows from `rowoff` (ORA-24333 for
  // iters 0).
  FetchResult Execute(Session& session, ub4 iters, ub4 rowoff);
  FetchResult Fetch(ub4 nrows);
  // The piece the last fetch stopped at; nullopt when it did not stop at one.
  std::optional<PieceRequest> PendingPiece() const;
  // The buffer of `*alen` bytes for the next piece, and where its length (written back into
  // *alen), indicator and return code go; ORA-01002 when no fetch waits for a piece.
  void SetPieceBuffer(void* buffer, ub4* alen, sb2* ind, ub2* rcode);
  // Forgets the compiled form, so that the next Execute compiles again (binds changed type).
  void Recompile() {
    cursor_.reset();
    compiled_.reset();
    piece_.reset();
  }
  // Back to the state of a runner just made, keeping the capacity of its buffers.
  void Reset();
  // Closes the open rows (a fetch of 0 rows; the end of a session).
  void Cancel() {
    cursor_.reset();
    piece_.reset();
  }
  bool HasCursor() const { return cursor_ != nullptr; }

  // The ROWID (Oracle's 18-character form) of the last row the last INSERT, UPDATE or DELETE
  // changed in its table; empty when it changed none.
  std::string LastRowid() const;

  ub4 RowCount() const { return row_count_; }
  ub4 RowsFetched() const { return rows_fetched_; }
  ub2 FunctionCode() const { return function_code_; }
  ub2 ParseErrorOffset() const { return parse_error_offset_; }
  const std::string& ClientText() const { return client_text_; }
  // The current row of the last fetch, for reading LONG values in parts.
  const std::vector<Value>& LastRow() const { return last_row_; }

  DefineSpec& Define(ub4 position);
  std::vector<BindSpec> binds;

 private:
  // A fetch of `nrows` rows, which a polled piece may interrupt.
  struct Batch {
    ub4 nrows = 0;
    ub4 index = 0;       // the row being stored
    std::size_t column = 0;  // where storing the row goes on after a piece
    std::vector<Value> row;
    FetchResult result;
  };
  // A value handed out in pieces.
  struct Piece {
    std::size_t column;
    std::string data;  // in the client's form
    bool is_null;
    std::size_t offset = 0;
    void* buffer = nullptr;
    ub4 capacity = 0;
    ub4* alen = nullptr;
    sb2* ind = nullptr;
    ub2* rcode = nullptr;
    bool has_buffer = false;
  };

  std::vector<Value> BindRow(ub4 row);
  // Stores the batch's current row from its column on; false when it stopped at a polled piece.
  bool StoreRow(FetchResult& result);
  FetchResult RunBatch();
  FetchResult ContinuePiece();

  bool prepared_ = false;
  std::string client_text_;
  std::string text_;  // UTF-8
  const CodePage* code_page_ = nullptr;
  int statement_type_ = 0;
  std::uint64_t session_serial_ = 0;
  Session* session_ = nullptr;
  std::unique_ptr<CompiledSql> compiled_;
  // The statement compiled before, whose room the next compile of a known shape takes.
  std::unique_ptr<CompiledSql> spare_;
  std::unique_ptr<Cursor> cursor_;
  std::vector<DefineSpec> defines_;
  std::vector<Value> last_row_;
  // The last row a DML statement changed: its table's object number and SQLite row number.
  std::int64_t changed_object_ = 0;
  std::int64_t changed_row_ = 0;
  bool changed_ = false;
  Batch batch_;
  std::optional<Piece> piece_;
  ub4 row_count_ = 0;
  ub4 rows_fetched_ = 0;
  ub2 function_code_ = 0;
  ub2 parse_error_offset_ = 0;
  bool at_end_ = false;
};

}  // namespace qm::ocilite
