#pragma once
// The facts of a target table a dry run checks values against, read from the server's
// dictionary over a logged-on session: its columns from USER_TAB_COLUMNS (ALL_TAB_COLUMNS for a
// name with an owner, "OWNER.TABLE"), the database character set from NLS_DATABASE_PARAMETERS
// and the session's date format from NLS_SESSION_PARAMETERS. A server without those two views
// (the embedded engine) leaves the character set unknown, and the date format is then the one
// the client library was given (NLS_DATE_FORMAT, which the client start-up always sets). Only
// queries are run.

#include <string>

#include "import/server_value_check.h"

namespace qm {

class TOracleSession;

// Throws std::runtime_error "the table <name> is not in the dictionary" when the dictionary
// lists no column of it, and the session's errors of the column query.
TargetFacts ReadTargetFacts(TOracleSession& session, const std::string& tableName);

}  // namespace qm
