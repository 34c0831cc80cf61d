// Directory objects, which name the server folders that BFILE values point into: CREATE [OR
// REPLACE] DIRECTORY name AS 'path', DROP DIRECTORY name, and the lookup made when a file is
// opened. As on Oracle, directories belong to no schema and the folder is not checked until a
// file in it is opened; a relative path is taken from the database's folder.
#pragma once

#include <optional>
#include <string>

#include "ocilite/internal/sql_ast.h"
#include "ocilite/internal/sqlite_db.h"

namespace qm::ocilite {

// The catalogue table; databases made before directories existed get it when a session opens.
inline constexpr const char* kDirectoriesTable =
    "CREATE TABLE IF NOT EXISTS ocl_directories (directory_name TEXT PRIMARY KEY, "
    "directory_path TEXT NOT NULL)";

// Errors: ORA-01031 without CREATE ANY DIRECTORY, ORA-00955 when the name is taken and OR
// REPLACE is missing.
void CreateDirectory(SqliteDb& db, const std::string& user, const CreateDirectoryStmt& s);
// Errors: ORA-01031 without DROP ANY DIRECTORY, ORA-04043 when there is no such directory.
void DropDirectory(SqliteDb& db, const std::string& user, const DropDirectoryStmt& s);

// The absolute folder of directory `name`; none when there is no such directory.
std::optional<std::string> DirectoryPath(SqliteDb& db, const std::string& name);

}  // namespace qm::ocilite
