#include "ocilite/internal/constraints.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/oracle_date.h"
#include "ocilite/internal/sql_parser.h"
#include "ocilite/internal/sql_translator.h"
#include "ocilite/internal/table_ddl.h"
#include "ocilite/internal/tablespaces.h"

namespace qm::ocilite {
namespace {

using Kind = ConstraintDef::Kind;

// What a constraint's row holds beyond ocl_constraints' first columns.
constexpr std::pair<const char*, const char*> kAddedColumns[] = {
    {"search_condition", "TEXT"},
    {"r_owner", "TEXT"},
    {"r_constraint_name", "TEXT"},
    {"delete_rule", "TEXT"},
    {"not_null", "INTEGER NOT NULL DEFAULT 0"},
    {"generated", "TEXT"},
    {"last_change", "TEXT"},
};

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= list.size()) {
    const auto comma = list.find(',', start);
    out.push_back(list.substr(start, comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return out;
}

std::string JoinList(const std::vector<std::string>& items, std::string_view separator = ",") {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : std::string(separator)) + item;
  return out;
}

std::vector<std::string> StorageNames(const TableInfo& t, const std::vector<std::size_t>& columns) {
  std::vector<std::string> out;
  for (const std::size_t c : columns) out.push_back(t.columns[c].storage);
  return out;
}

// "a = b AND c = d" over two lists of SQLite column texts.
std::string Pairs(const std::vector<std::string>& left, const std::vector<std::string>& right) {
  std::string out;
  for (std::size_t i = 0; i < left.size(); ++i)
    out += (i ? " AND " : "") + left[i] + " = " + right[i];
  return out;
}

std::vector<std::string> Prefixed(std::string_view prefix, const std::vector<std::string>& names) {
  std::vector<std::string> out;
  for (const std::string& n : names) out.push_back(std::string(prefix) + n);
  return out;
}

std::string NextConstraintName(SqliteDb& db) {
  SqliteStmt q = db.Prepare("SELECT value FROM ocl_meta WHERE key = 'next_constraint'");
  q.Step();
  const std::int64_t n = std::stoll(q.Text(0));
  q.Reset();
  db.Exec("UPDATE ocl_meta SET value = '" + std::to_string(n + 1) +
          "' WHERE key = 'next_constraint'");
  char name[32];
  std::snprintf(name, sizeof name, "SYS_C%06lld", static_cast<long long>(n));
  return name;
}

// Tells every session to build its triggers anew.
void BumpVersion(SqliteDb& db) {
  db.Exec(
      "INSERT INTO ocl_meta VALUES ('constraint_version', '1') ON CONFLICT (key) DO UPDATE SET "
      "value = CAST(value AS INTEGER) + 1");
}

}  // namespace

std::int64_t ConstraintVersion(SqliteDb& db) {
  SqliteStmt q = db.Prepare(
      "SELECT CAST(value AS INTEGER) FROM ocl_meta WHERE key = "
      "'constraint_version'");
  return q.Step() ? q.Int(0) : 0;
}

namespace {

bool HasRows(SqliteDb& db, const std::string& storage, const std::string& where = "") {
  SqliteStmt q = db.Prepare("SELECT 1 FROM " + storage + " AS t0" + where + " LIMIT 1");
  return q.Step();
}

struct NewRow {
  NewRow(std::string n, char t, std::vector<std::string> c, bool g)
      : name(std::move(n)), type(t), columns(std::move(c)), generated(g) {}
  std::string name;
  char type;
  std::vector<std::string> columns;  // storage names
  bool generated;
  std::optional<std::string> condition;
  bool not_null = false;
  std::optional<std::string> r_owner, r_name;
  std::optional<std::string> delete_rule;
};

std::int64_t InsertRow(SqliteDb& db, const TableInfo& t, const NewRow& r) {
  SqliteStmt q = db.Prepare(
      "INSERT INTO ocl_constraints (owner, constraint_name, object_id, constraint_type, "
      "column_list, search_condition, r_owner, r_constraint_name, delete_rule, not_null, "
      "generated, last_change) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)");
  auto optional = [&](int index, const std::optional<std::string>& v) {
    if (v) {
      q.Bind(index, *v);
    } else {
      q.BindNull(index);
    }
  };
  q.Bind(1, t.owner);
  q.Bind(2, r.name);
  q.Bind(3, t.object_id);
  q.Bind(4, std::string(1, r.type));
  q.Bind(5, JoinList(r.columns));
  optional(6, r.condition);
  optional(7, r.r_owner);
  optional(8, r.r_name);
  optional(9, r.delete_rule);
  q.Bind(10, static_cast<std::int64_t>(r.not_null ? 1 : 0));
  q.Bind(11, r.generated ? "GENERATED NAME" : "USER NAME");
  q.Bind(12, OraDate::Now().ToStorage());
  q.Step();
  return sqlite3_last_insert_rowid(db.get());
}

void SetNullable(SqliteDb& db, const TableInfo& t, const std::string& storage, bool nullable) {
  SqliteStmt q =
      db.Prepare("UPDATE ocl_columns SET nullable = ?3 WHERE object_id = ?1 AND storage_name = ?2");
  q.Bind(1, t.object_id);
  q.Bind(2, storage);
  q.Bind(3, nullable ? "Y" : "N");
  q.Step();
}

// A key (P or U) of a table: its name and columns in key order.
struct KeyRow {
  std::string owner, name;
  char type = 'U';
  std::vector<std::string> columns;
};

std::vector<KeyRow> KeysOf(SqliteDb& db, std::int64_t object_id) {
  std::vector<KeyRow> keys;
  SqliteStmt q = db.Prepare(
      "SELECT owner, constraint_name, constraint_type, column_list FROM ocl_constraints "
      "WHERE object_id = ?1 AND constraint_type IN ('P', 'U') ORDER BY rowid");
  q.Bind(1, object_id);
  while (q.Step()) keys.push_back({q.Text(0), q.Text(1), q.Text(2)[0], SplitList(q.Text(3))});
  return keys;
}

bool SameSet(std::vector<std::string> a, std::vector<std::string> b) {
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return a == b;
}

std::string Message(int code, const TableInfo& t, const std::string& name) {
  return OraError(code, {t.owner, name}).what();
}

class Adder {
 public:
  Adder(DdlContext& d, const std::shared_ptr<const TableInfo>& table)
      : d_(d), t_(table), has_rows_(HasRows(d.db, table->storage)) {}

  void AddNotNull(const std::string& name, bool generated, std::size_t column) {
    const ColumnInfo& c = t_->columns[column];
    if (has_rows_ && HasRows(d_.db, t_->storage, " WHERE t0." + c.storage + " IS NULL"))
      throw OraError(2296, {t_->owner});
    SetNullable(d_.db, *t_, c.storage, false);
    NewRow r{name, 'C', {c.storage}, generated};
    r.condition = Quote(c.name) + " IS NOT NULL";
    r.not_null = true;
    InsertRow(d_.db, *t_, r);
  }

  void AddKey(const std::string& name, bool generated, const ConstraintOnTable& k) {
    const bool primary = k.def->kind == Kind::kPrimaryKey;
    const std::vector<std::string> columns = StorageNames(*t_, k.columns);
    for (const auto& key : KeysOf(d_.db, t_->object_id)) {
      if (primary && key.type == 'P') throw OraError(2260).At(k.def->pos);
      if (SameSet(key.columns, columns)) throw OraError(2261).At(k.def->pos);
    }
    if (primary) {
      for (const std::string& c : columns) {
        if (has_rows_ && HasRows(d_.db, t_->storage, " WHERE t0." + c + " IS NULL"))
          throw OraError(1449).At(k.def->pos);
        SetNullable(d_.db, *t_, c, false);
      }
    }
    const std::int64_t id = InsertRow(d_.db, *t_, {name, primary ? 'P' : 'U', columns, generated});
    // The index goes into the schema of the table (its tablespace's file).
    const auto [schema, table] = SplitStorage(t_->storage);
    try {
      d_.db.Exec("CREATE UNIQUE INDEX " + schema + "\"ocl_u" + std::to_string(id) + "\" ON " +
                 table + " (" + JoinList(columns) + ")");
    } catch (const SqliteError& e) {
      if ((e.Code() & 0xFF) != SQLITE_CONSTRAINT) throw;
      throw OraError(primary ? 2437 : 2299, {t_->owner, name});
    }
  }

  void AddCheck(const std::string& name, bool generated, const ConstraintOnTable& k) {
    const BindTypes no_binds = [](const std::string&, int) -> SqlType { throw OraError(1027); };
    Translator translator(d_.catalog, d_.ctx, no_binds, k.def->check_text);
    std::vector<const ColumnInfo*> used;
    const std::string condition = translator.RowCondition(*k.def->check, t_, "t0", used);
    if (k.def->columns.empty() && k.columns.size() == 1)
      for (const ColumnInfo* c : used)
        if (c != &t_->columns[k.columns[0]]) throw OraError(2438).At(k.def->pos);
    if (has_rows_ && HasRows(d_.db, t_->storage, " WHERE NOT (" + condition + ")"))
      throw OraError(2293, {t_->owner, name});
    NewRow r{name, 'C', {}, generated};
    for (const ColumnInfo* c : used) r.columns.push_back(c->storage);
    r.condition = k.def->check_text;
    InsertRow(d_.db, *t_, r);
    changed_ = true;
  }

  void AddForeignKey(const std::string& name, bool generated, const ConstraintOnTable& k) {
    const ConstraintDef& def = *k.def;
    const ObjectName& ref = def.references;
    const std::string owner = ref.owner ? ref.owner->text : d_.ctx.user;
    std::shared_ptr<const TableInfo> parent;
    if (owner == t_->owner && ref.name.text == t_->name) {
      parent = t_;
    } else {
      parent = d_.catalog.Find(owner, ref.name.text, false);
    }
    if (!parent) throw OraError(942).At(ref.owner ? ref.owner->pos : ref.name.pos);
    // The parent key, and the child's columns in its order.
    const std::vector<KeyRow> keys = KeysOf(d_.db, parent->object_id);
    const KeyRow* key = nullptr;
    std::vector<std::string> referenced;
    if (def.referenced_columns.empty()) {
      for (const auto& candidate : keys)
        if (candidate.type == 'P') key = &candidate;
      if (!key) throw OraError(2268).At(ref.name.pos);
      referenced = key->columns;
    } else {
      for (const Name& n : def.referenced_columns) {
        const ColumnInfo* c = parent->FindColumn(n.text);
        if (!c) throw OraError(904, {Quote(n.text)}).At(n.pos);
        referenced.push_back(c->storage);
      }
      for (const auto& candidate : keys)
        if (SameSet(candidate.columns, referenced)) key = &candidate;
      if (!key) throw OraError(2270).At(def.referenced_columns[0].pos);
    }
    if (referenced.size() != k.columns.size()) throw OraError(2256).At(def.pos);
    std::vector<std::string> columns(key->columns.size());
    for (std::size_t i = 0; i < referenced.size(); ++i) {
      const auto at = std::find(key->columns.begin(), key->columns.end(), referenced[i]);
      const std::size_t slot = static_cast<std::size_t>(at - key->columns.begin());
      const ColumnInfo& child = t_->columns[k.columns[i]];
      const ColumnInfo* parent_column = nullptr;
      for (const ColumnInfo& c : parent->columns)
        if (c.storage == referenced[i]) parent_column = &c;
      if (child.type.type != parent_column->type.type) throw OraError(2267).At(def.pos);
      columns[slot] = child.storage;
    }
    {
      SqliteStmt q = d_.db.Prepare(
          "SELECT 1 FROM ocl_constraints WHERE object_id = ?1 AND constraint_type = 'R' AND "
          "column_list = ?2 AND r_owner = ?3 AND r_constraint_name = ?4");
      q.Bind(1, t_->object_id);
      q.Bind(2, JoinList(columns));
      q.Bind(3, key->owner);
      q.Bind(4, key->name);
      if (q.Step()) throw OraError(2275).At(def.pos);
    }
    if (has_rows_) {
      std::string where = " WHERE ";
      for (const std::string& c : columns) where += "t0." + c + " IS NOT NULL AND ";
      where += "NOT EXISTS (SELECT 1 FROM " + parent->storage + " AS p WHERE " +
               Pairs(Prefixed("p.", key->columns), Prefixed("t0.", columns)) + ")";
      if (HasRows(d_.db, t_->storage, where)) throw OraError(2298, {t_->owner, name});
    }
    NewRow r{name, 'R', columns, generated};
    r.r_owner = key->owner;
    r.r_name = key->name;
    r.delete_rule = def.on_delete == ConstraintDef::OnDelete::kCascade   ? "CASCADE"
                    : def.on_delete == ConstraintDef::OnDelete::kSetNull ? "SET NULL"
                                                                         : "NO ACTION";
    InsertRow(d_.db, *t_, r);
    changed_ = true;
  }

  bool Changed() const { return changed_; }

 private:
  DdlContext& d_;
  std::shared_ptr<const TableInfo> t_;
  bool has_rows_;
  bool changed_ = false;
};

// The SQLite text that checks or carries out one constraint for the rows a statement writes.
struct TriggerSource {
  std::int64_t id = 0;
  std::string name;
  char type = 'C';
  std::vector<std::string> columns;
  std::string condition;
  std::string delete_rule;
  std::string table_owner, table_name;
  std::vector<std::string> parent_columns;
  std::string parent_owner, parent_name;
};

std::string Raise(const std::string& message) {
  return " BEGIN SELECT RAISE(ABORT, " + SqlString(message) + "); END";
}

std::vector<std::string> CheckTriggers(const TriggerSource& k,
                                       const std::shared_ptr<const TableInfo>& table,
                                       Catalog& catalog, EvalContext& ctx) {
  const TableInfo& t = *table;
  const BindTypes no_binds = [](const std::string&, int) -> SqlType { throw OraError(1027); };
  Translator translator(catalog, ctx, no_binds, k.condition);
  std::vector<const ColumnInfo*> used;
  const ExprPtr condition = ParseCondition(k.condition);
  const std::string test = translator.RowCondition(*condition, table, "NEW", used);
  std::vector<std::string> columns;
  for (const ColumnInfo* c : used) columns.push_back(c->storage);
  const std::string body = " ON " + t.storage + " FOR EACH ROW WHEN NOT (" + test + ")" +
                           Raise(Message(2290, t, k.name));
  const std::string prefix = "CREATE TEMP TRIGGER \"ocl_t" + std::to_string(k.id);
  return {
      prefix + "_i\" BEFORE INSERT" + body,
      prefix + "_u\" BEFORE UPDATE" + (columns.empty() ? "" : " OF " + JoinList(columns)) + body};
}

std::vector<std::string> ForeignKeyTriggers(const TriggerSource& k, const TableInfo& child,
                                            const TableInfo& parent) {
  const std::string prefix = "CREATE TEMP TRIGGER \"ocl_t" + std::to_string(k.id);
  const std::string child_table = SplitStorage(child.storage).second;
  std::string present;
  for (const std::string& c : k.columns) present += "NEW." + c + " IS NOT NULL AND ";
  const std::string parent_missing =
      present + "NOT EXISTS (SELECT 1 FROM " + parent.storage + " AS p WHERE " +
      Pairs(Prefixed("p.", k.parent_columns), Prefixed("NEW.", k.columns)) + ")";
  const std::string children = Pairs(k.columns, Prefixed("OLD.", k.parent_columns));
  const std::string no_parent = Raise(Message(2291, child, k.name));
  const std::string child_found = Raise(Message(2292, child, k.name));
  std::string changed;
  for (const std::string& c : k.parent_columns)
    changed += (changed.empty() ? "" : " OR ") + ("OLD." + c + " IS NOT NEW." + c);
  std::vector<std::string> sql = {
      prefix + "_ci\" AFTER INSERT ON " + child.storage + " FOR EACH ROW WHEN " + parent_missing +
          no_parent,
      prefix + "_cu\" AFTER UPDATE OF " + JoinList(k.columns) + " ON " + child.storage +
          " FOR EACH ROW WHEN " + parent_missing + no_parent,
      prefix + "_pu\" AFTER UPDATE OF " + JoinList(k.parent_columns) + " ON " + parent.storage +
          " FOR EACH ROW WHEN (" + changed + ") AND EXISTS (SELECT 1 FROM " + child.storage +
          " WHERE " + children + ")" + child_found,
  };
  const std::string on_delete =
      prefix + "_pd\" AFTER DELETE ON " + parent.storage + " FOR EACH ROW";
  if (k.delete_rule == "CASCADE") {
    sql.push_back(on_delete + " BEGIN DELETE FROM " + child_table + " WHERE " + children + "; END");
  } else if (k.delete_rule == "SET NULL") {
    std::string sets;
    for (const std::string& storage : k.columns) {
      const ColumnInfo* c = nullptr;
      for (const ColumnInfo& column : child.columns)
        if (column.storage == storage) c = &column;
      // A NOT NULL key column fails the delete as an UPDATE to NULL would (ORA-01407).
      const std::string value = c->nullable
                                    ? "NULL"
                                    : "ocl_col(NULL, " + std::to_string(c->type.InternalCode()) +
                                          ", " + std::to_string(c->type.length) + ", " +
                                          std::to_string(c->type.precision) + ", " +
                                          std::to_string(c->type.scale) + ", 3, " +
                                          SqlString(child.QualifiedColumn(*c)) + ")";
      sets += (sets.empty() ? "" : ", ") + storage + " = " + value;
    }
    sql.push_back(on_delete + " BEGIN UPDATE " + child_table + " SET " + sets + " WHERE " +
                  children + "; END");
  } else {
    sql.push_back(on_delete + " WHEN EXISTS (SELECT 1 FROM " + child.storage + " WHERE " +
                  children + ")" + child_found);
  }
  return sql;
}

void DropTriggers(SqliteDb& db, const std::string& where) {
  std::vector<std::string> names;
  {
    SqliteStmt q = db.Prepare(
        "SELECT name FROM temp.sqlite_master WHERE type = 'trigger' AND name LIKE 'ocl\\_t%' "
        "ESCAPE '\\'" +
        where);
    while (q.Step()) names.push_back(q.Text(0));
  }
  for (const std::string& name : names) db.Exec("DROP TRIGGER IF EXISTS temp." + Quote(name));
}

}  // namespace

void UpgradeConstraintCatalog(SqliteDb& db) {
  SqliteStmt q = db.Prepare(
      "SELECT 1 FROM pragma_table_info('ocl_constraints') WHERE name = 'search_condition'");
  if (q.Step()) return;
  q.Reset();
  for (const auto& [column, declaration] : kAddedColumns) {
    try {
      db.Exec(std::string("ALTER TABLE ocl_constraints ADD COLUMN ") + column + " " + declaration);
    } catch (const SqliteError&) {
      // Another session added it first.
    }
  }
}

void AddConstraints(DdlContext& d, const std::shared_ptr<const TableInfo>& table,
                    const std::vector<ConstraintOnTable>& constraints) {
  if (constraints.empty()) return;
  // Names in the order the constraints are written.
  std::vector<std::string> names;
  for (const ConstraintOnTable& k : constraints) {
    std::string name = k.def->name ? k.def->name->text : NextConstraintName(d.db);
    SqliteStmt taken =
        d.db.Prepare("SELECT 1 FROM ocl_constraints WHERE owner = ?1 AND constraint_name = ?2");
    taken.Bind(1, table->owner);
    taken.Bind(2, name);
    if (taken.Step() || std::find(names.begin(), names.end(), name) != names.end())
      throw OraError(2264).At(k.def->name ? k.def->name->pos : k.def->pos);
    names.push_back(std::move(name));
  }
  Adder add(d, table);
  // Keys before the foreign keys that may reference them.
  for (const Kind kind :
       {Kind::kNotNull, Kind::kPrimaryKey, Kind::kUnique, Kind::kCheck, Kind::kForeignKey}) {
    for (std::size_t i = 0; i < constraints.size(); ++i) {
      const ConstraintOnTable& k = constraints[i];
      if (k.def->kind != kind) continue;
      const bool generated = !k.def->name;
      switch (kind) {
        case Kind::kNotNull:
          add.AddNotNull(names[i], generated, k.columns[0]);
          break;
        case Kind::kPrimaryKey:
        case Kind::kUnique:
          add.AddKey(names[i], generated, k);
          break;
        case Kind::kCheck:
          add.AddCheck(names[i], generated, k);
          break;
        case Kind::kForeignKey:
          add.AddForeignKey(names[i], generated, k);
          break;
      }
    }
  }
  if (add.Changed()) BumpVersion(d.db);
}

void DropConstraint(DdlContext& d, const TableInfo& table, const DropConstraintClause& s) {
  std::int64_t id = 0;
  std::string name, type, list;
  bool not_null = false;
  {
    SqliteStmt q = d.db.Prepare(
        "SELECT rowid, constraint_name, constraint_type, column_list, not_null FROM "
        "ocl_constraints WHERE object_id = ?1 ORDER BY rowid");
    q.Bind(1, table.object_id);
    std::vector<std::string> unique;
    for (const Name& n : s.unique) {
      const ColumnInfo* c = table.FindColumn(n.text);
      if (!c) throw OraError(904, {Quote(n.text)}).At(n.pos);
      unique.push_back(c->storage);
    }
    while (q.Step()) {
      const bool match = s.name ? q.Text(1) == s.name->text
                         : s.primary_key
                             ? q.Text(2) == "P"
                             : q.Text(2) == "U" && SameSet(SplitList(q.Text(3)), unique);
      if (!match) continue;
      id = q.Int(0);
      name = q.Text(1);
      type = q.Text(2);
      list = q.Text(3);
      not_null = q.Int(4) != 0;
    }
  }
  if (id == 0) throw OraError(s.name ? 2443 : s.primary_key ? 2441 : 2442).At(s.pos);
  bool changed = type == "C" || type == "R";
  if (type == "P" || type == "U") {
    SqliteStmt users = d.db.Prepare(
        "SELECT rowid FROM ocl_constraints WHERE constraint_type = 'R' AND r_owner = ?1 AND "
        "r_constraint_name = ?2");
    users.Bind(1, table.owner);
    users.Bind(2, name);
    std::vector<std::int64_t> foreign_keys;
    while (users.Step()) foreign_keys.push_back(users.Int(0));
    if (!foreign_keys.empty() && !s.cascade) throw OraError(2273).At(s.pos);
    for (const std::int64_t fk : foreign_keys)
      d.db.Exec("DELETE FROM ocl_constraints WHERE rowid = " + std::to_string(fk));
    changed = changed || !foreign_keys.empty();
    // The key's unique index, found by its columns.
    const auto [schema, bare] = SplitStorage(table.storage);
    const std::string schema_name = schema.empty() ? "main" : schema.substr(1, schema.size() - 3);
    const std::string table_name = bare.substr(1, bare.size() - 2);
    std::vector<std::string> indexes;
    {
      SqliteStmt q = d.db.Prepare(
          "SELECT il.name, (SELECT group_concat(name, ',') FROM (SELECT ii.name FROM "
          "pragma_index_info(il.name, ?2) ii ORDER BY ii.seqno)) FROM pragma_index_list(?1, ?2) il "
          "WHERE il.\"unique\" AND il.name LIKE 'ocl\\_%' ESCAPE '\\'");
      q.Bind(1, table_name);
      q.Bind(2, schema_name);
      while (q.Step())
        if (SameSet(SplitList(q.Text(1)), SplitList(list))) indexes.push_back(q.Text(0));
    }
    for (const std::string& index : indexes) d.db.Exec("DROP INDEX " + schema + Quote(index));
    if (type == "P") {
      // The key kept its columns filled; a column without a NOT NULL of its own may be empty
      // again.
      for (const std::string& column : SplitList(list)) {
        SqliteStmt own = d.db.Prepare(
            "SELECT 1 FROM ocl_constraints WHERE object_id = ?1 AND not_null = 1 AND "
            "column_list = ?2");
        own.Bind(1, table.object_id);
        own.Bind(2, column);
        if (!own.Step()) SetNullable(d.db, table, column, true);
      }
    }
  }
  d.db.Exec("DELETE FROM ocl_constraints WHERE rowid = " + std::to_string(id));
  if (not_null) {
    const ColumnInfo* column = nullptr;
    for (const ColumnInfo& c : table.columns)
      if (c.storage == list) column = &c;
    if (column && !InPrimaryKey(d.db, table, *column)) SetNullable(d.db, table, list, true);
  }
  if (changed) BumpVersion(d.db);
}

void SetNotNull(DdlContext& d, const std::shared_ptr<const TableInfo>& table,
                const ColumnInfo& column, bool not_null, const std::optional<Name>& name) {
  if (!not_null) {
    ForgetNotNull(d.db, *table, column);
    SetNullable(d.db, *table, column.storage, true);
    return;
  }
  ConstraintDef def;
  def.kind = Kind::kNotNull;
  def.name = name;
  const auto at = static_cast<std::size_t>(&column - table->columns.data());
  AddConstraints(d, table, {{&def, {at}}});
}

bool InPrimaryKey(SqliteDb& db, const TableInfo& table, const ColumnInfo& column) {
  for (const KeyRow& key : KeysOf(db, table.object_id))
    if (key.type == 'P' &&
        std::find(key.columns.begin(), key.columns.end(), column.storage) != key.columns.end())
      return true;
  return false;
}

void ForgetConstraintsOf(SqliteDb& db, const std::vector<std::int64_t>& object_ids, bool cascade) {
  if (object_ids.empty()) return;
  std::string ids;
  for (const std::int64_t id : object_ids) ids += (ids.empty() ? "" : ", ") + std::to_string(id);
  std::vector<std::int64_t> foreign_keys;
  {
    SqliteStmt q = db.Prepare(
        "SELECT c.rowid FROM ocl_constraints c JOIN ocl_constraints p ON p.owner = c.r_owner AND "
        "p.constraint_name = c.r_constraint_name WHERE c.constraint_type = 'R' AND p.object_id "
        "IN (" +
        ids + ") AND c.object_id NOT IN (" + ids + ")");
    while (q.Step()) foreign_keys.push_back(q.Int(0));
  }
  if (!foreign_keys.empty() && !cascade) throw OraError(2449);
  for (const std::int64_t fk : foreign_keys)
    db.Exec("DELETE FROM ocl_constraints WHERE rowid = " + std::to_string(fk));
  db.Exec("DELETE FROM ocl_constraints WHERE object_id IN (" + ids + ")");
  BumpVersion(db);
}

void TruncateRows(SqliteDb& db, const TableInfo& table) {
  {
    SqliteStmt q = db.Prepare(
        "SELECT 1 FROM ocl_constraints c JOIN ocl_constraints p ON p.owner = c.r_owner AND "
        "p.constraint_name = c.r_constraint_name WHERE c.constraint_type = 'R' AND p.object_id "
        "= ?1 AND c.object_id <> ?1");
    q.Bind(1, table.object_id);
    if (q.Step()) throw OraError(2266);
  }
  // Truncating deletes nothing row by row: no check, cascade or child test applies. The
  // session builds the triggers again before its next write.
  const std::string bare = SplitStorage(table.storage).second;
  DropTriggers(db, " AND tbl_name = " + SqlString(bare.substr(1, bare.size() - 2)));
  db.Exec("DELETE FROM " + table.storage);
  BumpVersion(db);
}

bool ColumnInConstraint(SqliteDb& db, const TableInfo& table, const ColumnInfo& column) {
  SqliteStmt q =
      db.Prepare("SELECT column_list FROM ocl_constraints WHERE object_id = ?1 AND not_null = 0");
  q.Bind(1, table.object_id);
  while (q.Step()) {
    const auto list = SplitList(q.Text(0));
    if (std::find(list.begin(), list.end(), column.storage) != list.end()) return true;
  }
  return false;
}

void ForgetNotNull(SqliteDb& db, const TableInfo& table, const ColumnInfo& column) {
  SqliteStmt q = db.Prepare(
      "DELETE FROM ocl_constraints WHERE object_id = ?1 AND not_null = 1 AND column_list = ?2");
  q.Bind(1, table.object_id);
  q.Bind(2, column.storage);
  q.Step();
}

void SyncConstraintTriggers(SqliteDb& db, Catalog& catalog, EvalContext& ctx, std::int64_t& built) {
  const std::int64_t version = ConstraintVersion(db);
  if (version == built) return;
  DropTriggers(db, "");
  std::vector<TriggerSource> sources;
  {
    SqliteStmt q = db.Prepare(
        "SELECT c.rowid, c.owner, c.constraint_name, c.constraint_type, c.column_list, "
        "c.search_condition, c.delete_rule, o.owner, o.object_name, p.column_list, po.owner, "
        "po.object_name FROM ocl_constraints c JOIN ocl_objects o ON o.object_id = c.object_id "
        "LEFT JOIN ocl_constraints p ON p.owner = c.r_owner AND p.constraint_name = "
        "c.r_constraint_name LEFT JOIN ocl_objects po ON po.object_id = p.object_id "
        "WHERE (c.constraint_type = 'C' AND c.not_null = 0) OR c.constraint_type = 'R' "
        "ORDER BY c.rowid");
    while (q.Step()) {
      TriggerSource k;
      k.id = q.Int(0);
      k.name = q.Text(2);
      k.type = q.Text(3)[0];
      k.columns = SplitList(q.Text(4));
      k.condition = q.Text(5);
      k.delete_rule = q.Text(6);
      k.table_owner = q.Text(7);
      k.table_name = q.Text(8);
      k.parent_columns = SplitList(q.Text(9));
      k.parent_owner = q.Text(10);
      k.parent_name = q.Text(11);
      sources.push_back(std::move(k));
    }
  }
  for (const TriggerSource& k : sources) {
    const auto table = catalog.Find(k.table_owner, k.table_name, false);
    if (!table) continue;
    std::vector<std::string> triggers;
    if (k.type == 'C') {
      triggers = CheckTriggers(k, table, catalog, ctx);
    } else {
      const auto parent = catalog.Find(k.parent_owner, k.parent_name, false);
      if (!parent) continue;
      triggers = ForeignKeyTriggers(k, *table, *parent);
    }
    for (const std::string& sql : triggers) db.Exec(sql);
  }
  built = version;
}

}  // namespace qm::ocilite
