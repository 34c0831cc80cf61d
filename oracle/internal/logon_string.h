#pragma once
// Normalisation of the three logon texts before a logon: what the user typed in any of the boxes
// is joined into one connect string "user/password@database" and split again, so a user name box
// holding a whole connect string ends up in the three parts. A trailing " AS SYSDBA" or
// " AS SYSOPER" (any case, blanks or tabs) on the database, else the password, else the user name
// is cut off and read as the connect-as mode; another word after " AS " means a normal logon.
// A password containing "@" or "/" is split at that character, as the joined form cannot tell.

#include <optional>
#include <string>

#include "oracle/session_options.h"

namespace qm {

struct LogonStrings {
  std::string username;
  std::string password;
  std::string database;
  std::optional<TConnectAsOption> connectAs;  // set when a connect-as suffix was found
};

// Cuts a " AS <mode>" suffix (any case, tabs counting as blanks) off `text`, trimming what is
// left, and returns the trimmed upper-case mode; nothing when there is no suffix.
std::optional<std::string> CutModeSuffix(std::string& text);

LogonStrings NormalizeLogonStrings(const std::string& username, const std::string& password,
                                   const std::string& database);

}  // namespace qm
