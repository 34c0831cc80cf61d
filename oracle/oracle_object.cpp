#include "oracle/oracle_object.h"

#include "oracle/internal/object_instance.h"
#include "oracle/oracle_session.h"

namespace qm {

TOracleObject::TOracleObject(TOracleSession* session, const std::string& typeName)
    : typeName_(typeName) {
  RequireFeature(session, "Object");
  instance_ = std::make_unique<ObjectInstance>(session, typeName, OCI_TYPECODE_OBJECT);
}

TOracleObject::~TOracleObject() = default;

OCIType* TOracleObject::TypeDescriptor() const {
  return instance_->type;
}
void* TOracleObject::Instance() const {
  return instance_->instance;
}
void* TOracleObject::NullStructure() const {
  return instance_->nullStructure;
}
void** TOracleObject::InstanceAddress() {
  return &instance_->instance;
}
void** TOracleObject::NullStructureAddress() {
  return &instance_->nullStructure;
}

}  // namespace qm
