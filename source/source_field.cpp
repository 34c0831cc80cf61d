#include "source/source_field.h"

#include <utility>

#include "source/engine_error.h"
#include "source/internal/dbf_column.h"
#include "source/internal/dbf_error.h"
#include "source/internal/dbf_reader.h"
#include "source/internal/field_kinds.h"
#include "source/internal/value_formatter.h"
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

// The field goes to the table's reader and formatter itself, in the same unit as its callers: a
// reader takes every value of every record this way.
inline void SourceField::FormatValue(std::string& out) const {
  out.clear();
  if (!table_.record_) return;
  std::size_t lost;
  try {
    lost = table_.formatter_->Format(*table_.reader_, column_, table_.record_, table_.current_, out);
  } catch (const DbfError& e) {
    throw EFieldValueError(e.what(), table_.name_);
  }
  if (lost) table_.CountLost(column_, lost);
}

std::string SourceField::AsString() const {
  std::string text;
  FormatValue(text);
  return text;
}

std::string_view SourceField::Text() const {
  FormatValue(text_);
  return text_;
}

}  // namespace qm
