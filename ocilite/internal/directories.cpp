#include "ocilite/internal/directories.h"

#include <filesystem>

#include "ocilite/database_files.h"
#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/user_accounts.h"

namespace qm::ocilite {

void CreateDirectory(SqliteDb& db, const std::string& user, const CreateDirectoryStmt& s) {
  if (!HasPrivilege(db, user, "CREATE ANY DIRECTORY")) throw OraError(1031);
  if (!s.or_replace && DirectoryPath(db, s.name.text)) throw OraError(955).At(s.name.pos);
  std::filesystem::path path(s.path);
  if (path.is_relative()) path = std::filesystem::path(DatabaseFolderOf(db)) / path;
  SqliteStmt q = db.Prepare("INSERT OR REPLACE INTO ocl_directories VALUES (?1, ?2)");
  q.Bind(1, s.name.text);
  q.Bind(2, path.lexically_normal().string());
  q.Step();
}

void DropDirectory(SqliteDb& db, const std::string& user, const DropDirectoryStmt& s) {
  if (!HasPrivilege(db, user, "DROP ANY DIRECTORY")) throw OraError(1031);
  if (!DirectoryPath(db, s.name.text)) throw OraError(4043, {s.name.text}).At(s.name.pos);
  SqliteStmt q = db.Prepare("DELETE FROM ocl_directories WHERE directory_name = ?1");
  q.Bind(1, s.name.text);
  q.Step();
}

std::optional<std::string> DirectoryPath(SqliteDb& db, const std::string& name) {
  SqliteStmt q = db.Prepare("SELECT directory_path FROM ocl_directories WHERE directory_name = ?1");
  q.Bind(1, name);
  if (!q.Step()) return std::nullopt;
  return q.Text(0);
}

}  // namespace qm::ocilite
