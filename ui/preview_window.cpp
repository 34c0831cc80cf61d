#include "ui/preview_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "platform/codepage.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/standard_error_box.h"
#include "source/codepage_report.h"
#include "source/source_table.h"

namespace qm {
namespace {

const char* BlobWord(TFieldType type) {
  switch (type) {
    case ftMemo:
    case ftOraClob:
      return "Memo";
    case ftGraphic:
      return "Graphic";
    case ftBlob:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
      return "Blob";
    default:
      return nullptr;
  }
}

}  // namespace

std::string PreviewText(TFieldType type, const std::string& value) {
  const char* word = BlobWord(type);
  if (!word) return value;
  std::string shown = word;
  if (!value.empty()) shown = Cp1251Upper(shown);
  return "(" + shown + ")";
}

SourceTableModel::SourceTableModel(SourceTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), rows_(table.RecordCount()) {}

int SourceTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(rows_, 0);
}

int SourceTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.FieldCount();
}

QVariant SourceTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  QVariant shown;
  // A damaged value is reported and the grid goes on.
  RunHandler([&] {
    if (table_.RecNo() != index.row() + 1) table_.SetRecNo(index.row() + 1);
    const SourceField& field = table_.Field(index.column());
    shown = ToQString(PreviewText(field.DataType(), field.AsString()));
  });
  return shown;
}

QVariant SourceTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return QString();  // the record indicator column
  return ToQString(table_.Field(section).DisplayName());
}

TForm4::TForm4(SourceTable& table, QWidget* parent) : QDialog(parent), table_(table) {
  setObjectName(QStringLiteral("Form4"));
  setWindowTitle(ToQString(Cp1251("Просмотр DBF")));
  resize(862, 473);  // outer 870 x 500
  move(192, 114);     // a window's position is that of its frame
  dbGrid1_ = new QTableView(this);
  dbGrid1_->setObjectName(QStringLiteral("DBGrid1"));
  dbGrid1_->setModel(new SourceTableModel(table, dbGrid1_));
  dbGrid1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  dbGrid1_->verticalHeader()->setDefaultSectionSize(18);
  dbGrid1_->verticalHeader()->setFixedWidth(12);
  dbGrid1_->setSelectionBehavior(QAbstractItemView::SelectRows);
  // The grid opens on the table's current record.
  if (table.RecNo() >= 1)
    dbGrid1_->setCurrentIndex(dbGrid1_->model()->index(table.RecNo() - 1, 0));

  auto* panel1 = new QWidget(this);
  panel1->setObjectName(QStringLiteral("Panel1"));
  panel1->setFixedHeight(41);
  auto* panel2 = new QWidget(panel1);
  panel2->setObjectName(QStringLiteral("Panel2"));
  panel2->setFixedWidth(89);
  auto* button1 = new QPushButton(ToQString(Cp1251("Закрыть")), panel2);
  button1->setObjectName(QStringLiteral("Button1"));
  button1->setGeometry(6, 4, 75, 25);
  codePage1_ = new QComboBox(panel1);
  codePage1_->setObjectName(QStringLiteral("CodePage1"));
  codePage1_->addItem(QStringLiteral("as the file says"), QString());
  for (const char* name : kCandidateCodePages)
    codePage1_->addItem(QString::fromLatin1(name), QString::fromLatin1(name));
  codePageReason1_ = new QLabel(panel1);
  codePageReason1_->setObjectName(QStringLiteral("CodePageReason1"));
  auto* bottom = new QHBoxLayout(panel1);
  bottom->setContentsMargins(6, 0, 0, 0);
  bottom->addWidget(codePage1_);
  bottom->addWidget(codePageReason1_, 1);
  bottom->addWidget(panel2);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(dbGrid1_);
  layout->addWidget(panel1);
  connect(button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  ShowCodePage();
  connect(codePage1_, &QComboBox::activated, this, Guarded([this](int index) {
            ChangeCodePage(codePage1_->itemData(index).toString().toStdString());
          }));
}

void TForm4::ShowCodePage() {
  const CodePageChoice& choice = table_.CodePageInUse();
  codePageReason1_->setText(
      QString::fromStdString("code page " + choice.codePage + ": " + choice.reason));
  int index = 0;
  if (!table_.CodePage().empty()) {
    index = codePage1_->findData(QString::fromStdString(choice.codePage));
    if (index < 0) {
      codePage1_->addItem(QString::fromStdString(choice.codePage),
                          QString::fromStdString(choice.codePage));
      index = codePage1_->count() - 1;
    }
  }
  codePage1_->setCurrentIndex(index);
}

void TForm4::ChangeCodePage(const std::string& codePage) {
  QAbstractItemModel* old = dbGrid1_->model();
  table_.Close();
  table_.SetCodePage(codePage);
  try {
    table_.Open();
  } catch (...) {
    table_.SetCodePage("");
    table_.Open();
    dbGrid1_->setModel(new SourceTableModel(table_, dbGrid1_));
    delete old;
    ShowCodePage();
    throw;
  }
  dbGrid1_->setModel(new SourceTableModel(table_, dbGrid1_));
  delete old;
  ShowCodePage();
  if (OnCodePageChange) OnCodePageChange(codePage);
}

}  // namespace qm
