// Where the import-errors and preview windows appear, and which record the preview opens on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTableView>

#include "source/source_table.h"
#include "ui/import_errors_window.h"
#include "ui/preview_window.h"

namespace qm {
namespace {

TEST(AuxiliaryWindows, FramesStandAtTheirDesignPlaceOnTheScreen) {
  SourceTable dbf;
  dbf.SetDatabaseName(TESTDATA_DIR "/dbf");
  dbf.SetTableName("db3_cp1251.dbf");
  dbf.Open();
  TForm2 form2;
  TForm4 form4(dbf);
  for (QWidget* window : {static_cast<QWidget*>(&form2), static_cast<QWidget*>(&form4)}) {
    window->show();
    QApplication::processEvents();
    // The frame, not the area inside it, starts at left 192, top 114.
    EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(192, 114)) << window->objectName().toStdString();
    EXPECT_GT(window->geometry().top(), 114) << window->objectName().toStdString();
  }
}

TEST(AuxiliaryWindows, ThePreviewOpensOnTheTablesCurrentRecord) {
  SourceTable dbf;
  dbf.SetDatabaseName(TESTDATA_DIR "/dbf");
  dbf.SetTableName("db3_cp1251.dbf");
  dbf.Open();
  for (int record : {1, 3}) {
    dbf.SetRecNo(record);
    TForm4 form(dbf);
    EXPECT_EQ(form.DBGrid1()->currentIndex().row(), record - 1);
    EXPECT_TRUE(form.DBGrid1()->selectionModel()->isRowSelected(record - 1, {}));
  }
}

}  // namespace
}  // namespace qm
