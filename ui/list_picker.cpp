#include "ui/list_picker.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QVBoxLayout>

#include "platform/codepage.h"
#include "platform/qt/qt_text.h"

namespace qm {

TForm3::TForm3(QWidget* parent) : QDialog(parent), listBox1_(new QListWidget(this)) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(ToQString(Cp1251("Список")));
  resize(222, 359);  // outer 230 x 386
  listBox1_->setObjectName(QStringLiteral("ListBox1"));
  listBox1_->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(listBox1_);
  connect(listBox1_, &QListWidget::itemDoubleClicked, this, [this] { ListBox1DblClick(); });
}

void TForm3::SetItems(const std::vector<std::string>& items) {
  listBox1_->clear();
  for (const std::string& item : items) listBox1_->addItem(ToQString(item));
}

void TForm3::ListBox1DblClick() {
  pickResult_ = listBox1_->currentRow();
  close();
}

void TForm3::keyPressEvent(QKeyEvent* event) {
  // A dialog would take Enter and Escape as accept and reject; here they do nothing.
  if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
      event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

int PickFromList(const std::vector<std::string>& items) {
  TForm3 picker;
  picker.SetItems(items);
  picker.exec();
  return picker.PickResult();
}

}  // namespace qm
