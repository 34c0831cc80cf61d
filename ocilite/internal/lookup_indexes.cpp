#include "ocilite/internal/lookup_indexes.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <set>
#include <string_view>
#include <unordered_set>

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

namespace {

// How many of the table's first rows the choice of columns looks at, and how many it needs before
// it trusts what it sees.
constexpr int kSampleRows = 2048;
constexpr int kTrustedSample = 1000;
// After this many lookups the choice is final whatever the table holds.
constexpr int kLastChoice = 50000;

std::string ColumnList(const std::vector<std::string>& columns) {
  std::string list;
  for (const auto& c : columns) list += (list.empty() ? "" : ", ") + c;
  return list;
}

// A column's value as DISTINCT tells values apart: by storage class, then by content, a whole
// number stored as a real being that integer. Empty for NULL.
std::string DistinctKey(sqlite3_stmt* q, int column) {
  const auto tagged = [](char tag, const void* bytes, std::size_t size) {
    std::string key(1, tag);
    if (size != 0) key.append(static_cast<const char*>(bytes), size);
    return key;
  };
  switch (sqlite3_column_type(q, column)) {
    case SQLITE_NULL:
      return {};
    case SQLITE_INTEGER: {
      const std::int64_t v = sqlite3_column_int64(q, column);
      return tagged('i', &v, sizeof v);
    }
    case SQLITE_FLOAT: {
      const double d = sqlite3_column_double(q, column);
      if (d == std::trunc(d) && std::fabs(d) < 9e18) {
        const auto v = static_cast<std::int64_t>(d);
        return tagged('i', &v, sizeof v);
      }
      return tagged('f', &d, sizeof d);
    }
    case SQLITE_TEXT:
      return tagged('t', sqlite3_column_text(q, column),
                    static_cast<std::size_t>(sqlite3_column_bytes(q, column)));
    default:
      return tagged('b', sqlite3_column_blob(q, column),
                    static_cast<std::size_t>(sqlite3_column_bytes(q, column)));
  }
}

}  // namespace

LookupIndexes::Choice LookupIndexes::Choose(const std::string& storage,
                                            const std::vector<std::string>& columns) {
  // The sample is read once and its values counted here: a count(DISTINCT) per column in SQL
  // sorts the sample once per column, which cost more than a thousand of the lookups it serves.
  std::vector<std::string> keys;  // row by row, column by column
  std::size_t rows = 0;
  try {
    SqliteStmt q = db_.Prepare("SELECT " + ColumnList(columns) + " FROM " + storage + " LIMIT " +
                               std::to_string(kSampleRows));
    keys.reserve(kSampleRows * columns.size());
    for (; q.Step(); ++rows)
      for (std::size_t i = 0; i < columns.size(); ++i)
        keys.push_back(DistinctKey(q.get(), static_cast<int>(i)));
  } catch (const SqliteError&) {
    return {columns, true};  // the lookup itself will say what is wrong with the table
  }
  const bool trusted = rows >= static_cast<std::size_t>(kTrustedSample);
  if (!trusted || columns.size() == 1) return {columns, trusted};
  const auto key = [&](std::size_t row, std::size_t column) -> const std::string& {
    return keys[row * columns.size() + column];
  };
  std::vector<std::pair<std::size_t, std::size_t>> ranked;  // distinct values, position
  for (std::size_t i = 0; i < columns.size(); ++i) {
    std::unordered_set<std::string_view> values;
    for (std::size_t r = 0; r < rows; ++r)
      if (!key(r, i).empty()) values.insert(key(r, i));  // as count(DISTINCT), NULLs are no value
    ranked.emplace_back(values.size(), i);
  }
  // Most distinct values first; between equals, the order the query compares them in.
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  // As SELECT DISTINCT counts rows: NULLs alike, and each key's length keeps the columns apart.
  const auto distinctRows = [&](const std::vector<std::size_t>& positions) {
    std::unordered_set<std::string> tuples;
    std::string tuple;
    for (std::size_t r = 0; r < rows; ++r) {
      tuple.clear();
      for (const std::size_t i : positions) {
        const std::string& k = key(r, i);
        const auto length = static_cast<std::uint32_t>(k.size());
        tuple.append(reinterpret_cast<const char*>(&length), sizeof length);
        tuple += k;
      }
      tuples.insert(tuple);
    }
    return tuples.size();
  };
  std::vector<std::size_t> all(columns.size());
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
  // Good enough: at most one row in ten shares its key with another that all columns tell apart.
  const std::size_t goal = distinctRows(all) * 9 / 10;
  std::vector<std::size_t> chosen;
  Choice choice{{}, true};
  for (const auto& [distinct, position] : ranked) {
    chosen.push_back(position);
    choice.columns.push_back(columns[position]);
    if (chosen.size() == columns.size() || distinctRows(chosen) >= goal) break;
  }
  return choice;
}

void LookupIndexes::Note(const TranslatedStatement& t) {
  if (!t.lookup_table || t.lookup_columns.empty()) return;
  if (!last_ || t.lookup_columns != last_columns_ || t.lookup_table->storage != last_storage_) {
    last_ = &lookups_[t.lookup_table->storage + "(" + ColumnList(t.lookup_columns) + ")"];
    last_storage_ = t.lookup_table->storage;
    last_columns_ = t.lookup_columns;
  }
  Lookup& lookup = *last_;
  if ((lookup.settled && !lookup.name.empty()) || ++lookup.seen < lookup.next_choice) return;
  lookup.next_choice = lookup.seen * 4;
  Choice choice = Choose(t.lookup_table->storage, t.lookup_columns);
  lookup.settled = choice.settled || lookup.seen >= kLastChoice;
  if (!lookup.name.empty() && choice.columns == lookup.indexed) return;
  const std::string columns = ColumnList(choice.columns);
  const auto [schema, table] = SplitStorage(t.lookup_table->storage);
  // An index lives in the schema of its table, named there.
  const std::string name = schema + "\"ocl_a" + std::to_string(t.lookup_table->object_id) + "_" +
                           std::to_string(std::hash<std::string>{}(columns) % 1000000007) + "_" +
                           std::to_string(getpid()) + "_" + std::to_string(serial_) + "\"";
  // Refused (another writer holds the lock): the lookups go on with what they had.
  if (!TryExec("CREATE INDEX IF NOT EXISTS " + name + " ON " + table + " (" + columns + ")"))
    return;
  made_.insert(name);
  if (!lookup.name.empty() && lookup.name != name) TryExec("DROP INDEX IF EXISTS " + lookup.name);
  lookup.name = name;
  lookup.indexed = std::move(choice.columns);
  lookup.in_transaction = db_.InTransaction();
}

void LookupIndexes::TransactionEnded(bool committed) {
  for (auto it = lookups_.begin(); it != lookups_.end();) {
    if (it->second.name.empty() || !it->second.in_transaction) {
      ++it;
    } else if (committed) {
      it->second.in_transaction = false;
      ++it;
    } else {
      // Gone with the transaction (and an index it replaced may be back, which Drop takes
      // along): the lookups that follow make one again.
      if (&it->second == last_) last_ = nullptr;
      it = lookups_.erase(it);
    }
  }
}

void LookupIndexes::Drop() {
  for (const std::string& name : made_) TryExec("DROP INDEX IF EXISTS " + name);
  made_.clear();
  lookups_.clear();
  last_ = nullptr;
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
