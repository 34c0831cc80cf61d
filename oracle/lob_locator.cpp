#include "oracle/lob_locator.h"

#include <algorithm>
#include <vector>

#include "oracle/oci_entry_points.h"
#include "oracle/oracle_session.h"

namespace qm {
namespace {

// Client buffer of one read call; larger values come in several parts.
constexpr std::size_t kReadPart = 65536;

}  // namespace

void TLOBLocator::Check(sword status) const {
  if (status != OCI_SUCCESS && status != OCI_SUCCESS_WITH_INFO)
    session_.RaiseOracleError(error_);
}

int TLOBLocator::Size() const {
  if (IsNull()) return 0;
  ub4 length = 0;
  Check(session_.Entries().OCILobGetLength(session_.ServiceContext(), error_, locator_, &length));
  return static_cast<int>(length);
}

std::string TLOBLocator::Read(int offset, int amount) const {
  if (IsNull() || amount <= 0 || offset < 0) return "";
  if (lobType_ != SQLT_BFILE) return ReadOpen(offset, amount);
  const OciEntryPoints& oci = session_.Entries();
  Check(oci.OCILobFileOpen(session_.ServiceContext(), error_, locator_, OCI_FILE_READONLY));
  std::string content;
  try {
    content = ReadOpen(offset, amount);
  } catch (...) {
    oci.OCILobFileClose(session_.ServiceContext(), error_, locator_);
    throw;
  }
  Check(oci.OCILobFileClose(session_.ServiceContext(), error_, locator_));
  return content;
}

std::string TLOBLocator::ReadOpen(int offset, int amount) const {
  const OciEntryPoints& oci = session_.Entries();
  // A character may take several bytes in the client's set, so the buffer is refilled for as
  // long as the client has more of the asked amount.
  std::vector<char> part(std::min<std::size_t>(static_cast<std::size_t>(amount) * 4, kReadPart));
  std::string content;
  ub4 got = static_cast<ub4>(amount);
  sword status = oci.OCILobRead(session_.ServiceContext(), error_, locator_, &got,
                                static_cast<ub4>(offset) + 1, part.data(),
                                static_cast<ub4>(part.size()), nullptr, nullptr, 0, 0);
  while (status == OCI_NEED_DATA) {
    content.append(part.data(), got);
    status = oci.OCILobRead(session_.ServiceContext(), error_, locator_, &got, 0, part.data(),
                            static_cast<ub4>(part.size()), nullptr, nullptr, 0, 0);
  }
  if (status == OCI_NO_DATA) return content;
  Check(status);
  content.append(part.data(), got);
  return content;
}

}  // namespace qm
