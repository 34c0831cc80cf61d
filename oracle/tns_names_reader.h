#pragma once
// Reading the net service names (database aliases) out of a tnsnames.ora file.
//
// A line starting with "#" is a comment. Parentheses nest across lines; only what stands at
// depth 0 is looked at, line by line, trimmed: "name = ..." adds the name (cut before ".WORLD",
// any case), "IFILE = path" reads that file too, and "IFILE =" with nothing after it reads the
// file named by the next depth-0 text without "=". A path starting with three or more
// backslashes loses the extra ones. A missing file adds nothing. Each file is read at most once
// per walk, so files that include each other do not recurse without end.

#include <set>
#include <string>
#include <vector>

namespace qm {

class FileSystem;

// Names sorted without regard to letter case, each at most once (the first spelling stays).
class AliasList {
 public:
  void Add(const std::string& name);
  const std::vector<std::string>& Names() const { return names_; }

 private:
  std::vector<std::string> names_;
};

class TnsNamesReader {
 public:
  explicit TnsNamesReader(const FileSystem& fs) : fs_(fs) {}
  // Adds the aliases of the file at `path` and of the files it includes to `aliases`.
  void Read(const std::string& path, AliasList& aliases);

 private:
  const FileSystem& fs_;
  std::set<std::string> visited_;
};

}  // namespace qm
