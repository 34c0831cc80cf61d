#pragma once
// TLOBLocator: the large object in a LOB column of a query's current row: a CLOB, a BLOB or a
// file (BFILE), read through the release 8 client calls. The query points it at the row's
// locator each time a row becomes current; a NULL value has none. Sizes and offsets count
// characters for a CLOB and bytes otherwise; offsets start at 0. A file is opened for each read
// and closed again.
//
// Failures: a client error is raised as EOracleError through the session.

#include <string>

#include "oci/oci.h"

namespace qm {

class TOracleSession;

class TLOBLocator {
 public:
  // `lobType` is SQLT_CLOB, SQLT_BLOB or SQLT_BFILE; client errors are read from `error`.
  TLOBLocator(const TOracleSession& session, OCIError* error, ub2 lobType)
      : session_(session), error_(error), lobType_(lobType) {}

  // The current row's locator, nullptr when its value is NULL.
  void SetLocator(OCILobLocator* locator) { locator_ = locator; }
  bool IsNull() const { return locator_ == nullptr; }
  // 0 for NULL.
  int Size() const;
  // Up to `amount` characters or bytes from `offset` on; "" for NULL or past the end.
  std::string Read(int offset, int amount) const;
  // The whole value: a CLOB's text in the session's character set, or the bytes.
  std::string AsString() const { return Read(0, Size()); }

 private:
  void Check(sword status) const;
  std::string ReadOpen(int offset, int amount) const;

  const TOracleSession& session_;
  OCIError* error_;
  ub2 lobType_;
  OCILobLocator* locator_ = nullptr;
};

}  // namespace qm
