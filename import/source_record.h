#pragma once
// The current record of the source table, as the import statements see it.

#include <string>

namespace qm {

class SourceRecord {
 public:
  virtual ~SourceRecord() = default;
  // The value, as text (code page 1251), of the field `name`, matched without regard to letter
  // case. Throws the source table's field-not-found error for a name the table does not have,
  // the empty name included.
  virtual std::string FieldValue(const std::string& name) const = 0;
};

}  // namespace qm
