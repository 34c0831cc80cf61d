#include "source/source_field.h"

#include <utility>

#include "source/internal/dbf_column.h"
#include "source/internal/field_kinds.h"
#include "source/source_table.h"

namespace qm {

SourceField::SourceField(SourceTable& table, const DbfColumn& column, std::string name)
    : table_(table),
      column_(column),
      name_(std::move(name)),
      type_(column.kind),
      size_(FieldSizeOf(column.kind, column.length)),
      dataSize_(FieldDataSizeOf(column.kind, column.length)) {}

int SourceField::StoredWidth() const {
  return static_cast<int>(column_.length);
}

std::string SourceField::AsString() const {
  std::string text;
  table_.ValueText(column_, text);
  return text;
}

std::string_view SourceField::Text() const {
  table_.ValueText(column_, text_);
  return text_;
}

}  // namespace qm
