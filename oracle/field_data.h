#pragma once
// TFieldData: one select-list column of a statement: what the server described, how the column
// is fetched, and the fetch buffers for one batch of rows. LONG and LONG RAW columns have no
// value buffer; the current row's value arrives in pieces through the define callback. LOB
// columns fetch one client locator per row into `locators`, and `lob` reads the current row's.

#include <memory>
#include <string>
#include <vector>

#include "oracle/lob_locator.h"
#include "oci/oci.h"

namespace qm {

struct TLongPiece {
  explicit TLongPiece(ub4 size) : bufferSize(size), length(size), buffer(size) {}
  ub4 bufferSize;
  ub4 length;  // written by the client
  std::vector<char> buffer;
};

struct TFieldData {
  sb4 declaredSize = 0;
  ub2 internalType = 0;
  std::string name;  // at most 30 characters
  ub2 precision = 0;
  sb2 scale = 0;
  ub2 nullable = 0;
  ub2 fetchType = 0;
  sb4 bufferSize = 0;  // bytes per row
  ub4 rows = 0;
  std::vector<char> values;  // bufferSize * rows
  std::vector<sb2> indicators;
  std::vector<ub2> lengths;
  std::vector<std::unique_ptr<TLongPiece>> longPieces;
  std::vector<OCILobLocator*> locators;  // owned by the statement, which frees them
  std::unique_ptr<TLOBLocator> lob;

  bool IsLong() const { return fetchType == SQLT_LNG || fetchType == SQLT_LBI; }
  bool IsLOB() const {
    return fetchType == SQLT_CLOB || fetchType == SQLT_BLOB || fetchType == SQLT_BFILE;
  }
  // The descriptor kind of the column's locators.
  ub4 LocatorKind() const { return fetchType == SQLT_BFILE ? OCI_DTYPE_FILE : OCI_DTYPE_LOB; }
  const char* Value(ub4 row) const { return values.data() + static_cast<size_t>(row) * bufferSize; }
};

}  // namespace qm
