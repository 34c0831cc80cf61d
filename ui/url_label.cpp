#include "ui/url_label.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPalette>
#include <QUrl>

namespace qm {

UrlLabel::UrlLabel(const QString& caption, QWidget* parent)
    : QLabel(caption, parent),
      opener_([](const QString& address) {
        return QDesktopServices::openUrl(QUrl::fromUserInput(address));
      }),
      fontColor_(palette().color(QPalette::Highlight)) {
  QFont f = font();
  f.setUnderline(true);
  setFont(f);
  setCursor(Qt::PointingHandCursor);
  ShowColor(fontColor_);
  blinkTimer_.setInterval(kBlinkIntervalMs);
  connect(&blinkTimer_, &QTimer::timeout, this, &UrlLabel::Blink);
}

QString UrlLabel::Target() const {
  return address_.trimmed().isEmpty() ? text() : address_;
}

void UrlLabel::SetBlinking(bool on) {
  if (on)
    blinkTimer_.start();
  else
    blinkTimer_.stop();
}

void UrlLabel::Open() {
  if (!opener_(Target())) return;  // the desktop's failure shows nothing
  fontColor_ = kVisitedColor;
  ShowColor(fontColor_);
}

void UrlLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Open();
  QLabel::mouseReleaseEvent(event);
}

void UrlLabel::ShowColor(const QColor& color) {
  shownColor_ = color;
  QPalette p = palette();
  p.setColor(QPalette::WindowText, color);
  setPalette(p);
}

void UrlLabel::Blink() { ShowColor(shownColor_ == fontColor_ ? kBlinkColor : fontColor_); }

}  // namespace qm
