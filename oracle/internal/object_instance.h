#pragma once
// ObjectInstance: a new instance made in the client's object cache for TOracleObject and
// TOracleReference. The named object type is looked up on the server (OCITypeByName, pinned for
// the session); the instance is an object of that type with its null-indicator structure, or an
// empty reference (OCIObjectNew). Freed with the object, while the session is still logged on.
//
// The name is "SCHEMA.TYPE" or "TYPE" (then in the session user's schema), spelt as the
// dictionary keeps it. A failure raises the client's error as EOracleError through the session
// and leaves nothing allocated. The caller has checked the session (RequireFeature).

#include <string>

#include "oci/oci.h"

namespace qm {

class TOracleSession;

class ObjectInstance {
 public:
  // `typecode` is OCI_TYPECODE_OBJECT or OCI_TYPECODE_REF.
  ObjectInstance(TOracleSession* session, const std::string& typeName, OCITypeCode typecode);
  ~ObjectInstance();
  ObjectInstance(const ObjectInstance&) = delete;
  ObjectInstance& operator=(const ObjectInstance&) = delete;

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
