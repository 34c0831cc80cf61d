#pragma once
// TOracleReference: a reference (REF) to objects of a named type, made on the client side for a
// reference variable of a statement (TOracleQuery::SetComplexVariable), which binds it with the
// type's descriptor. A new reference is null until the server fills it, as an OUT variable of a
// block (`select ref(p) into :r ...`) does. The type is named as for TOracleObject; the reference
// lives in the session's object cache until the object is destroyed or the session logs off;
// after that the object holds nothing (Ref() is nullptr) and a variable given it counts as having
// no object.
//
// Failures: "Reference requires a session" (or the other texts of RequireFeature) when the
// session is missing, not connected or on the release 7 interface; the client's error as
// EOracleError through the session for a type it cannot find or a reference it cannot make. A
// failed construction leaves nothing allocated.

#include <memory>
#include <string>

#include "oci/oci.h"

namespace qm {

class ObjectInstance;
class TOracleSession;

class TOracleReference {
 public:
  TOracleReference(TOracleSession* session, const std::string& typeName);
  ~TOracleReference();
  TOracleReference(const TOracleReference&) = delete;
  TOracleReference& operator=(const TOracleReference&) = delete;

  const std::string& TypeName() const { return typeName_; }
  // The descriptor of the type referred to.
  OCIType* TypeDescriptor() const;
  OCIRef* Ref() const;
  // Where the reference is kept, for a bind; it stays put while the object lives.
  void** RefAddress();

 private:
  std::string typeName_;
  std::unique_ptr<ObjectInstance> instance_;
};

}  // namespace qm
