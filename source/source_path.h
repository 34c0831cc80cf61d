#pragma once
// The split of a source file path into the folder and the name part, used wherever the source
// table is set up from a path (choosing the file, the import run, table creation).

#include <string>
#include <string_view>

namespace qm {

struct SourcePath {
  std::string folder;  // the source table's directory; empty means the current directory
  std::string name;    // the source table's file name
};

// Separators are the backslash, the colon and the slash. The name is everything after the last
// separator. The folder is everything before it, except that a separator that directly follows a
// colon or a backslash stays in the folder, and so does a leading slash or backslash, so that a
// root keeps its separator: «C:\data\x.dbf» -> «C:\data», «C:\x.dbf» -> «C:\», «x.dbf» -> «»,
// «/x.dbf» -> «/».
SourcePath SplitSourcePath(std::string_view path);

}  // namespace qm
