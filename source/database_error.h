#pragma once
// Errors of the source table, as the data-access framework raises them: the message carries the
// component's name in front of the text, "<name>: <text>" ("dbf: Missing TableName property").

#include <stdexcept>
#include <string>

namespace qm {

// A usage error of a dataset: missing set-up, a change while open, an unknown field.
class EDatabaseError : public std::runtime_error {
 public:
  explicit EDatabaseError(const std::string& text, const std::string& component = "dbf")
      : std::runtime_error(component + ": " + text) {}
};

// A failure of the table engine: a missing, locked, damaged or unsupported file. The text names
// the file and what is wrong with it.
class EDBEngineError : public EDatabaseError {
 public:
  using EDatabaseError::EDatabaseError;
};

}  // namespace qm
