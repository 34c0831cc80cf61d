#include "oracle/internal/server_version.h"

#include <string>

#include "platform/codepage.h"

namespace qm {

bool ServerNeedsOCI7(std::string_view banner) {
  const std::string upper = Cp1251Upper(banner);
  if (upper.find("ORACLE7") != std::string::npos) return true;
  const std::string mark = "RELEASE ";
  const std::size_t at = upper.find(mark);
  if (at == std::string::npos) return false;
  std::size_t i = at + mark.size();
  if (i >= upper.size() || upper[i] < '0' || upper[i] > '9') return false;
  long release = 0;
  for (; i < upper.size() && upper[i] >= '0' && upper[i] <= '9' && release < 1000; ++i)
    release = release * 10 + (upper[i] - '0');
  return release < 8;
}

}  // namespace qm
