#include "ui/browse_edit.h"

#include <QLineEdit>
#include <QResizeEvent>
#include <QToolButton>

#include "platform/qt/qt_text.h"

namespace qm {

BrowseEdit::BrowseEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), button_(new QToolButton(this)) {
  button_->setText(QStringLiteral("…"));
  button_->setFocusPolicy(Qt::NoFocus);
  setFocusProxy(edit_);
  connect(button_, &QToolButton::clicked, this, [this] { Browse(); });
}

std::string BrowseEdit::Text() const { return FromQString(edit_->text()); }

void BrowseEdit::SetText(const std::string& text) { edit_->setText(ToQString(text)); }

void BrowseEdit::resizeEvent(QResizeEvent* event) {
  // The button sits inside the box's right end, as tall as the box.
  const int w = event->size().width(), h = event->size().height();
  edit_->setGeometry(0, 0, w, h);
  edit_->setTextMargins(0, 0, h, 0);
  button_->setGeometry(w - h - 1, 1, h, h - 2);
}

}  // namespace qm
