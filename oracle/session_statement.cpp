#include "oracle/session_statement.h"

#include <stdexcept>

#include "oracle/e_oracle_error.h"
#include "oracle/oci_entry_points.h"
#include "oracle/oracle_session.h"

namespace qm {

SessionStatement::SessionStatement(TOracleSession& session, std::string name)
    : session_(&session), name_(std::move(name)) {
  session_->AttachStatement(this);
}

SessionStatement::~SessionStatement() {
  Close();
  if (session_ != nullptr) session_->DetachStatement(this);
}

void SessionStatement::Close() {
  columns_.clear();
  if (session_ == nullptr || (stmt_ == nullptr && err_ == nullptr)) return;
  // Handles of a library that was unloaded meanwhile went with it.
  const OciEntryPoints& oci = session_->Entries();
  if (stmt_ != nullptr && oci.OCIHandleFree) oci.OCIHandleFree(stmt_, OCI_HTYPE_STMT);
  if (err_ != nullptr && oci.OCIHandleFree) oci.OCIHandleFree(err_, OCI_HTYPE_ERROR);
  stmt_ = nullptr;
  err_ = nullptr;
}

void SessionStatement::Check(sword status) {
  if (status == OCI_SUCCESS) return;
  session_->RaiseOracleError(err_);
}

void SessionStatement::Execute(const std::string& sql) {
  Close();
  if (session_ == nullptr || !session_->Connected()) throw std::runtime_error("Not logged on");
  const OciEntryPoints& oci = session_->Entries();
  OCIEnv* env = session_->EnvHandle();
  oci.OCIHandleAlloc(env, reinterpret_cast<void**>(&err_), OCI_HTYPE_ERROR, 0, nullptr);
  oci.OCIHandleAlloc(env, reinterpret_cast<void**>(&stmt_), OCI_HTYPE_STMT, 0, nullptr);
  if (err_ == nullptr || stmt_ == nullptr) {
    Close();
    throw std::runtime_error("The client could not allocate a statement handle");
  }

  Check(oci.OCIStmtPrepare(stmt_, err_, reinterpret_cast<const OraText*>(sql.data()),
                           static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT));
  ub2 type = 0;
  Check(oci.OCIAttrGet(stmt_, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, err_));
  const bool query = type == OCI_STMT_SELECT;
  const ub4 mode = !query && session_->AutoCommit() ? OCI_COMMIT_ON_SUCCESS : OCI_DEFAULT;
  Check(oci.OCIStmtExecute(session_->ServiceContext(), stmt_, err_, query ? 0 : 1, 0, nullptr,
                           nullptr, mode));
  if (!query) return;

  ub4 count = 0;
  Check(oci.OCIAttrGet(stmt_, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, err_));
  columns_.resize(count);
  for (ub4 i = 0; i < count; ++i) {
    OCIDefine* define = nullptr;
    Check(oci.OCIDefineByPos(stmt_, &define, err_, i + 1, columns_[i].buffer.data(),
                             static_cast<sb4>(kColumnBuffer), SQLT_STR, &columns_[i].indicator,
                             nullptr, nullptr, OCI_DEFAULT));
  }
}

bool SessionStatement::Next(std::vector<std::string>& row) {
  if (stmt_ == nullptr || columns_.empty()) return false;
  const sword status =
      session_->Entries().OCIStmtFetch(stmt_, err_, 1, OCI_FETCH_NEXT, OCI_DEFAULT);
  if (status == OCI_NO_DATA) return false;
  Check(status);
  row.clear();
  for (const Column& column : columns_)
    row.push_back(column.indicator == -1 ? std::string() : std::string(column.buffer.data()));
  return true;
}

}  // namespace qm
