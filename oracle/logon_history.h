#pragma once
// The logon history: the most recent logons, newest first, offered by the logon window's history
// button. One collection serves the whole process (HistoryItems()); every logon component that
// keeps a history refills it from its store before its dialog and saves it afterwards
// (logon_history_store.h).

#include <string>
#include <vector>

namespace qm {

// One remembered logon. `mode` is "", "SYSDBA" or "SYSOPER"; `password` is "" when passwords
// are not kept.
struct THistoryItem {
  std::string username;
  std::string password;
  std::string database;
  std::string mode;

  // "user", then "@database" when there is one, then " as MODE" when there is one.
  std::string Caption() const;
  // The stored form "user/password@database", then " as MODE" when there is one; "/" and "@"
  // are always present.
  std::string LogonText() const;
};

class THistoryItems {
 public:
  // Most entries kept; 0 means no limit.
  int Capacity() const { return capacity_; }
  void SetCapacity(int value) { capacity_ = value; }
  bool KeepPasswords() const { return keepPasswords_; }
  void SetKeepPasswords(bool value) { keepPasswords_ = value; }

  const std::vector<THistoryItem>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  const THistoryItem& operator[](int index) const { return items_.at(index); }
  void Clear() { items_.clear(); }

  // Adds a logon. `text` may be a whole logon text ("user/password@database as MODE"): its
  // parts then replace the password and database given; a connect-as suffix found on the
  // database, else the password, else the user name becomes the mode and is cut off. An empty
  // `text` adds nothing. Entries for the same user, database and mode (any letter case) are
  // replaced; when the collection is full, entries from index Capacity() - 1 on make room. The
  // entry goes to the end, or to index 0 with `moveToTop`.
  void AddHistoryEntry(const std::string& text, const std::string& password = {},
                       const std::string& database = {}, const std::string& mode = {},
                       bool moveToTop = false);

 private:
  std::vector<THistoryItem> items_;
  int capacity_ = 6;
  bool keepPasswords_ = false;
};

// The process-wide collection.
THistoryItems& HistoryItems();

}  // namespace qm
