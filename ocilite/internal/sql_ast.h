// The parsed form of a statement. Names are already folded (unquoted to upper case); every node
// keeps the byte offset of its first token so that later errors can point into the text.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "ocilite/internal/sql_type.h"

namespace qm::ocilite {

struct Name {
  std::string text;
  bool quoted = false;
  int pos = 0;
};

// [owner.]name
struct ObjectName {
  std::optional<Name> owner;
  Name name;
};

struct SelectStmt;

enum class ExprKind {
  kNull,        // NULL
  kString,      // 'text' (empty text reads as NULL)
  kNumber,      // 12, 1.5, 1e3
  kBind,        // :name
  kColumn,      // [[owner.]table.]column, or a name such as SYSDATE or USER
  kStar,        // * or table.* (select list and COUNT(*) only)
  kNegate,      // -a
  kArithmetic,  // a + b, a - b, a * b, a / b
  kConcat,      // a || b
  kCompare,     // a = b, <>, <, >, <=, >=
  kAnd,
  kOr,
  kNot,
  kIsNull,    // a IS [NOT] NULL
  kLike,      // a [NOT] LIKE b [ESCAPE c]
  kIn,        // a [NOT] IN (b, c, ...)
  kBetween,   // a [NOT] BETWEEN b AND c
  kFunction,  // name(args), including the aggregates
  kTrim,      // TRIM([LEADING|TRAILING|BOTH] [c] FROM s): op is "L", "T" or "B"
  kDefault,   // DEFAULT in a VALUES list
  kSubquery,  // (SELECT ...) giving one value
  kExists,    // EXISTS (SELECT ...)
};

struct Expr {
  ExprKind kind;
  int pos = 0;
  int end = 0;             // byte offset after the expression's last token
  std::string op;          // operator, function name (upper case)
  std::string text;        // literal text, bind name
  std::vector<Name> path;  // column reference parts; for kStar the table qualifier, if any
  std::vector<std::unique_ptr<Expr>> args;
  std::shared_ptr<SelectStmt> query;  // kSubquery, kExists, and kIn over a subquery
  bool negated = false;               // NOT LIKE, NOT IN, IS NOT NULL, NOT BETWEEN
  bool distinct = false;              // COUNT(DISTINCT x)
};
using ExprPtr = std::unique_ptr<Expr>;

struct SelectItem {
  ExprPtr expr;
  std::optional<Name> alias;
};

struct TableRef {
  ObjectName table;
  std::shared_ptr<SelectStmt> query;  // FROM (SELECT ...): `table` is unset
  std::optional<Name> alias;
};

struct OrderItem {
  ExprPtr expr;
  bool descending = false;
  std::optional<bool> nulls_first;
};

struct SelectStmt;

// A query block joined to the ones before it: "UNION", "UNION ALL", "MINUS" or "INTERSECT".
struct CompoundBranch {
  std::string op;
  std::unique_ptr<SelectStmt> query;
};

struct SelectStmt {
  bool distinct = false;
  std::vector<SelectItem> items;
  std::vector<TableRef> from;
  ExprPtr where;
  std::vector<ExprPtr> group_by;
  ExprPtr having;
  std::vector<CompoundBranch> compound;  // the blocks after this one; ORDER BY sorts them all
  std::vector<OrderItem> order_by;
};

struct InsertStmt {
  TableRef table;
  std::vector<Name> columns;  // empty: every column in order
  std::vector<ExprPtr> values;
  std::unique_ptr<SelectStmt> query;  // INSERT ... SELECT
  int values_pos = 0;
};

struct UpdateStmt {
  TableRef table;
  std::vector<std::pair<Name, ExprPtr>> sets;
  ExprPtr where;
};

struct DeleteStmt {
  TableRef table;
  ExprPtr where;
};

// A constraint as CREATE TABLE and ALTER TABLE ... ADD write it, on a column or on the table.
struct ConstraintDef {
  enum class Kind { kNotNull, kPrimaryKey, kUnique, kCheck, kForeignKey };
  enum class OnDelete { kNoAction, kCascade, kSetNull };
  Kind kind = Kind::kCheck;
  std::optional<Name> name;
  std::vector<Name> columns;             // the table's constraint; empty for a column's own
  ExprPtr check;                         // kCheck: the condition
  std::string check_text;                // and its text between the parentheses, as written
  ObjectName references;                 // kForeignKey: the parent table
  std::vector<Name> referenced_columns;  // empty: the parent's primary key
  OnDelete on_delete = OnDelete::kNoAction;
  int pos = 0;
};

struct ColumnDef {
  Name name;
  SqlType type;
  int type_pos = 0;
  std::string default_text;  // DEFAULT expression as written, empty when none
  ExprPtr default_expr;
  std::vector<ConstraintDef> constraints;

  bool Has(ConstraintDef::Kind kind) const {
    for (const ConstraintDef& k : constraints)
      if (k.kind == kind) return true;
    return false;
  }
};

struct CreateTableStmt {
  ObjectName table;
  std::vector<ColumnDef> columns;
  std::vector<ConstraintDef> constraints;
  std::optional<Name> tablespace;
  std::unique_ptr<SelectStmt> as_query;
};

struct DropTableStmt {
  ObjectName table;
  bool cascade_constraints = false;
};

struct TruncateTableStmt {
  ObjectName table;
};

struct CommitStmt {};
struct RollbackStmt {};

struct AlterSessionStmt {
  Name parameter;
  std::string value;  // text of a literal or name
  int value_pos = 0;
};

struct CreateUserStmt {
  Name user;
  std::optional<Name> password;  // nullopt: IDENTIFIED EXTERNALLY
  std::optional<Name> default_tablespace;
  std::optional<Name> temporary_tablespace;
  std::optional<Name> profile;
  std::vector<std::pair<std::string, Name>> quotas;  // size text ("UNLIMITED", "10M"), tablespace
  bool password_expire = false;
  std::optional<bool> account_lock;
};

struct AlterUserStmt : CreateUserStmt {};

struct DropUserStmt {
  Name user;
  bool cascade = false;
};

// GRANT/REVOKE of roles and system privileges (each entry upper case, words joined by a blank),
// or of object privileges when `object` is set.
struct GrantStmt {
  bool revoke = false;
  std::vector<Name> privileges;
  std::optional<ObjectName> object;
  std::vector<Name> grantees;
  bool admin_option = false;
};

// CREATE PROFILE / ALTER PROFILE: each limit is a resource name and its value, the text of a
// number of days (or of resources), "UNLIMITED" or "DEFAULT".
struct CreateProfileStmt {
  Name profile;
  std::vector<std::pair<Name, std::string>> limits;
};

struct AlterProfileStmt : CreateProfileStmt {};

struct DropProfileStmt {
  Name profile;
  bool cascade = false;
};

// CREATE TABLESPACE name DATAFILE 'file' SIZE n [REUSE] [AUTOEXTEND ...] and the storage
// clauses the engine accepts without effect; CREATE TEMPORARY TABLESPACE name TEMPFILE ... (or
// TEMPORARY among the clauses) makes a temporary one.
struct CreateTablespaceStmt {
  Name name;
  std::string file;
  int file_pos = 0;
  std::int64_t bytes = 0;
  bool reuse = false;
  bool autoextend = false;
  bool temporary = false;
};

// ALTER DATABASE DEFAULT TEMPORARY TABLESPACE name
struct AlterDatabaseStmt {
  Name default_temporary_tablespace;
};

struct DropTablespaceStmt {
  Name name;
  bool including_contents = false;
  bool and_datafiles = false;
  bool cascade_constraints = false;
};

struct CreateSequenceStmt {
  ObjectName sequence;
  std::optional<std::int64_t> start;
  std::int64_t increment = 1;
  std::optional<std::int64_t> min_value;
  std::optional<std::int64_t> max_value;
  bool cycle = false;
  std::int64_t cache = 20;
};

struct DropSequenceStmt {
  ObjectName sequence;
};

struct CreateDirectoryStmt {
  Name name;
  bool or_replace = false;
  std::string path;
};

struct DropDirectoryStmt {
  Name name;
};

// CREATE [UNIQUE] INDEX name ON table (column [ASC|DESC], ...) [TABLESPACE t] ...
struct CreateIndexStmt {
  ObjectName index;
  ObjectName table;
  std::vector<std::pair<Name, bool>> columns;  // column, descending
  bool unique = false;
};

struct DropIndexStmt {
  ObjectName index;
};

// ALTER TABLE t MODIFY: a column's new type and/or [CONSTRAINT name] NULL / NOT NULL.
struct ModifyColumn {
  Name name;
  std::optional<SqlType> type;
  int type_pos = 0;
  std::optional<bool> not_null;
  std::optional<Name> constraint_name;
};

// ALTER TABLE t DROP CONSTRAINT name | DROP PRIMARY KEY | DROP UNIQUE (columns), [CASCADE].
struct DropConstraintClause {
  std::optional<Name> name;
  bool primary_key = false;
  std::vector<Name> unique;
  bool cascade = false;
  int pos = 0;
};

// ALTER TABLE t ADD (column definitions and constraints) | ADD constraint | MODIFY (changes) |
// DROP COLUMN c | DROP (c, ...) | DROP CONSTRAINT ...
struct AlterTableStmt {
  ObjectName table;
  std::vector<ColumnDef> add;
  std::vector<ConstraintDef> add_constraints;
  std::vector<ModifyColumn> modify;
  std::vector<Name> drop;
  std::vector<DropConstraintClause> drop_constraints;
};

struct RenameStmt {
  Name from;
  Name to;
};

// COMMENT ON TABLE t IS '...' / COMMENT ON COLUMN t.c IS '...'
struct CommentStmt {
  ObjectName table;
  std::optional<Name> column;
  std::string text;
};

using Statement =
    std::variant<SelectStmt, InsertStmt, UpdateStmt, DeleteStmt, CreateTableStmt, DropTableStmt,
                 TruncateTableStmt, CommitStmt, RollbackStmt, AlterSessionStmt, CreateUserStmt,
                 AlterUserStmt, DropUserStmt, GrantStmt, CreateProfileStmt, AlterProfileStmt,
                 DropProfileStmt, CreateTablespaceStmt, DropTablespaceStmt, CreateSequenceStmt,
                 DropSequenceStmt, CreateIndexStmt, DropIndexStmt, RenameStmt, CommentStmt,
                 AlterTableStmt, CreateDirectoryStmt, DropDirectoryStmt, AlterDatabaseStmt>;

}  // namespace qm::ocilite
