// Literal single-row inserts of ten columns, as the import run sends them, through the embedded
// engine's client interface, beside SQLite running the same statements through its own API; then
// the same import with "seek old record" on: before each insert the existence query of the record
// (select * ... where each column equals its literal, IS NULL for an empty value), described,
// defined and fetched as the client does it.
//
//   engine_insert_bench [ROWS]   (default 100000)
//
// Both sides run every statement from its text (the engine parses, checks and converts each;
// SQLite prepares each) inside one transaction committed at the end, on a file in a temporary
// folder with the same journal settings. Each client statement gets a handle of its own, as the
// import's client allocates and frees one per statement.
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ocilite/database_files.h"
#include "oci/oci.h"

namespace {

constexpr const char* kColumns = "ID,NAME,BORN,AMOUNT,PRICE,CITY,STREET,SEEN,COUNTED,NOTE";

// One record's values; every seventh has no note.
std::vector<std::string> Values(int i) {
  const std::string n = std::to_string(i);
  return {n,
          "name " + n,
          "15.03.2003",
          "12 5",
          std::to_string(i % 1000) + ".25",
          "city " + std::to_string(i % 50),
          "street " + n,
          "01.02.1999",
          std::to_string(i * 3),
          i % 7 == 0 ? std::string() : "note number " + n};
}

std::string Statement(int i) {
  std::string values;
  for (const std::string& v : Values(i)) values += (values.empty() ? "'" : ",'") + v + "'";
  return "insert into B(" + std::string(kColumns) + ") values (" + values + ")";
}

std::string ExistenceQuery(int i) {
  static const char* const kNames[] = {"ID",     "NAME", "BORN",    "AMOUNT", "PRICE",
                                       "CITY",   "STREET", "SEEN",  "COUNTED", "NOTE"};
  const std::vector<std::string> values = Values(i);
  std::string sql = "select * from B Where ";
  for (std::size_t c = 0; c < values.size(); ++c) {
    sql += c ? " and " : "";
    sql += kNames[c];
    sql += values[c].empty() ? " IS NULL" : "='" + values[c] + "'";
  }
  return sql;
}

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool Check(sword rc, OCIError* err, const char* what) {
  if (rc == OCI_SUCCESS) return true;
  char text[512] = {};
  sb4 code = 0;
  OCIErrorGet(err, 1, nullptr, &code, reinterpret_cast<OraText*>(text), sizeof text,
              OCI_HTYPE_ERROR);
  std::fprintf(stderr, "%s: %s", what, text);
  return false;
}

// Runs `statements` in one transaction; with `queries`, each statement follows its record's query.
double RunEngine(const std::vector<std::string>& statements,
                 const std::vector<std::string>& queries) {
  OCIEnv* env = nullptr;
  OCIEnvCreate(&env, OCI_OBJECT, nullptr, nullptr, nullptr, nullptr, 0, nullptr);
  void *err = nullptr, *srv = nullptr, *svc = nullptr, *ses = nullptr;
  OCIHandleAlloc(env, &err, OCI_HTYPE_ERROR, 0, nullptr);
  OCIHandleAlloc(env, &srv, OCI_HTYPE_SERVER, 0, nullptr);
  OCIHandleAlloc(env, &svc, OCI_HTYPE_SVCCTX, 0, nullptr);
  OCIHandleAlloc(env, &ses, OCI_HTYPE_SESSION, 0, nullptr);
  auto* e = static_cast<OCIError*>(err);
  if (!Check(OCIServerAttach(static_cast<OCIServer*>(srv), e, nullptr, 0, OCI_DEFAULT), e,
             "attach"))
    return 0;
  OCIAttrSet(svc, OCI_HTYPE_SVCCTX, srv, 0, OCI_ATTR_SERVER, e);
  OCIAttrSet(svc, OCI_HTYPE_SVCCTX, ses, 0, OCI_ATTR_SESSION, e);
  OCIAttrSet(ses, OCI_HTYPE_SESSION, const_cast<char*>("system"), 6, OCI_ATTR_USERNAME, e);
  OCIAttrSet(ses, OCI_HTYPE_SESSION, const_cast<char*>("manager"), 7, OCI_ATTR_PASSWORD, e);
  auto* service = static_cast<OCISvcCtx*>(svc);
  if (!Check(
          OCISessionBegin(service, e, static_cast<OCISession*>(ses), OCI_CRED_RDBMS, OCI_DEFAULT),
          e, "logon"))
    return 0;
  auto run = [&](const std::string& sql) {
    void* stmt = nullptr;
    OCIHandleAlloc(env, &stmt, OCI_HTYPE_STMT, 0, nullptr);
    auto* s = static_cast<OCIStmt*>(stmt);
    OCIStmtPrepare(s, e, reinterpret_cast<const OraText*>(sql.data()), static_cast<ub4>(sql.size()),
                   OCI_NTV_SYNTAX, OCI_DEFAULT);
    const bool ok =
        Check(OCIStmtExecute(service, s, e, 1, 0, nullptr, nullptr, OCI_DEFAULT), e, sql.c_str());
    OCIHandleFree(stmt, OCI_HTYPE_STMT);
    return ok;
  };
  // Described, defined and fetched as the client does a query; false when the record exists.
  auto absent = [&](const std::string& sql) {
    void* stmt = nullptr;
    OCIHandleAlloc(env, &stmt, OCI_HTYPE_STMT, 0, nullptr);
    auto* s = static_cast<OCIStmt*>(stmt);
    OCIStmtPrepare(s, e, reinterpret_cast<const OraText*>(sql.data()), static_cast<ub4>(sql.size()),
                   OCI_NTV_SYNTAX, OCI_DEFAULT);
    bool ok = Check(OCIStmtExecute(service, s, e, 0, 0, nullptr, nullptr, OCI_DEFAULT), e,
                    sql.c_str());
    ub4 count = 0;
    OCIAttrGet(s, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, e);
    std::vector<std::vector<char>> buffers(count, std::vector<char>(64));
    std::vector<sb2> indicators(count);
    for (ub4 p = 1; ok && p <= count; ++p) {
      void* param = nullptr;
      OCIParamGet(s, OCI_HTYPE_STMT, e, &param, p);
      ub2 size = 0, type = 0;
      OraText* name = nullptr;
      ub4 name_length = 0;
      OCIAttrGet(param, OCI_DTYPE_PARAM, &size, nullptr, OCI_ATTR_DATA_SIZE, e);
      OCIAttrGet(param, OCI_DTYPE_PARAM, &type, nullptr, OCI_ATTR_DATA_TYPE, e);
      OCIAttrGet(param, OCI_DTYPE_PARAM, &name, &name_length, OCI_ATTR_NAME, e);
      OCIDefine* define = nullptr;
      ok = Check(OCIDefineByPos(s, &define, e, p, buffers[p - 1].data(), 64, SQLT_STR,
                                &indicators[p - 1], nullptr, nullptr, OCI_DEFAULT),
                 e, "define");
    }
    const sword fetched = ok ? OCIStmtFetch(s, e, 1, OCI_FETCH_NEXT, OCI_DEFAULT) : OCI_ERROR;
    OCIHandleFree(stmt, OCI_HTYPE_STMT);
    if (fetched != OCI_SUCCESS && fetched != OCI_NO_DATA) Check(fetched, e, "fetch");
    return fetched == OCI_NO_DATA;
  };
  run("alter session set nls_date_format = 'DD.MM.RRRR'");
  run("create table B (ID Integer,NAME VarChar(31),BORN Date,AMOUNT VarChar(8),PRICE "
      "number(10,2),CITY VarChar(20),STREET VarChar(30),SEEN Date,COUNTED Integer,NOTE "
      "VarChar(40))");
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < statements.size(); ++i) {
    if (!queries.empty() && !absent(queries[i])) return 0;
    if (!run(statements[i])) return 0;
  }
  OCITransCommit(service, e, OCI_DEFAULT);
  const double seconds = Seconds(start);
  OCISessionEnd(service, e, static_cast<OCISession*>(ses), OCI_DEFAULT);
  OCIServerDetach(static_cast<OCIServer*>(srv), e, OCI_DEFAULT);
  OCIHandleFree(env, OCI_HTYPE_ENV);
  return seconds;
}

double RunSqlite(const std::string& path, const std::vector<std::string>& statements) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db,
               "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; create table B (ID INTEGER, "
               "NAME TEXT, BORN TEXT, AMOUNT TEXT, PRICE NUMERIC, CITY TEXT, STREET TEXT, SEEN "
               "TEXT, COUNTED INTEGER, NOTE TEXT)",
               nullptr, nullptr, nullptr);
  const auto start = std::chrono::steady_clock::now();
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  for (const std::string& sql : statements) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) !=
            SQLITE_OK ||
        sqlite3_step(stmt) != SQLITE_DONE) {
      std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
      return 0;
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  const double seconds = Seconds(start);
  sqlite3_close(db);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  char pattern[] = "/tmp/ocilite-bench-XXXXXX";
  const std::string home = mkdtemp(pattern);
  setenv("OCILITE_HOME", home.c_str(), 1);
  setenv("NLS_LANG", "AMERICAN_AMERICA.CL8MSWIN1251", 1);
  qm::ocilite::CreateDatabase("ORCL", "manager");
  std::vector<std::string> statements, queries;
  statements.reserve(rows);
  queries.reserve(rows);
  for (int i = 1; i <= rows; ++i) {
    statements.push_back(Statement(i));
    queries.push_back(ExistenceQuery(i));
  }

  const double engine = RunEngine(statements, {});
  const double sqlite = RunSqlite(home + "/plain.db", statements);
  // A database of its own, so that the seek-on run finds no index the first run left.
  setenv("OCILITE_HOME", (home + "/seek").c_str(), 1);
  std::filesystem::create_directory(home + "/seek");
  qm::ocilite::CreateDatabase("ORCL", "manager");
  const double seek = RunEngine(statements, queries);
  std::filesystem::remove_all(home);
  if (engine <= 0 || sqlite <= 0 || seek <= 0) return 1;
  std::printf("%d literal inserts of ten columns\n", rows);
  std::printf("  engine through OCI: %10.0f statements/s (%.2f s)\n", rows / engine, engine);
  std::printf("  SQLite, own API:    %10.0f statements/s (%.2f s)\n", rows / sqlite, sqlite);
  std::printf("  engine / SQLite:    %10.0f %%\n", 100.0 * sqlite / engine);
  std::printf("the same records with an existence query before each insert\n");
  std::printf("  engine, seek on:    %10.0f records/s (%.2f s)\n", rows / seek, seek);
  std::printf("  seek on / seek off: %10.0f %%\n", 100.0 * engine / seek);
  return 0;
}
