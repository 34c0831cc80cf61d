#include "ui/preview_window.h"

#include <gtest/gtest.h>

#include <QTableView>

#include "source/source_table.h"

namespace qm {
namespace {

TEST(PreviewWindow, BlobFieldsShowTheirWord) {
  const struct {
    TFieldType type;
    std::string value, shown;
  } cases[] = {
      {ftMemo, "text", "(MEMO)"},     {ftMemo, "", "(Memo)"},     {ftOraClob, "x", "(MEMO)"},
      {ftGraphic, "x", "(GRAPHIC)"},  {ftGraphic, "", "(Graphic)"}, {ftBlob, "x", "(BLOB)"},
      {ftDBaseOle, "", "(Blob)"},     {ftString, "Ivan", "Ivan"},  {ftFloat, "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(PreviewText(c.type, c.value), c.shown) << c.value;
}

TEST(PreviewWindow, ShowsEveryFieldAndRecordOfTheSourceTable) {
  SourceTable dbf;
  dbf.SetDatabaseName(TESTDATA_DIR "/dbf");
  dbf.SetTableName("db3_cp1251.dbf");
  dbf.Open();
  TForm4 form(dbf);
  QAbstractItemModel* model = form.DBGrid1()->model();
  ASSERT_EQ(model->columnCount(), dbf.FieldCount());
  ASSERT_EQ(model->rowCount(), dbf.RecordCount());
  EXPECT_EQ(model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "NAME");
  auto cell = [&](int row, int column) {
    return model->data(model->index(row, column), Qt::DisplayRole).toString();
  };
  // Rows are read in any order, as a grid scrolls.
  EXPECT_EQ(cell(2, 0), "ASCII only");
  EXPECT_EQ(cell(1, 4), "(Memo)");
  EXPECT_EQ(cell(0, 4), "(MEMO)");
  EXPECT_EQ(cell(0, 0), QString::fromUtf8("Иванов Пётр"));
  EXPECT_EQ(cell(0, 3), "True");
}

}  // namespace
}  // namespace qm
