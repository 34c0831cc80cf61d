#include "schema/catalogue.h"

#include "import/field_link_table.h"

namespace qm {

void RefreshTableList(CatalogueDataset& ods1, std::vector<std::string>& items) {
  items.clear();
  ods1.SetSQL("select * from user_tables");
  ods1.Open();
  const int n = ods1.RecordCount();
  for (int i = 0; i < n; ++i) {
    items.push_back(ods1.FieldAsString("TABLE_NAME"));
    ods1.Next();
  }
  ods1.Close();
}

void FillLinksFromTable(CatalogueDataset& ods1, const std::string& tableName,
                        FieldLinkTable& links) {
  if (ods1.Active()) ods1.Close();
  // The name came from the catalogue, so it goes in unchanged.
  ods1.SetSQL("select * from user_tab_columns where table_name='" + tableName + "'");
  ods1.Open();
  const int n = ods1.RecordCount();
  links.SetRowCount(n + 1);
  for (int r = 1; r <= n; ++r) {
    links.SetCell(FieldLinkTable::kOraField, r, ods1.FieldAsString("COLUMN_NAME"));
    links.SetCell(FieldLinkTable::kOraFieldType, r, ods1.FieldAsString("DATA_TYPE"));
    links.SetCell(FieldLinkTable::kProceed, r, "1");
    ods1.Next();
  }
  ods1.Close();
}

}  // namespace qm
