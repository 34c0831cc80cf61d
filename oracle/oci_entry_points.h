#pragma once
// The table of client library functions: one slot per name the loader resolves
// (oci_entry_point_names.h), typed as in oci.h and named after the function, so a call reads
// `entries.OCIHandleAlloc(...)`. A slot is nullptr when its name was not resolved.

#include <string>

#include "oci/oci.h"
#include "oracle/oci_entry_point_names.h"

namespace qm {

// A text argument of the release 7 calls, which take non-const pointers but only read.
inline OraText* MutableText(const std::string& s) {
  return reinterpret_cast<OraText*>(const_cast<char*>(s.c_str()));
}

struct OciEntryPoints {
#define QM_OCI_SLOT(name) name##_t name = nullptr;
  QM_OCI7_NAMES(QM_OCI_SLOT)
  QM_OLOG_NAMES(QM_OCI_SLOT)
  QM_OPINIT_NAMES(QM_OCI_SLOT)
  QM_OCI8_NAMES(QM_OCI_SLOT)
  QM_OCI81_NAMES(QM_OCI_SLOT)
  QM_OCI_TEMP_LOB_NAMES(QM_OCI_SLOT)
#undef QM_OCI_SLOT
};

}  // namespace qm
