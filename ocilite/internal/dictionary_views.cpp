#include "ocilite/internal/dictionary_views.h"

#include <mutex>
#include <string>
#include <vector>

#include "ocilite/internal/sql_parser.h"

namespace qm::ocilite {
namespace {

struct ViewDefinition {
  std::string_view name;
  std::string_view columns;  // as in CREATE TABLE
  std::string_view select;   // SQLite text over the catalogue tables
};

#define OCL_TABLE_COLUMNS                                                                       \
  "TABLE_NAME VARCHAR2(30) NOT NULL, TABLESPACE_NAME VARCHAR2(30), CLUSTER_NAME VARCHAR2(30), " \
  "IOT_NAME VARCHAR2(30), PCT_FREE NUMBER, PCT_USED NUMBER, INI_TRANS NUMBER, "                 \
  "MAX_TRANS NUMBER, INITIAL_EXTENT NUMBER, NEXT_EXTENT NUMBER, MIN_EXTENTS NUMBER, "           \
  "MAX_EXTENTS NUMBER, PCT_INCREASE NUMBER, FREELISTS NUMBER, FREELIST_GROUPS NUMBER, "         \
  "LOGGING VARCHAR2(3), BACKED_UP VARCHAR2(1), NUM_ROWS NUMBER, BLOCKS NUMBER, "                \
  "EMPTY_BLOCKS NUMBER, AVG_SPACE NUMBER, CHAIN_CNT NUMBER, AVG_ROW_LEN NUMBER, "               \
  "AVG_SPACE_FREELIST_BLOCKS NUMBER, NUM_FREELIST_BLOCKS NUMBER, DEGREE VARCHAR2(10), "         \
  "INSTANCES VARCHAR2(10), CACHE VARCHAR2(5), TABLE_LOCK VARCHAR2(8), SAMPLE_SIZE NUMBER, "     \
  "LAST_ANALYZED DATE, PARTITIONED VARCHAR2(3), IOT_TYPE VARCHAR2(12), TEMPORARY VARCHAR2(1), " \
  "SECONDARY VARCHAR2(1), NESTED VARCHAR2(3), BUFFER_POOL VARCHAR2(7), "                        \
  "ROW_MOVEMENT VARCHAR2(8), GLOBAL_STATS VARCHAR2(3), USER_STATS VARCHAR2(3), "                \
  "DURATION VARCHAR2(15), SKIP_CORRUPT VARCHAR2(8), MONITORING VARCHAR2(3), "                   \
  "CLUSTER_OWNER VARCHAR2(30), DEPENDENCIES VARCHAR2(8), COMPRESSION VARCHAR2(8)"

#define OCL_TABLE_VALUES                                                                     \
  "o.object_name, o.tablespace_name, NULL, NULL, 10, 40, 1, 255, 65536, 1048576, 1, "        \
  "2147483645, NULL, 1, 1, 'YES', 'N', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "     \
  "'         1', '         1', '    N', 'ENABLED', NULL, NULL, 'NO', NULL, 'N', 'N', 'NO', " \
  "'DEFAULT', 'DISABLED', 'NO', 'NO', NULL, 'DISABLED', 'NO', NULL, 'DISABLED', 'DISABLED'"

#define OCL_COLUMN_COLUMNS                                                                      \
  "TABLE_NAME VARCHAR2(30) NOT NULL, COLUMN_NAME VARCHAR2(30) NOT NULL, "                       \
  "DATA_TYPE VARCHAR2(106), DATA_TYPE_MOD VARCHAR2(3), DATA_TYPE_OWNER VARCHAR2(30), "          \
  "DATA_LENGTH NUMBER NOT NULL, DATA_PRECISION NUMBER, DATA_SCALE NUMBER, "                     \
  "NULLABLE VARCHAR2(1), COLUMN_ID NUMBER NOT NULL, DEFAULT_LENGTH NUMBER, DATA_DEFAULT LONG, " \
  "NUM_DISTINCT NUMBER, LOW_VALUE RAW(32), HIGH_VALUE RAW(32), DENSITY NUMBER, "                \
  "NUM_NULLS NUMBER, NUM_BUCKETS NUMBER, LAST_ANALYZED DATE, SAMPLE_SIZE NUMBER, "              \
  "CHARACTER_SET_NAME VARCHAR2(44), CHAR_COL_DECL_LENGTH NUMBER, GLOBAL_STATS VARCHAR2(3), "    \
  "USER_STATS VARCHAR2(3), AVG_COL_LEN NUMBER, CHAR_LENGTH NUMBER, CHAR_USED VARCHAR2(1), "     \
  "V80_FMT_IMAGE VARCHAR2(3), DATA_UPGRADED VARCHAR2(3)"

#define OCL_COLUMN_VALUES                                                                       \
  "o.object_name, c.column_name, c.data_type, NULL, NULL, c.data_length, c.data_precision, "    \
  "c.data_scale, c.nullable, c.column_id, length(c.data_default), c.data_default, NULL, NULL, " \
  "NULL, NULL, NULL, NULL, NULL, NULL, "                                                        \
  "CASE WHEN c.data_type IN ('VARCHAR2', 'CHAR', 'LONG') THEN 'CHAR_CS' END, "                  \
  "CASE WHEN c.data_type IN ('VARCHAR2', 'CHAR') THEN c.data_length END, 'NO', 'NO', NULL, "    \
  "CASE WHEN c.data_type IN ('VARCHAR2', 'CHAR') THEN c.data_length ELSE 0 END, "               \
  "CASE WHEN c.data_type IN ('VARCHAR2', 'CHAR') THEN 'B' END, 'NO', 'YES'"

#define OCL_TABLESPACE_COLUMNS                                                                 \
  "TABLESPACE_NAME VARCHAR2(30) NOT NULL, BLOCK_SIZE NUMBER NOT NULL, INITIAL_EXTENT NUMBER, " \
  "NEXT_EXTENT NUMBER, MIN_EXTENTS NUMBER NOT NULL, MAX_EXTENTS NUMBER, PCT_INCREASE NUMBER, " \
  "MIN_EXTLEN NUMBER, STATUS VARCHAR2(9), CONTENTS VARCHAR2(9), LOGGING VARCHAR2(9), "         \
  "FORCE_LOGGING VARCHAR2(3), EXTENT_MANAGEMENT VARCHAR2(10), ALLOCATION_TYPE VARCHAR2(9), "   \
  "PLUGGED_IN VARCHAR2(3), SEGMENT_SPACE_MANAGEMENT VARCHAR2(6)"

#define OCL_TABLESPACE_VALUES                                                           \
  "tablespace_name, 8192, 65536, NULL, 1, 2147483645, NULL, 65536, status, contents, "  \
  "CASE contents WHEN 'TEMPORARY' THEN 'NOLOGGING' ELSE 'LOGGING' END, 'NO', 'LOCAL', " \
  "CASE contents WHEN 'TEMPORARY' THEN 'UNIFORM' ELSE 'SYSTEM' END, 'NO', "             \
  "CASE tablespace_name WHEN 'SYSTEM' THEN 'MANUAL' ELSE 'AUTO' END"

#define OCL_CONSTRAINT_COLUMNS                                                                  \
  "OWNER VARCHAR2(30) NOT NULL, CONSTRAINT_NAME VARCHAR2(30) NOT NULL, "                        \
  "CONSTRAINT_TYPE VARCHAR2(1), TABLE_NAME VARCHAR2(30) NOT NULL, SEARCH_CONDITION LONG, "      \
  "R_OWNER VARCHAR2(30), R_CONSTRAINT_NAME VARCHAR2(30), DELETE_RULE VARCHAR2(9), "             \
  "STATUS VARCHAR2(8), DEFERRABLE VARCHAR2(14), DEFERRED VARCHAR2(9), VALIDATED VARCHAR2(13), " \
  "GENERATED VARCHAR2(14), BAD VARCHAR2(3), RELY VARCHAR2(4), LAST_CHANGE DATE, "               \
  "INDEX_OWNER VARCHAR2(30), INDEX_NAME VARCHAR2(30), INVALID VARCHAR2(7), "                    \
  "VIEW_RELATED VARCHAR2(14)"

// Rows made before constraints kept how they were named take it from the name.
#define OCL_CONSTRAINT_VALUES                                                                 \
  "SELECT c.owner, c.constraint_name, c.constraint_type, o.object_name, c.search_condition, " \
  "c.r_owner, c.r_constraint_name, c.delete_rule, 'ENABLED', 'NOT DEFERRABLE', 'IMMEDIATE', " \
  "'VALIDATED', coalesce(c.generated, CASE WHEN c.constraint_name GLOB 'SYS_C[0-9]*' "        \
  "THEN 'GENERATED NAME' ELSE 'USER NAME' END), NULL, NULL, coalesce(c.last_change, "         \
  "o.last_ddl_time), CASE WHEN c.constraint_type IN ('P', 'U') THEN c.owner END, "            \
  "CASE WHEN c.constraint_type IN ('P', 'U') THEN c.constraint_name END, NULL, NULL "         \
  "FROM ocl_constraints c JOIN ocl_objects o ON o.object_id = c.object_id "

#define OCL_CONS_COLUMNS                                                 \
  "OWNER VARCHAR2(30) NOT NULL, CONSTRAINT_NAME VARCHAR2(30) NOT NULL, " \
  "TABLE_NAME VARCHAR2(30) NOT NULL, COLUMN_NAME VARCHAR2(4000), POSITION NUMBER"

// One row per column of a constraint's column list, numbered from 1 (no number for a CHECK).
#define OCL_CONS_COLUMN_VALUES                                                               \
  "WITH RECURSIVE part(owner, name, object_id, type, rest, storage, position) AS ("          \
  "SELECT owner, constraint_name, object_id, constraint_type, column_list || ',', NULL, 0 "  \
  "FROM ocl_constraints UNION ALL SELECT owner, name, object_id, type, "                     \
  "substr(rest, instr(rest, ',') + 1), substr(rest, 1, instr(rest, ',') - 1), position + 1 " \
  "FROM part WHERE rest <> '') "                                                             \
  "SELECT p.owner, p.name, o.object_name, c.column_name, "                                   \
  "CASE WHEN p.type = 'C' THEN NULL ELSE p.position END FROM part p "                        \
  "JOIN ocl_objects o ON o.object_id = p.object_id JOIN ocl_columns c ON "                   \
  "c.object_id = p.object_id AND c.storage_name = p.storage "

constexpr ViewDefinition kViews[] = {
    {"DUAL", "DUMMY VARCHAR2(1)", "SELECT 'X'"},
    {"USER_TABLES", OCL_TABLE_COLUMNS,
     "SELECT " OCL_TABLE_VALUES
     " FROM ocl_objects o WHERE o.owner = ocl_user() AND o.object_type = 'TABLE'"
     " ORDER BY o.object_name"},
    {"ALL_TABLES", "OWNER VARCHAR2(30) NOT NULL, " OCL_TABLE_COLUMNS,
     "SELECT o.owner, " OCL_TABLE_VALUES
     " FROM ocl_objects o WHERE o.object_type = 'TABLE' ORDER BY o.owner, o.object_name"},
    {"USER_TAB_COLUMNS", OCL_COLUMN_COLUMNS,
     "SELECT " OCL_COLUMN_VALUES
     " FROM ocl_objects o JOIN ocl_columns c ON c.object_id = o.object_id"
     " WHERE o.owner = ocl_user() ORDER BY o.object_name, c.column_id"},
    {"ALL_TAB_COLUMNS", "OWNER VARCHAR2(30) NOT NULL, " OCL_COLUMN_COLUMNS,
     "SELECT o.owner, " OCL_COLUMN_VALUES
     " FROM ocl_objects o JOIN ocl_columns c ON c.object_id = o.object_id"
     " ORDER BY o.owner, o.object_name, c.column_id"},
    {"USER_USERS",
     "USERNAME VARCHAR2(30) NOT NULL, USER_ID NUMBER NOT NULL, ACCOUNT_STATUS VARCHAR2(32) NOT "
     "NULL, LOCK_DATE DATE, EXPIRY_DATE DATE, DEFAULT_TABLESPACE VARCHAR2(30) NOT NULL, "
     "TEMPORARY_TABLESPACE VARCHAR2(30) NOT NULL, CREATED DATE NOT NULL, "
     "INITIAL_RSRC_CONSUMER_GROUP VARCHAR2(30), EXTERNAL_NAME VARCHAR2(4000)",
     "SELECT username, user_id, account_status, lock_date, expiry_date, default_tablespace, "
     "temporary_tablespace, created, 'DEFAULT_CONSUMER_GROUP', NULL FROM ocl_users "
     "WHERE username = ocl_user()"},
    {"USER_CONSTRAINTS", OCL_CONSTRAINT_COLUMNS,
     OCL_CONSTRAINT_VALUES "WHERE c.owner = ocl_user() ORDER BY o.object_name, c.constraint_name"},
    {"ALL_CONSTRAINTS", OCL_CONSTRAINT_COLUMNS,
     OCL_CONSTRAINT_VALUES "ORDER BY c.owner, o.object_name, c.constraint_name"},
    {"DBA_CONSTRAINTS", OCL_CONSTRAINT_COLUMNS,
     OCL_CONSTRAINT_VALUES "ORDER BY c.owner, o.object_name, c.constraint_name"},
    {"USER_CONS_COLUMNS", OCL_CONS_COLUMNS,
     OCL_CONS_COLUMN_VALUES "WHERE p.owner = ocl_user() ORDER BY p.name, p.position"},
    {"ALL_CONS_COLUMNS", OCL_CONS_COLUMNS,
     OCL_CONS_COLUMN_VALUES "ORDER BY p.owner, p.name, p.position"},
    {"DBA_CONS_COLUMNS", OCL_CONS_COLUMNS,
     OCL_CONS_COLUMN_VALUES "ORDER BY p.owner, p.name, p.position"},
    {"DBA_USERS",
     "USERNAME VARCHAR2(30) NOT NULL, USER_ID NUMBER NOT NULL, PASSWORD VARCHAR2(30), "
     "ACCOUNT_STATUS VARCHAR2(32) NOT NULL, LOCK_DATE DATE, EXPIRY_DATE DATE, "
     "DEFAULT_TABLESPACE VARCHAR2(30) NOT NULL, TEMPORARY_TABLESPACE VARCHAR2(30) NOT NULL, "
     "CREATED DATE NOT NULL, PROFILE VARCHAR2(30) NOT NULL, "
     "INITIAL_RSRC_CONSUMER_GROUP VARCHAR2(30), EXTERNAL_NAME VARCHAR2(4000)",
     "SELECT username, user_id, CASE WHEN password_hash IS NULL THEN 'EXTERNAL' END, "
     "account_status, lock_date, expiry_date, default_tablespace, temporary_tablespace, created, "
     "profile, 'DEFAULT_CONSUMER_GROUP', NULL FROM ocl_users ORDER BY user_id"},
    {"ALL_USERS", "USERNAME VARCHAR2(30) NOT NULL, USER_ID NUMBER NOT NULL, CREATED DATE NOT NULL",
     "SELECT username, user_id, created FROM ocl_users ORDER BY user_id"},
    {"USER_TABLESPACES", OCL_TABLESPACE_COLUMNS,
     "SELECT " OCL_TABLESPACE_VALUES " FROM ocl_tablespaces ORDER BY tablespace_name"},
    {"DBA_TABLESPACES", OCL_TABLESPACE_COLUMNS,
     "SELECT " OCL_TABLESPACE_VALUES " FROM ocl_tablespaces ORDER BY tablespace_name"},
    {"ALL_DIRECTORIES",
     "OWNER VARCHAR2(30) NOT NULL, DIRECTORY_NAME VARCHAR2(30) NOT NULL, DIRECTORY_PATH "
     "VARCHAR2(4000)",
     "SELECT 'SYS', directory_name, directory_path FROM ocl_directories ORDER BY directory_name"},
    {"DBA_DATA_FILES",
     "FILE_NAME VARCHAR2(513), FILE_ID NUMBER, TABLESPACE_NAME VARCHAR2(30), BYTES NUMBER, "
     "BLOCKS NUMBER, STATUS VARCHAR2(9), RELATIVE_FNO NUMBER, AUTOEXTENSIBLE VARCHAR2(3), "
     "MAXBYTES NUMBER, MAXBLOCKS NUMBER, INCREMENT_BY NUMBER, USER_BYTES NUMBER, "
     "USER_BLOCKS NUMBER",
     "SELECT file_name, rowid, tablespace_name, bytes, bytes / 8192, 'AVAILABLE', rowid, "
     "autoextensible, CASE autoextensible WHEN 'YES' THEN 34359721984 ELSE 0 END, "
     "CASE autoextensible WHEN 'YES' THEN 4194302 ELSE 0 END, 1, bytes - 65536, "
     "bytes / 8192 - 8 FROM ocl_tablespaces WHERE contents = 'PERMANENT' ORDER BY rowid"},
    {"DBA_TEMP_FILES",
     "FILE_NAME VARCHAR2(513), FILE_ID NUMBER, TABLESPACE_NAME VARCHAR2(30), BYTES NUMBER, "
     "BLOCKS NUMBER, STATUS CHAR(9), RELATIVE_FNO NUMBER, AUTOEXTENSIBLE VARCHAR2(3), "
     "MAXBYTES NUMBER, MAXBLOCKS NUMBER, INCREMENT_BY NUMBER, USER_BYTES NUMBER, "
     "USER_BLOCKS NUMBER",
     "SELECT file_name, rowid, tablespace_name, bytes, bytes / 8192, 'AVAILABLE', rowid, "
     "autoextensible, CASE autoextensible WHEN 'YES' THEN 34359721984 ELSE 0 END, "
     "CASE autoextensible WHEN 'YES' THEN 4194302 ELSE 0 END, 1, bytes - 1048576, "
     "bytes / 8192 - 128 FROM ocl_tablespaces WHERE contents = 'TEMPORARY' ORDER BY rowid"},
    {"DATABASE_PROPERTIES",
     "PROPERTY_NAME VARCHAR2(30) NOT NULL, PROPERTY_VALUE VARCHAR2(4000), "
     "DESCRIPTION VARCHAR2(4000)",
     "SELECT 'DEFAULT_TEMP_TABLESPACE', coalesce((SELECT value FROM ocl_meta WHERE key = "
     "'default_temporary_tablespace'), 'TEMP'), 'Name of default temporary tablespace'"},
};

struct Described {
  std::shared_ptr<const TableInfo> table;
  std::string create_view;
};

const std::vector<Described>& AllViews() {
  static const std::vector<Described> views = [] {
    std::vector<Described> out;
    for (const auto& v : kViews) {
      auto table = std::make_shared<TableInfo>();
      table->owner = "SYS";
      table->name = v.name;
      table->storage = "temp.\"ocl_v_" + std::string(v.name) + "\"";
      table->dictionary = true;
      auto parsed = std::get<CreateTableStmt>(
          ParseStatement("create table x (" + std::string(v.columns) + ")"));
      // The catalogue keeps plain integers; the view gives NUMBER columns in the number form
      // every NUMBER has, over an inner view of the catalogue's values.
      const std::string inner = "\"ocl_w_" + std::string(v.name) + "\"";
      std::string column_list, outer_list;
      for (const auto& def : parsed.columns) {
        ColumnInfo c;
        c.name = def.name.text;
        c.storage = "\"" + def.name.text + "\"";
        c.type = def.type;
        c.nullable = !def.Has(ConstraintDef::Kind::kNotNull);
        column_list += (column_list.empty() ? "" : ", ") + c.storage;
        outer_list += (outer_list.empty() ? "" : ", ") +
                      (c.type.type == DataType::kNumber ? "ocl_num(" + c.storage + ")" : c.storage);
        table->columns.push_back(std::move(c));
      }
      std::string create = "CREATE TEMP VIEW " + inner + " (" + column_list + ") AS " +
                           std::string(v.select) + ";\nCREATE TEMP VIEW \"ocl_v_" +
                           std::string(v.name) + "\" (" + column_list + ") AS SELECT " +
                           outer_list + " FROM " + inner;
      out.push_back({std::move(table), std::move(create)});
    }
    return out;
  }();
  return views;
}

}  // namespace

void CreateDictionaryViews(SqliteDb& db) {
  for (const auto& v : AllViews()) db.Exec(v.create_view);
}

std::shared_ptr<const TableInfo> DictionaryView(std::string_view name) {
  for (const auto& v : AllViews())
    if (v.table->name == name) return v.table;
  return nullptr;
}

}  // namespace qm::ocilite
