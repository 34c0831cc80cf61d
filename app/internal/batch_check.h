#pragma once
// quillmove-import --check: the dry run over the logged-on session, printed. Each would-be
// reject is one line on `out` (dry_run_check.h: RejectLine), then the summary
// (CheckSummaryText), in UTF-8. Nothing is written to the database.

#include <cstdio>
#include <string>

#include "import/dry_run_check.h"

namespace qm {

class FieldLinkTable;
class SourceTable;
class TOracleSession;

// Reads the target's facts and checks every record of `dbf` (given its file already). Throws
// what reading the facts or opening the source throws.
// `seek`: the run would look for each record first ("Seek old record", on unless --no-seek).
CheckSummary RunBatchCheck(TOracleSession& session, SourceTable& dbf, const FieldLinkTable& links,
                           const std::string& tableName, bool seek, std::FILE* out);

}  // namespace qm
