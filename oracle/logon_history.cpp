#include "oracle/logon_history.h"

#include <algorithm>
#include <optional>

#include "oracle/internal/logon_string.h"
#include "platform/codepage.h"

namespace qm {

std::string THistoryItem::Caption() const {
  std::string caption = username;
  if (!database.empty()) caption += "@" + database;
  if (!mode.empty()) caption += " as " + mode;
  return caption;
}

std::string THistoryItem::LogonText() const {
  std::string text = username + "/" + password + "@" + database;
  if (!mode.empty()) text += " as " + mode;
  return text;
}

void THistoryItems::AddHistoryEntry(const std::string& text, const std::string& password,
                                    const std::string& database, const std::string& mode,
                                    bool moveToTop) {
  if (text.empty()) return;
  THistoryItem item{text, password, database, mode};

  const std::size_t slash = text.find('/');
  const std::size_t at = std::min(text.find('@'), text.size());
  if (at + 1 < text.size()) item.database = text.substr(at + 1);
  if (slash != std::string::npos) {
    item.password = at > slash ? text.substr(slash + 1, at - slash - 1) : std::string();
    item.username = text.substr(0, slash);
  } else {
    item.username = text.substr(0, at);
  }
  if (!keepPasswords_) item.password.clear();

  bool found = false;
  for (std::string* part : {&item.database, &item.password, &item.username}) {
    const std::optional<std::string> cut = CutModeSuffix(*part);
    if (cut && !found) {
      item.mode = *cut;
      found = true;
    }
  }

  std::string key = Cp1251Upper(item.username);
  if (!item.database.empty()) key += "@" + Cp1251Upper(item.database);
  if (!item.mode.empty()) key += " AS " + item.mode;
  std::erase_if(items_, [&](const THistoryItem& e) { return Cp1251Upper(e.Caption()) == key; });

  if (capacity_ > 0)
    while (static_cast<int>(items_.size()) >= capacity_)
      items_.erase(items_.begin() + capacity_ - 1);

  if (moveToTop)
    items_.insert(items_.begin(), std::move(item));
  else
    items_.push_back(std::move(item));
}

THistoryItems& HistoryItems() {
  static THistoryItems items;
  return items;
}

}  // namespace qm
