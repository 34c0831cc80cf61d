// Where the engine's databases live and how one is made. A database is one SQLite file,
// "<NAME>.db" in the folder named by OCILITE_HOME (default: "ocilite" in the user's data folder,
// $XDG_DATA_HOME or ~/.local/share). Connect identifiers name databases without regard to case.
#pragma once

#include <string>
#include <string_view>

namespace qm::ocilite {

// The banner OCIServerVersion gives unless the database was told otherwise.
inline constexpr std::string_view kDefaultVersionBanner =
    "Oracle9i Enterprise Edition Release 9.2.0.1.0 - Production\n"
    "With the Partitioning, OLAP and Oracle Data Mining options\n"
    "JServer Release 9.2.0.1.0 - Production";

std::string DatabaseFolder();

class SqliteDb;
// The folder of the database file `db` is open on, where relative paths in DDL start.
std::string DatabaseFolderOf(SqliteDb& db);

// The file of the database a connect identifier names; an empty identifier means ORCL. Throws
// ORA-12154 when there is no such database, ORA-12162 for an identifier that cannot be a name.
std::string ResolveDatabase(std::string_view connect_identifier);

// Makes database `name` (with the folder when needed) holding the users SYS and SYSTEM, both with
// `system_password`; returns its file. Throws std::runtime_error when the name is not valid, the
// database exists, or the file cannot be written.
std::string CreateDatabase(std::string_view name, std::string_view system_password);

// Sets the banner OCIServerVersion reports for the database in `path`.
void SetVersionBanner(const std::string& path, std::string_view banner);

class Catalog;
// A database of format 1 stored NUMBER values as SQLite integers and doubles: turns them into
// the number form of oracle_number.h and marks the database format 2, in one transaction. Needs
// the tablespaces attached and the engine's functions registered. A database another session is
// writing is left for a later logon; other databases are left as they are.
void UpgradeNumberStorage(SqliteDb& db, Catalog& catalog);

}  // namespace qm::ocilite
