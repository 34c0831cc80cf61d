#pragma once
// TOracleObject: a new instance of a named object type, made on the client side for an object
// variable of a statement (TOracleQuery::SetComplexVariable), which binds it with its type
// descriptor and its null-indicator structure. The type is looked up on the server by name:
// "SCHEMA.TYPE", or "TYPE" in the session user's schema, spelt as the dictionary keeps it (upper
// case for a type created without quotes). The instance lives in the session's object cache
// until the object is destroyed or the session logs off; after that the object holds nothing
// (Instance() is nullptr) and a variable given it counts as having no object.
//
// Failures: "Object requires a session" (or the other texts of RequireFeature) when the session
// is missing, not connected or on the release 7 interface; the client's error as EOracleError
// through the session for a type it cannot find or an instance it cannot make. A failed
// construction leaves nothing allocated.

#include <memory>
#include <string>

#include "oci/oci.h"

namespace qm {

class ObjectInstance;
class TOracleSession;

class TOracleObject {
 public:
  TOracleObject(TOracleSession* session, const std::string& typeName);
  ~TOracleObject();
  TOracleObject(const TOracleObject&) = delete;
  TOracleObject& operator=(const TOracleObject&) = delete;

  const std::string& TypeName() const { return typeName_; }
  OCIType* TypeDescriptor() const;
  void* Instance() const;
  void* NullStructure() const;
  // Where the instance and its null structure are kept, for a bind; they stay put while the
  // object lives, and a bind may have the server replace what they point at.
  void** InstanceAddress();
  void** NullStructureAddress();

 private:
  std::string typeName_;
  std::unique_ptr<ObjectInstance> instance_;
};

}  // namespace qm
