#pragma once
// The field-link table: for every column of the target table, whether and how the import fills
// it. Row 0 is the header; rows 1..RowCount()-1 are the links, six text cells each (code page
// 1251). The grid on the main window is a view over this model, which is the one copy of the
// links.
//
// Changing the row count clears nothing: cells of rows that drop off the end keep their texts and
// show again when the row count grows back. Row 0 is a fixed (read-only) header while the table
// has other rows; once the row count is set to 1 it becomes an ordinary row for good, as a string
// grid cannot keep a fixed row without a scrolling one.

#include <array>
#include <string>
#include <vector>

namespace qm {

class FieldLinkTable {
 public:
  static constexpr int kColumnCount = 6;
  enum Column {
    kOraField = 0,      // target column name, put unquoted into the SQL
    kOraFieldType = 1,  // shown, saved and loaded only
    kProceed = 2,       // "1": the column takes part
    kDbfField = 3,      // source field name
    kProcessData = 4,   // conversion code
    kDefaultValue = 5,  // constant value, wins over kDbfField
  };
  static constexpr std::array<double, kColumnCount> kColumnFractions = {0.15, 0.1,  0.05,
                                                                        0.15, 0.15, 0.4};

  // Told of every change, so that a view can repaint. Not owned.
  class Observer {
   public:
    virtual ~Observer() = default;
    virtual void CellChanged(int column, int row) = 0;
    virtual void RowCountChanged(int oldCount, int newCount) = 0;
    virtual void FixedRowsChanged() = 0;
  };

  FieldLinkTable();

  int RowCount() const { return rowCount_; }
  // Counts below 1 are taken as 1.
  void SetRowCount(int count);
  // 1 while row 0 is the header, 0 after the row count was once set to 1.
  int FixedRows() const { return fixedRows_; }

  // The text of a cell; the empty text for a cell never written. Rows past RowCount() read the
  // text they kept. Throws std::out_of_range for a column outside 0..5 or a negative row.
  const std::string& Cell(int column, int row) const;
  void SetCell(int column, int row, std::string text);
  // Counts the changes of cells and of the row count: equal numbers mean equal texts, so that a
  // reader may keep what it worked out from them.
  unsigned long long Revision() const { return revision_; }

  // Writes the header texts into row 0.
  void WriteHeader();
  // Copies column 0 into column 3 for every link row, empty texts included.
  void FillOneToOne();

  // The row the field pick writes to: 0 until a cell is selected.
  int SelectedRow() const { return selectedRow_; }
  void SelectCell(int column, int row);

  void SetObserver(Observer* observer) { observer_ = observer; }

  // Trunc(gridWidth * fraction) for each column.
  static std::array<int, kColumnCount> ColumnWidths(int gridWidth);
  // The grid's hint: two lines separated by a single CR.
  static std::string Hint();
  static const std::array<std::string, kColumnCount>& HeaderTexts();

 private:
  void CheckColumn(int column) const;

  std::vector<std::array<std::string, kColumnCount>> rows_;  // grows, never shrinks
  int rowCount_ = 1;
  int fixedRows_ = 1;
  int selectedRow_ = 0;
  unsigned long long revision_ = 0;
  Observer* observer_ = nullptr;
};

}  // namespace qm
