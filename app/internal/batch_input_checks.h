#pragma once
// What the batch program checks before it logs on or changes anything, so that a wrong argument
// never costs the target table its rows: the field-link file, the source table, and that the
// target table has every column the links fill. Each check throws std::runtime_error with the
// message the program prints (code page 1251) and leaves nothing open.

#include <string>

namespace qm {

class FieldLinkTable;
class SourceTable;

// "the field-link file <path> cannot be read: <reason>", "... is empty", or "... has no link
// rows in a [Rows] section" when `path` is no field-link file an import can run from.
void CheckFieldLinkFile(const std::string& path);

// Opens the source table `dbf` from `path` and closes it again. Throws "not connect to <path>:
// <the table's error>" when it cannot be opened, and "<path> is shorter than its header says: the
// header gives <n> records, the file holds <m>; --allow-short imports those" for a cut file
// unless `allowShort`.
void CheckSource(SourceTable& dbf, const std::string& path, bool allowShort);

// The query that asks the target for its linked columns without a row: "select A,B from T where
// 1=0" over the rows whose "Proceed" is "1", "select * from T where 1=0" when none takes part.
std::string TargetCheckQuery(const FieldLinkTable& links, const std::string& tableName);

}  // namespace qm
