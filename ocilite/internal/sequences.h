// Sequences: CREATE SEQUENCE / DROP SEQUENCE and the values NEXTVAL and CURRVAL give. A
// sequence's next number is kept in the catalogue table ocl_sequences; CURRVAL is the last
// number NEXTVAL gave in the session.
#pragma once

#include <cstdint>
#include <string>

#include "ocilite/internal/eval_context.h"
#include "ocilite/internal/sql_ast.h"
#include "ocilite/internal/sqlite_db.h"

namespace qm::ocilite {

// The catalogue table; databases made before sequences existed get it when a session opens.
inline constexpr const char* kSequencesTable =
    "CREATE TABLE IF NOT EXISTS ocl_sequences (owner TEXT NOT NULL, sequence_name TEXT NOT "
    "NULL, min_value INTEGER NOT NULL, max_value INTEGER NOT NULL, increment_by INTEGER NOT "
    "NULL, cycle_flag TEXT NOT NULL, cache_size INTEGER NOT NULL, last_number INTEGER NOT NULL, "
    "PRIMARY KEY (owner, sequence_name))";

// Errors: ORA-00955 (the name is taken by a table or sequence), ORA-01031 (no CREATE SEQUENCE
// for one's own schema, no CREATE ANY SEQUENCE for another's), ORA-04006 / ORA-04008 (START WITH
// outside MINVALUE..MAXVALUE), ORA-04005 (INCREMENT BY 0).
void CreateSequence(SqliteDb& db, const std::string& user, const CreateSequenceStmt& s);
// ORA-02289 when there is no such sequence.
void DropSequence(SqliteDb& db, const std::string& user, const DropSequenceStmt& s);

// The next number of owner.name, remembered as the session's CURRVAL. ORA-02289 when there is
// no such sequence, ORA-08004 past its MAXVALUE (or MINVALUE) without CYCLE.
std::int64_t NextValue(SqliteDb& db, EvalContext& ctx, const std::string& owner,
                       const std::string& name);
// ORA-08002 before the session's first NEXTVAL of the sequence.
std::int64_t CurrentValue(EvalContext& ctx, const std::string& owner, const std::string& name);

}  // namespace qm::ocilite
