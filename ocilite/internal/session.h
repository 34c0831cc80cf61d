// One connection to a database and the user session on it. The connection is its own SQLite
// connection (WAL, busy timeout), so each session sees only what other sessions committed. DML
// opens a transaction that stays open until COMMIT, ROLLBACK or the end of the session (which
// commits); closing the connection without that, or the death of the process, leaves nothing of
// it. DDL commits before and after itself.
//
// A failure of the storage (see storage_errors.h) fails its statement. When it took the open
// transaction with it, the statement's error is ORA-02091 (transaction rolled back) over the
// storage's, every later statement fails with ORA-02067 and the next COMMIT (or the end of the
// session) with that ORA-02091 again, until ROLLBACK: no caller is left believing that the work
// before the failure is stored.
//
// Statements are compiled once (parse, resolve, translate) into a CompiledSql and executed as
// often as the client likes; a compiled statement goes stale when the catalogue or the NLS
// settings change and is then compiled again by its owner. Inserts of literals are compiled once
// per shape (see InsertShapeCache), and so are the queries an import sends to look for a record
// (see QueryShapeCache), the shapes going stale alike.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ocilite/internal/catalog.h"
#include "ocilite/internal/compiled_sql.h"
#include "ocilite/internal/cursor.h"
#include "ocilite/internal/eval_context.h"
#include "ocilite/internal/insert_shape_cache.h"
#include "ocilite/internal/lookup_indexes.h"
#include "ocilite/internal/query_shape_cache.h"
#include "ocilite/internal/sql_ast.h"
#include "ocilite/internal/sql_translator.h"
#include "ocilite/internal/sqlite_db.h"
#include "ocilite/internal/storage_errors.h"
#include "ocilite/internal/user_accounts.h"

namespace qm::ocilite {

// The test hook behind ocilite_set_server_reachable: while the server is unreachable, each
// connection's next call fails with ORA-03113 and every later one with ORA-03114, for good.
void SetServerReachable(bool reachable);

class Session {
 public:
  // Opens the database file: the server attach. Throws OraError.
  Session(const std::string& path, const NlsSettings& nls);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  // Drops the connection; an open transaction is rolled back.
  ~Session();

  // Logs `user` on (`password` nullopt: external credentials). Returns the days left of the
  // password's grace time, or -1 when it is not in one. Throws as Authenticate does.
  int Logon(std::string_view user, const std::optional<std::string>& password,
            LogonRole role = LogonRole::kUser);
  // Sets `user`'s password after checking the old one (the account may be expired); commits.
  void ChangePassword(std::string_view user, std::string_view old_password,
                      std::string_view new_password);
  // Ends the user session, committing open work.
  // A commit that fails still ends the session, the work rolled back, and throws its error.
  void EndSession();
  bool LoggedOn() const { return !ctx_.user.empty(); }
  const std::string& User() const { return ctx_.user; }
  const std::string& VersionBanner() const { return banner_; }
  EvalContext& Context() { return ctx_; }
  bool InTransaction() const { return db_.InTransaction(); }
  // Throws ORA-03113 or ORA-03114 once the server has become unreachable; every call that would
  // reach the server asks first.
  void CheckLink();
  // Distinguishes sessions over the life of the process (addresses may be reused).
  std::uint64_t Serial() const { return serial_; }

  void Commit();
  void Rollback();

  // When a compile outside a transaction looks whether other connections changed the catalogue:
  // before it, or, for a query about to be opened, inside the query's own read (OpenQuery), which
  // saves taking SQLite's read lock twice.
  enum class CatalogCheck { kBefore, kInQuery };
  // Parses and translates `sql` (UTF-8, as the client wrote it). Throws OraError with the offset.
  // A `spare` statement, one the caller no longer needs, may lend the result its room. With
  // kInQuery, a query that fails to compile is compiled again if the catalogue has changed.
  std::unique_ptr<CompiledSql> Compile(std::string_view sql, const BindTypes& bind_types,
                                       std::unique_ptr<CompiledSql> spare = nullptr,
                                       CatalogCheck check = CatalogCheck::kBefore);
  bool IsStale(const CompiledSql& c) const { return c.generation != Generation(); }

  // Runs a query, stepped onto its first row; `binds` holds one value per bind slot of the
  // compiled statement. Outside a transaction, nullptr when the catalogue changed since `c` was
  // compiled: compile it again and open that.
  std::unique_ptr<Cursor> OpenQuery(const CompiledSql& c, const std::vector<Value>& binds);
  // Runs INSERT, UPDATE or DELETE; returns the rows it touched.
  std::int64_t ExecuteDml(const CompiledSql& c, const std::vector<Value>& binds);
  // Runs DDL, COMMIT, ROLLBACK and ALTER SESSION.
  void ExecuteOther(const CompiledSql& c);

 private:
  friend class Cursor;
  std::uint64_t Generation() const { return catalog_generation_ * 1000003 + nls_generation_; }
  // Takes up what other connections changed in the catalogue; true when anything had.
  bool RefreshCatalog();
  std::unique_ptr<CompiledSql> CompileNow(int statement_type, std::string_view sql,
                                          const BindTypes& bind_types,
                                          std::unique_ptr<CompiledSql> spare);
  // Idle statements of one SQL text, ready to run again. A pool stays at its address while the
  // session lives, so a statement's user hands it back without looking it up again.
  using StatementPool = std::vector<SqliteStmt>;
  // A statement for `sql`: an idle one, or prepared now. `pool` is set to the text's pool, or
  // nullptr when it has none yet.
  SqliteStmt Acquire(const std::string& sql, StatementPool*& pool);
  // Resets `stmt` and keeps it in `pool` (or the pool of `sql`) while fewer than 256 are idle.
  void Release(const std::string& sql, StatementPool* pool, SqliteStmt stmt);
  // What SQLite reads in place rather than copies: values that must stay until the bindings are
  // cleared. A query's constants live in its compiled statement, which outlives its cursor.
  enum class Borrow { kConstants, kAll };
  void Bind(SqliteStmt& stmt, const TranslatedStatement& t, const std::vector<Value>& binds,
            Borrow borrow);
  // Throws the Oracle error for a failed SQLite call; `target` is the table a DML statement
  // writes, `query` says the call read a query's rows.
  [[noreturn]] void RaiseFromSqlite(const SqliteError& e, const TableInfo* target,
                                    bool query = false);
  OraError ErrorOf(const SqliteError& e, const TableInfo* target, bool query);
  StorageSite SiteOf(const TableInfo* target, bool query);
  // ORA-02067 while a lost transaction waits for its ROLLBACK.
  void CheckTransaction() const;
  void BeginWrite();
  void DrainCursors();
  template <typename Body>
  void RunDdl(Body&& body);
  void AlterSession(const AlterSessionStmt& s);

  SqliteDb db_;
  bool link_lost_ = false;
  // DML statements of the open transaction that changed rows, and the last table they wrote.
  std::int64_t writes_in_transaction_ = 0;
  std::shared_ptr<const TableInfo> last_written_;
  // The error of the failure that lost the open transaction, until ROLLBACK or COMMIT.
  std::optional<OraError> lost_transaction_;
  // The constraints' version this connection's triggers were built for (see constraints.h).
  std::int64_t triggers_built_ = -1;
  std::uint64_t serial_;
  EvalContext ctx_;
  Catalog catalog_;
  std::string banner_;
  std::string default_tablespace_;
  std::uint64_t catalog_generation_ = 0;
  std::uint64_t nls_generation_ = 0;
  InsertShapeCache insert_shapes_;
  QueryShapeCache query_shapes_;
  std::unordered_map<std::string, StatementPool> idle_statements_;
  std::size_t idle_count_ = 0;
  std::vector<Cursor*> open_cursors_;  // a handful at most
  LookupIndexes lookup_indexes_;
};

}  // namespace qm::ocilite
