// What evaluating an expression needs from its session: the NLS settings, the user, the time the
// statement started (SYSDATE is one value per statement) and parsed date format models. SQL
// functions running inside SQLite report an Oracle error by leaving it here.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ocilite/internal/date_format.h"
#include "ocilite/internal/nls_settings.h"
#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/oracle_date.h"

namespace qm::ocilite {

class SqliteDb;

class EvalContext {
 public:
  NlsSettings nls;
  SqliteDb* db = nullptr;  // the session's connection, for functions that read the catalogue
  std::map<std::string, std::int64_t> sequence_values;  // "OWNER.NAME" -> CURRVAL
  std::string user;
  OraDate statement_time;
  std::optional<OraError> pending_error;

  // The parsed model; throws ORA-01821 for a model the engine cannot read. Models are kept, so
  // each is parsed once per session.
  const DateFormat& Format(std::string_view model) {
    auto it = formats_.find(model);
    if (it == formats_.end())
      it = formats_.emplace(std::string(model), std::make_unique<DateFormat>(model)).first;
    return *it->second;
  }
  const DateFormat& SessionDateFormat() { return Format(nls.date_format); }

 private:
  std::map<std::string, std::unique_ptr<DateFormat>, std::less<>> formats_;
};

}  // namespace qm::ocilite
