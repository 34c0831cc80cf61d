#include "ui/filename_edit.h"

#include <QLineEdit>
#include <QResizeEvent>
#include <QToolButton>
#include <filesystem>

#include "platform/dialogs.h"
#include "platform/qt/qt_text.h"

namespace qm {

FilenameEdit::FilenameEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), button_(new QToolButton(this)) {
  button_->setText(QStringLiteral("…"));
  button_->setFocusPolicy(Qt::NoFocus);
  setFocusProxy(edit_);
  connect(button_, &QToolButton::clicked, this, &FilenameEdit::Browse);
}

std::string FilenameEdit::Text() const { return FromQString(edit_->text()); }

void FilenameEdit::SetText(const std::string& text) { edit_->setText(ToQString(text)); }

void FilenameEdit::Browse() {
  FileDialogRequest request;
  request.title = "Browse";
  request.filter = "All files (*.*)|*.*";
  request.initialName = Text();
  const std::filesystem::path current(request.initialName);
  std::error_code ec;
  if (current.has_parent_path() && std::filesystem::is_directory(current.parent_path(), ec))
    request.initialDir = current.parent_path().string();
  const auto chosen = AppDialogs().OpenFile(request);
  std::string name = chosen ? *chosen : Text();
  bool accept = chosen.has_value();
  if (OnAfterDialog) OnAfterDialog(name, accept);
  if (chosen && accept) SetText(name);
}

void FilenameEdit::resizeEvent(QResizeEvent* event) {
  const int h = event->size().height();
  const int buttonWidth = h;
  edit_->setGeometry(0, 0, event->size().width(), h);
  edit_->setTextMargins(0, 0, buttonWidth, 0);
  button_->setGeometry(event->size().width() - buttonWidth - 1, 1, buttonWidth, h - 2);
}

}  // namespace qm
