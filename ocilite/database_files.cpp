#include "ocilite/database_files.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <utility>
#include <vector>

#include "ocilite/internal/catalog.h"
#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/oracle_date.h"
#include "ocilite/internal/sequences.h"
#include "ocilite/internal/sqlite_db.h"
#include "ocilite/internal/table_ddl.h"
#include "ocilite/internal/user_accounts.h"
#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {
namespace {

// The catalogue. Dates are stored as "YYYY-MM-DD HH:MM:SS" like DATE columns.
constexpr const char* kSchema = R"(
CREATE TABLE ocl_meta (key TEXT PRIMARY KEY, value TEXT);
CREATE TABLE ocl_users (
  user_id INTEGER PRIMARY KEY,
  username TEXT NOT NULL UNIQUE,
  password_salt TEXT,
  password_hash TEXT,
  account_status TEXT NOT NULL DEFAULT 'OPEN',
  lock_date TEXT,
  expiry_date TEXT,
  password_changed TEXT,
  profile TEXT NOT NULL DEFAULT 'DEFAULT',
  default_tablespace TEXT NOT NULL DEFAULT 'USERS',
  temporary_tablespace TEXT NOT NULL DEFAULT 'TEMP',
  created TEXT NOT NULL);
CREATE TABLE ocl_roles (role TEXT PRIMARY KEY, password_required TEXT NOT NULL DEFAULT 'NO');
CREATE TABLE ocl_privileges (
  grantee TEXT NOT NULL,
  privilege TEXT NOT NULL,
  is_role INTEGER NOT NULL,
  admin_option INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY (grantee, privilege));
CREATE TABLE ocl_quotas (
  username TEXT NOT NULL, tablespace_name TEXT NOT NULL, max_bytes INTEGER NOT NULL,
  PRIMARY KEY (username, tablespace_name));
CREATE TABLE ocl_profiles (
  profile TEXT NOT NULL, resource_name TEXT NOT NULL, limit_value TEXT NOT NULL,
  PRIMARY KEY (profile, resource_name));
CREATE TABLE ocl_tablespaces (
  tablespace_name TEXT PRIMARY KEY, file_name TEXT, bytes INTEGER, autoextensible TEXT,
  status TEXT NOT NULL DEFAULT 'ONLINE', contents TEXT NOT NULL DEFAULT 'PERMANENT');
CREATE TABLE ocl_objects (
  object_id INTEGER PRIMARY KEY,
  owner TEXT NOT NULL,
  object_name TEXT NOT NULL,
  object_type TEXT NOT NULL,
  tablespace_name TEXT,
  created TEXT NOT NULL,
  last_ddl_time TEXT NOT NULL,
  UNIQUE (owner, object_name));
CREATE TABLE ocl_columns (
  object_id INTEGER NOT NULL,
  column_id INTEGER NOT NULL,
  column_name TEXT NOT NULL,
  storage_name TEXT NOT NULL,
  data_type TEXT NOT NULL,
  data_length INTEGER NOT NULL,
  data_precision INTEGER,
  data_scale INTEGER,
  nullable TEXT NOT NULL,
  data_default TEXT,
  PRIMARY KEY (object_id, column_id));
CREATE TABLE ocl_constraints (
  owner TEXT NOT NULL,
  constraint_name TEXT NOT NULL,
  object_id INTEGER NOT NULL,
  constraint_type TEXT NOT NULL,
  column_list TEXT NOT NULL,
  search_condition TEXT,
  r_owner TEXT,
  r_constraint_name TEXT,
  delete_rule TEXT,
  not_null INTEGER NOT NULL DEFAULT 0,
  generated TEXT,
  last_change TEXT,
  PRIMARY KEY (owner, constraint_name));
CREATE INDEX ocl_constraints_by_object ON ocl_constraints (object_id);

INSERT INTO ocl_meta VALUES ('format', '2');
INSERT INTO ocl_meta VALUES ('next_constraint', '1000');
INSERT INTO ocl_roles (role) VALUES ('CONNECT'), ('RESOURCE'), ('DBA');
INSERT INTO ocl_privileges (grantee, privilege, is_role) VALUES
  ('CONNECT', 'CREATE SESSION', 0), ('CONNECT', 'ALTER SESSION', 0),
  ('CONNECT', 'CREATE TABLE', 0), ('CONNECT', 'CREATE VIEW', 0),
  ('CONNECT', 'CREATE SYNONYM', 0), ('CONNECT', 'CREATE SEQUENCE', 0),
  ('CONNECT', 'CREATE CLUSTER', 0), ('CONNECT', 'CREATE DATABASE LINK', 0),
  ('RESOURCE', 'CREATE TABLE', 0), ('RESOURCE', 'CREATE SEQUENCE', 0),
  ('RESOURCE', 'CREATE CLUSTER', 0), ('RESOURCE', 'CREATE PROCEDURE', 0),
  ('RESOURCE', 'CREATE TRIGGER', 0), ('RESOURCE', 'CREATE TYPE', 0),
  ('SYS', 'DBA', 1), ('SYS', 'SYSDBA', 0), ('SYS', 'SYSOPER', 0),
  ('SYSTEM', 'DBA', 1), ('SYSTEM', 'UNLIMITED TABLESPACE', 0);
INSERT INTO ocl_profiles VALUES
  ('DEFAULT', 'FAILED_LOGIN_ATTEMPTS', 'UNLIMITED'), ('DEFAULT', 'PASSWORD_LIFE_TIME', 'UNLIMITED'),
  ('DEFAULT', 'PASSWORD_GRACE_TIME', 'UNLIMITED'), ('DEFAULT', 'PASSWORD_LOCK_TIME', 'UNLIMITED'),
  ('DEFAULT', 'PASSWORD_REUSE_TIME', 'UNLIMITED'), ('DEFAULT', 'PASSWORD_REUSE_MAX', 'UNLIMITED');
)";

bool ValidName(std::string_view name) {
  if (name.empty() || name.size() > 30) return false;
  if (!((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'))) return false;
  for (const char c : name)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
          c == '$' || c == '#'))
      return false;
  return true;
}

std::string FileOf(std::string_view name) {
  return (std::filesystem::path(DatabaseFolder()) / (Utf8Upper(name) + ".db")).string();
}

}  // namespace

std::string DatabaseFolder() {
  if (const char* home = std::getenv("OCILITE_HOME"); home && *home) return home;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
    return (std::filesystem::path(data) / "ocilite").string();
  const char* user_home = std::getenv("HOME");
  return (std::filesystem::path(user_home && *user_home ? user_home : ".") / ".local" / "share" /
          "ocilite")
      .string();
}

std::string DatabaseFolderOf(SqliteDb& db) {
  const char* main = sqlite3_db_filename(db.get(), "main");
  return main ? std::filesystem::path(main).parent_path().string() : std::string();
}

std::string ResolveDatabase(std::string_view identifier) {
  while (!identifier.empty() && identifier.front() == ' ') identifier.remove_prefix(1);
  while (!identifier.empty() && identifier.back() == ' ') identifier.remove_suffix(1);
  if (identifier.empty()) identifier = "ORCL";
  std::string_view name = identifier;
  if (!ValidName(name)) {
    // "ORCL.WORLD" names ORCL, as a net service name with its domain does.
    const auto dot = name.find('.');
    if (dot != std::string_view::npos && ValidName(name.substr(0, dot))) {
      name = name.substr(0, dot);
    } else if (name.find_first_of("()=") != std::string_view::npos) {
      throw OraError(12162);
    } else {
      throw OraError(12154);
    }
  }
  std::string path = FileOf(name);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) throw OraError(12154);
  return path;
}

std::string CreateDatabase(std::string_view name, std::string_view system_password) {
  if (!ValidName(name)) throw std::runtime_error("invalid database name: " + std::string(name));
  if (system_password.empty()) throw std::runtime_error("the SYSTEM password must not be empty");
  std::error_code ec;
  std::filesystem::create_directories(DatabaseFolder(), ec);
  const std::string path = FileOf(name);
  if (std::filesystem::exists(path, ec))
    throw std::runtime_error("database " + Utf8Upper(name) + " already exists: " + path);
  try {
    SqliteDb db(path, true, 0);
    db.Exec("PRAGMA journal_mode=WAL");
    db.Exec("BEGIN");
    db.Exec(kSchema);
    db.Exec(kSequencesTable);
    db.Exec(kIndexesTable);
    const std::string now = OraDate::Now().ToStorage();
    SqliteStmt meta = db.Prepare("INSERT INTO ocl_meta VALUES (?1, ?2)");
    meta.Bind(1, "banner");
    meta.Bind(2, kDefaultVersionBanner);
    meta.Step();
    meta.Reset();
    meta.Bind(1, "created");
    meta.Bind(2, now);
    meta.Step();
    SqliteStmt ts = db.Prepare(
        "INSERT INTO ocl_tablespaces (tablespace_name, file_name, bytes, autoextensible, "
        "contents) VALUES (?1, ?2, 104857600, 'YES', ?3)");
    for (const char* space : {"SYSTEM", "USERS", "TEMP"}) {
      ts.Bind(1, space);
      ts.Bind(2, path);
      ts.Bind(3, std::string_view(space) == "TEMP" ? "TEMPORARY" : "PERMANENT");
      ts.Step();
      ts.Reset();
    }
    SqliteStmt user = db.Prepare(
        "INSERT INTO ocl_users (user_id, username, password_salt, password_hash, "
        "default_tablespace, created, password_changed) VALUES (?1, ?2, ?3, ?4, 'SYSTEM', ?5, ?5)");
    int id = 0;
    for (const char* account : {"SYS", "SYSTEM"}) {
      const PasswordHash hash = HashNewPassword(system_password);
      user.Bind(1, static_cast<std::int64_t>(id));
      user.Bind(2, account);
      user.Bind(3, hash.salt);
      user.Bind(4, hash.hash);
      user.Bind(5, now);
      user.Step();
      user.Reset();
      id += 5;
    }
    db.Exec("COMMIT");
  } catch (const SqliteError& e) {
    std::filesystem::remove(path, ec);
    throw std::runtime_error("cannot create " + path + ": " + e.what());
  }
  return path;
}

void SetVersionBanner(const std::string& path, std::string_view banner) {
  SqliteDb db(path, false, 5000);
  SqliteStmt s = db.Prepare("INSERT OR REPLACE INTO ocl_meta VALUES ('banner', ?1)");
  s.Bind(1, banner);
  s.Step();
}

void UpgradeNumberStorage(SqliteDb& db, Catalog& catalog) {
  SqliteStmt format = db.Prepare("SELECT value FROM ocl_meta WHERE key = 'format'");
  if (!format.Step() || format.Text(0) != "1") return;
  format = SqliteStmt();
  try {
    db.Exec("BEGIN IMMEDIATE");
  } catch (const SqliteError&) {
    return;
  }
  try {
    std::vector<std::pair<std::string, std::string>> tables;
    SqliteStmt q =
        db.Prepare("SELECT owner, object_name FROM ocl_objects WHERE object_type = 'TABLE'");
    while (q.Step()) tables.emplace_back(q.Text(0), q.Text(1));
    q = SqliteStmt();
    for (const auto& [owner, name] : tables) {
      const auto t = catalog.Find(owner, name, false);
      if (!t) continue;
      for (const ColumnInfo& c : t->columns) {
        if (c.type.type != DataType::kNumber) continue;
        db.Exec("UPDATE " + t->storage + " SET " + c.storage + " = ocl_num(" + c.storage +
                ") WHERE typeof(" + c.storage + ") IN ('integer', 'real')");
      }
    }
    db.Exec("UPDATE ocl_meta SET value = '2' WHERE key = 'format'");
    db.Exec("COMMIT");
  } catch (const SqliteError&) {
    db.Exec("ROLLBACK");
  }
}

}  // namespace qm::ocilite
