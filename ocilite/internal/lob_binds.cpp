#include "ocilite/internal/lob_binds.h"

#include <cstring>

#include "ocilite/internal/oci_handles.h"

namespace qm::ocilite {

bool IsLobBindType(ub2 dty) { return dty == SQLT_CLOB || dty == SQLT_BLOB; }

Value LoadLobBind(const void* buffer) {
  if (buffer == nullptr) return Value::Null();
  void* address = nullptr;
  std::memcpy(&address, buffer, sizeof address);
  if (address == nullptr) return Value::Null();
  const auto* lob = oci::As<oci::LobLocator>(address, OCI_DTYPE_LOB);
  if (lob == nullptr) throw OraError(22275);
  if (!lob->initialized) return Value::Null();
  return lob->kind == DataType::kClob ? Value::Text(lob->content) : Value::Blob(lob->content);
}

SqlType LobBindType(ub2 dty) {
  return SqlType{dty == SQLT_CLOB ? DataType::kClob : DataType::kBlob};
}

}  // namespace qm::ocilite
