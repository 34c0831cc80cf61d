// The indexes a session makes for itself: a column set that its queries compare with values again
// and again ("WHERE A = 'x' AND B = 'y'", as an import looks for each record) gets an index, so
// that the lookups stay cheap as the table grows.
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
  struct Made {
    std::string name;  // schema-qualified, as DROP INDEX takes it
    bool in_transaction = false;
  };
  // Runs `sql` without waiting for a lock; false when it could not.
  bool TryExec(const std::string& sql);

  SqliteDb& db_;
  std::uint64_t serial_;
  int busy_timeout_ms_;
  std::map<std::string, int> counts_;  // "table(columns)" -> lookups seen
  std::map<std::string, Made> made_;   // "table(columns)" -> its index
};

}  // namespace qm::ocilite
