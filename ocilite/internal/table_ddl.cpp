#include "ocilite/internal/table_ddl.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

#include "ocilite/internal/constraints.h"
#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/oracle_date.h"
#include "ocilite/internal/sql_translator.h"
#include "ocilite/internal/tablespaces.h"
#include "ocilite/internal/user_accounts.h"

namespace qm::ocilite {
namespace {

std::string OwnerOf(DdlContext& d, const ObjectName& name) {
  if (!name.owner) return d.ctx.user;
  if (!d.catalog.UserExists(name.owner->text))
    throw OraError(1918, {name.owner->text}).At(name.owner->pos);
  return name.owner->text;
}

void CheckNoColumns(const Expr& e) {
  if (e.kind == ExprKind::kColumn) {
    const auto& n = e.path.back();
    const bool pseudo =
        e.path.size() == 1 && !n.quoted && (n.text == "SYSDATE" || n.text == "USER");
    if (!pseudo) throw OraError(984).At(e.pos);
  }
  for (const auto& a : e.args) CheckNoColumns(*a);
}

// The stored description of a column type: DATA_TYPE, DATA_LENGTH, DATA_PRECISION, DATA_SCALE.
void BindType(SqliteStmt& q, int first, const SqlType& t) {
  q.Bind(first, t.DictionaryName());
  q.Bind(first + 1, static_cast<std::int64_t>(t.type == DataType::kNumber ? 22 : t.DataSize()));
  q.BindNull(first + 2);
  q.BindNull(first + 3);
  if (t.type != DataType::kNumber) return;
  if (t.is_float) {
    q.Bind(first + 2, static_cast<std::int64_t>(t.precision));
  } else {
    if (t.precision > 0) q.Bind(first + 2, static_cast<std::int64_t>(t.precision));
    if (t.scale != kFloatScale) q.Bind(first + 3, static_cast<std::int64_t>(t.scale));
  }
}

struct NewColumn {
  std::string name;
  int pos;
  SqlType type;
  std::string default_text;
};

// The constraints written with `columns` (the column's own) and `table` (the table's), on the
// columns of `names`; ORA-00904 for a column the table lacks.
std::vector<ConstraintOnTable> OnColumns(const std::vector<std::string>& names,
                                         const std::vector<const ColumnDef*>& columns,
                                         const std::vector<ConstraintDef>& table) {
  std::vector<ConstraintOnTable> out;
  for (const ColumnDef* def : columns) {
    const auto at = static_cast<std::size_t>(std::find(names.begin(), names.end(), def->name.text) -
                                             names.begin());
    for (const ConstraintDef& k : def->constraints) out.push_back({&k, {at}});
  }
  for (const ConstraintDef& k : table) {
    ConstraintOnTable c{&k, {}};
    for (const Name& column : k.columns) {
      const auto it = std::find(names.begin(), names.end(), column.text);
      if (it == names.end()) throw OraError(904, {"\"" + column.text + "\""}).At(column.pos);
      c.columns.push_back(static_cast<std::size_t>(it - names.begin()));
    }
    out.push_back(std::move(c));
  }
  return out;
}

}  // namespace

void CreateTable(DdlContext& d, const CreateTableStmt& s) {
  const std::string owner = OwnerOf(d, s.table);
  const std::string& name = s.table.name.text;
  const bool allowed = (owner == d.ctx.user && HasPrivilege(d.db, owner, "CREATE TABLE")) ||
                       HasPrivilege(d.db, d.ctx.user, "CREATE ANY TABLE");
  if (!allowed) throw OraError(1031);
  if (d.catalog.ObjectExists(owner, name)) throw OraError(955).At(s.table.name.pos);
  std::string tablespace = d.default_tablespace;
  if (s.tablespace) {
    if (IsTemporaryTablespace(d.db, *s.tablespace)) throw OraError(2195).At(s.tablespace->pos);
    tablespace = s.tablespace->text;
  }

  std::vector<NewColumn> columns;
  // NOT NULL columns of a query's result keep their constraint in the new table.
  std::vector<ConstraintDef> copied_not_null;
  std::vector<const ColumnDef*> column_defs;
  std::string query_sql;
  TranslatedStatement query;
  if (s.as_query) {
    Translator translator(d.catalog, d.ctx, NoBindTypes(), d.sql_text);
    query = translator.Query(*s.as_query);
    for (std::size_t i = 0; i < query.columns.size(); ++i) {
      const ResultColumn& c = query.columns[i];
      const SelectItem* item = i < s.as_query->items.size() ? &s.as_query->items[i] : nullptr;
      const bool plain = item && (item->alias || item->expr->kind == ExprKind::kColumn ||
                                  item->expr->kind == ExprKind::kStar);
      if (!plain || c.name.size() > 30) throw OraError(998).At(item ? item->expr->pos : 0);
      SqlType t = c.type;
      if (t.IsNull() ||
          ((t.type == DataType::kVarchar2 || t.type == DataType::kChar) && t.length == 0))
        throw OraError(1723).At(item->expr->pos);
      if (t.type == DataType::kChar &&
          !(item->expr->kind == ExprKind::kColumn || item->expr->kind == ExprKind::kStar))
        t = SqlType::Char(t.length);
      columns.push_back({c.name, item->expr->pos, t, {}});
      if (!c.nullable) {
        ConstraintDef k;
        k.kind = ConstraintDef::Kind::kNotNull;
        k.columns.push_back({c.name, false, item->expr->pos});
        copied_not_null.push_back(std::move(k));
      }
    }
  } else {
    for (const ColumnDef& def : s.columns) {
      if (def.default_expr) CheckNoColumns(*def.default_expr);
      columns.push_back({def.name.text, def.name.pos, def.type, def.default_text});
      column_defs.push_back(&def);
    }
  }
  int longs = 0;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j)
      if (columns[j].name == columns[i].name) throw OraError(957).At(columns[i].pos);
    if (columns[i].type.type == DataType::kLong || columns[i].type.type == DataType::kLongRaw)
      if (++longs > 1) throw OraError(1754).At(columns[i].pos);
  }
  if (columns.size() > 1000) throw OraError(1792);
  std::vector<std::string> names;
  for (const NewColumn& c : columns) names.push_back(c.name);
  const std::vector<ConstraintOnTable> constraints =
      OnColumns(names, column_defs, s.as_query ? copied_not_null : s.constraints);

  const std::string now = OraDate::Now().ToStorage();
  SqliteStmt object = d.db.Prepare(
      "INSERT INTO ocl_objects (owner, object_name, object_type, tablespace_name, created, "
      "last_ddl_time) VALUES (?1, ?2, 'TABLE', ?3, ?4, ?4)");
  object.Bind(1, owner);
  object.Bind(2, name);
  object.Bind(3, tablespace);
  object.Bind(4, now);
  object.Step();
  const std::int64_t id = sqlite3_last_insert_rowid(d.db.get());
  const std::string storage = TableStorage(tablespace, id);

  SqliteStmt column = d.db.Prepare(
      "INSERT INTO ocl_columns (object_id, column_id, column_name, storage_name, data_type, "
      "data_length, data_precision, data_scale, nullable, data_default) "
      "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
  std::string create = "CREATE TABLE " + storage + " (";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const NewColumn& c = columns[i];
    const std::string storage_name = "c" + std::to_string(i + 1);
    column.Bind(1, id);
    column.Bind(2, static_cast<std::int64_t>(i + 1));
    column.Bind(3, c.name);
    column.Bind(4, storage_name);
    BindType(column, 5, c.type);
    column.Bind(9, "Y");  // NOT NULL comes with its constraint
    if (c.default_text.empty()) {
      column.BindNull(10);
    } else {
      column.Bind(10, c.default_text);
    }
    column.Step();
    column.Reset();
    create += (i ? ", " : "") + storage_name + " " + c.type.StorageDeclaration();
  }
  d.db.Exec(create + ")");

  AddConstraints(d, d.catalog.Find(owner, name, false), constraints);
  if (s.as_query) {
    std::string list;
    for (std::size_t i = 0; i < columns.size(); ++i)
      list += (i ? ", " : "") + ("c" + std::to_string(i + 1));
    SqliteStmt insert = d.db.Prepare("INSERT INTO " + storage + " (" + list + ") " + query.sql);
    for (std::size_t i = 0; i < query.params.size(); ++i) {
      const Value& v = query.params[i].constant;
      const int index = static_cast<int>(i + 1);
      switch (v.kind) {
        case Value::Kind::kText:
          insert.Bind(index, v.s);
          break;
        case Value::Kind::kNumber:
        case Value::Kind::kBlob:
          sqlite3_bind_blob(insert.get(), index, v.s.data(), static_cast<int>(v.s.size()),
                            SQLITE_TRANSIENT);
          break;
        case Value::Kind::kNull:
          insert.BindNull(index);
          break;
      }
    }
    insert.Step();
  }
}

namespace {
std::shared_ptr<const TableInfo> TableToChange(DdlContext& d, const ObjectName& name) {
  const std::string owner = name.owner ? name.owner->text : d.ctx.user;
  auto t = d.catalog.Find(owner, name.name.text, false);
  if (!t) {
    if (!name.owner && d.catalog.Find(owner, name.name.text, true))
      throw OraError(1031).At(name.name.pos);
    throw OraError(942).At(name.owner ? name.owner->pos : name.name.pos);
  }
  return t;
}
}  // namespace

void DropTable(DdlContext& d, const DropTableStmt& s) {
  auto t = TableToChange(d, s.table);
  const std::string id = std::to_string(t->object_id);
  ForgetConstraintsOf(d.db, {t->object_id}, s.cascade_constraints);
  d.db.Exec("DROP TABLE " + t->storage);
  d.db.Exec("DELETE FROM ocl_columns WHERE object_id = " + id);
  d.db.Exec("DELETE FROM ocl_indexes WHERE table_id = " + id);
  d.db.Exec("DELETE FROM ocl_objects WHERE object_id = " + id);
}

void CreateIndex(DdlContext& d, const CreateIndexStmt& s) {
  auto t = TableToChange(d, s.table);
  const std::string owner = s.index.owner ? s.index.owner->text : d.ctx.user;
  if ((owner != d.ctx.user || t->owner != d.ctx.user) &&
      !HasPrivilege(d.db, d.ctx.user, "CREATE ANY INDEX"))
    throw OraError(1031);
  SqliteStmt taken = d.db.Prepare("SELECT 1 FROM ocl_indexes WHERE owner = ?1 AND index_name = ?2");
  taken.Bind(1, owner);
  taken.Bind(2, s.index.name.text);
  if (taken.Step()) throw OraError(955).At(s.index.name.pos);
  std::string columns, column_list;
  for (const auto& [name, descending] : s.columns) {
    const ColumnInfo* c = t->FindColumn(name.text);
    if (!c) throw OraError(904, {"\"" + name.text + "\""}).At(name.pos);
    columns += (columns.empty() ? "" : ", ") + c->storage + (descending ? " DESC" : "");
    column_list += (column_list.empty() ? "" : ",") + c->storage;
  }
  SqliteStmt q = d.db.Prepare(
      "INSERT INTO ocl_indexes (owner, index_name, table_id, uniqueness, column_list) "
      "VALUES (?1, ?2, ?3, ?4, ?5)");
  q.Bind(5, column_list);
  q.Bind(1, owner);
  q.Bind(2, s.index.name.text);
  q.Bind(3, t->object_id);
  q.Bind(4, s.unique ? "UNIQUE" : "NONUNIQUE");
  q.Step();
  const std::string id = std::to_string(sqlite3_last_insert_rowid(d.db.get()));
  const auto [schema, table] = SplitStorage(t->storage);
  try {
    d.db.Exec(std::string(s.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + schema + "\"i" +
              id + "\" ON " + table + " (" + columns + ")");
  } catch (const SqliteError& e) {
    if (s.unique && (e.Code() & 0xff) == SQLITE_CONSTRAINT) throw OraError(1452);
    throw;
  }
}

namespace {

// The kind of change a column type may take while the column holds values.
bool SameFamily(const SqlType& a, const SqlType& b) {
  const bool text_a = a.type == DataType::kVarchar2 || a.type == DataType::kChar;
  const bool text_b = b.type == DataType::kVarchar2 || b.type == DataType::kChar;
  return a.type == b.type || (text_a && text_b);
}

void ModifyTableColumn(DdlContext& d, const std::shared_ptr<const TableInfo>& table,
                       const ModifyColumn& m, bool has_rows) {
  const TableInfo& t = *table;
  const ColumnInfo* c = t.FindColumn(m.name.text);
  if (!c) throw OraError(904, {"\"" + m.name.text + "\""}).At(m.name.pos);
  auto count = [&](const std::string& condition) {
    SqliteStmt q = d.db.Prepare("SELECT count(*) FROM " + t.storage + " WHERE " + condition);
    q.Step();
    return q.Int(0);
  };
  const bool holds_values = has_rows && count(c->storage + " IS NOT NULL") > 0;
  if (m.type) {
    const SqlType& to = *m.type;
    // A change of kind would leave SQLite's storage class of the column behind: not done.
    if (!SameFamily(c->type, to)) {
      if (holds_values) throw OraError(1439).At(m.type_pos);
      throw OraError(3001).At(m.type_pos);
    }
    if (holds_values) {
      if (to.type == DataType::kNumber &&
          ((to.precision != 0 && (c->type.precision == 0 || to.precision < c->type.precision)) ||
           (to.scale != kFloatScale && (c->type.scale == kFloatScale || to.scale < c->type.scale))))
        throw OraError(1440).At(m.type_pos);
      if (to.length > 0 && to.length < c->type.length &&
          count("ocl_length(" + c->storage + ") > ocl_num(" + std::to_string(to.length) + ")") > 0)
        throw OraError(1441).At(m.type_pos);
      if (to.type == DataType::kChar && c->type.type != DataType::kChar)
        throw OraError(1439).At(m.type_pos);
    }
    SqliteStmt q = d.db.Prepare(
        "UPDATE ocl_columns SET data_type = ?5, data_length = ?6, data_precision = ?7, "
        "data_scale = ?8 WHERE object_id = ?1 AND storage_name = ?2");
    q.Bind(1, t.object_id);
    q.Bind(2, c->storage);
    BindType(q, 5, to);
    q.Step();
  }
  if (m.not_null) {
    // A column of the primary key stays NOT NULL with it.
    if (*m.not_null == !c->nullable || (!*m.not_null && InPrimaryKey(d.db, t, *c)))
      throw OraError(*m.not_null ? 1442 : 1451).At(m.name.pos);
    if (*m.not_null && has_rows && count(c->storage + " IS NULL") > 0)
      throw OraError(2296, {t.owner}).At(m.name.pos);
    SetNotNull(d, table, *c, *m.not_null, m.constraint_name);
  }
}

}  // namespace

void AlterTable(DdlContext& d, const AlterTableStmt& s) {
  auto t = TableToChange(d, s.table);
  if (t->owner != d.ctx.user && !HasPrivilege(d.db, d.ctx.user, "ALTER ANY TABLE"))
    throw OraError(1031);
  const std::string id = std::to_string(t->object_id);
  bool has_rows = false;
  {
    SqliteStmt q = d.db.Prepare("SELECT 1 FROM " + t->storage + " LIMIT 1");
    has_rows = q.Step();
  }
  std::int64_t last_storage = 0, last_id = 0;
  {
    SqliteStmt q = d.db.Prepare(
        "SELECT max(CAST(substr(storage_name, 2) AS INTEGER)), max(column_id) FROM ocl_columns "
        "WHERE object_id = ?1");
    q.Bind(1, t->object_id);
    q.Step();
    last_storage = q.Int(0);
    last_id = q.Int(1);
  }
  for (const ColumnDef& def : s.add) {
    if (t->FindColumn(def.name.text)) throw OraError(1430).At(def.name.pos);
    if (has_rows &&
        (def.Has(ConstraintDef::Kind::kNotNull) || def.Has(ConstraintDef::Kind::kPrimaryKey)))
      throw OraError(1758).At(def.name.pos);
    // Rows already there would have to take the default.
    if (has_rows && !def.default_text.empty()) throw OraError(3001).At(def.name.pos);
    if (def.default_expr) CheckNoColumns(*def.default_expr);
    const std::string storage_name = "c" + std::to_string(++last_storage);
    SqliteStmt column = d.db.Prepare(
        "INSERT INTO ocl_columns (object_id, column_id, column_name, storage_name, data_type, "
        "data_length, data_precision, data_scale, nullable, data_default) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    column.Bind(1, t->object_id);
    column.Bind(2, ++last_id);
    column.Bind(3, def.name.text);
    column.Bind(4, storage_name);
    BindType(column, 5, def.type);
    column.Bind(9, "Y");  // NOT NULL comes with its constraint
    if (!def.default_text.empty()) column.Bind(10, def.default_text);
    column.Step();
    d.db.Exec("ALTER TABLE " + t->storage + " ADD COLUMN " + storage_name + " " +
              def.type.StorageDeclaration());
  }
  if (!s.add.empty() || !s.add_constraints.empty()) {
    // The table as it now is, new columns and all.
    d.catalog.Invalidate();
    t = TableToChange(d, s.table);
    std::vector<std::string> names;
    for (const ColumnInfo& c : t->columns) names.push_back(c.name);
    std::vector<const ColumnDef*> defs;
    for (const ColumnDef& def : s.add) defs.push_back(&def);
    AddConstraints(d, t, OnColumns(names, defs, s.add_constraints));
  }
  for (const DropConstraintClause& k : s.drop_constraints) DropConstraint(d, *t, k);
  for (const ModifyColumn& m : s.modify) ModifyTableColumn(d, t, m, has_rows);
  std::set<std::string> dropping;
  for (const Name& name : s.drop) {
    const ColumnInfo* c = t->FindColumn(name.text);
    if (!c) throw OraError(904, {"\"" + name.text + "\""}).At(name.pos);
    dropping.insert(c->storage);
  }
  if (!dropping.empty() && dropping.size() >= t->columns.size()) throw OraError(12983);
  for (const Name& name : s.drop) {
    // A column's own NOT NULL goes with it; a column of any other constraint stays.
    const ColumnInfo& c = *t->FindColumn(name.text);
    if (ColumnInConstraint(d.db, *t, c)) throw OraError(3001).At(name.pos);
    ForgetNotNull(d.db, *t, c);
  }
  {
    SqliteStmt q = d.db.Prepare("SELECT column_list FROM ocl_indexes WHERE table_id = ?1");
    q.Bind(1, t->object_id);
    while (q.Step()) {
      const std::string list = "," + q.Text(0) + ",";
      for (const std::string& c : dropping)
        if (list.find("," + c + ",") != std::string::npos) throw OraError(3001);
    }
  }
  if (dropping.empty()) return;
  // The session's own lookup indexes go too; they come back when lookups need them again.
  const auto [schema, table] = SplitStorage(t->storage);
  std::vector<std::string> lookup_indexes;
  {
    SqliteStmt q = d.db.Prepare("SELECT name FROM " + (schema.empty() ? "main." : schema) +
                                "sqlite_master WHERE type = 'index' AND name LIKE 'ocl\\_a" + id +
                                "\\_%' ESCAPE '\\'");
    while (q.Step()) lookup_indexes.push_back(q.Text(0));
  }
  for (const std::string& index : lookup_indexes)
    d.db.Exec("DROP INDEX IF EXISTS " + schema + "\"" + index + "\"");
  for (const std::string& c : dropping) {
    d.db.Exec("ALTER TABLE " + t->storage + " DROP COLUMN " + c);
    SqliteStmt q =
        d.db.Prepare("DELETE FROM ocl_columns WHERE object_id = ?1 AND storage_name = ?2");
    q.Bind(1, t->object_id);
    q.Bind(2, c);
    q.Step();
  }
  // Column numbers close up, as Oracle's do.
  d.db.Exec("UPDATE ocl_columns SET column_id = -column_id WHERE object_id = " + id);
  d.db.Exec(
      "UPDATE ocl_columns SET column_id = (SELECT count(*) FROM ocl_columns o WHERE "
      "o.object_id = ocl_columns.object_id AND o.column_id >= ocl_columns.column_id) "
      "WHERE object_id = " +
      id);
}

void RenameTable(DdlContext& d, const RenameStmt& s) {
  ObjectName from;
  from.name = s.from;
  auto t = TableToChange(d, from);
  if (d.catalog.ObjectExists(d.ctx.user, s.to.text)) throw OraError(955).At(s.to.pos);
  SqliteStmt q = d.db.Prepare(
      "UPDATE ocl_objects SET object_name = ?1, last_ddl_time = ?2 WHERE object_id = ?3");
  q.Bind(1, s.to.text);
  q.Bind(2, OraDate::Now().ToStorage());
  q.Bind(3, t->object_id);
  q.Step();
}

void CheckComment(DdlContext& d, const CommentStmt& s) {
  auto t = TableToChange(d, s.table);
  if (s.column && !t->FindColumn(s.column->text))
    throw OraError(904, {"\"" + s.column->text + "\""}).At(s.column->pos);
}

void DropIndex(DdlContext& d, const DropIndexStmt& s) {
  const std::string owner = s.index.owner ? s.index.owner->text : d.ctx.user;
  SqliteStmt q = d.db.Prepare(
      "SELECT i.index_id, o.tablespace_name FROM ocl_indexes i JOIN ocl_objects o "
      "ON o.object_id = i.table_id WHERE i.owner = ?1 AND i.index_name = ?2");
  q.Bind(1, owner);
  q.Bind(2, s.index.name.text);
  if (!q.Step()) throw OraError(1418).At(s.index.name.pos);
  const std::string id = std::to_string(q.Int(0));
  const auto [schema, table] = SplitStorage(TableStorage(q.IsNull(1) ? "" : q.Text(1), 0));
  q.Reset();
  d.db.Exec("DROP INDEX IF EXISTS " + schema + "\"i" + id + "\"");
  d.db.Exec("DELETE FROM ocl_indexes WHERE index_id = " + id);
}

void TruncateTable(DdlContext& d, const TruncateTableStmt& s) {
  TruncateRows(d.db, *TableToChange(d, s.table));
}

}  // namespace qm::ocilite
