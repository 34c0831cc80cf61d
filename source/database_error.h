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

// A stored value that cannot be read as its field's kind: a number or date that is none, a memo
// that cannot be read. Text() is the message without the component's name: the table file, the
// record and the field, then the fault ("<path>: record 2, field QTY: invalid number '12A4'").
// The record's other fields and the other records stay readable.
class EFieldValueError : public EDBEngineError {
 public:
  explicit EFieldValueError(const std::string& text, const std::string& component = "dbf")
      : EDBEngineError(text, component), text_(text) {}
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace qm
