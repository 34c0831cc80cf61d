// The engine's catalogue of tables: reads table and column definitions from the database's own
// catalogue tables (ocl_objects, ocl_columns, ocl_constraints) and keeps them per connection
// until the database's schema changes. Data dictionary views and DUAL are tables here too,
// marked read-only. Writing the catalogue is left to the DDL executor.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ocilite/internal/sql_type.h"
#include "ocilite/internal/sqlite_db.h"

namespace qm::ocilite {

struct ColumnInfo {
  std::string name;     // Oracle name
  std::string storage;  // SQLite column name
  SqlType type;
  bool nullable = true;
  std::string default_text;  // the DEFAULT expression as written; empty when none
};

struct ConstraintInfo {
  std::string name;
  char type = 'U';                   // 'P' primary key, 'U' unique, 'C' check, 'R' foreign key
  std::vector<std::size_t> columns;  // indexes into TableInfo::columns
};

struct TableInfo {
  std::int64_t object_id = 0;
  std::string owner;
  std::string name;
  std::string storage;      // SQLite table or view, quoted for SQL text
  bool dictionary = false;  // a data dictionary view or DUAL: read-only
  std::string tablespace;
  std::vector<ColumnInfo> columns;
  std::vector<ConstraintInfo> constraints;

  // The column of that exact name, or nullptr.
  const ColumnInfo* FindColumn(std::string_view column) const;
  // "OWNER"."TABLE"."COLUMN" as Oracle's messages show a column.
  std::string QualifiedColumn(const ColumnInfo& column) const;
};

class Catalog {
 public:
  explicit Catalog(SqliteDb& db);

  // The table or view `owner`.`name`, or nullptr. A data dictionary view or DUAL is found under
  // owner SYS or, when `fall_back_to_public` is set, under any owner (as a public synonym).
  std::shared_ptr<const TableInfo> Find(std::string_view owner, std::string_view name,
                                        bool fall_back_to_public);

  // Forgets cached definitions when the database's schema changed; says whether it did.
  bool RefreshIfChanged();
  void Invalidate() { tables_.clear(); }

  bool UserExists(std::string_view user);
  // Whether `owner` has an object named `name` in the name space of tables.
  bool ObjectExists(std::string_view owner, std::string_view name);

 private:
  std::shared_ptr<TableInfo> Load(std::string_view owner, std::string_view name);

  SqliteDb& db_;
  SqliteStmt schema_version_;
  SqliteStmt find_object_;
  SqliteStmt find_columns_;
  SqliteStmt find_constraints_;
  SqliteStmt find_user_;
  std::int64_t known_version_ = -1;
  std::map<std::string, std::shared_ptr<TableInfo>, std::less<>> tables_;
};

// Reads a stored column description back into a type.
SqlType TypeFromDictionary(std::string_view data_type, std::int64_t length,
                           const std::int64_t* precision, const std::int64_t* scale);

}  // namespace qm::ocilite
