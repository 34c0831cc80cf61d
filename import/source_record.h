#pragma once
// The current record of the source table, as the import statements see it.

#include <string>

#include "source/source_table.h"

namespace qm {

class SourceRecord {
 public:
  virtual ~SourceRecord() = default;
  // The value, as text (code page 1251), of the field `name`, matched without regard to letter
  // case. Throws the source table's field-not-found error for a name the table does not have,
  // the empty name included.
  virtual std::string FieldValue(const std::string& name) const = 0;
};

// The open source table's current record, in the value forms the table is set to write.
class CurrentRecord : public SourceRecord {
 public:
  explicit CurrentRecord(const SourceTable& dbf) : dbf_(dbf) {}
  std::string FieldValue(const std::string& name) const override {
    return dbf_.FieldByName(name).AsString();
  }

 private:
  const SourceTable& dbf_;
};

}  // namespace qm
