#include "ocilite/internal/tablespaces.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>
#include <vector>

#include "ocilite/database_files.h"
#include "ocilite/internal/constraints.h"
#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/user_accounts.h"

namespace qm::ocilite {
namespace {

bool InDatabaseFile(std::string_view tablespace) {
  return tablespace == "SYSTEM" || tablespace == "USERS" || tablespace == "TEMP";
}

std::string SchemaOf(std::string_view tablespace) {
  return "ts_" + std::string(tablespace);
}

}  // namespace

std::string TableStorage(std::string_view tablespace, std::int64_t object_id) {
  const std::string table = "\"o" + std::to_string(object_id) + "\"";
  if (tablespace.empty() || InDatabaseFile(tablespace)) return table;
  return "\"" + SchemaOf(tablespace) + "\"." + table;
}

std::pair<std::string, std::string> SplitStorage(const std::string& storage) {
  const auto dot = storage.find("\".\"");
  if (dot == std::string::npos) return {"", storage};
  return {storage.substr(0, dot + 2), storage.substr(dot + 2)};
}

void CreateTablespace(SqliteDb& db, const std::string& user, const CreateTablespaceStmt& s) {
  if (!HasPrivilege(db, user, "CREATE TABLESPACE")) throw OraError(1031);
  {
    SqliteStmt q = db.Prepare("SELECT 1 FROM ocl_tablespaces WHERE tablespace_name = ?1");
    q.Bind(1, s.name.text);
    if (q.Step()) throw OraError(1543, {s.name.text}).At(s.name.pos);
  }
  std::filesystem::path path(s.file);
  if (path.is_relative()) path = std::filesystem::path(DatabaseFolderOf(db)) / path;
  std::error_code ec;
  const bool exists = std::filesystem::exists(path, ec);
  if (exists && !s.reuse) throw OraError(1119, {s.file}).At(s.file_pos);
  if (s.temporary) {
    if (!std::ofstream(path, std::ios::app)) throw OraError(1119, {s.file}).At(s.file_pos);
  } else {
    try {
      SqliteDb file(path.string(), true, 0);
      file.Exec("PRAGMA journal_mode=WAL");
    } catch (const SqliteError&) {
      throw OraError(1119, {s.file}).At(s.file_pos);
    }
  }
  SqliteStmt q = db.Prepare(
      "INSERT INTO ocl_tablespaces (tablespace_name, file_name, bytes, autoextensible, contents) "
      "VALUES (?1, ?2, ?3, ?4, ?5)");
  q.Bind(1, s.name.text);
  q.Bind(2, std::filesystem::absolute(path, ec).string());
  q.Bind(3, s.bytes);
  q.Bind(4, s.autoextend ? "YES" : "NO");
  q.Bind(5, s.temporary ? "TEMPORARY" : "PERMANENT");
  q.Step();
}

bool IsTemporaryTablespace(SqliteDb& db, const Name& tablespace) {
  SqliteStmt q = db.Prepare("SELECT contents FROM ocl_tablespaces WHERE tablespace_name = ?1");
  q.Bind(1, tablespace.text);
  if (!q.Step()) throw OraError(959, {tablespace.text}).At(tablespace.pos);
  return q.Text(0) == "TEMPORARY";
}

std::string DefaultTemporaryTablespace(SqliteDb& db) {
  SqliteStmt q =
      db.Prepare("SELECT value FROM ocl_meta WHERE key = 'default_temporary_tablespace'");
  return q.Step() ? q.Text(0) : "TEMP";
}

void AlterDatabase(SqliteDb& db, const std::string& user, const AlterDatabaseStmt& s) {
  if (!HasPrivilege(db, user, "ALTER DATABASE")) throw OraError(1031);
  const Name& space = s.default_temporary_tablespace;
  if (!IsTemporaryTablespace(db, space)) throw OraError(12901).At(space.pos);
  SqliteStmt move =
      db.Prepare("UPDATE ocl_users SET temporary_tablespace = ?1 WHERE temporary_tablespace = ?2");
  move.Bind(1, space.text);
  move.Bind(2, DefaultTemporaryTablespace(db));
  move.Step();
  SqliteStmt set =
      db.Prepare("INSERT OR REPLACE INTO ocl_meta VALUES ('default_temporary_tablespace', ?1)");
  set.Bind(1, space.text);
  set.Step();
}

std::string DropTablespace(SqliteDb& db, const std::string& user, const DropTablespaceStmt& s) {
  if (!HasPrivilege(db, user, "DROP TABLESPACE")) throw OraError(1031);
  std::string file;
  {
    SqliteStmt q = db.Prepare("SELECT file_name FROM ocl_tablespaces WHERE tablespace_name = ?1");
    q.Bind(1, s.name.text);
    if (!q.Step() || InDatabaseFile(s.name.text)) throw OraError(959, {s.name.text}).At(s.name.pos);
    file = q.Text(0);
  }
  if (s.name.text == DefaultTemporaryTablespace(db)) throw OraError(12906).At(s.name.pos);
  std::vector<std::int64_t> objects;
  {
    SqliteStmt q = db.Prepare("SELECT object_id FROM ocl_objects WHERE tablespace_name = ?1");
    q.Bind(1, s.name.text);
    while (q.Step()) objects.push_back(q.Int(0));
  }
  if (!objects.empty() && !s.including_contents) throw OraError(1549);
  ForgetConstraintsOf(db, objects, s.cascade_constraints);
  for (const std::int64_t id : objects) {
    db.Exec("DROP TABLE IF EXISTS " + TableStorage(s.name.text, id));
    for (const char* table : {"ocl_columns", "ocl_objects"})
      db.Exec(std::string("DELETE FROM ") + table + " WHERE object_id = " + std::to_string(id));
    db.Exec("DELETE FROM ocl_indexes WHERE table_id = " + std::to_string(id));
  }
  for (const char* sql : {"DELETE FROM ocl_tablespaces WHERE tablespace_name = ?1",
                          "DELETE FROM ocl_quotas WHERE tablespace_name = ?1"}) {
    SqliteStmt d = db.Prepare(sql);
    d.Bind(1, s.name.text);
    d.Step();
  }
  return s.and_datafiles ? file : std::string();
}

void SyncTablespaces(SqliteDb& db) {
  std::set<std::string> attached;
  {
    SqliteStmt q = db.Prepare(
        "SELECT name FROM pragma_database_list WHERE name LIKE 'ts\\_%' "
        "ESCAPE '\\'");
    while (q.Step()) attached.insert(q.Text(0));
  }
  std::vector<std::pair<std::string, std::string>> spaces;  // schema, file
  {
    SqliteStmt q = db.Prepare(
        "SELECT tablespace_name, file_name FROM ocl_tablespaces WHERE contents = 'PERMANENT'");
    while (q.Step())
      if (!InDatabaseFile(q.Text(0))) spaces.emplace_back(SchemaOf(q.Text(0)), q.Text(1));
  }
  std::set<std::string> wanted;
  for (const auto& [schema, file] : spaces) {
    wanted.insert(schema);
    std::error_code ec;
    if (attached.count(schema) || !std::filesystem::exists(file, ec)) continue;
    SqliteStmt attach = db.Prepare("ATTACH DATABASE ?1 AS \"" + schema + "\"");
    attach.Bind(1, file);
    attach.Step();
  }
  for (const std::string& schema : attached)
    if (!wanted.count(schema)) db.Exec("DETACH DATABASE \"" + schema + "\"");
}

}  // namespace qm::ocilite
