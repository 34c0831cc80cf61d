#pragma once
// TTemporaryLOB: a CLOB or BLOB value made on the client side, for a LOB variable of a statement
// (TOracleQuery::SetComplexVariable). It is a temporary LOB on the server for as long as the
// object lives: created with the object, filled by Write, freed with the object or, sooner, when
// the session logs off (its locator belongs to the session's environment). After that, and after
// the session was destroyed, it holds nothing (Locator() is nullptr), calls nothing, and a
// variable given it counts as having no LOB; Write raises "The temporary LOB was freed when its
// session logged off".
//
// Failures: "Temporary LOB requires a session" (or the other texts of RequireFeature) when the
// session is missing, not connected or on the release 7 interface; "The client has no temporary
// LOBs" when its library lacks the calls; client errors as EOracleError through the session.

#include <string>

#include "oci/oci.h"
#include "oracle/session_attachment.h"

namespace qm {

class TOracleSession;

class TTemporaryLOB : public TSessionAttachment {
 public:
  // `lobType` is SQLT_CLOB or SQLT_BLOB.
  TTemporaryLOB(TOracleSession* session, ub2 lobType);
  ~TTemporaryLOB() override;
  TTemporaryLOB(const TTemporaryLOB&) = delete;
  TTemporaryLOB& operator=(const TTemporaryLOB&) = delete;

  ub2 LobType() const { return lobType_; }
  OCILobLocator* Locator() const { return locator_; }
  // Where the locator is kept, for a bind; it stays put while the object lives.
  OCILobLocator** LocatorAddress() { return &locator_; }
  // Replaces the value: a CLOB takes text in the client's character set, a BLOB bytes.
  void Write(const std::string& value);

  void SessionLoggingOff() override { Free(); }
  void SessionDestroyed() override { session_ = nullptr; }

 private:
  void Check(sword status) const;
  void Free();

  TOracleSession* session_;
  ub2 lobType_;
  OCIError* error_ = nullptr;
  OCILobLocator* locator_ = nullptr;
};

}  // namespace qm
