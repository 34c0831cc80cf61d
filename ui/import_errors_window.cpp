#include "ui/import_errors_window.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QVBoxLayout>
#include <stdexcept>

#include "platform/codepage.h"
#include "platform/file_write.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/standard_error_box.h"

namespace qm {
namespace {
constexpr int kPanelHeight = 38;
}

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(ToQString(Cp1251("Ошибки импорта")));
  resize(688, 453);  // outer 696 x 480
  move(192, 114);     // a window's position is that of its frame

  memo1_ = new QPlainTextEdit(this);
  memo1_->setObjectName(QStringLiteral("Memo1"));
  memo1_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Thousands of failed records must be reachable: the scroll bar shows when the text is longer.
  memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

  auto* panel1 = new QWidget(this);
  panel1->setObjectName(QStringLiteral("Panel1"));
  panel1->setFixedHeight(kPanelHeight);
  button1_ = new QPushButton(QStringLiteral("Close"), panel1);
  button1_->setObjectName(QStringLiteral("Button1"));
  button1_->setGeometry(4, 6, 75, 25);
  button2_ = new QPushButton(QStringLiteral("Save"), panel1);
  button2_->setObjectName(QStringLiteral("Button2"));
  button2_->setGeometry(86, 6, 75, 25);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(memo1_);
  layout->addWidget(panel1);

  sd_.filter = Cp1251("LOG|*.log|Все файлы|*.*");
  sd_.defaultExt = "log";
  sd_.initialName = kDefaultLogName;

  rejectedDialog_.title = "Save rejected records";
  rejectedDialog_.filter = Cp1251("dBASE|*.dbf|Все файлы|*.*");
  rejectedDialog_.defaultExt = "dbf";
  rejectedDialog_.initialName = "rejected.dbf";
  memo1_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(memo1_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    QMenu* menu = ContextMenu();
    menu->exec(memo1_->mapToGlobal(pos));
    delete menu;
  });

  connect(button1_, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(button2_, &QPushButton::clicked, this, Guarded([this](bool) { Button2Click(); }));
}

void TForm2::AppendLine(const std::string& text) { AppendLine(text, std::string()); }

void TForm2::AppendLine(const std::string& text, const std::string& reason) {
  QString line = ToQString(text);
  line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  // The reason travels with the characters of the entry, so it stays with them when the user
  // edits the text around them.
  QTextCharFormat format;
  QString why = ToQString(reason);
  while (why.endsWith(u'\n') || why.endsWith(u'\r')) why.chop(1);  // a server message's own end
  if (!why.isEmpty()) format.setToolTip(why);
  QTextCursor cursor(memo1_->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(line, format);
  cursor.insertText(QStringLiteral("\n"), QTextCharFormat());
}

std::string TForm2::Text() const {
  QString text = memo1_->toPlainText();
  text.replace(u'\n', QStringLiteral("\r\n"));
  return FromQString(text);
}

void TForm2::ShowErrors() {
  setAttribute(Qt::WA_ShowWithoutActivating);
  show();
}

void TForm2::Button1Click() { close(); }

void TForm2::Button2Click() {
  const auto name = AppDialogs().SaveFile(sd_);
  if (!name) return;
  sd_.initialName = *name;
  try {
    ReplaceFileContent(*name, Text());
  } catch (const FileWriteError& e) {
    throw std::runtime_error("Cannot create file \"" + *name + "\". " + e.Reason());
  }
}

void TForm2::SetRejectedRecords(std::size_t count, std::function<void(const std::string&)> save) {
  rejectedCount_ = count;
  saveRejected_ = std::move(save);
}

QMenu* TForm2::ContextMenu() {
  QMenu* menu = memo1_->createStandardContextMenu();
  menu->addSeparator();
  QAction* save = menu->addAction(QString::fromUtf8("Save rejected records…"));
  save->setObjectName(QStringLiteral("SaveRejected"));
  save->setEnabled(rejectedCount_ > 0 && saveRejected_);
  connect(save, &QAction::triggered, this, Guarded([this](bool) { SaveRejectedClick(); }));
  return menu;
}

void TForm2::SaveRejectedClick() {
  if (rejectedCount_ == 0 || !saveRejected_) return;
  const auto name = AppDialogs().SaveFile(rejectedDialog_);
  if (!name) return;
  rejectedDialog_.initialName = *name;
  saveRejected_(*name);
}

}  // namespace qm
