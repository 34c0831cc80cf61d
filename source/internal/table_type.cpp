#include "source/internal/table_type.h"

#include "platform/codepage.h"
#include "source/internal/sibling_file.h"
#include "source/source_path.h"

namespace qm {

std::string TableDriverFor(const std::string& tablePath) {
  const std::string name = SplitSourcePath(tablePath).name;
  const std::size_t dot = name.find_last_of('.');
  const std::string extension = dot == std::string::npos ? "" : Cp1251Upper(name.substr(dot));
  if (extension == ".DBF")
    return FindSibling(tablePath, ".fpt") || FindSibling(tablePath, ".cdx") ? kDriverFoxPro
                                                                            : kDriverDbase;
  if (extension == ".TXT") return kDriverAscii;
  return kDriverParadox;
}

}  // namespace qm
