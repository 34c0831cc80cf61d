#include "ocilite/internal/session.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "oci/oci.h"
#include "ocilite/database_files.h"
#include "ocilite/internal/constraints.h"
#include "ocilite/internal/conversions.h"
#include "ocilite/internal/date_format.h"
#include "ocilite/internal/dictionary_views.h"
#include "ocilite/internal/directories.h"
#include "ocilite/internal/sequences.h"
#include "ocilite/internal/sql_functions.h"
#include "ocilite/internal/sql_parser.h"
#include "ocilite/internal/table_ddl.h"
#include "ocilite/internal/tablespaces.h"
#include "ocilite/internal/user_accounts.h"
#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {
namespace {

std::uint64_t NextSerial() {
  static std::atomic<std::uint64_t> counter{0};
  return ++counter;
}

int BusyTimeoutMs() {
  if (const char* v = std::getenv("OCILITE_BUSY_TIMEOUT")) return std::atoi(v);
  return 10000;
}

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// `borrow`: SQLite reads the value where it is, which must then stay until the statement's
// bindings are cleared; otherwise it takes a copy.
void BindValue(SqliteStmt& stmt, int index, const Value& v, bool borrow) {
  const sqlite3_destructor_type keep = borrow ? SQLITE_STATIC : SQLITE_TRANSIENT;
  switch (v.kind) {
    case Value::Kind::kNull:
      stmt.BindNull(index);
      break;
    case Value::Kind::kText:
      if (v.s.empty()) {
        stmt.BindNull(index);
      } else {
        sqlite3_bind_text(stmt.get(), index, v.s.data(), static_cast<int>(v.s.size()), keep);
      }
      break;
    case Value::Kind::kNumber:
    case Value::Kind::kBlob:
      sqlite3_bind_blob(stmt.get(), index, v.s.data(), static_cast<int>(v.s.size()), keep);
      break;
  }
}

std::atomic<bool> g_server_reachable{true};

}  // namespace

void SetServerReachable(bool reachable) {
  g_server_reachable.store(reachable);
}

void Session::CheckLink() {
  if (link_lost_) throw OraError(3114);
  if (!g_server_reachable.load()) {
    // The work in progress dies with the connection, as on a server that went away.
    link_lost_ = true;
    throw OraError(3113);
  }
}

Session::Session(const std::string& path, const NlsSettings& nls) try
    : db_(path, false, BusyTimeoutMs()),
      serial_(NextSerial()),
      catalog_(db_),
      lookup_indexes_(db_, serial_, BusyTimeoutMs()) {
  db_.Exec("PRAGMA journal_mode=WAL");
  db_.Exec("PRAGMA synchronous=NORMAL");
  db_.Exec("PRAGMA case_sensitive_like=ON");
  // A cascade through a table that references itself deletes by the same trigger again.
  db_.Exec("PRAGMA recursive_triggers=ON");
  ctx_.nls = nls;
  ctx_.db = &db_;
  // Catalogue tables newer than the database.
  for (const auto& [table, create] :
       {std::pair{"ocl_sequences", kSequencesTable}, std::pair{"ocl_indexes", kIndexesTable},
        std::pair{"ocl_directories", kDirectoriesTable}}) {
    SqliteStmt q = db_.Prepare("SELECT 1 FROM sqlite_master WHERE name = ?1");
    q.Bind(1, table);
    if (!q.Step()) db_.Exec(create);
  }
  UpgradeConstraintCatalog(db_);
  RegisterSqlFunctions(db_.get(), &ctx_);
  CreateDictionaryViews(db_);
  SqliteStmt q = db_.Prepare("SELECT value FROM ocl_meta WHERE key = 'banner'");
  if (q.Step()) banner_ = q.Text(0);
} catch (const SqliteError&) {
  throw OraError(1034);
}

Session::~Session() {
  for (Cursor* c : open_cursors_) {
    c->stmt_ = SqliteStmt();
    c->session_ = nullptr;
  }
  idle_statements_.clear();
  // A connection dropped without ending its session: its open work goes, and so do its indexes.
  try {
    if (db_.InTransaction()) db_.Exec("ROLLBACK");
  } catch (const SqliteError&) {
  }
  lookup_indexes_.TransactionEnded(false);
  lookup_indexes_.Drop();
}

int Session::Logon(std::string_view user, const std::optional<std::string>& password,
                   LogonRole role) {
  CheckLink();
  const LogonResult logon = Authenticate(db_, user, password, role);
  SyncTablespaces(db_);
  UpgradeNumberStorage(db_, catalog_);
  lookup_indexes_.DropAbandoned();
  ctx_.user = logon.user;
  insert_shapes_.Clear();
  query_shapes_.Clear();
  SqliteStmt q = db_.Prepare("SELECT default_tablespace FROM ocl_users WHERE username = ?1");
  q.Bind(1, ctx_.user);
  default_tablespace_ = q.Step() ? q.Text(0) : "USERS";
  return logon.grace_days_left;
}

void Session::ChangePassword(std::string_view user, std::string_view old_password,
                             std::string_view new_password) {
  CheckLink();
  RunDdl([&] { ocilite::ChangePassword(db_, user, old_password, new_password); });
}

void Session::EndSession() {
  // The session's own indexes go inside its last transaction, so that its commit never stores
  // them.
  if (!link_lost_ && g_server_reachable.load()) {
    DrainCursors();
    lookup_indexes_.Drop();
  }
  auto end = [this] {
    ctx_.user.clear();
    insert_shapes_.Clear();
    query_shapes_.Clear();
  };
  try {
    Commit();
  } catch (...) {
    // What the commit could not store is gone with the session.
    try {
      Rollback();
    } catch (...) {
    }
    end();
    throw;
  }
  end();
}

void Session::Commit() {
  CheckLink();
  if (lost_transaction_) {
    const OraError lost = *lost_transaction_;
    lost_transaction_.reset();
    throw lost;
  }
  if (db_.InTransaction()) {
    try {
      db_.Exec("COMMIT");
    } catch (const SqliteError& e) {
      const OraError error = ErrorOf(e, last_written_.get(), false);
      if (db_.InTransaction() || writes_in_transaction_ == 0) throw error;
      lookup_indexes_.TransactionEnded(false);
      triggers_built_ = -1;
      writes_in_transaction_ = 0;
      last_written_.reset();
      throw OraError::Over(2091, error);
    }
  }
  lookup_indexes_.TransactionEnded(true);
  writes_in_transaction_ = 0;
  last_written_.reset();
}

void Session::Rollback() {
  CheckLink();
  // Triggers made in the transaction go with it.
  triggers_built_ = -1;
  lost_transaction_.reset();
  writes_in_transaction_ = 0;
  last_written_.reset();
  if (!db_.InTransaction()) return;
  DrainCursors();
  db_.Exec("ROLLBACK");
  lookup_indexes_.TransactionEnded(false);
}

void Session::CheckTransaction() const {
  if (lost_transaction_) throw OraError(2067);
}

std::unique_ptr<CompiledSql> Session::Compile(std::string_view sql, const BindTypes& bind_types,
                                              std::unique_ptr<CompiledSql> spare,
                                              CatalogCheck check) {
  CheckLink();
  if (!LoggedOn()) throw OraError(1012);
  ctx_.statement_time = OraDate::Now();
  const int type = PeekStatementType(sql);
  if (db_.InTransaction()) return CompileNow(type, sql, bind_types, std::move(spare));
  if (check == CatalogCheck::kBefore || type != OCI_STMT_SELECT) {
    RefreshCatalog();
    return CompileNow(type, sql, bind_types, std::move(spare));
  }
  try {
    return CompileNow(type, sql, bind_types, std::move(spare));
  } catch (const OraError&) {
    // Perhaps only a name another connection has since made or changed.
    if (!RefreshCatalog()) throw;
  }
  return CompileNow(type, sql, bind_types, nullptr);
}

bool Session::RefreshCatalog() {
  if (!catalog_.RefreshIfChanged()) return false;
  ++catalog_generation_;
  SyncTablespaces(db_);
  return true;
}

std::unique_ptr<CompiledSql> Session::CompileNow(int statement_type, std::string_view sql,
                                                 const BindTypes& bind_types,
                                                 std::unique_ptr<CompiledSql> spare) {
  switch (statement_type) {
    case OCI_STMT_INSERT:
      if (auto shaped = insert_shapes_.Compile(sql, Generation(), catalog_, ctx_, spare))
        return shaped;
      break;
    case OCI_STMT_SELECT:
      if (auto shaped = query_shapes_.Compile(sql, Generation(), catalog_, ctx_, spare))
        return shaped;
      break;
    default:
      break;
  }
  auto c = std::make_unique<CompiledSql>();
  c->text = std::string(sql);
  c->ast = ParseStatement(sql);
  c->generation = Generation();
  Translator translator(catalog_, ctx_, bind_types, sql);
  std::visit(Overloaded{
                 [&](const SelectStmt& s) {
                   c->kind = CompiledSql::Kind::kQuery;
                   c->function_code = 4;
                   c->translated = translator.Query(s);
                 },
                 [&](const InsertStmt& s) {
                   c->kind = CompiledSql::Kind::kDml;
                   c->function_code = 3;
                   c->translated = translator.Insert(s);
                 },
                 [&](const UpdateStmt& s) {
                   c->kind = CompiledSql::Kind::kDml;
                   c->function_code = 5;
                   c->translated = translator.Update(s);
                 },
                 [&](const DeleteStmt& s) {
                   c->kind = CompiledSql::Kind::kDml;
                   c->function_code = 9;
                   c->translated = translator.Delete(s);
                 },
                 [&](const CreateTableStmt&) { c->function_code = 1; },
                 [&](const DropTableStmt&) { c->function_code = 8; },
                 [&](const TruncateTableStmt&) { c->function_code = 85; },
                 [&](const CommitStmt&) { c->function_code = 54; },
                 [&](const RollbackStmt&) { c->function_code = 55; },
                 [&](const AlterSessionStmt&) { c->function_code = 52; },
                 [&](const CreateUserStmt&) { c->function_code = 19; },
                 [&](const AlterUserStmt&) { c->function_code = 53; },
                 [&](const DropUserStmt&) { c->function_code = 11; },
                 [&](const GrantStmt& s) { c->function_code = s.revoke ? 29 : 28; },
                 [&](const CreateProfileStmt&) { c->function_code = 65; },
                 [&](const AlterProfileStmt&) { c->function_code = 67; },
                 [&](const DropProfileStmt&) { c->function_code = 66; },
                 [&](const CreateTablespaceStmt&) { c->function_code = 49; },
                 [&](const DropTablespaceStmt&) { c->function_code = 51; },
                 [&](const CreateSequenceStmt&) { c->function_code = 13; },
                 [&](const DropSequenceStmt&) { c->function_code = 16; },
                 [&](const CreateDirectoryStmt&) { c->function_code = 157; },
                 [&](const DropDirectoryStmt&) { c->function_code = 158; },
                 [&](const CreateIndexStmt&) { c->function_code = 20; },
                 [&](const DropIndexStmt&) { c->function_code = 21; },
                 [&](const RenameStmt&) { c->function_code = 37; },
                 [&](const CommentStmt&) { c->function_code = 38; },
                 [&](const AlterTableStmt&) { c->function_code = 26; },
                 [&](const AlterDatabaseStmt&) { c->function_code = 45; },
             },
             c->ast);
  return c;
}

SqliteStmt Session::Acquire(const std::string& sql, StatementPool*& pool) {
  const auto it = idle_statements_.find(sql);
  pool = it == idle_statements_.end() ? nullptr : &it->second;
  if (pool && !pool->empty()) {
    SqliteStmt stmt = std::move(pool->back());
    pool->pop_back();
    --idle_count_;
    return stmt;
  }
  try {
    return db_.Prepare(sql);
  } catch (const SqliteError& e) {
    RaiseFromSqlite(e, nullptr);
  }
}

void Session::Release(const std::string& sql, StatementPool* pool, SqliteStmt stmt) {
  if (!stmt) return;
  stmt.Reset();
  if (idle_count_ >= 256) return;  // the statement is finalized here
  (pool ? *pool : idle_statements_[sql]).push_back(std::move(stmt));
  ++idle_count_;
}

void Session::Bind(SqliteStmt& stmt, const TranslatedStatement& t, const std::vector<Value>& binds,
                   Borrow borrow) {
  for (std::size_t i = 0; i < t.params.size(); ++i) {
    const Param& p = t.params[i];
    if (p.is_bind)
      BindValue(stmt, static_cast<int>(i + 1), binds.at(p.bind_slot), borrow == Borrow::kAll);
    else
      BindValue(stmt, static_cast<int>(i + 1), p.constant, true);
  }
}

void Session::RaiseFromSqlite(const SqliteError& e, const TableInfo* target, bool query) {
  const OraError error = ErrorOf(e, target, query);
  if (writes_in_transaction_ == 0 || db_.InTransaction()) throw error;
  // SQLite gave up the whole transaction, not just the statement.
  lookup_indexes_.TransactionEnded(false);
  triggers_built_ = -1;
  writes_in_transaction_ = 0;
  last_written_.reset();
  lost_transaction_ = OraError::Over(2091, error);
  throw *lost_transaction_;
}

StorageSite Session::SiteOf(const TableInfo* target, bool query) {
  StorageSite site;
  site.query = query;
  if (target) {
    site.owner = target->owner;
    site.table = target->name;
    site.tablespace = target->tablespace;
  }
  if (const char* main = sqlite3_db_filename(db_.get(), "main")) site.file = main;
  // The storage may be too far gone to answer; what it cannot say is left as it is.
  try {
    if (query) {
      SqliteStmt q = db_.Prepare("SELECT temporary_tablespace FROM ocl_users WHERE username = ?1");
      q.Bind(1, ctx_.user);
      site.tablespace = q.Step() ? q.Text(0) : "TEMP";
    }
    SqliteStmt q =
        db_.Prepare("SELECT rowid, file_name FROM ocl_tablespaces WHERE tablespace_name = ?1");
    q.Bind(1, site.tablespace.empty() ? default_tablespace_ : site.tablespace);
    if (q.Step()) {
      site.file_id = static_cast<int>(q.Int(0));
      site.file = q.Text(1);
    }
  } catch (const SqliteError&) {
  }
  std::error_code ec;
  const auto bytes = std::filesystem::file_size(site.file, ec);
  if (!ec) site.file_bytes = static_cast<std::int64_t>(bytes);
  return site;
}

OraError Session::ErrorOf(const SqliteError& e, const TableInfo* target, bool query) {
  if (ctx_.pending_error) {
    OraError error = *ctx_.pending_error;
    ctx_.pending_error.reset();
    return error;
  }
  const int code = e.Code();
  // The triggers of CHECK and FOREIGN KEY constraints raise Oracle's message itself.
  if (code == SQLITE_CONSTRAINT_TRIGGER && std::string_view(e.what()).starts_with("ORA-"))
    return OraError::WithText(std::atoi(e.what() + 4), e.what() + 11);
  if (IsStorageFailure(code))
    return StorageError(code, FailureErrno(db_.get()), SiteOf(target, query));
  if ((code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY) && target) {
    // "UNIQUE constraint failed: o12.c1, o12.c2"
    std::vector<std::string> columns;
    const std::string message = e.what();
    std::size_t pos = message.find(": ");
    while (pos != std::string::npos) {
      const auto dot = message.find('.', pos);
      if (dot == std::string::npos) break;
      const auto comma = message.find(',', dot);
      columns.push_back(
          message.substr(dot + 1, comma == std::string::npos ? comma : comma - dot - 1));
      pos = comma;
    }
    for (const ConstraintInfo& k : target->constraints) {
      if (k.type != 'P' && k.type != 'U') continue;
      std::vector<std::string> names;
      for (const std::size_t c : k.columns) names.push_back(target->columns[c].storage);
      if (names == columns) return OraError(1, {target->owner, k.name});
    }
    std::string column_list;
    for (const std::string& c : columns) column_list += (column_list.empty() ? "" : ",") + c;
    SqliteStmt index = db_.Prepare(
        "SELECT owner, index_name FROM ocl_indexes WHERE table_id = ?1 AND column_list = ?2 "
        "AND uniqueness = 'UNIQUE'");
    index.Bind(1, target->object_id);
    index.Bind(2, column_list);
    if (index.Step()) return OraError(1, {index.Text(0), index.Text(1)});
    return OraError(1, {target->owner, "UNKNOWN"});
  }
  if ((code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED) return OraError(30006);
  if ((code & 0xFF) == SQLITE_ERROR && std::string_view(e.what()).starts_with("no such table"))
    return OraError(942);
  return OraError(600, {"sqlite", e.what()});
}

void Session::BeginWrite() {
  // An open cursor answers from the state it was opened on, as Oracle's read consistency has
  // it; SQLite would show it this connection's own changes, so it reads ahead first.
  DrainCursors();
  if (db_.InTransaction()) return;
  try {
    // Triggers to build may be on tables in files this connection has not attached yet.
    if (ConstraintVersion(db_) != triggers_built_) SyncTablespaces(db_);
    db_.Exec("BEGIN IMMEDIATE");
  } catch (const SqliteError& e) {
    RaiseFromSqlite(e, nullptr);
  }
  if (catalog_.RefreshIfChanged()) ++catalog_generation_;
  try {
    SyncConstraintTriggers(db_, catalog_, ctx_, triggers_built_);
  } catch (const SqliteError& e) {
    RaiseFromSqlite(e, nullptr);
  }
}

void Session::DrainCursors() {
  const std::vector<Cursor*> cursors = open_cursors_;
  for (Cursor* c : cursors) c->Drain();
}

std::unique_ptr<Cursor> Session::OpenQuery(const CompiledSql& c, const std::vector<Value>& binds) {
  CheckLink();
  CheckTransaction();
  ctx_.statement_time = OraDate::Now();
  ctx_.pending_error.reset();
  lookup_indexes_.Note(c.translated);
  // Outside a transaction the catalogue is read in the query's own snapshot, which a row read
  // keeps open; the compile took the catalogue on trust. A query that takes sequence numbers
  // looks first instead, since it cannot be run again in place of once.
  bool check = !db_.InTransaction();
  if (check && c.translated.takes_sequence_numbers) {
    if (RefreshCatalog()) return nullptr;
    check = false;
  }
  SqliteStmt stmt;
  StatementPool* pool = nullptr;
  try {
    stmt = Acquire(c.translated.sql, pool);
  } catch (const OraError&) {
    if (check && RefreshCatalog()) return nullptr;
    throw;
  }
  Bind(stmt, c.translated, binds, Borrow::kConstants);
  auto cursor = std::make_unique<Cursor>(*this, c.translated.sql, pool, std::move(stmt),
                                         c.translated.columns);
  cursor->StepAhead();
  if (check && catalog_.RefreshIfChanged()) {
    cursor.reset();  // ends the read before the tablespaces are attached again
    ++catalog_generation_;
    SyncTablespaces(db_);
    return nullptr;
  }
  return cursor;
}

std::int64_t Session::ExecuteDml(const CompiledSql& c, const std::vector<Value>& binds) {
  CheckLink();
  CheckTransaction();
  ctx_.statement_time = OraDate::Now();
  ctx_.pending_error.reset();
  BeginWrite();
  const TranslatedStatement& t = c.translated;
  StatementPool* pool = nullptr;
  SqliteStmt stmt = Acquire(t.sql, pool);
  try {
    // The values outlive the statement's run: Release clears the bindings, and a statement
    // dropped on any other error is finalized.
    Bind(stmt, t, binds, Borrow::kAll);
    stmt.Step();
  } catch (const SqliteError& e) {
    Release(t.sql, pool, std::move(stmt));
    RaiseFromSqlite(e, t.target.get());
  }
  const std::int64_t changes = sqlite3_changes64(db_.get());
  Release(t.sql, pool, std::move(stmt));
  if (changes > 0) {
    ++writes_in_transaction_;
    last_written_ = t.target;
  }
  return changes;
}

template <typename Body>
void Session::RunDdl(Body&& body) {
  Commit();
  DrainCursors();
  try {
    db_.Exec("BEGIN IMMEDIATE");
  } catch (const SqliteError& e) {
    RaiseFromSqlite(e, nullptr);
  }
  try {
    body();
    db_.Exec("COMMIT");
  } catch (...) {
    try {
      db_.Exec("ROLLBACK");
    } catch (const SqliteError&) {
    }
    catalog_.Invalidate();
    ++catalog_generation_;
    throw;
  }
  catalog_.Invalidate();
  ++catalog_generation_;
}

void Session::ExecuteOther(const CompiledSql& c) {
  CheckLink();
  if (!std::holds_alternative<CommitStmt>(c.ast) && !std::holds_alternative<RollbackStmt>(c.ast))
    CheckTransaction();
  ctx_.statement_time = OraDate::Now();
  DdlContext d{db_, catalog_, ctx_, default_tablespace_, c.text};
  try {
    std::visit(
        Overloaded{
            [&](const CommitStmt&) { Commit(); },
            [&](const RollbackStmt&) { Rollback(); },
            [&](const AlterSessionStmt& s) { AlterSession(s); },
            [&](const CreateTableStmt& s) { RunDdl([&] { CreateTable(d, s); }); },
            [&](const DropTableStmt& s) { RunDdl([&] { DropTable(d, s); }); },
            [&](const TruncateTableStmt& s) { RunDdl([&] { TruncateTable(d, s); }); },
            [&](const CreateUserStmt& s) { RunDdl([&] { CreateUser(db_, s); }); },
            [&](const AlterUserStmt& s) { RunDdl([&] { AlterUser(db_, s); }); },
            [&](const DropUserStmt& s) { RunDdl([&] { DropUser(db_, s); }); },
            [&](const GrantStmt& s) { RunDdl([&] { GrantOrRevoke(db_, s); }); },
            [&](const CreateProfileStmt& s) { RunDdl([&] { CreateProfile(db_, s); }); },
            [&](const AlterProfileStmt& s) { RunDdl([&] { AlterProfile(db_, s); }); },
            [&](const DropProfileStmt& s) { RunDdl([&] { DropProfile(db_, s); }); },
            [&](const CreateIndexStmt& s) { RunDdl([&] { CreateIndex(d, s); }); },
            [&](const RenameStmt& s) { RunDdl([&] { RenameTable(d, s); }); },
            [&](const AlterTableStmt& s) { RunDdl([&] { AlterTable(d, s); }); },
            [&](const CommentStmt& s) { RunDdl([&] { CheckComment(d, s); }); },
            [&](const DropIndexStmt& s) { RunDdl([&] { DropIndex(d, s); }); },
            [&](const CreateSequenceStmt& s) {
              RunDdl([&] { CreateSequence(db_, ctx_.user, s); });
            },
            [&](const DropSequenceStmt& s) { RunDdl([&] { DropSequence(db_, ctx_.user, s); }); },
            [&](const CreateDirectoryStmt& s) {
              RunDdl([&] { CreateDirectory(db_, ctx_.user, s); });
            },
            [&](const DropDirectoryStmt& s) { RunDdl([&] { DropDirectory(db_, ctx_.user, s); }); },
            [&](const CreateTablespaceStmt& s) {
              RunDdl([&] { CreateTablespace(db_, ctx_.user, s); });
              SyncTablespaces(db_);
            },
            [&](const AlterDatabaseStmt& s) { RunDdl([&] { AlterDatabase(db_, ctx_.user, s); }); },
            [&](const DropTablespaceStmt& s) {
              std::string file;
              RunDdl([&] { file = DropTablespace(db_, ctx_.user, s); });
              DrainCursors();
              SyncTablespaces(db_);
              std::error_code ec;
              if (!file.empty()) std::filesystem::remove(file, ec);
            },
            [&](const auto&) {},
        },
        c.ast);
  } catch (const SqliteError& e) {
    RaiseFromSqlite(e, nullptr);
  }
}

void Session::AlterSession(const AlterSessionStmt& s) {
  const std::string& p = s.parameter.text;
  const std::string value = s.value;
  NlsSettings& nls = ctx_.nls;
  if (p == "NLS_DATE_FORMAT") {
    DateFormat check(value);  // ORA-01821 for a model that cannot be read
    nls.date_format = value;
  } else if (p == "NLS_NUMERIC_CHARACTERS") {
    nls.SetNumericCharacters(value);
  } else if (p == "NLS_TERRITORY") {
    nls.territory = Utf8Upper(value);
    const bool russia = nls.territory == "RUSSIA";
    nls.date_format = russia ? "DD.MM.RR" : "DD-MON-RR";
    nls.decimal = russia ? ',' : '.';
    nls.group = russia ? ' ' : ',';
  } else if (p == "NLS_LANGUAGE") {
    nls.language = Utf8Upper(value);
  } else {
    static constexpr std::string_view kAccepted[] = {
        "NLS_DATE_LANGUAGE",
        "NLS_SORT",
        "NLS_COMP",
        "NLS_CURRENCY",
        "NLS_ISO_CURRENCY",
        "NLS_CALENDAR",
        "NLS_DUAL_CURRENCY",
        "NLS_LENGTH_SEMANTICS",
        "NLS_TIMESTAMP_FORMAT",
        "NLS_TIMESTAMP_TZ_FORMAT",
        "NLS_NCHAR_CONV_EXCP",
        "SQL_TRACE",
        "OPTIMIZER_GOAL",
        "OPTIMIZER_MODE",
        "ISOLATION_LEVEL",
        "TIME_ZONE",
        "CURSOR_SHARING",
        "SKIP_UNUSABLE_INDEXES",
        "GLOBAL_NAMES",
        "HASH_JOIN_ENABLED",
        "SORT_AREA_SIZE",
        "HASH_AREA_SIZE",
        "DB_FILE_MULTIBLOCK_READ_COUNT",
        "OPTIMIZER_INDEX_COST_ADJ",
        "OPTIMIZER_INDEX_CACHING",
        "STAR_TRANSFORMATION_ENABLED",
        "QUERY_REWRITE_ENABLED",
        "EVENTS",
        "MAX_DUMP_FILE_SIZE",
        "TIMED_STATISTICS",
        "STATISTICS_LEVEL",
        "WORKAREA_SIZE_POLICY",
        "PLSQL_DEBUG",
        "SQL_TRACE",
    };
    if (std::find(std::begin(kAccepted), std::end(kAccepted), p) == std::end(kAccepted))
      throw OraError(2248).At(s.parameter.pos);
  }
  ++nls_generation_;
}

}  // namespace qm::ocilite
