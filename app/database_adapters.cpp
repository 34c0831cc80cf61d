#include "app/database_adapters.h"

#include "oracle/e_oracle_error.h"
#include "oracle/oracle_dataset.h"
#include "oracle/oracle_query.h"
#include "oracle/oracle_session.h"

namespace qm {

void ExecuteLine(TOracleQuery& query, const std::string& sql) {
  query.SQL().SetOnlyLine(sql);
  query.Execute();
}

bool DataSetCatalogue::Active() const { return dataset_.Active(); }
void DataSetCatalogue::Close() { dataset_.Close(); }

void DataSetCatalogue::SetSQL(const std::string& line) { dataset_.SQL().SetOnlyLine(line); }

void DataSetCatalogue::Open() { dataset_.Open(); }
int DataSetCatalogue::RecordCount() const { return dataset_.RecordCount(); }

std::string DataSetCatalogue::FieldAsString(const std::string& fieldName) const {
  return dataset_.FieldByName(fieldName).AsString();
}

void DataSetCatalogue::Next() { dataset_.Next(); }

namespace {

class QueryStatement : public ImportStatement {
 public:
  explicit QueryStatement(TOracleSession& session) { query_.SetSession(&session); }
  void Execute(const std::string& sql) override { ExecuteLine(query_, sql); }
  std::string SqlText() const override { return query_.SQL().Text(); }

 private:
  TOracleQuery query_;
};

}  // namespace

std::unique_ptr<ImportStatement> SessionImportDatabase::NewStatement() {
  return std::make_unique<QueryStatement>(session_);
}

std::int32_t SessionImportDatabase::CountRows(const std::string& query) {
  DataSetCatalogue ods1(ods1_);
  if (ods1.Active()) ods1.Close();
  ods1.SetSQL(query);
  ods1.Open();
  const int count = ods1.RecordCount();
  ods1.Close();
  return count;
}

bool SessionImportDatabase::LostOpenWork(const std::exception& error) const {
  const auto* oracle = dynamic_cast<const EOracleError*>(&error);
  if (!oracle) return false;
  switch (oracle->ErrorCode()) {
    case 2067:
    case 2091:
    case 3113:
    case 3114:
      return true;
    default:
      return false;
  }
}

void SessionImportDatabase::Commit() {
  session_.Commit();
}

bool SessionImportDatabase::RecordFault(const std::exception& error) const {
  const auto* oracle = dynamic_cast<const EOracleError*>(&error);
  if (!oracle) return false;
  const int code = oracle->ErrorCode();
  return code == 1704 || code == 1722 || code == 1426 || code == 1465 ||
         (code >= 1830 && code <= 1866);
}

}  // namespace qm
