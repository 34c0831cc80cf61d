#pragma once
// A table or memo file that cannot be read, or a value in it that makes no sense. The text names
// the file first: "<path>: <what is wrong>". The source table passes it on as an engine error.

#include <stdexcept>
#include <string>

namespace qm {

class DbfError : public std::runtime_error {
 public:
  DbfError(const std::string& path, const std::string& what)
      : std::runtime_error(path + ": " + what) {}
  // A message complete as it stands.
  explicit DbfError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace qm
