// What the engine reports when its storage fails: the errors an Oracle server gives for the same
// trouble with its data files.
//
//   the file cannot grow (disk or quota full, file size limit):
//     a table written      ORA-01653: unable to extend table OWNER.TABLE by 128 in tablespace TS
//     a query's sorting    ORA-01652: unable to extend temp segment by 128 in tablespace TEMP
//     nothing known        ORA-01114 as for any failed write
//   a write fails          ORA-01114: IO error writing block to file PATH (block # N)
//   a read fails           ORA-01115: IO error reading block from file PATH (block # N)
//   the file is read-only  ORA-00372: file N cannot be modified at this time
//                          ORA-01110: data file N: 'PATH'
//   the file is damaged    ORA-01578: ORACLE data block corrupted (file # N, block # 0)
//                          ORA-01110: data file N: 'PATH'
//   it cannot be opened    ORA-01116: error in opening database file N
//                          ORA-01110: data file N: 'PATH'
//
// 128 blocks is the extent an Oracle tablespace of 8 KiB blocks allocates once a segment has
// grown past its first megabyte; the block number is where the file ends, the block the write
// would have added. Neither is known more exactly from SQLite's report.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>

#include "ocilite/internal/ora_error.h"

namespace qm::ocilite {

// Where a failed operation stored or read its data.
struct StorageSite {
  std::string owner;  // the table written, when the operation wrote one
  std::string table;
  std::string tablespace;  // the table's tablespace, or the session's temporary one for a query
  bool query = false;      // a query: what cannot grow is its sort space
  int file_id = 1;         // FILE_ID of the data file, as DBA_DATA_FILES numbers it
  std::string file;        // its path
  std::int64_t file_bytes = 0;
};

// Whether SQLite's (extended) result code is a failure of the storage rather than of the
// statement: full, I/O error, read-only, damaged, cannot open.
bool IsStorageFailure(int sqlite_code);

// The operating system's error number behind the storage failure SQLite just reported on
// `db`. SQLite keeps the one current when it noted the failure, which the clean-up after a failed
// commit can overwrite; the files of the database (data files and their logs) keep their own
// last one, which is asked then.
int FailureErrno(sqlite3* db);

// The Oracle error for storage failure `sqlite_code`, given the operating system's error number
// of the failed call (ENOSPC, EFBIG and EDQUOT mean the file cannot grow).
OraError StorageError(int sqlite_code, int system_errno, const StorageSite& site);

}  // namespace qm::ocilite
