// Database users, roles and their grants, kept in the catalogue tables ocl_users and
// ocl_privileges. Passwords are stored as a salted SHA-256 hash of the password in upper case
// (passwords of this release do not depend on letter case), never in clear.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ocilite/internal/sql_ast.h"
#include "ocilite/internal/sqlite_db.h"

namespace qm::ocilite {

struct PasswordHash {
  std::string salt;
  std::string hash;
};
PasswordHash HashNewPassword(std::string_view password);
bool PasswordMatches(std::string_view password, const PasswordHash& stored);

enum class LogonRole { kUser, kSysdba, kSysoper };

struct LogonResult {
  std::string user;          // as stored; SYS for SYSDBA and PUBLIC for SYSOPER logons
  int grace_days_left = -1;  // >= 0: the password is in its grace time (ORA-28002)
};

// Checks a logon. `password` nullopt: an externally identified user (the account must have no
// password). Applies the password life time and grace time of the user's profile: the first
// logon past the life time starts the grace time, the first past the grace time expires the
// password (both recorded at once, outside any transaction of the caller). Throws ORA-01005 for
// an empty password, ORA-01017 for an unknown user or a wrong password, ORA-28000 for a locked
// account, ORA-28001 for an expired password, ORA-01045 without CREATE SESSION and ORA-01031 for
// a SYSDBA/SYSOPER logon of a user not granted that privilege.
LogonResult Authenticate(SqliteDb& db, std::string_view user,
                         const std::optional<std::string>& password, LogonRole role);

// Whether `user` holds the system privilege, directly, through roles or through PUBLIC; the DBA
// role holds them all.
bool HasPrivilege(SqliteDb& db, const std::string& user, std::string_view privilege);

// Sets a new password after checking the old one, also for an expired account (ORA-01017 for a
// wrong user or old password, ORA-28000 for a locked account).
void ChangePassword(SqliteDb& db, std::string_view user, std::string_view old_password,
                    std::string_view new_password);

// CREATE USER / ALTER USER / DROP USER / GRANT / REVOKE (object grants: ORA-03001).
// Errors: ORA-01920 (name in use), ORA-01918 (no such user), ORA-01922 (objects left without
// CASCADE), ORA-01919/01917 (unknown role or grantee), ORA-00959 (unknown tablespace).
void CreateUser(SqliteDb& db, const CreateUserStmt& s);
void AlterUser(SqliteDb& db, const AlterUserStmt& s);
void DropUser(SqliteDb& db, const DropUserStmt& s);
void GrantOrRevoke(SqliteDb& db, const GrantStmt& s);

// CREATE / ALTER / DROP PROFILE. Errors: ORA-02379 (exists), ORA-02380 (no such profile),
// ORA-02382 (users assigned, no CASCADE: CASCADE moves them to DEFAULT), ORA-02376 (a resource
// given twice).
void CreateProfile(SqliteDb& db, const CreateProfileStmt& s);
void AlterProfile(SqliteDb& db, const AlterProfileStmt& s);
void DropProfile(SqliteDb& db, const DropProfileStmt& s);

}  // namespace qm::ocilite
