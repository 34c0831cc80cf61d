// External types of the 8.1 and 9i interfaces beside the plain buffers of client_buffers.h:
// values with a length prefix in native byte order (SQLT_VBI: 2 bytes; SQLT_LVC, SQLT_LVB: 4
// bytes), the client's date structure (SQLT_ODT, an OCIDate) and datetime descriptors whose
// address the buffer holds (SQLT_TIMESTAMP, SQLT_TIMESTAMP_TZ, SQLT_TIMESTAMP_LTZ, SQLT_DATE).
// Same contracts as StoreValue, LoadValue and BindType.
#pragma once

#include "ocilite/internal/client_buffers.h"
#include "ocilite/internal/oracle_date.h"

namespace qm::ocilite {

namespace oci {
struct DateTimeDescriptor;
}

bool IsExtendedExternalType(ub2 dty);
// The datetime types, whose buffer holds the address of a descriptor.
bool IsDescriptorExternalType(ub2 dty);

// A datetime descriptor's value as a DATE: fractions of a second are dropped and a value with a
// time zone is taken at its own local time. Throws ORA-01841..01852 for fields out of range.
OraDate DescriptorDate(const oci::DateTimeDescriptor& d);
// Checks the fields of a date as OCIDateTimeConstruct and the SQLT_ODT binds do: ORA-01841 year,
// ORA-01843 month, ORA-01847 day, ORA-01850 hour, ORA-01851 minute, ORA-01852 second.
OraDate CheckedDate(int year, int month, int day, int hour, int minute, int second);
// Minutes east of UTC of the process's local time at `date`.
int LocalOffsetMinutes(const OraDate& date);

StoreResult StoreExtended(const Value& v, const SqlType& type, ub2 dty, void* buffer, sb4 size,
                          ub4* length, ub4* full_length, EvalContext& ctx, const CodePage& cp);
Value LoadExtended(const void* buffer, ub4 length, ub2 dty, const CodePage& cp);
SqlType ExtendedBindType(ub2 dty, sb4 size);

}  // namespace qm::ocilite
