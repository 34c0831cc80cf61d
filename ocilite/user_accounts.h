// Database users, roles and their grants, kept in the catalogue tables ocl_users and
// ocl_privileges. Passwords are stored as a salted SHA-256 hash of the password in upper case
// (passwords of this release do not depend on letter case), never in clear.
#pragma once

#include <string>
#include <string_view>

#include "ocilite/sql_ast.h"
#include "ocilite/sqlite_db.h"

namespace qm::ocilite {

struct PasswordHash {
  std::string salt;
  std::string hash;
};
PasswordHash HashNewPassword(std::string_view password);
bool PasswordMatches(std::string_view password, const PasswordHash& stored);

// Checks a logon; returns the user name as stored. Throws ORA-01005 for an empty password and
// ORA-01017 for an unknown user or a wrong password, ORA-28000 for a locked account.
std::string Authenticate(SqliteDb& db, std::string_view user, std::string_view password);

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

}  // namespace qm::ocilite
