// Literal single-row inserts of ten columns, as the import run sends them, through the embedded
// engine's client interface, beside SQLite running the same statements through its own API.
//
//   engine_insert_bench [ROWS]   (default 100000)
//
// Both sides run every statement from its text (the engine parses, checks and converts each;
// SQLite prepares each) inside one transaction committed at the end, on a file in a temporary
// folder with the same journal settings.
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

std::string Statement(int i) {
  const std::string n = std::to_string(i);
  return "insert into B(" + std::string(kColumns) + ") values ('" + n + "','name " + n +
         "','15.03.2003','12 5','" + std::to_string(i % 1000) + ".25','city " +
         std::to_string(i % 50) + "','street " + n + "','01.02.1999','" + std::to_string(i * 3) +
         "','note number " + n + "')";
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

double RunEngine(const std::vector<std::string>& statements) {
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
  run("alter session set nls_date_format = 'DD.MM.RRRR'");
  run("create table B (ID Integer,NAME VarChar(31),BORN Date,AMOUNT VarChar(8),PRICE "
      "number(10,2),CITY VarChar(20),STREET VarChar(30),SEEN Date,COUNTED Integer,NOTE "
      "VarChar(40))");
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& sql : statements)
    if (!run(sql)) return 0;
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
  std::vector<std::string> statements;
  statements.reserve(rows);
  for (int i = 1; i <= rows; ++i) statements.push_back(Statement(i));

  const double engine = RunEngine(statements);
  const double sqlite = RunSqlite(home + "/plain.db", statements);
  std::filesystem::remove_all(home);
  if (engine <= 0 || sqlite <= 0) return 1;
  std::printf("%d literal inserts of ten columns\n", rows);
  std::printf("  engine through OCI: %10.0f statements/s (%.2f s)\n", rows / engine, engine);
  std::printf("  SQLite, own API:    %10.0f statements/s (%.2f s)\n", rows / sqlite, sqlite);
  std::printf("  engine / SQLite:    %10.0f %%\n", 100.0 * sqlite / engine);
  return 0;
}
