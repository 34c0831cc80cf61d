#pragma once
// EDatabaseError: a dataset used against its rules (missing set-up, a change while open, a field
// it does not have, a closed dataset, a value it cannot hold). The one class for every dataset of
// the system, the source table's and the Oracle components' alike.

#include <stdexcept>
#include <string>

namespace qm {

class EDatabaseError : public std::runtime_error {
 public:
  explicit EDatabaseError(const std::string& message) : std::runtime_error(message) {}
  // The data-access framework's form for an error of a named component: "<component>: <text>"
  // ("dbf: Missing TableName property").
  EDatabaseError(const std::string& text, const std::string& component)
      : std::runtime_error(component + ": " + text) {}
};

}  // namespace qm
