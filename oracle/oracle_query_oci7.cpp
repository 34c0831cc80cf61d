// TOracleQuery on the release 7 interface: the statement lives in a cursor data area opened on
// the session's logon data area. Every call leaves its outcome in the area: `rc` the Oracle error
// number, `ft` the statement's function code, `rpc` the rows processed and `peo` the parse error
// offset.
#include <algorithm>
#include <cstring>

#include "oracle/internal/session_lock_scope.h"
#include "oracle/oci_entry_points.h"
#include "oracle/oracle_query.h"
#include "oracle/oracle_session.h"

namespace qm {
namespace {

constexpr sword kDeferredParse = 1;
constexpr ub4 kOracle7Behaviour = 2;
constexpr int kNotInSelectList = 1007;
constexpr int kNoMoreRows = 1403;
// The bytes of a LONG value that arrive with the row; the rest is read with oflng.
constexpr sb4 kLongRowBuffer = 2000;
// The most one oflng call is asked for.
constexpr int kLongReadLimit = 64000;

}  // namespace

void TOracleQuery::OpenCursor() {
  if (cursorOpen_) return;
  std::memset(&cda_, 0, sizeof cda_);
  session_->Entries().oopen(&cda_, session_->LogonDataArea(), nullptr, -1, -1, nullptr, -1);
  if (cda_.rc != 0) {
    const int code = cda_.rc;
    std::memset(&cda_, 0, sizeof cda_);
    session_->RaiseOracleError(code);
  }
  cursorOpen_ = true;
}

void TOracleQuery::CloseCursor(std::optional<EOracleError>& releaseError) {
  if (!cursorOpen_) return;
  cursorOpen_ = false;
  // A library unloaded meanwhile took its cursors with it.
  if (session_ != nullptr && session_->Entries().oclose != nullptr) {
    TSessionLockScope hold(session_);
    session_->Entries().oclose(&cda_);
    if (cda_.rc != 0 && !releaseError) releaseError = session_->MakeOracleError(cda_.rc);
  }
  std::memset(&cda_, 0, sizeof cda_);
}

void TOracleQuery::ParseOCI7(const std::string& text) {
  ++parseCount_;
  session_->Entries().oparse(&cda_, MutableText(text), static_cast<sb4>(text.size()),
                             kDeferredParse, kOracle7Behaviour);
  if (cda_.rc != 0) RaiseExecuteError();
  functionCode_ = cda_.ft;
}

void TOracleQuery::BindOCI7(TVariableData& v, sb4 size, ub2 type) {
  session_->Entries().obndra(&cda_, MutableText(v.name), static_cast<sword>(v.name.size()),
                             reinterpret_cast<ub1*>(v.buffer.data()), size, type, -1,
                             v.indicators.data(), v.plsqlTable ? v.lengths.data() : nullptr,
                             nullptr, v.plsqlTable ? static_cast<ub4>(v.tableSize) : 0,
                             v.plsqlTable ? &v.tableCount : nullptr, nullptr, -1, -1);
  if (cda_.rc != 0) session_->RaiseOracleError(cda_.rc);
}

void TOracleQuery::ExecuteOCI7(ub4 iterations, ub4 rowOffset) {
  // No commit mode here: a session with AutoCommit switched the server's own autocommit on.
  session_->Entries().oexn(&cda_, static_cast<sword>(iterations), static_cast<sword>(rowOffset));
  functionCode_ = cda_.ft;
  if (cda_.rc != 0) RaiseExecuteError();
}

void TOracleQuery::ExecuteSelectOCI7() {
  if (!described_) {
    DescribeColumnsOCI7();
    DefineColumns();
  }
  ++fetchCalls_;
  session_->Entries().oexfet(&cda_, rowsPerFetch_, 0, 0);
  if (cda_.rc != 0 && cda_.rc != kNoMoreRows) RaiseExecuteError();
}

void TOracleQuery::DescribeColumnsOCI7() {
  rowsPerFetch_ = static_cast<ub4>(readBuffer_);
  ReleaseColumns();
  const OciEntryPoints& oci = session_->Entries();
  for (sword position = 1;; ++position) {
    sb4 size = 0, displaySize = 0;
    sb2 type = 0, precision = 0, scale = 0, nullable = 0;
    sb1 name[30];
    sb4 nameLength = sizeof name;
    oci.odescr(&cda_, position, &size, &type, name, &nameLength, &displaySize, &precision, &scale,
               &nullable);
    if (cda_.rc == kNotInSelectList) break;
    if (cda_.rc != 0) {
      ReleaseColumns();
      RaiseExecuteError();
    }
    auto column = std::make_unique<TFieldData>();
    column->declaredSize = size;
    column->internalType = static_cast<ub2>(type);
    column->name.assign(reinterpret_cast<const char*>(name),
                        static_cast<size_t>(std::clamp<sb4>(nameLength, 0, sizeof name)));
    column->precision = static_cast<ub2>(precision);
    column->scale = scale;
    column->nullable = static_cast<ub2>(nullable);
    ChooseFetchType(*column, kLongRowBuffer);
    columns_.push_back(std::move(column));
  }
}

void TOracleQuery::DefineColumnOCI7(TFieldData& column, ub4 position) {
  const sword type = column.internalType == SQLT_OSL ? SQLT_OSL : column.fetchType;
  session_->Entries().odefin(&cda_, static_cast<sword>(position),
                             reinterpret_cast<ub1*>(column.values.data()), column.bufferSize, type,
                             -1, column.indicators.data(), nullptr, -1, -1, column.lengths.data(),
                             nullptr);
  if (cda_.rc != 0) session_->RaiseOracleError(cda_.rc);
}

void TOracleQuery::FetchOCI7(ub4 rows) {
  ++fetchCalls_;
  session_->Entries().ofen(&cda_, static_cast<sword>(rows));
  if (cda_.rc != 0 && cda_.rc != kNoMoreRows) session_->RaiseOracleError(cda_.rc);
}

int TOracleQuery::ReadLongPieceOCI7(const TFieldData& column, int index, char* destination,
                                    int length, int offset) const {
  if (eof_ || length <= 0) return 0;
  if (length > kLongReadLimit) {
    int copied = 0;
    while (copied < length) {
      const int ask = std::min(kLongReadLimit, length - copied);
      const int got = ReadLongPieceOCI7(column, index, destination + copied, ask, offset + copied);
      copied += got;
      if (got < kLongReadLimit) break;
    }
    return copied;
  }
  // What came with the row first, then the rest from the server when the row's part was full.
  const int returned = column.lengths[currentRow_];
  int copied = 0;
  if (offset < returned) {
    copied = std::min(returned - offset, length);
    std::memcpy(destination, column.Value(currentRow_) + offset, static_cast<size_t>(copied));
  }
  if (copied < length && returned == kLongRowBuffer) {
    ub4 read = 0;
    TSessionLockScope hold(session_);
    session_->Entries().oflng(&cda_, index + 1, reinterpret_cast<ub1*>(destination + copied),
                              length - copied, column.fetchType, &read, offset + copied);
    if (cda_.rc != 0) session_->RaiseOracleError(cda_.rc);
    copied += static_cast<int>(read);
  }
  return copied;
}

}  // namespace qm
