#include "ocilite/internal/lookup_indexes.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <set>

#include "ocilite/internal/tablespaces.h"

namespace qm::ocilite {
namespace {

// The serials of this process's live sessions that may own indexes.
std::mutex g_live_mutex;
std::set<std::uint64_t> g_live;

bool IsLive(std::uint64_t serial) {
  std::lock_guard lock(g_live_mutex);
  return g_live.count(serial) != 0;
}

// Whether the index `name` ("ocl_a..._<pid>_<serial>") belongs to a session that is no more.
bool Abandoned(const std::string& name) {
  const auto last = name.rfind('_');
  const auto before = last == std::string::npos || last == 0 ? std::string::npos
                                                             : name.rfind('_', last - 1);
  // "ocl_a<table>_<columns>" has one '_' after "ocl_a"; with its owner it has three.
  if (before == std::string::npos || name.find('_', 5) == before) return true;
  char* end = nullptr;
  const long long pid = std::strtoll(name.c_str() + before + 1, &end, 10);
  if (end != name.c_str() + last) return true;
  const unsigned long long serial = std::strtoull(name.c_str() + last + 1, &end, 10);
  if (*end != '\0') return true;
  if (pid == static_cast<long long>(getpid())) return !IsLive(serial);
  return kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

LookupIndexes::LookupIndexes(SqliteDb& db, std::uint64_t session_serial, int busy_timeout_ms)
    : db_(db), serial_(session_serial), busy_timeout_ms_(busy_timeout_ms) {
  std::lock_guard lock(g_live_mutex);
  g_live.insert(serial_);
}

LookupIndexes::~LookupIndexes() {
  std::lock_guard lock(g_live_mutex);
  g_live.erase(serial_);
}

bool LookupIndexes::TryExec(const std::string& sql) {
  sqlite3_busy_timeout(db_.get(), 0);
  bool done = true;
  try {
    db_.Exec(sql);
  } catch (const SqliteError&) {
    done = false;
  }
  sqlite3_busy_timeout(db_.get(), busy_timeout_ms_);
  return done;
}

void LookupIndexes::Note(const TranslatedStatement& t) {
  if (!t.lookup_table || t.lookup_columns.empty()) return;
  std::string columns;
  for (const auto& c : t.lookup_columns) columns += (columns.empty() ? "" : ", ") + c;
  std::string key = t.lookup_table->storage + "(" + columns + ")";
  if (made_.count(key) || ++counts_[key] < 3) return;
  const auto [schema, table] = SplitStorage(t.lookup_table->storage);
  // An index lives in the schema of its table, named there.
  const std::string name = schema + "\"ocl_a" + std::to_string(t.lookup_table->object_id) + "_" +
                           std::to_string(std::hash<std::string>{}(columns) % 1000000007) + "_" +
                           std::to_string(getpid()) + "_" + std::to_string(serial_) + "\"";
  // Refused (another writer holds the lock): the lookups go on without it.
  if (TryExec("CREATE INDEX IF NOT EXISTS " + name + " ON " + table + " (" + columns + ")"))
    made_[std::move(key)] = Made{name, db_.InTransaction()};
}

void LookupIndexes::TransactionEnded(bool committed) {
  for (auto it = made_.begin(); it != made_.end();) {
    if (!it->second.in_transaction) {
      ++it;
    } else if (committed) {
      it->second.in_transaction = false;
      ++it;
    } else {
      // Gone with the transaction; the lookups that follow make it again.
      counts_.erase(it->first);
      it = made_.erase(it);
    }
  }
}

void LookupIndexes::Drop() {
  for (auto it = made_.begin(); it != made_.end(); it = made_.erase(it))
    TryExec("DROP INDEX IF EXISTS " + it->second.name);
  counts_.clear();
}

void LookupIndexes::DropAbandoned() {
  if (db_.InTransaction()) return;
  std::vector<std::string> abandoned;
  try {
    std::vector<std::string> schemas;
    SqliteStmt list = db_.Prepare("SELECT name FROM pragma_database_list WHERE name <> 'temp'");
    while (list.Step()) schemas.push_back(list.Text(0));
    for (const std::string& schema : schemas) {
      SqliteStmt q = db_.Prepare("SELECT name FROM " + Quote(schema) +
                                 ".sqlite_master WHERE type = 'index' AND name LIKE 'ocl\\_a%' "
                                 "ESCAPE '\\'");
      while (q.Step())
        if (Abandoned(q.Text(0))) abandoned.push_back(Quote(schema) + "." + Quote(q.Text(0)));
    }
  } catch (const SqliteError&) {
    return;  // an unreadable file: its statements answer for it
  }
  for (const std::string& name : abandoned) TryExec("DROP INDEX IF EXISTS " + name);
}

}  // namespace qm::ocilite
