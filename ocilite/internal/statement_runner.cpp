#include "ocilite/internal/statement_runner.h"

#include <algorithm>

#include "ocilite/internal/client_buffers.h"
#include "ocilite/internal/extended_buffers.h"
#include "ocilite/internal/rowid.h"
#include "ocilite/internal/sql_parser.h"
#include "ocilite/internal/sqlite_db.h"
#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {

void StatementRunner::Prepare(std::string_view client_text, const CodePage& cp) {
  client_text_.assign(client_text);
  cp.ToUtf8(client_text, text_);
  code_page_ = &cp;
  statement_type_ = PeekStatementType(text_);
  prepared_ = true;
  cursor_.reset();
  if (compiled_) spare_ = std::move(compiled_);
  row_count_ = rows_fetched_ = 0;
  function_code_ = parse_error_offset_ = 0;
}

void StatementRunner::Reset() {
  cursor_.reset();  // before the compiled statement whose constants it reads
  std::vector<DefineSpec> defines = std::move(defines_);
  std::vector<BindSpec> bind_specs = std::move(binds);
  std::string client_text = std::move(client_text_);
  std::string text = std::move(text_);
  *this = StatementRunner();
  defines.clear();
  bind_specs.clear();
  client_text.clear();
  text.clear();
  defines_ = std::move(defines);
  binds = std::move(bind_specs);
  client_text_ = std::move(client_text);
  text_ = std::move(text);
}

DefineSpec& StatementRunner::Define(ub4 position) {
  if (defines_.size() < position) defines_.resize(position);
  return defines_[position - 1];
}

bool StatementRunner::IsDefinition() const {
  if (!compiled_ || compiled_->kind != CompiledSql::Kind::kOther) return false;
  switch (compiled_->function_code) {
    case 33:  // SET TRANSACTION
    case 34:  // PL/SQL block
    case 54:  // COMMIT
    case 55:  // ROLLBACK
    case 56:  // SAVEPOINT
      return false;
    default:
      return true;
  }
}

const std::vector<ResultColumn>* StatementRunner::Columns() const {
  return IsQuery() ? &compiled_->translated.columns : nullptr;
}

void StatementRunner::Compile(Session& session, Session::CatalogCheck check) {
  if (compiled_ && session_serial_ == session.Serial() && !session.IsStale(*compiled_)) return;
  cursor_.reset();
  if (compiled_) spare_ = std::move(compiled_);
  session_ = &session;
  session_serial_ = session.Serial();
  parse_error_offset_ = 0;
  const BindTypes types = [this](const std::string& name, int position) -> SqlType {
    for (const BindSpec& b : binds) {
      if ((!b.name.empty() && b.name == name) || (b.name.empty() && b.position == ub4(position)))
        return IsExtendedExternalType(b.dty) ? ExtendedBindType(b.dty, b.size)
                                             : BindType(b.dty, b.size);
    }
    throw OraError(1008);
  };
  try {
    compiled_ = session.Compile(text_, types, std::move(spare_), check);
  } catch (const OraError& e) {
    if (e.Offset() >= 0)
      parse_error_offset_ = static_cast<ub2>(code_page_->ClientLength(text_, e.Offset()));
    throw;
  }
}

std::vector<Value> StatementRunner::BindRow(ub4 row) {
  std::vector<Value> values;
  for (const BindSlot& slot : compiled_->translated.binds) {
    const BindSpec* bind = nullptr;
    for (const BindSpec& b : binds)
      if ((!b.name.empty() && b.name == slot.name) ||
          (b.name.empty() && b.position == ub4(slot.position)))
        bind = &b;
    if (!bind) throw OraError(1008);
    const auto* base = static_cast<const unsigned char*>(bind->value);
    const ub4 skip = bind->value_skip ? bind->value_skip : static_cast<ub4>(bind->size);
    if (bind->ind &&
        *reinterpret_cast<const sb2*>(reinterpret_cast<const unsigned char*>(bind->ind) +
                                      row * bind->ind_skip) == -1) {
      values.push_back(Value::Null());
      continue;
    }
    ub4 length = static_cast<ub4>(bind->size);
    if (bind->alen)
      length = *reinterpret_cast<const ub2*>(reinterpret_cast<const unsigned char*>(bind->alen) +
                                             row * bind->alen_skip);
    const unsigned char* at = base ? base + row * skip : nullptr;
    values.push_back(IsExtendedExternalType(bind->dty)
                         ? LoadExtended(at, length, bind->dty, *code_page_)
                         : LoadValue(at, length, bind->dty, *code_page_));
  }
  return values;
}

FetchResult StatementRunner::Execute(Session& session, ub4 iters, ub4 rowoff) {
  // A query looks at the catalogue inside its own read, as it opens.
  Compile(session, statement_type_ == OCI_STMT_SELECT ? Session::CatalogCheck::kInQuery
                                                      : Session::CatalogCheck::kBefore);
  function_code_ = static_cast<ub2>(compiled_->function_code);
  cursor_.reset();
  piece_.reset();
  row_count_ = rows_fetched_ = 0;
  at_end_ = false;
  if (compiled_->kind == CompiledSql::Kind::kQuery) {
    while (!(cursor_ = session.OpenQuery(*compiled_, BindRow(rowoff)))) Compile(session);
    if (iters > 0) return Fetch(iters);
    return {};
  }
  if (iters == 0) throw OraError(24333);
  changed_ = false;
  if (compiled_->kind == CompiledSql::Kind::kDml) {
    const auto& target = compiled_->translated.target;
    if (target) changed_object_ = target->object_id;
    sqlite3* db = session.Context().db->get();
    if (compiled_->function_code == OCI_FNCODE_INSERT) {
      for (ub4 r = rowoff; r < rowoff + iters; ++r)
        row_count_ += static_cast<ub4>(session.ExecuteDml(*compiled_, BindRow(r)));
      changed_ = target && row_count_ > 0;
      changed_row_ = sqlite3_last_insert_rowid(db);
      return {};
    }
    // SQLite names every row an UPDATE or DELETE changes; those of the statement's table count.
    struct Watch {
      std::string table;
      std::int64_t row = 0;
      bool seen = false;
    } watch;
    if (target) {
      watch.table = 'o';
      watch.table += std::to_string(target->object_id);
    }
    sqlite3_update_hook(
        db,
        [](void* context, int, const char*, const char* table, sqlite3_int64 row) {
          auto* w = static_cast<Watch*>(context);
          if (w->table == table) {
            w->row = row;
            w->seen = true;
          }
        },
        &watch);
    try {
      for (ub4 r = rowoff; r < rowoff + iters; ++r)
        row_count_ += static_cast<ub4>(session.ExecuteDml(*compiled_, BindRow(r)));
    } catch (...) {
      sqlite3_update_hook(db, nullptr, nullptr);
      throw;
    }
    sqlite3_update_hook(db, nullptr, nullptr);
    changed_ = watch.seen;
    changed_row_ = watch.row;
  } else {
    session.ExecuteOther(*compiled_);
  }
  return {};
}

FetchResult StatementRunner::Fetch(ub4 nrows) {
  if (piece_) return ContinuePiece();
  rows_fetched_ = 0;
  if (!cursor_ || at_end_) {
    FetchResult result;
    result.end = true;
    return result;
  }
  batch_ = Batch{};
  batch_.nrows = nrows;
  return RunBatch();
}

FetchResult StatementRunner::RunBatch() {
  FetchResult& result = batch_.result;
  while (batch_.index < batch_.nrows) {
    if (batch_.column == 0) {
      bool more = false;
      try {
        more = cursor_->Next(batch_.row);
      } catch (...) {
        rows_fetched_ = result.rows;
        row_count_ += result.rows;
        throw;
      }
      if (!more) {
        at_end_ = true;
        result.end = true;
        break;
      }
    }
    if (!StoreRow(result)) {
      FetchResult waiting = result;
      waiting.need_data = true;
      return waiting;
    }
    last_row_ = batch_.row;
    ++result.rows;
    ++batch_.index;
    batch_.column = 0;
  }
  rows_fetched_ = result.rows;
  row_count_ += result.rows;
  return result;
}

std::string StatementRunner::LastRowid() const {
  return changed_ ? RowidText(changed_object_, changed_row_) : std::string();
}

std::optional<PieceRequest> StatementRunner::PendingPiece() const {
  if (!piece_) return std::nullopt;
  return PieceRequest{
      defines_[piece_->column].handle, batch_.index,
      piece_->offset == 0 && !piece_->has_buffer ? OCI_FIRST_PIECE : OCI_NEXT_PIECE};
}

void StatementRunner::SetPieceBuffer(void* buffer, ub4* alen, sb2* ind, ub2* rcode) {
  if (!piece_) throw OraError(1002);
  piece_->buffer = buffer;
  piece_->capacity = alen ? *alen : 0;
  piece_->alen = alen;
  piece_->ind = ind;
  piece_->rcode = rcode;
  piece_->has_buffer = true;
}

FetchResult StatementRunner::ContinuePiece() {
  Piece& p = *piece_;
  if (!p.has_buffer) throw OraError(3130);
  const std::size_t n = std::min<std::size_t>(p.data.size() - p.offset, p.capacity);
  if (p.buffer && n) std::copy_n(p.data.data() + p.offset, n, static_cast<char*>(p.buffer));
  p.offset += n;
  if (p.alen) *p.alen = static_cast<ub4>(n);
  if (p.ind) *p.ind = p.is_null ? -1 : 0;
  if (p.rcode) *p.rcode = p.is_null ? OCI_RC_NULL_FETCHED : 0;
  if (p.offset < p.data.size()) {
    FetchResult waiting = batch_.result;
    waiting.need_data = true;
    return waiting;
  }
  // The value is complete: the define's own indicator says what it was.
  DefineSpec& d = defines_[p.column];
  auto at = [&](void* base, ub4 skip) {
    return base ? static_cast<unsigned char*>(base) + static_cast<std::size_t>(batch_.index) * skip
                : nullptr;
  };
  if (auto* ind = reinterpret_cast<sb2*>(at(d.ind, d.ind_skip))) *ind = p.is_null ? -1 : 0;
  if (auto* rlen = reinterpret_cast<ub2*>(at(d.rlen, d.rlen_skip))) *rlen = 0;
  if (auto* rcode = reinterpret_cast<ub2*>(at(d.rcode, d.rcode_skip)))
    *rcode = p.is_null ? OCI_RC_NULL_FETCHED : 0;
  batch_.column = p.column + 1;
  piece_.reset();
  return RunBatch();
}

bool StatementRunner::StoreRow(FetchResult& result) {
  const std::vector<Value>& row = batch_.row;
  const ub4 index = batch_.index;
  const auto& columns = compiled_->translated.columns;
  EvalContext& ctx = session_->Context();
  for (std::size_t c = batch_.column; c < row.size() && c < defines_.size(); ++c) {
    DefineSpec& d = defines_[c];
    if (!d.defined) continue;
    const Value& v = row[c];
    // In a LOB column only NULL is NULL: a zero-length value is the empty LOB.
    const bool is_null =
        v.IsNull() || (v.kind == Value::Kind::kText && v.s.empty() && !columns[c].type.IsLob());
    auto at = [&](void* base, ub4 skip) {
      return base ? static_cast<unsigned char*>(base) + static_cast<std::size_t>(index) * skip
                  : nullptr;
    };
    auto* ind = reinterpret_cast<sb2*>(at(d.ind, d.ind_skip));
    auto* rlen = reinterpret_cast<ub2*>(at(d.rlen, d.rlen_skip));
    auto* rcode = reinterpret_cast<ub2*>(at(d.rcode, d.rcode_skip));
    if (d.store_locator) {
      d.store_locator(at(d.value, d.value_skip), is_null ? nullptr : &v, columns[c].type);
      if (ind) *ind = is_null ? -1 : 0;
      if (rlen) *rlen = 0;
      if (rcode) *rcode = is_null ? OCI_RC_NULL_FETCHED : 0;
      continue;
    }
    if (d.dynamic) {
      // The value goes to the client in pieces: into buffers a callback hands over, or, without
      // a callback, into buffers the client gives between fetches.
      const std::string data =
          is_null ? std::string()
                  : (v.kind == Value::Kind::kBlob
                         ? v.s
                         : ocilite::ClientText(v, columns[c].type, ctx, *code_page_));
      if (!d.callback) {
        piece_ = Piece{c, data, is_null};
        batch_.column = c;
        return false;
      }
      std::size_t offset = 0;
      ub1 piece = OCI_FIRST_PIECE;
      do {
        void* buffer = nullptr;
        ub4* alen = nullptr;
        void* piece_ind = nullptr;
        ub2* piece_rcode = nullptr;
        ub1 piece_io = piece;
        const sb4 rc = d.callback(d.callback_context, d.handle, index, &buffer, &alen, &piece_io,
                                  &piece_ind, &piece_rcode);
        if (rc != OCI_CONTINUE) break;
        std::size_t n = 0;
        if (alen) {
          n = std::min<std::size_t>(data.size() - offset, *alen);
          if (buffer && n) std::copy_n(data.data() + offset, n, static_cast<char*>(buffer));
          *alen = static_cast<ub4>(n);
        }
        if (piece_ind) *static_cast<sb2*>(piece_ind) = is_null ? -1 : 0;
        if (piece_rcode) *piece_rcode = is_null ? OCI_RC_NULL_FETCHED : 0;
        offset += n;
        piece = OCI_NEXT_PIECE;
        if (n == 0) break;
      } while (offset < data.size());
      if (ind) *ind = is_null ? -1 : 0;
      if (rlen) *rlen = 0;
      if (rcode) *rcode = is_null ? OCI_RC_NULL_FETCHED : 0;
      continue;
    }
    if (is_null) {
      if (ind) {
        *ind = -1;
      } else {
        result.null_without_indicator = true;
      }
      if (rlen) *rlen = 0;
      if (rcode) *rcode = OCI_RC_NULL_FETCHED;
      continue;
    }
    ub4 length = 0, full = 0;
    const auto store = IsExtendedExternalType(d.dty) ? StoreExtended : StoreValue;
    const StoreResult stored = store(v, columns[c].type, d.dty, at(d.value, d.value_skip), d.size,
                                     &length, &full, ctx, *code_page_);
    if (rlen) *rlen = static_cast<ub2>(std::min<ub4>(length, 65535));
    if (stored == StoreResult::kTruncated) {
      (d.dty == SQLT_LNG || d.dty == SQLT_LBI || d.dty == SQLT_LVC || d.dty == SQLT_LVB
           ? result.long_truncated
           : result.truncated) = true;
      if (ind) *ind = full > 32767 ? -2 : static_cast<sb2>(full);
      if (rcode) *rcode = OCI_RC_TRUNCATED;
    } else {
      if (ind) *ind = 0;
      if (rcode) *rcode = 0;
    }
  }
  return true;
}

}  // namespace qm::ocilite
