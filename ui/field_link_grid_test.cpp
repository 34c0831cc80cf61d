#include "ui/field_link_grid.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QSignalSpy>

namespace qm {
namespace {

TEST(FieldLinkGrid, ShowsTheHeaderRowAboveTheLinksUntilItIsReleased) {
  FieldLinkTable table;
  table.WriteHeader();
  table.SetRowCount(3);
  table.SetCell(0, 1, "ID");
  FieldLinkGrid grid(table);
  auto* model = grid.GridModel();
  EXPECT_EQ(model->rowCount(), 2);
  EXPECT_EQ(model->headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), "DBF field");
  EXPECT_EQ(model->data(model->index(0, 0), Qt::DisplayRole).toString(), "ID");

  table.SetRowCount(1);
  EXPECT_EQ(model->rowCount(), 1);
  EXPECT_EQ(model->data(model->index(0, 3), Qt::DisplayRole).toString(), "DBF field");
  EXPECT_TRUE(model->flags(model->index(0, 3)) & Qt::ItemIsEditable);
  EXPECT_TRUE(model->setData(model->index(0, 3), "NAME", Qt::EditRole));
  EXPECT_EQ(table.Cell(3, 0), "NAME");
}

TEST(FieldLinkGrid, EditsReachTheTableAndSelectionReportsTableRows) {
  FieldLinkTable table;
  table.WriteHeader();
  table.SetRowCount(4);
  FieldLinkGrid grid(table);
  QSignalSpy selecting(&grid, &FieldLinkGrid::CellSelecting);
  grid.setCurrentIndex(grid.GridModel()->index(2, 4));
  ASSERT_EQ(selecting.count(), 1);
  EXPECT_EQ(selecting[0][0].toInt(), 4);
  EXPECT_EQ(selecting[0][1].toInt(), 3);
  grid.GridModel()->setData(grid.GridModel()->index(2, 4), QString::fromUtf8("Дата"),
                            Qt::EditRole);
  EXPECT_EQ(table.Cell(4, 3), "\xC4\xE0\xF2\xE0");
}

TEST(FieldLinkGrid, ColumnWidthsFollowTheFractionsOfTheGridWidth) {
  FieldLinkTable table;
  FieldLinkGrid grid(table);
  grid.resize(397, 171);
  grid.ApplyColumnFractions();
  const int expected[] = {59, 39, 19, 59, 59, 158};
  for (int c = 0; c < 6; ++c) EXPECT_EQ(grid.columnWidth(c), expected[c]);
}

}  // namespace
}  // namespace qm
