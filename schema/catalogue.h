#pragma once
// The target catalogue: the table list from user_tables, and the field-link rows of a chosen
// table from user_tab_columns, both read through the main window's dataset. Neither catches
// errors: what was filled before an error stays, and the dataset may stay open.

#include <string>
#include <vector>

namespace qm {

class FieldLinkTable;

// The dataset operations the catalogue (and the import run's existence check) use.
class CatalogueDataset {
 public:
  virtual ~CatalogueDataset() = default;
  virtual bool Active() const = 0;
  virtual void Close() = 0;
  // Replaces the SQL lines by `line`.
  virtual void SetSQL(const std::string& line) = 0;
  // Opens the query, reading all its rows. Throws the session's and the server's errors.
  virtual void Open() = 0;
  virtual int RecordCount() const = 0;
  virtual std::string FieldAsString(const std::string& fieldName) const = 0;
  virtual void Next() = 0;
};

// Replaces `items` by the schema's table names, in the server's order.
void RefreshTableList(CatalogueDataset& ods1, std::vector<std::string>& items);

// Fills columns 0..2 of the link rows from the columns of `tableName` and sets the row count to
// their number + 1; columns 3..5 keep their texts.
void FillLinksFromTable(CatalogueDataset& ods1, const std::string& tableName,
                        FieldLinkTable& links);

}  // namespace qm
