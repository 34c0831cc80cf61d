#include "oracle/internal/object_instance.h"

#include "oracle/oci_entry_points.h"
#include "oracle/oracle_session.h"

namespace qm {

ObjectInstance::ObjectInstance(TOracleSession* session, const std::string& typeName,
                               OCITypeCode typecode)
    : session_(session) {
  const OciEntryPoints& oci = session_->Entries();
  oci.OCIHandleAlloc(session_->EnvHandle(), reinterpret_cast<void**>(&error_), OCI_HTYPE_ERROR, 0,
                     nullptr);
  const std::size_t dot = typeName.find('.');
  const std::string schema = dot == std::string::npos ? std::string() : typeName.substr(0, dot);
  const std::string name = dot == std::string::npos ? typeName : typeName.substr(dot + 1);
  try {
    // No schema given is the session user's: the client takes a null name for it.
    Check(oci.OCITypeByName(
        session_->EnvHandle(), error_, session_->ServiceContext(),
        schema.empty() ? nullptr : reinterpret_cast<const OraText*>(schema.data()),
        static_cast<ub4>(schema.size()), reinterpret_cast<const OraText*>(name.data()),
        static_cast<ub4>(name.size()), nullptr, 0, OCI_DURATION_SESSION, OCI_TYPEGET_HEADER,
        &type));
    // A reference is made without the type; it names its type only when it is bound.
    Check(oci.OCIObjectNew(session_->EnvHandle(), error_, session_->ServiceContext(), typecode,
                           typecode == OCI_TYPECODE_REF ? nullptr : type, nullptr,
                           OCI_DURATION_SESSION, 1, &instance));
    if (typecode != OCI_TYPECODE_REF)
      Check(oci.OCIObjectGetInd(session_->EnvHandle(), error_, instance, &nullStructure));
  } catch (...) {
    Free();
    throw;
  }
  session_->AttachObject(this);
}

ObjectInstance::~ObjectInstance() {
  if (session_ == nullptr) return;
  session_->DetachObject(this);
  Free();
}

void ObjectInstance::SessionLoggingOff() {
  Free();
}

void ObjectInstance::SessionDestroyed() {
  session_ = nullptr;
}

void ObjectInstance::Check(sword status) const {
  if (status != OCI_SUCCESS && status != OCI_SUCCESS_WITH_INFO) session_->RaiseOracleError(error_);
}

void ObjectInstance::Free() {
  if (error_ == nullptr) return;  // freed already
  const OciEntryPoints& oci = session_->Entries();
  // A library unloaded meanwhile took its cache and its handles with it.
  if (oci.OCIObjectFree != nullptr) {
    if (instance != nullptr)
      oci.OCIObjectFree(session_->EnvHandle(), error_, instance, OCI_OBJECTFREE_FORCE);
    oci.OCIHandleFree(error_, OCI_HTYPE_ERROR);
  }
  type = nullptr;
  instance = nullptr;
  nullStructure = nullptr;
  error_ = nullptr;
}

}  // namespace qm
