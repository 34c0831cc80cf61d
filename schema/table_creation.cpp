#include "schema/table_creation.h"

#include <algorithm>
#include <stdexcept>

#include "source/source_path.h"
#include "source/source_table.h"

namespace qm {

std::string TableNameFromSourcePath(const std::string& sourcePath) {
  std::string name = SplitSourcePath(sourcePath).name;
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

namespace {

// The longest value texts the source table gives (source/value_formatter.h), by kind.
constexpr int kSmallintText = 6;  // "-32768"
constexpr int kInt32Text = 11;    // "-2147483648"
constexpr int kInt64Text = 20;    // "-9223372036854775808"
// The general number format: sign, 15 digits, separator, exponent: "-1,23456789012346E-308".
constexpr int kGeneralNumberText = 22;
// A number stored as text goes to the server digit for digit: its own width, and a "0" that
// ".5" or "-.5" gains before the point.
constexpr int kStoredNumberExtra = 1;
constexpr int kLogicalText = 5;  // "False"
constexpr int kTimeText = 32;    // a long time format, room for its words
// Memos and other blobs: the most a VarChar2 column holds. Not a LOB, since the existence check
// compares every linked column and LOBs cannot be compared; a longer value fails its own record.
constexpr int kLongValueText = 4000;

// The column width that holds every value text of the field.
int TextWidth(const SourceField& field) {
  switch (field.DataType()) {
    case ftSmallint:
    case ftWord:
      return kSmallintText;
    case ftAutoInc:
      return kInt32Text;
    case ftLargeint:
      return kInt64Text;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
      return std::max(kGeneralNumberText, field.StoredWidth() + kStoredNumberExtra);
    case ftBoolean:
      return kLogicalText;
    case ftTime:
      return kTimeText;
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
    case ftOraClob:
      return kLongValueText;
    default:  // text and bytes: the data size already holds the value
      return field.DataSize();
  }
}

}  // namespace

std::string ColumnDefinition(const SourceField& field) {
  switch (field.DataType()) {
    case ftInteger:
      return field.FieldName() + " Integer";
    case ftDate:
    case ftDateTime:
      return field.FieldName() + " Date";
    default:
      return field.FieldName() + " VarChar(" + std::to_string(TextWidth(field)) + ")";
  }
}

std::string CreateTableStatement(const std::string& tableName, const SourceTable& dbf) {
  std::string sql = "create table " + tableName + " (";
  for (int i = 0; i < dbf.FieldCount(); ++i) {
    if (i > 0) sql += ',';
    sql += ColumnDefinition(dbf.Field(i));
  }
  return sql + ")";
}

void CreateTargetTable(const TableCreationContext& context, SourceTable& dbf) {
  if (!context.confirm()) return;
  std::string statement;
  try {
    const SourcePath split = SplitSourcePath(context.sourcePath);
    dbf.SetDatabaseName(split.folder);
    dbf.SetTableName(split.name);
    dbf.Open();
    statement = CreateTableStatement(TableNameFromSourcePath(context.sourcePath), dbf);
  } catch (const std::exception&) {
    dbf.Close();
    throw std::runtime_error("not connect to " + context.sourcePath);
  }
  dbf.Close();
  try {
    context.execute(statement);
  } catch (const std::exception&) {
    context.reportFailure();
    context.logStatement(statement);
  }
  context.refreshTableList();
}

}  // namespace qm
