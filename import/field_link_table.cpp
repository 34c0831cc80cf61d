#include "import/field_link_table.h"

#include <stdexcept>

#include "platform/codepage.h"

namespace qm {

FieldLinkTable::FieldLinkTable() : rows_(1) {}

void FieldLinkTable::SetRowCount(int count) {
  if (count < 1) count = 1;
  const int old = rowCount_;
  if (static_cast<std::size_t>(count) > rows_.size()) rows_.resize(static_cast<std::size_t>(count));
  rowCount_ = count;
  ++revision_;
  if (count == 1 && fixedRows_ == 1) {
    fixedRows_ = 0;
    if (observer_) observer_->FixedRowsChanged();
  }
  if (observer_ && old != count) observer_->RowCountChanged(old, count);
}

void FieldLinkTable::CheckColumn(int column) const {
  if (column < 0 || column >= kColumnCount) throw std::out_of_range("grid column out of range");
}

const std::string& FieldLinkTable::Cell(int column, int row) const {
  static const std::string kEmpty;
  CheckColumn(column);
  if (row < 0) throw std::out_of_range("grid row out of range");
  if (static_cast<std::size_t>(row) >= rows_.size()) return kEmpty;
  return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void FieldLinkTable::SetCell(int column, int row, std::string text) {
  CheckColumn(column);
  if (row < 0) throw std::out_of_range("grid row out of range");
  if (static_cast<std::size_t>(row) >= rows_.size()) rows_.resize(static_cast<std::size_t>(row) + 1);
  rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = std::move(text);
  ++revision_;
  if (observer_) observer_->CellChanged(column, row);
}

void FieldLinkTable::WriteHeader() {
  for (int c = 0; c < kColumnCount; ++c) SetCell(c, 0, HeaderTexts()[static_cast<std::size_t>(c)]);
}

void FieldLinkTable::FillOneToOne() {
  for (int r = 1; r < rowCount_; ++r) SetCell(kDbfField, r, Cell(kOraField, r));
}

void FieldLinkTable::SelectCell(int, int row) { selectedRow_ = row; }

std::array<int, FieldLinkTable::kColumnCount> FieldLinkTable::ColumnWidths(int gridWidth) {
  std::array<int, kColumnCount> widths{};
  for (std::size_t i = 0; i < widths.size(); ++i)
    widths[i] = static_cast<int>(gridWidth * kColumnFractions[i]);
  return widths;
}

std::string FieldLinkTable::Hint() {
  static constexpr auto kLexeme = Cp1251("L[номер] - выбрать лексему, разделитель пробел");
  static constexpr auto kDate = Cp1251("D - нормализовать дату к виду DD.MM.YYYY");
  return kLexeme.str() + '\r' + kDate.str();
}

const std::array<std::string, FieldLinkTable::kColumnCount>& FieldLinkTable::HeaderTexts() {
  static const std::array<std::string, kColumnCount> kHeader = {
      "ORA field", "ORA fType", "Proceed", "DBF field", "Process data", "Default value"};
  return kHeader;
}

}  // namespace qm
