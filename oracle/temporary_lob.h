#pragma once
// TTemporaryLOB: a CLOB or BLOB value made on the client side, for a LOB variable of a statement
// (TOracleQuery::SetComplexVariable). It is a temporary LOB on the server for as long as the
// object lives: created with the object, filled by Write, freed with the object. Its locator
// belongs to the session's environment, so the object must not outlive the session's logon.
//
// Failures: "Temporary LOB requires a session" (or the other texts of RequireFeature) when the
// session is missing, not connected or on the release 7 interface; "The client has no temporary
// LOBs" when its library lacks the calls; client errors as EOracleError through the session.

#include <string>

#include "oci/oci.h"

namespace qm {

class TOracleSession;

class TTemporaryLOB {
 public:
  // `lobType` is SQLT_CLOB or SQLT_BLOB.
  TTemporaryLOB(TOracleSession* session, ub2 lobType);
  ~TTemporaryLOB();
  TTemporaryLOB(const TTemporaryLOB&) = delete;
  TTemporaryLOB& operator=(const TTemporaryLOB&) = delete;

  ub2 LobType() const { return lobType_; }
  OCILobLocator* Locator() const { return locator_; }
  // Replaces the value: a CLOB takes text in the client's character set, a BLOB bytes.
  void Write(const std::string& value);

 private:
  void Check(sword status) const;

  TOracleSession* session_;
  ub2 lobType_;
  OCIError* error_ = nullptr;
  OCILobLocator* locator_ = nullptr;
};

}  // namespace qm
