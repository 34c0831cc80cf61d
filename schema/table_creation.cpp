#include "schema/table_creation.h"

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

std::string ColumnDefinition(const SourceField& field) {
  switch (field.DataType()) {
    case ftInteger:
      return field.FieldName() + " Integer";
    case ftDate:
    case ftDateTime:
      return field.FieldName() + " Date";
    default:
      return field.FieldName() + " VarChar(" + std::to_string(field.DataSize()) + ")";
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
