#pragma once
// ObjectInstance: a new instance made in the client's object cache for TOracleObject and
// TOracleReference. The named object type is looked up on the server (OCITypeByName, pinned for
// the session); the instance is an object of that type with its null-indicator structure, or an
// empty reference (OCIObjectNew). It is freed with the object or, sooner, when the session logs
// off (the cache goes with the session's environment); after that, and after the session was
// destroyed, it holds nothing (type and instance nullptr) and calls nothing.
//
// The name is "SCHEMA.TYPE" or "TYPE" (then in the session user's schema), spelt as the
// dictionary keeps it. A failure raises the client's error as EOracleError through the session
// and leaves nothing allocated. The caller has checked the session (RequireFeature).

#include <string>

#include "oci/oci.h"
#include "oracle/session_attachment.h"

namespace qm {

class TOracleSession;

class ObjectInstance : public TSessionAttachment {
 public:
  // `typecode` is OCI_TYPECODE_OBJECT or OCI_TYPECODE_REF.
  ObjectInstance(TOracleSession* session, const std::string& typeName, OCITypeCode typecode);
  ~ObjectInstance() override;
  ObjectInstance(const ObjectInstance&) = delete;
  ObjectInstance& operator=(const ObjectInstance&) = delete;

  void SessionLoggingOff() override;
  void SessionDestroyed() override;

  // The addresses stay the same for the instance's life, so a bind may keep them.
  OCIType* type = nullptr;
  void* instance = nullptr;
  void* nullStructure = nullptr;  // objects only

 private:
  void Check(sword status) const;
  void Free();

  TOracleSession* session_;
  OCIError* error_ = nullptr;
};

}  // namespace qm
