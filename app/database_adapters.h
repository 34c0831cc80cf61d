#pragma once
// The Oracle components seen through the small interfaces of the import run and the catalogue:
// the dataset `ods1` as the catalogue's and the existence check's dataset, and statement objects
// made on the session for the length of a run; and the one way a statement object runs a text.

#include <memory>
#include <string>

#include "import/import_run.h"
#include "schema/catalogue.h"

namespace qm {

class TOracleDataSet;
class TOracleQuery;
class TOracleSession;

// Makes `sql` the one line of `query` and executes it; what Execute raises passes through, and
// the text stays the query's.
void ExecuteLine(TOracleQuery& query, const std::string& sql);

class DataSetCatalogue : public CatalogueDataset {
 public:
  explicit DataSetCatalogue(TOracleDataSet& dataset) : dataset_(dataset) {}
  bool Active() const override;
  void Close() override;
  void SetSQL(const std::string& line) override;
  void Open() override;
  int RecordCount() const override;
  std::string FieldAsString(const std::string& fieldName) const override;
  void Next() override;

 private:
  TOracleDataSet& dataset_;
};

class SessionImportDatabase : public ImportDatabase {
 public:
  SessionImportDatabase(TOracleSession& session, TOracleDataSet& ods1)
      : session_(session), ods1_(ods1) {}
  // A statement object without owner, attached to the session.
  std::unique_ptr<ImportStatement> NewStatement() override;
  // Closes ods1 if open, gives it `query` as its one line, opens it, counts and closes it.
  std::int32_t CountRows(const std::string& query) override;
  // The server's errors that end the open transaction: ORA-02091 (rolled back), ORA-02067 (a
  // rollback is due after such a loss), ORA-03113 and ORA-03114 (the connection is gone).
  bool LostOpenWork(const std::exception& error) const override;
  // The server's errors about a value of the query: ORA-01704 (a literal over 4000 bytes),
  // ORA-01722 (no number), ORA-01426 (out of NUMBER's range), ORA-01465 (no hexadecimal), and the
  // date conversion errors ORA-01830 to ORA-01866.
  bool RecordFault(const std::exception& error) const override;
  // The session's commit.
  void Commit() override;

 private:
  TOracleSession& session_;
  TOracleDataSet& ods1_;
};

}  // namespace qm
