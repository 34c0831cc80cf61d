#include "oracle/temporary_lob.h"

#include <stdexcept>

#include "oracle/oci_entry_points.h"
#include "oracle/oracle_session.h"

namespace qm {

TTemporaryLOB::TTemporaryLOB(TOracleSession* session, ub2 lobType)
    : session_(session), lobType_(lobType) {
  RequireFeature(session_, "Temporary LOB");
  const OciEntryPoints& oci = session_->Entries();
  if (oci.OCILobCreateTemporary == nullptr || oci.OCILobFreeTemporary == nullptr)
    throw std::runtime_error("The client has no temporary LOBs");
  oci.OCIHandleAlloc(session_->EnvHandle(), reinterpret_cast<void**>(&error_), OCI_HTYPE_ERROR,
                     0, nullptr);
  oci.OCIDescriptorAlloc(session_->EnvHandle(), reinterpret_cast<void**>(&locator_),
                         OCI_DTYPE_LOB, 0, nullptr);
  try {
    Check(oci.OCILobCreateTemporary(session_->ServiceContext(), error_, locator_, 0, SQLCS_IMPLICIT,
                                    lobType_ == SQLT_CLOB ? OCI_TEMP_CLOB : OCI_TEMP_BLOB, 0,
                                    OCI_DURATION_SESSION));
  } catch (...) {
    oci.OCIDescriptorFree(locator_, OCI_DTYPE_LOB);
    oci.OCIHandleFree(error_, OCI_HTYPE_ERROR);
    throw;
  }
  session_->AttachObject(this);
}

TTemporaryLOB::~TTemporaryLOB() {
  if (session_ == nullptr) return;
  session_->DetachObject(this);
  Free();
}

void TTemporaryLOB::Free() {
  if (locator_ == nullptr) return;  // freed already
  // The temporary goes at the latest with the session; a failure here changes nothing for it.
  const OciEntryPoints& oci = session_->Entries();
  if (session_->Connected()) oci.OCILobFreeTemporary(session_->ServiceContext(), error_, locator_);
  // A library unloaded meanwhile took its handles with it.
  if (oci.OCIDescriptorFree != nullptr) {
    oci.OCIDescriptorFree(locator_, OCI_DTYPE_LOB);
    oci.OCIHandleFree(error_, OCI_HTYPE_ERROR);
  }
  locator_ = nullptr;
  error_ = nullptr;
}

void TTemporaryLOB::Check(sword status) const {
  if (status != OCI_SUCCESS && status != OCI_SUCCESS_WITH_INFO) session_->RaiseOracleError(error_);
}

void TTemporaryLOB::Write(const std::string& value) {
  if (locator_ == nullptr)
    throw std::runtime_error("The temporary LOB was freed when its session logged off");
  const OciEntryPoints& oci = session_->Entries();
  // A shorter value must not keep the end of a longer one: the temporary starts again.
  Check(oci.OCILobFreeTemporary(session_->ServiceContext(), error_, locator_));
  Check(oci.OCILobCreateTemporary(session_->ServiceContext(), error_, locator_, 0, SQLCS_IMPLICIT,
                                  lobType_ == SQLT_CLOB ? OCI_TEMP_CLOB : OCI_TEMP_BLOB, 0,
                                  OCI_DURATION_SESSION));
  if (value.empty()) return;
  ub4 amount = static_cast<ub4>(value.size());
  Check(oci.OCILobWrite(session_->ServiceContext(), error_, locator_, &amount, 1,
                        const_cast<char*>(value.data()), static_cast<ub4>(value.size()),
                        OCI_ONE_PIECE, nullptr, nullptr, 0, SQLCS_IMPLICIT));
}

}  // namespace qm
