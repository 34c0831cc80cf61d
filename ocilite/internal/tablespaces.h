// Tablespaces. SYSTEM, USERS and TEMP live in the database file itself; every other tablespace
// is a SQLite file of its own at the path its DATAFILE clause names (relative paths are taken
// from the database's folder), attached to each session under the schema "ts_<name>", and the
// tables created in it are stored there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ocilite/internal/sql_ast.h"
#include "ocilite/internal/sqlite_db.h"

namespace qm::ocilite {

// The SQLite name of table `object_id` stored in `tablespace`, quoted for SQL text:
// "o12" or "ts_DATA"."o12".
std::string TableStorage(std::string_view tablespace, std::int64_t object_id);

// Splits a table's SQLite name into its schema prefix ("" or "\"ts_DATA\".") and the table.
std::pair<std::string, std::string> SplitStorage(const std::string& storage);

// Creates the data file and records the tablespace; call inside the DDL transaction. Errors:
// ORA-01031 without CREATE TABLESPACE, ORA-01543 when the tablespace exists, ORA-01119 when the
// file cannot be created (it exists, without REUSE, or its folder cannot be written). A temporary
// tablespace's file is an empty file: sorting space is SQLite's own, and nothing is stored there.
void CreateTablespace(SqliteDb& db, const std::string& user, const CreateTablespaceStmt& s);

// Whether `tablespace` exists (ORA-00959 otherwise) and is temporary.
bool IsTemporaryTablespace(SqliteDb& db, const Name& tablespace);
// The temporary tablespace of users created without one: TEMP unless ALTER DATABASE said
// otherwise.
std::string DefaultTemporaryTablespace(SqliteDb& db);
// ALTER DATABASE DEFAULT TEMPORARY TABLESPACE: ORA-01031 without ALTER DATABASE, ORA-00959 for
// an unknown tablespace, ORA-12901 for a permanent one. Users of the old default move to it.
void AlterDatabase(SqliteDb& db, const std::string& user, const AlterDatabaseStmt& s);

// Drops the tables stored in the tablespace and its record; call inside the DDL transaction.
// Returns the data file to delete once the transaction is committed ("" to keep it). Errors:
// ORA-01031 without DROP TABLESPACE, ORA-00959 when there is no such tablespace (or it is one
// of the database file's own), ORA-01549 when it holds tables and INCLUDING CONTENTS is missing,
// ORA-12906 for the default temporary tablespace.
std::string DropTablespace(SqliteDb& db, const std::string& user, const DropTablespaceStmt& s);

// Attaches the files of the permanent tablespaces the catalogue holds and detaches those it no
// longer holds; must run outside any transaction. A data file that is gone is left unattached.
void SyncTablespaces(SqliteDb& db);

}  // namespace qm::ocilite
