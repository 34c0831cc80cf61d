#include "import/field_link_table.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace qm {
namespace {

// Fills the table as choosing a target table does: names, types and "1".
void FillFromCatalogue(FieldLinkTable& t, int columns, const std::string& prefix) {
  t.SetRowCount(columns + 1);
  for (int r = 1; r <= columns; ++r) {
    t.SetCell(0, r, prefix + std::to_string(r));
    t.SetCell(1, r, "NUMBER");
    t.SetCell(2, r, "1");
  }
}

TEST(FieldLinkTable, CellsOfDroppedRowsComeBackWhenTheRowCountGrows) {
  FieldLinkTable t;
  t.WriteHeader();
  FillFromCatalogue(t, 10, "OLD");
  for (int r = 1; r <= 10; ++r) {
    t.SetCell(3, r, "F" + std::to_string(r));
    t.SetCell(4, r, "L1");
    t.SetCell(5, r, "D" + std::to_string(r));
  }
  FillFromCatalogue(t, 5, "NEW");
  EXPECT_EQ(t.RowCount(), 6);
  EXPECT_EQ(t.Cell(0, 5), "NEW5");
  EXPECT_EQ(t.Cell(3, 5), "F5");
  EXPECT_EQ(t.Cell(5, 2), "D2");
  FillFromCatalogue(t, 10, "NEW");
  EXPECT_EQ(t.Cell(0, 8), "NEW8");
  EXPECT_EQ(t.Cell(3, 8), "F8");
  EXPECT_EQ(t.Cell(4, 10), "L1");
  EXPECT_EQ(t.Cell(5, 10), "D10");
  EXPECT_EQ(t.Cell(0, 0), "ORA field");
}

TEST(FieldLinkTable, HeaderRowBecomesAnOrdinaryRowForGoodAtRowCountOne) {
  FieldLinkTable t;
  t.WriteHeader();
  FillFromCatalogue(t, 3, "C");
  EXPECT_EQ(t.FixedRows(), 1);
  t.SetRowCount(1);
  EXPECT_EQ(t.FixedRows(), 0);
  FillFromCatalogue(t, 3, "C");
  EXPECT_EQ(t.FixedRows(), 0);
  EXPECT_EQ(t.Cell(3, 0), "DBF field");
}

TEST(FieldLinkTable, FillOneToOneCopiesNamesIncludingEmptyOnes) {
  FieldLinkTable t;
  t.WriteHeader();
  FillFromCatalogue(t, 3, "C");
  t.SetCell(0, 2, "");
  t.SetCell(3, 2, "KEPT?");
  t.FillOneToOne();
  EXPECT_EQ(t.Cell(3, 1), "C1");
  EXPECT_EQ(t.Cell(3, 2), "");
  EXPECT_EQ(t.Cell(3, 3), "C3");
  EXPECT_EQ(t.Cell(3, 0), "DBF field");
}

TEST(FieldLinkTable, FillOneToOneOnAHeaderOnlyTableChangesNothing) {
  FieldLinkTable t;
  t.WriteHeader();
  t.FillOneToOne();
  EXPECT_EQ(t.Cell(3, 0), "DBF field");
  EXPECT_EQ(t.Cell(3, 1), "");
}

TEST(FieldLinkTable, SelectedRowStartsAtTheHeaderAndFollowsSelection) {
  FieldLinkTable t;
  EXPECT_EQ(t.SelectedRow(), 0);
  t.SelectCell(4, 3);
  EXPECT_EQ(t.SelectedRow(), 3);
}

TEST(FieldLinkTable, ColumnWidthsAreTruncatedFractionsOfTheGridWidth) {
  EXPECT_EQ(FieldLinkTable::ColumnWidths(397), (std::array<int, 6>{59, 39, 19, 59, 59, 158}));
}

TEST(FieldLinkTable, HintIsTwoLinesSeparatedByACarriageReturn) {
  EXPECT_EQ(FieldLinkTable::Hint(),
            Cp1251("L[номер] - выбрать лексему, разделитель пробел\rD - нормализовать дату к "
                   "виду DD.MM.YYYY")
                .str());
}

}  // namespace
}  // namespace qm
