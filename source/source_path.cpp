#include "source/source_path.h"

namespace qm {

SourcePath SplitSourcePath(std::string_view path) {
  const std::size_t last = path.find_last_of("\\:/");
  if (last == std::string_view::npos) return {"", std::string(path)};
  std::size_t folderEnd = last;  // the separator itself is dropped...
  const bool backslashLike = path[last] == '\\' || path[last] == '/';
  // ...unless it is a root: right after a drive colon or a backslash, or at the very start.
  if (backslashLike && (last == 0 || path[last - 1] == ':' || path[last - 1] == '\\'))
    folderEnd = last + 1;
  return {std::string(path.substr(0, folderEnd)), std::string(path.substr(last + 1))};
}

}  // namespace qm
