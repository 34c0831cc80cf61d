#pragma once
// Errors of the source table's engine, as the data-access framework raises them: the message
// carries the component's name in front of the text, "<name>: <text>". Usage errors of the table
// are EDatabaseError (platform/database_error.h).

#include <string>

#include "platform/database_error.h"

namespace qm {

// A failure of the table engine: a missing, locked, damaged or unsupported file. The text names
// the file and what is wrong with it.
class EDBEngineError : public EDatabaseError {
 public:
  explicit EDBEngineError(const std::string& text, const std::string& component = "dbf")
      : EDatabaseError(text, component) {}
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
