#pragma once
// The texts of the logon window and the password dialog, one set for the process. A program may
// replace any of them (a logon component's Caption replaces the title for good).

#include <string>

namespace qm {

struct TLogonTexts {
  std::string title = "Oracle Logon";
  std::string username = "Username";
  std::string password = "Password";
  std::string database = "Database";
  std::string connectAs = "Connect as";
  std::string ok = "OK";
  std::string cancel = "Cancel";
  std::string history = "Logon history";  // hint of the history button
  std::string newPassword = "New password";
  std::string verification = "Verification";
  std::string verificationFailed = "Verification failed";
  std::string changePasswordNow = "Do you wish to change your password now?";
  std::string passwordExpired = "Your password has expired";  // title of the password dialog
};

TLogonTexts& LogonTexts();

}  // namespace qm
