#pragma once
// EDatabaseError: a dataset used against its rules (a field it does not have, a closed dataset,
// a column value it cannot hold).

#include <stdexcept>
#include <string>

namespace qm {

class EDatabaseError : public std::runtime_error {
 public:
  explicit EDatabaseError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace qm
