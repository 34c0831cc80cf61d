#include "ocilite/internal/user_accounts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <random>

#include "ocilite/internal/constraints.h"
#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/oracle_date.h"
#include "ocilite/internal/sha256.h"
#include "ocilite/internal/tablespaces.h"
#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {
namespace {

constexpr std::string_view kSystemPrivileges[] = {
    "ALTER ANY TABLE",
    "ALTER DATABASE",
    "ALTER PROFILE",
    "ALTER SESSION",
    "ALTER SYSTEM",
    "ALTER TABLESPACE",
    "ALTER USER",
    "CREATE ANY DIRECTORY",
    "CREATE ANY INDEX",
    "CREATE ANY SEQUENCE",
    "CREATE ANY TABLE",
    "CREATE ANY VIEW",
    "CREATE CLUSTER",
    "CREATE DATABASE LINK",
    "CREATE PROCEDURE",
    "CREATE PROFILE",
    "CREATE ROLE",
    "CREATE SEQUENCE",
    "CREATE SESSION",
    "CREATE SYNONYM",
    "CREATE TABLE",
    "CREATE TABLESPACE",
    "CREATE TRIGGER",
    "CREATE TYPE",
    "CREATE USER",
    "CREATE VIEW",
    "DELETE ANY TABLE",
    "DROP ANY DIRECTORY",
    "DROP ANY TABLE",
    "DROP PROFILE",
    "DROP TABLESPACE",
    "DROP USER",
    "GRANT ANY PRIVILEGE",
    "GRANT ANY ROLE",
    "INSERT ANY TABLE",
    "SELECT ANY DICTIONARY",
    "SELECT ANY TABLE",
    "SYSDBA",
    "SYSOPER",
    "UNLIMITED TABLESPACE",
    "UPDATE ANY TABLE",
};

bool Exists(SqliteDb& db, const char* sql, std::string_view a, std::string_view b = {}) {
  SqliteStmt q = db.Prepare(sql);
  q.Bind(1, a);
  if (!b.empty()) q.Bind(2, b);
  return q.Step();
}

bool UserExists(SqliteDb& db, std::string_view user) {
  return Exists(db, "SELECT 1 FROM ocl_users WHERE username = ?1", user);
}
bool RoleExists(SqliteDb& db, std::string_view role) {
  return Exists(db, "SELECT 1 FROM ocl_roles WHERE role = ?1", role);
}

void CheckTablespace(SqliteDb& db, const std::optional<Name>& ts) {
  if (ts && !Exists(db, "SELECT 1 FROM ocl_tablespaces WHERE tablespace_name = ?1", ts->text))
    throw OraError(959, {ts->text}).At(ts->pos);
}

void CheckProfile(SqliteDb& db, const std::optional<Name>& profile) {
  if (profile && !Exists(db, "SELECT 1 FROM ocl_profiles WHERE profile = ?1", profile->text))
    throw OraError(2380, {profile->text}).At(profile->pos);
}

std::int64_t QuotaBytes(const std::string& size) {
  if (size == "UNLIMITED") return -1;
  std::int64_t n = std::stoll(size);
  switch (size.back()) {
    case 'K':
      return n * 1024;
    case 'M':
      return n * 1024 * 1024;
    case 'G':
      return n * 1024 * 1024 * 1024;
    default:
      return n;
  }
}

void SetQuotas(SqliteDb& db, const std::string& user,
               const std::vector<std::pair<std::string, Name>>& quotas) {
  for (const auto& [size, ts] : quotas) {
    CheckTablespace(db, ts);
    SqliteStmt q = db.Prepare("INSERT OR REPLACE INTO ocl_quotas VALUES (?1, ?2, ?3)");
    q.Bind(1, user);
    q.Bind(2, ts.text);
    q.Bind(3, QuotaBytes(size));
    q.Step();
  }
}

// Applies the clauses CREATE USER and ALTER USER share.
void ApplyClauses(SqliteDb& db, const std::string& user, const CreateUserStmt& s) {
  const std::string now = OraDate::Now().ToStorage();
  auto set = [&](const char* sql, std::string_view value) {
    SqliteStmt q = db.Prepare(sql);
    q.Bind(1, value);
    q.Bind(2, user);
    q.Step();
  };
  if (s.password) {
    const PasswordHash h = HashNewPassword(s.password->text);
    SqliteStmt q = db.Prepare(
        "UPDATE ocl_users SET password_salt = ?1, password_hash = ?2, password_changed = ?3, "
        "expiry_date = NULL, account_status = CASE account_status WHEN 'LOCKED' THEN 'LOCKED' "
        "WHEN 'EXPIRED & LOCKED' THEN 'LOCKED' ELSE 'OPEN' END WHERE username = ?4");
    q.Bind(1, h.salt);
    q.Bind(2, h.hash);
    q.Bind(3, now);
    q.Bind(4, user);
    q.Step();
  }
  if (s.default_tablespace && IsTemporaryTablespace(db, *s.default_tablespace))
    throw OraError(12910).At(s.default_tablespace->pos);
  if (s.temporary_tablespace && !IsTemporaryTablespace(db, *s.temporary_tablespace))
    throw OraError(12911).At(s.temporary_tablespace->pos);
  CheckProfile(db, s.profile);
  if (s.default_tablespace)
    set("UPDATE ocl_users SET default_tablespace = ?1 WHERE username = ?2",
        s.default_tablespace->text);
  if (s.temporary_tablespace)
    set("UPDATE ocl_users SET temporary_tablespace = ?1 WHERE username = ?2",
        s.temporary_tablespace->text);
  if (s.profile) set("UPDATE ocl_users SET profile = ?1 WHERE username = ?2", s.profile->text);
  SetQuotas(db, user, s.quotas);
  if (s.password_expire)
    set("UPDATE ocl_users SET account_status = CASE WHEN account_status LIKE '%LOCKED' "
        "THEN 'EXPIRED & LOCKED' ELSE 'EXPIRED' END, expiry_date = ?1 WHERE username = ?2",
        now);
  if (s.account_lock) {
    if (*s.account_lock) {
      set("UPDATE ocl_users SET account_status = CASE WHEN account_status LIKE 'EXPIRED%' "
          "THEN 'EXPIRED & LOCKED' ELSE 'LOCKED' END, lock_date = ?1 WHERE username = ?2",
          now);
    } else {
      SqliteStmt q = db.Prepare(
          "UPDATE ocl_users SET account_status = CASE WHEN account_status LIKE 'EXPIRED%' "
          "THEN 'EXPIRED' ELSE 'OPEN' END, lock_date = NULL WHERE username = ?1");
      q.Bind(1, user);
      q.Step();
    }
  }
}

// A password limit of `profile` in days; nullopt when unlimited. DEFAULT and limits a profile
// does not name come from the DEFAULT profile.
std::optional<double> PasswordLimit(SqliteDb& db, const std::string& profile,
                                    std::string_view resource) {
  SqliteStmt q =
      db.Prepare("SELECT limit_value FROM ocl_profiles WHERE profile = ?1 AND resource_name = ?2");
  q.Bind(1, profile);
  q.Bind(2, resource);
  const std::string value = q.Step() ? q.Text(0) : "DEFAULT";
  if (value == "DEFAULT")
    return profile == "DEFAULT" ? std::nullopt : PasswordLimit(db, "DEFAULT", resource);
  if (value == "UNLIMITED") return std::nullopt;
  // Stored with a full stop whatever the process locale is; from_chars reads it the same way.
  double days = 0;
  std::from_chars(value.data(), value.data() + value.size(), days);
  return days;
}

bool ProfileExists(SqliteDb& db, std::string_view profile) {
  return Exists(db, "SELECT 1 FROM ocl_profiles WHERE profile = ?1", profile);
}

void SetLimits(SqliteDb& db, const CreateProfileStmt& s) {
  std::vector<std::string> seen;
  for (const auto& [resource, value] : s.limits) {
    if (std::find(seen.begin(), seen.end(), resource.text) != seen.end())
      throw OraError(2376).At(resource.pos);
    seen.push_back(resource.text);
    SqliteStmt q = db.Prepare("INSERT OR REPLACE INTO ocl_profiles VALUES (?1, ?2, ?3)");
    q.Bind(1, s.profile.text);
    q.Bind(2, resource.text);
    q.Bind(3, value);
    q.Step();
  }
}

}  // namespace

void CreateProfile(SqliteDb& db, const CreateProfileStmt& s) {
  if (ProfileExists(db, s.profile.text)) throw OraError(2379, {s.profile.text}).At(s.profile.pos);
  SetLimits(db, s);
}

void AlterProfile(SqliteDb& db, const AlterProfileStmt& s) {
  if (!ProfileExists(db, s.profile.text)) throw OraError(2380, {s.profile.text}).At(s.profile.pos);
  SetLimits(db, s);
}

void DropProfile(SqliteDb& db, const DropProfileStmt& s) {
  if (!ProfileExists(db, s.profile.text)) throw OraError(2380, {s.profile.text}).At(s.profile.pos);
  if (s.profile.text == "DEFAULT") throw OraError(2381).At(s.profile.pos);
  const bool used = Exists(db, "SELECT 1 FROM ocl_users WHERE profile = ?1", s.profile.text);
  if (used && !s.cascade) throw OraError(2382, {s.profile.text}).At(s.profile.pos);
  for (const char* sql : {"UPDATE ocl_users SET profile = 'DEFAULT' WHERE profile = ?1",
                          "DELETE FROM ocl_profiles WHERE profile = ?1"}) {
    SqliteStmt q = db.Prepare(sql);
    q.Bind(1, s.profile.text);
    q.Step();
  }
}

PasswordHash HashNewPassword(std::string_view password) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::random_device random;
  std::string salt;
  for (int i = 0; i < 16; ++i) {
    const auto b = static_cast<unsigned>(random()) & 0xFF;
    salt += kHex[b >> 4];
    salt += kHex[b & 15];
  }
  return {salt, Sha256Hex(salt + Utf8Upper(password))};
}

bool PasswordMatches(std::string_view password, const PasswordHash& stored) {
  return Sha256Hex(stored.salt + Utf8Upper(password)) == stored.hash;
}

bool HasPrivilege(SqliteDb& db, const std::string& user, std::string_view privilege) {
  SqliteStmt q = db.Prepare(
      "WITH RECURSIVE holders(name) AS (VALUES (?1), ('PUBLIC') UNION "
      "SELECT p.privilege FROM ocl_privileges p JOIN holders h ON p.grantee = h.name "
      "WHERE p.is_role = 1) "
      "SELECT 1 FROM holders WHERE name = 'DBA' UNION ALL "
      "SELECT 1 FROM ocl_privileges p JOIN holders h ON p.grantee = h.name "
      "WHERE p.is_role = 0 AND p.privilege = ?2 LIMIT 1");
  q.Bind(1, user);
  q.Bind(2, privilege);
  return q.Step();
}

LogonResult Authenticate(SqliteDb& db, std::string_view user,
                         const std::optional<std::string>& password, LogonRole role) {
  if (password && password->empty()) throw OraError(1005);
  const std::string name = Utf8Upper(user);
  SqliteStmt q = db.Prepare(
      "SELECT password_salt, password_hash, account_status, password_changed, expiry_date, "
      "profile FROM ocl_users WHERE username = ?1");
  q.Bind(1, name);
  if (!q.Step()) throw OraError(1017);
  if (password) {
    if (q.IsNull(1) || !PasswordMatches(*password, {q.Text(0), q.Text(1)})) throw OraError(1017);
  } else if (!q.IsNull(1)) {
    throw OraError(1017);
  }
  std::string status = q.Text(2);
  const auto changed = OraDate::FromStorage(q.IsNull(3) ? "" : q.Text(3));
  const auto expiry = OraDate::FromStorage(q.IsNull(4) ? "" : q.Text(4));
  const std::string profile = q.Text(5);
  if (status.find("LOCKED") != std::string::npos) throw OraError(28000);

  LogonResult result{name, -1};
  const double now = OraDate::Now().ToDayNumber();
  auto set_status = [&](const char* new_status, const std::optional<double>& expires) {
    SqliteStmt u = db.Prepare(
        "UPDATE ocl_users SET account_status = ?1, expiry_date = ?2 WHERE username = ?3");
    u.Bind(1, new_status);
    if (expires) u.Bind(2, OraDate::FromDayNumber(*expires).ToStorage());
    u.Bind(3, name);
    u.Step();
    status = new_status;
  };
  double grace_end = expiry ? expiry->ToDayNumber() : now;
  if (status == "OPEN" && changed) {
    const auto life = PasswordLimit(db, profile, "PASSWORD_LIFE_TIME");
    const auto grace = PasswordLimit(db, profile, "PASSWORD_GRACE_TIME");
    // Without a grace time limit the password never moves on to expire.
    if (life && grace && now >= changed->ToDayNumber() + *life) {
      grace_end = now + *grace;
      set_status("EXPIRED(GRACE)", grace_end);
    }
  }
  if (status == "EXPIRED(GRACE)") {
    if (now >= grace_end) {
      set_status("EXPIRED", now);
    } else {
      result.grace_days_left = static_cast<int>(std::ceil(grace_end - now - 1e-9));
    }
  }
  if (status.find("EXPIRED") == 0 && status != "EXPIRED(GRACE)") throw OraError(28001);

  if (role == LogonRole::kUser) {
    if (!HasPrivilege(db, name, "CREATE SESSION")) throw OraError(1045, {name});
  } else {
    SqliteStmt p = db.Prepare(
        "SELECT 1 FROM ocl_privileges WHERE grantee = ?1 AND privilege = ?2 AND is_role = 0");
    p.Bind(1, name);
    p.Bind(2, role == LogonRole::kSysdba ? "SYSDBA" : "SYSOPER");
    if (!p.Step()) throw OraError(1031);
    result.user = role == LogonRole::kSysdba ? "SYS" : "PUBLIC";
  }
  return result;
}

void ChangePassword(SqliteDb& db, std::string_view user, std::string_view old_password,
                    std::string_view new_password) {
  if (old_password.empty() || new_password.empty()) throw OraError(1005);
  const std::string name = Utf8Upper(user);
  SqliteStmt q = db.Prepare(
      "SELECT password_salt, password_hash, account_status FROM ocl_users WHERE username = ?1");
  q.Bind(1, name);
  if (!q.Step() || q.IsNull(1) || !PasswordMatches(old_password, {q.Text(0), q.Text(1)}))
    throw OraError(1017);
  if (q.Text(2).find("LOCKED") != std::string::npos) throw OraError(28000);
  const PasswordHash h = HashNewPassword(new_password);
  SqliteStmt u = db.Prepare(
      "UPDATE ocl_users SET password_salt = ?1, password_hash = ?2, password_changed = ?3, "
      "expiry_date = NULL, account_status = 'OPEN' WHERE username = ?4");
  u.Bind(1, h.salt);
  u.Bind(2, h.hash);
  u.Bind(3, OraDate::Now().ToStorage());
  u.Bind(4, name);
  u.Step();
}

void CreateUser(SqliteDb& db, const CreateUserStmt& s) {
  const std::string& user = s.user.text;
  if (UserExists(db, user) || RoleExists(db, user)) throw OraError(1920, {user}).At(s.user.pos);
  SqliteStmt q = db.Prepare(
      "INSERT INTO ocl_users (user_id, username, created, temporary_tablespace) VALUES "
      "((SELECT max(user_id) + 1 FROM ocl_users), ?1, ?2, ?3)");
  q.Bind(1, user);
  q.Bind(2, OraDate::Now().ToStorage());
  q.Bind(3, DefaultTemporaryTablespace(db));
  q.Step();
  ApplyClauses(db, user, s);
}

void AlterUser(SqliteDb& db, const AlterUserStmt& s) {
  if (!UserExists(db, s.user.text)) throw OraError(1918, {s.user.text}).At(s.user.pos);
  ApplyClauses(db, s.user.text, s);
}

void DropUser(SqliteDb& db, const DropUserStmt& s) {
  const std::string& user = s.user.text;
  if (!UserExists(db, user)) throw OraError(1918, {user}).At(s.user.pos);
  std::vector<std::pair<std::int64_t, std::string>> objects;  // id, tablespace
  SqliteStmt q = db.Prepare("SELECT object_id, tablespace_name FROM ocl_objects WHERE owner = ?1");
  q.Bind(1, user);
  while (q.Step()) objects.emplace_back(q.Int(0), q.IsNull(1) ? "" : q.Text(1));
  if (!objects.empty() && !s.cascade) throw OraError(1922, {user});
  std::vector<std::int64_t> ids;
  for (const auto& object : objects) ids.push_back(object.first);
  // Foreign keys of other users that reference these tables go with them.
  ForgetConstraintsOf(db, ids, true);
  for (const auto& [id, tablespace] : objects) {
    db.Exec("DROP TABLE IF EXISTS " + TableStorage(tablespace, id));
    db.Exec("DELETE FROM ocl_columns WHERE object_id = " + std::to_string(id));
    db.Exec("DELETE FROM ocl_indexes WHERE table_id = " + std::to_string(id));
  }
  for (const char* sql :
       {"DELETE FROM ocl_objects WHERE owner = ?1", "DELETE FROM ocl_privileges WHERE grantee = ?1",
        "DELETE FROM ocl_quotas WHERE username = ?1", "DELETE FROM ocl_indexes WHERE owner = ?1",
        "DELETE FROM ocl_users WHERE username = ?1"}) {
    SqliteStmt d = db.Prepare(sql);
    d.Bind(1, user);
    d.Step();
  }
}

void GrantOrRevoke(SqliteDb& db, const GrantStmt& s) {
  if (s.object) throw OraError(3001).At(s.object->name.pos);
  for (const Name& grantee : s.grantees) {
    if (grantee.text != "PUBLIC" && !UserExists(db, grantee.text) && !RoleExists(db, grantee.text))
      throw OraError(1917, {grantee.text}).At(grantee.pos);
  }
  for (const Name& privilege : s.privileges) {
    const bool role = RoleExists(db, privilege.text);
    if (!role) {
      const bool known = std::find(std::begin(kSystemPrivileges), std::end(kSystemPrivileges),
                                   privilege.text) != std::end(kSystemPrivileges);
      if (!known) {
        if (privilege.text.find(' ') == std::string::npos)
          throw OraError(1919, {privilege.text}).At(privilege.pos);
        throw OraError(990).At(privilege.pos);
      }
    }
    for (const Name& grantee : s.grantees) {
      if (s.revoke) {
        SqliteStmt d =
            db.Prepare("DELETE FROM ocl_privileges WHERE grantee = ?1 AND privilege = ?2");
        d.Bind(1, grantee.text);
        d.Bind(2, privilege.text);
        d.Step();
        if (sqlite3_changes(db.get()) == 0) {
          if (role) throw OraError(1951, {privilege.text, grantee.text}).At(privilege.pos);
          throw OraError(1952, {grantee.text}).At(privilege.pos);
        }
      } else {
        SqliteStmt g = db.Prepare(
            "INSERT INTO ocl_privileges VALUES (?1, ?2, ?3, ?4) ON CONFLICT (grantee, privilege) "
            "DO UPDATE SET admin_option = max(admin_option, excluded.admin_option)");
        g.Bind(1, grantee.text);
        g.Bind(2, privilege.text);
        g.Bind(3, static_cast<std::int64_t>(role ? 1 : 0));
        g.Bind(4, static_cast<std::int64_t>(s.admin_option ? 1 : 0));
        g.Step();
      }
    }
  }
}

}  // namespace qm::ocilite
