// The indexes a session makes for itself: a column set that its queries compare with values again
// and again ("WHERE A = 'x' AND B = 'y'", as an import looks for each record) gets an index, so
// that the lookups stay cheap as the table grows.
//
// The index keeps only as many of the compared columns as it takes to tell the table's rows apart:
// the columns are ranked by how many distinct values a sample of the table's first rows holds, and
// the most telling ones are taken until they separate the sample almost as well as all of them. A
// narrow index is smaller to keep in memory and cheaper to maintain on insert; the other compared
// columns are still checked on the rows it finds, so every answer is the same. While the table is
// too small for a sample to say much, all the columns are indexed and the choice is made again as
// the lookups go on (after 12, 48, 192, ... of them).
//
// Such an index is the session's, not the user's: it is dropped when the session ends (inside its
// open transaction, so that the commit never stores it), and one that an ended connection or a
// dead process left behind is dropped by the next logon that can take the write lock. No
// dictionary view lists it. Each name says whose it is: "ocl_a<table>_<columns>_<pid>_<serial>";
// one without the last two parts is from an engine that kept them and counts as abandoned.
// Making or dropping one never waits for another writer and never fails a statement: a lookup
// without its index is only slower.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ocilite/internal/sql_translator.h"
#include "ocilite/internal/sqlite_db.h"

namespace qm::ocilite {

class LookupIndexes {
 public:
  // `busy_timeout_ms` is the connection's own, set again after each attempt without waiting.
  LookupIndexes(SqliteDb& db, std::uint64_t session_serial, int busy_timeout_ms);
  LookupIndexes(const LookupIndexes&) = delete;
  LookupIndexes& operator=(const LookupIndexes&) = delete;
  ~LookupIndexes();

  // Counts the lookup `t` makes; the third of a column set makes its index.
  void Note(const TranslatedStatement& t);
  // The open transaction was committed (its indexes stay until Drop) or is gone (so are they).
  void TransactionEnded(bool committed);
  // Drops this session's indexes: inside the open transaction, or on their own when none is
  // open. One that cannot be dropped now is left for DropAbandoned.
  void Drop();
  // Drops the indexes of sessions that are no more: of this process, those of ended sessions;
  // of others, those of processes that are gone. Call outside a transaction.
  void DropAbandoned();

 private:
  // One compared column set of one table.
  struct Lookup {
    int seen = 0;
    int next_choice = 3;  // the count of lookups at which the columns are chosen again
    bool settled = false; // chosen from a sample large enough to trust
    std::string name;     // of the index made, schema-qualified as DROP INDEX takes it
    std::vector<std::string> indexed;
    bool in_transaction = false;
  };
  struct Choice {
    std::vector<std::string> columns;
    bool settled = false;
  };
  // The columns worth indexing for lookups of `columns` in the table `storage`.
  Choice Choose(const std::string& storage, const std::vector<std::string>& columns);
  // Runs `sql` without waiting for a lock; false when it could not.
  bool TryExec(const std::string& sql);

  SqliteDb& db_;
  std::uint64_t serial_;
  int busy_timeout_ms_;
  std::map<std::string, Lookup> lookups_;  // "table(columns)" -> its lookups and index
  // The lookups of the statement noted last, found again without their key when the next
  // compares the same columns of the same table, as an import's queries do.
  std::string last_storage_;
  std::vector<std::string> last_columns_;
  Lookup* last_ = nullptr;
  // Every index the session made, also those replaced since, which a rollback may bring back.
  std::set<std::string> made_;
};

}  // namespace qm::ocilite
