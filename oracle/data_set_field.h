#pragma once
// TDataSetField: one field of an open TOracleDataSet, reading the dataset's current record. It
// lives from the dataset's open to its close.

#include <string>

#include "platform/field_type.h"

namespace qm {

class TOracleDataSet;

class TDataSetField {
 public:
  TDataSetField(const TOracleDataSet& dataSet, int index, std::string name, TFieldType kind,
                int size, bool required)
      : dataSet_(dataSet),
        index_(index),
        name_(std::move(name)),
        kind_(kind),
        size_(size),
        required_(required) {}

  const std::string& FieldName() const { return name_; }
  TFieldType DataType() const { return kind_; }
  // Characters of a text field, else 0.
  int Size() const { return size_; }
  bool Required() const { return required_; }
  // Position in the dataset's field list.
  int Index() const { return index_; }

  // NULL, or no current record, reads as NULL.
  bool IsNull() const;
  // Text: as stored; integers: decimal; float: general format with the regional decimal
  // separator; date-time: short date, plus blank and long time when the time is not 00:00:00;
  // memo and blob: the content; NULL: "".
  std::string AsString() const;

 private:
  const TOracleDataSet& dataSet_;
  int index_;
  std::string name_;
  TFieldType kind_;
  int size_;
  bool required_;
};

}  // namespace qm
