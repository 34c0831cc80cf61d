#pragma once
// TForm4, the preview window: the source table's records in a read-only grid, one column per
// field titled with its display name and a record indicator column at the left. The grid reads
// a record only when it is painted, so a table of any size opens at once and uses little memory.
// Blob fields show a word in parentheses: «(MEMO)» when the value is not empty, «(Memo)» when it
// is; likewise Graphic and Blob.
//
// Beside the Close button, left of it, the window says which code page the text is read in and
// why (a box of code pages, "CodePage1", and a label, "CodePageReason1"); picking another one
// reopens the table in it at once and tells OnCodePageChange, so that the next import of the file
// reads it so too. The first entry, "as the file says", gives the choice back to the file.

#include <QAbstractTableModel>
#include <QDialog>
#include <functional>
#include <string>

#include "platform/field_type.h"

class QComboBox;
class QLabel;
class QTableView;

namespace qm {

class SourceTable;

// The display text of a field of kind `type` whose value as text is `value`.
std::string PreviewText(TFieldType type, const std::string& value);

class SourceTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // `table` must be open for as long as the model is shown.
  explicit SourceTableModel(SourceTable& table, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  SourceTable& table_;
  int rows_;
};

class TForm4 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm4(SourceTable& table, QWidget* parent = nullptr);

  QTableView* DBGrid1() const { return dbGrid1_; }
  QComboBox* CodePage1() const { return codePage1_; }
  QLabel* CodePageReason1() const { return codePageReason1_; }
  void Button1Click() { close(); }
  // Reopens the table in `codePage` (empty: as the file says) and shows it; throws what the open
  // throws, and then shows the table as the file says.
  void ChangeCodePage(const std::string& codePage);

  // Told the code page the user picked (empty for "as the file says").
  std::function<void(const std::string&)> OnCodePageChange;

 private:
  void ShowCodePage();

  SourceTable& table_;
  QTableView* dbGrid1_;
  QComboBox* codePage1_;
  QLabel* codePageReason1_;
};

}  // namespace qm
