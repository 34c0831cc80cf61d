#include "oracle/internal/logon_string.h"

#include <algorithm>

#include "platform/codepage.h"

namespace qm {

namespace {


// Cuts a " AS <mode>" suffix off `text`; the mode when there was one.
std::optional<TConnectAsOption> CutConnectAs(std::string& text) {
  const auto mode = CutModeSuffix(text);
  if (!mode) return std::nullopt;
  if (*mode == "SYSDBA") return caSYSDBA;
  if (*mode == "SYSOPER") return caSYSOPER;
  return caNormal;
}

}  // namespace

std::optional<std::string> CutModeSuffix(std::string& text) {
  std::string upper = Cp1251Upper(text);
  std::replace(upper.begin(), upper.end(), '\t', ' ');
  const std::size_t at = upper.find(" AS ");
  if (at == std::string::npos) return std::nullopt;
  const std::string mode(Trim(std::string_view(upper).substr(at + 4)));
  text = std::string(Trim(std::string_view(text).substr(0, at)));
  return mode;
}

LogonStrings NormalizeLogonStrings(const std::string& username, const std::string& password,
                                   const std::string& database) {
  std::string s = username;
  if (!password.empty()) s += "/" + password;
  if (!database.empty()) s += "@" + database;

  LogonStrings out{username, password, std::string(), std::nullopt};
  const std::size_t slash = s.find('/');
  const std::size_t at = std::min(s.find('@'), s.size());
  if (slash != std::string::npos) {
    out.username = s.substr(0, slash);
    out.password = at > slash ? s.substr(slash + 1, at - slash - 1) : std::string();
  }
  if (at + 1 < s.size()) out.database = s.substr(at + 1);

  for (std::string* part : {&out.database, &out.password, &out.username}) {
    out.connectAs = CutConnectAs(*part);
    if (out.connectAs) break;
  }
  return out;
}

}  // namespace qm
