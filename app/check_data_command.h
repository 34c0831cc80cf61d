#pragma once
// "Check data", the entry of the Process data button's context menu: the dry run
// (import/dry_run_check.h) from the window, over the window's session and source table, shown
// through the same window face as the import run: its progress, the import-errors window (one
// entry per would-be reject, "/<record>/check column <column>, value '<value>': <message>" with
// the server's message as its reason too, or "/<record>/not read: <the source's message>") and a box captioned
// "check data" with the counts. Nothing is sent to the target table.

#include "import/dry_run_check.h"

namespace qm {

class ImportRunWindow;
class SourceTable;
class TOracleSession;

// Validates the links as the run does (the same box, and nothing more, when they fail), reads
// the target's facts, checks every record of the file the window names. Throws what reading the
// facts or opening the source throws; the window is told the run started and ended either way.
CheckSummary RunCheckData(ImportRunWindow& window, TOracleSession& session, SourceTable& dbf);

// The import-errors window's entry for a would-be reject.
std::string CheckLogEntry(const WouldBeReject& reject);

}  // namespace qm
