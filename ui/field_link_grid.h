#pragma once
// The string grid that shows and edits a FieldLinkTable. While the table has a fixed header row,
// the grid's column header shows row 0 and the rows below are the links; once the header row has
// become an ordinary row, every row of the table is an editable grid row and the column header
// stays only as a thin strip for sizing columns.

#include <QAbstractTableModel>
#include <QTableView>

#include "import/field_link_table.h"

class QMenu;

namespace qm {

class FieldLinkGridModel : public QAbstractTableModel, private FieldLinkTable::Observer {
  Q_OBJECT

 public:
  explicit FieldLinkGridModel(FieldLinkTable& table, QObject* parent = nullptr);
  ~FieldLinkGridModel() override;

  // Table row shown in grid row `gridRow`, and back.
  int TableRow(int gridRow) const { return gridRow + table_.FixedRows(); }
  int GridRow(int tableRow) const { return tableRow - table_.FixedRows(); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  // Row 0 stopped being the fixed header.
  void HeaderRowReleased();

 private:
  void CellChanged(int column, int row) override;
  void RowCountChanged(int oldCount, int newCount) override;
  void FixedRowsChanged() override;

  FieldLinkTable& table_;
};

class FieldLinkGrid : public QTableView {
  Q_OBJECT

 public:
  static constexpr int kDefaultColumnWidth = 80;
  static constexpr int kDefaultRowHeight = 18;

  FieldLinkGrid(FieldLinkTable& table, QWidget* parent = nullptr);

  FieldLinkTable& Table() const { return table_; }
  FieldLinkGridModel* GridModel() const { return model_; }
  QMenu* ContextMenu() const { return menu_; }
  // Sets the six widths of the table's column fractions from the grid's current width.
  void ApplyColumnFractions();

 signals:
  // A cell (table coordinates) is about to become the current cell.
  void CellSelecting(int column, int row);
  // The user double-clicked anywhere on the grid, after any cell under the mouse became current.
  void GridDoubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void UpdateHeaderHeight();

  FieldLinkTable& table_;
  FieldLinkGridModel* model_;
  QMenu* menu_;
};

}  // namespace qm
