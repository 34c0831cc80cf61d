#include "ocilite/internal/catalog.h"

#include "ocilite/internal/dictionary_views.h"
#include "ocilite/internal/tablespaces.h"

namespace qm::ocilite {

const ColumnInfo* TableInfo::FindColumn(std::string_view column) const {
  for (const auto& c : columns)
    if (c.name == column) return &c;
  return nullptr;
}

std::string TableInfo::QualifiedColumn(const ColumnInfo& column) const {
  return "\"" + owner + "\".\"" + name + "\".\"" + column.name + "\"";
}

SqlType TypeFromDictionary(std::string_view data_type, std::int64_t length,
                           const std::int64_t* precision, const std::int64_t* scale) {
  const int len = static_cast<int>(length);
  if (data_type == "VARCHAR2") return SqlType::Varchar2(len);
  if (data_type == "CHAR") return SqlType::Char(len);
  if (data_type == "RAW") return SqlType::Raw(len);
  if (data_type == "DATE") return SqlType::Date();
  if (data_type == "LONG") return SqlType::Long();
  if (data_type == "LONG RAW") return SqlType{DataType::kLongRaw};
  if (data_type == "CLOB") return SqlType{DataType::kClob};
  if (data_type == "BLOB") return SqlType{DataType::kBlob};
  if (data_type == "BFILE") return SqlType{DataType::kBfile};
  if (data_type == "FLOAT") {
    SqlType t = SqlType::Number(precision ? static_cast<int>(*precision) : 126, kFloatScale);
    t.is_float = true;
    return t;
  }
  return SqlType::Number(precision ? static_cast<int>(*precision) : 0,
                         scale ? static_cast<int>(*scale) : kFloatScale);
}

Catalog::Catalog(SqliteDb& db)
    : db_(db),
      schema_version_(db.Prepare("PRAGMA main.schema_version")),
      find_object_(db.Prepare("SELECT object_id, tablespace_name FROM ocl_objects "
                              "WHERE owner = ?1 AND object_name = ?2 AND object_type = 'TABLE'")),
      find_columns_(
          db.Prepare("SELECT column_name, storage_name, data_type, data_length, data_precision, "
                     "data_scale, nullable, data_default FROM ocl_columns WHERE object_id = ?1 "
                     "ORDER BY column_id")),
      find_constraints_(
          db.Prepare("SELECT constraint_name, constraint_type, column_list FROM ocl_constraints "
                     "WHERE object_id = ?1 ORDER BY constraint_name")),
      find_user_(db.Prepare("SELECT 1 FROM ocl_users WHERE username = ?1")) {}

bool Catalog::RefreshIfChanged() {
  schema_version_.Step();
  const std::int64_t version = schema_version_.Int(0);
  schema_version_.Reset();
  if (version == known_version_) return false;
  tables_.clear();
  known_version_ = version;
  return true;
}

bool Catalog::UserExists(std::string_view user) {
  find_user_.Bind(1, user);
  const bool found = find_user_.Step();
  find_user_.Reset();
  return found;
}

bool Catalog::ObjectExists(std::string_view owner, std::string_view name) {
  SqliteStmt q = db_.Prepare("SELECT 1 FROM ocl_objects WHERE owner = ?1 AND object_name = ?2");
  q.Bind(1, owner);
  q.Bind(2, name);
  return q.Step();
}

std::shared_ptr<const TableInfo> Catalog::Find(std::string_view owner, std::string_view name,
                                               bool fall_back_to_public) {
  std::string key(owner);
  key += '\x01';
  key += name;
  key += fall_back_to_public ? "\x01p" : "";
  if (auto it = tables_.find(key); it != tables_.end()) return it->second;
  std::shared_ptr<const TableInfo> table = Load(owner, name);
  if (!table && (fall_back_to_public || owner == "SYS")) table = DictionaryView(name);
  if (table) tables_.emplace(std::move(key), std::const_pointer_cast<TableInfo>(table));
  return table;
}

std::shared_ptr<TableInfo> Catalog::Load(std::string_view owner, std::string_view name) {
  find_object_.Bind(1, owner);
  find_object_.Bind(2, name);
  if (!find_object_.Step()) {
    find_object_.Reset();
    return nullptr;
  }
  auto t = std::make_shared<TableInfo>();
  t->object_id = find_object_.Int(0);
  t->tablespace = find_object_.Text(1);
  find_object_.Reset();
  t->owner = owner;
  t->name = name;
  t->storage = TableStorage(t->tablespace, t->object_id);

  find_columns_.Bind(1, t->object_id);
  while (find_columns_.Step()) {
    ColumnInfo c;
    c.name = find_columns_.Text(0);
    c.storage = find_columns_.Text(1);
    std::int64_t precision = find_columns_.Int(4), scale = find_columns_.Int(5);
    c.type = TypeFromDictionary(find_columns_.Text(2), find_columns_.Int(3),
                                find_columns_.IsNull(4) ? nullptr : &precision,
                                find_columns_.IsNull(5) ? nullptr : &scale);
    c.nullable = find_columns_.Text(6) == "Y";
    c.default_text = find_columns_.Text(7);
    t->columns.push_back(std::move(c));
  }
  find_columns_.Reset();

  find_constraints_.Bind(1, t->object_id);
  while (find_constraints_.Step()) {
    ConstraintInfo k;
    k.name = find_constraints_.Text(0);
    k.type = find_constraints_.Text(1).empty() ? 'U' : find_constraints_.Text(1)[0];
    const std::string list = find_constraints_.Text(2);
    std::size_t start = 0;
    while (start <= list.size()) {
      const auto comma = list.find(',', start);
      const std::string storage = list.substr(start, comma - start);
      for (std::size_t i = 0; i < t->columns.size(); ++i)
        if (t->columns[i].storage == storage) k.columns.push_back(i);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    t->constraints.push_back(std::move(k));
  }
  find_constraints_.Reset();
  return t;
}

}  // namespace qm::ocilite
