#include "oracle/oracle_reference.h"

#include "oracle/internal/object_instance.h"
#include "oracle/oracle_session.h"

namespace qm {

TOracleReference::TOracleReference(TOracleSession* session, const std::string& typeName)
    : typeName_(typeName) {
  RequireFeature(session, "Reference");
  instance_ = std::make_unique<ObjectInstance>(session, typeName, OCI_TYPECODE_REF);
}

TOracleReference::~TOracleReference() = default;

OCIType* TOracleReference::TypeDescriptor() const {
  return instance_->type;
}
OCIRef* TOracleReference::Ref() const {
  return static_cast<OCIRef*>(instance_->instance);
}
void** TOracleReference::RefAddress() {
  return &instance_->instance;
}

}  // namespace qm
