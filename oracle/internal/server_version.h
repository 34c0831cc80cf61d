#pragma once
// Telling from a server's version banner (OCIServerVersion) whether it is older than Oracle8 and
// so has to be driven through the release 7 interface. Only a release below 8 counts: the banner
// contains "ORACLE7" (any case), or its first "Release N" has N < 8. Banners of releases 8 and
// later, and banners without either mark, stay with the release 8 interface.

#include <string_view>

namespace qm {

bool ServerNeedsOCI7(std::string_view banner);

}  // namespace qm
