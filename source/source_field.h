#pragma once
// One field of the open source table. Fields exist from the table's open to its close; a field
// reference must not be kept across a close.

#include <string>
#include <string_view>

#include "platform/field_type.h"

namespace qm {

class SourceTable;
struct DbfColumn;

class SourceField {
 public:
  SourceField(SourceTable& table, const DbfColumn& column, std::string name);
  SourceField(const SourceField&) = delete;
  SourceField& operator=(const SourceField&) = delete;

  // The column's name in code page 1251, with "_1", "_2", ... appended when an earlier column
  // has the same name.
  const std::string& FieldName() const { return name_; }
  // The source table's fields have no display label, so the display name is the name.
  const std::string& DisplayName() const { return name_; }
  TFieldType DataType() const { return type_; }
  // Width in characters for ftString, length in bytes for ftVarBytes, else 0.
  int Size() const { return size_; }
  // Bytes one value takes in a record buffer (ftString: width + 1).
  int DataSize() const { return dataSize_; }
  // Bytes the value takes in the file's record: for a number stored as text, its digits, sign and
  // point.
  int StoredWidth() const;

  // The value in the current record as text (see value_formatter.h); empty when the table has
  // no current record. Throws EDBEngineError when the stored value is damaged.
  std::string AsString() const;
  // The same text in storage the field keeps and reuses, for a reader that takes every value and
  // would otherwise make a string of each: valid until the field's next Text, a move to another
  // record or the close.
  std::string_view Text() const;

 private:
  void FormatValue(std::string& out) const;

  SourceTable& table_;
  const DbfColumn& column_;
  std::string name_;
  TFieldType type_;
  int size_;
  int dataSize_;
  mutable std::string text_;  // the last Text, its storage reused
};

}  // namespace qm
