#include "ui/fit_text.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>

namespace qm {
namespace {
constexpr int kTightestSpacingPercent = 90;

int TextWidth(const QFont& font, const QString& text) {
  return QFontMetrics(font).horizontalAdvance(text);
}
}  // namespace

bool FitTextToWidth(QLabel& label) {
  const int room = label.contentsRect().width();
  QFont font = label.font();
  for (int percent = 100; TextWidth(font, label.text()) > room; --percent) {
    if (percent <= kTightestSpacingPercent) return false;
    font.setLetterSpacing(QFont::PercentageSpacing, percent - 1);
    label.setFont(font);
  }
  return true;
}

}  // namespace qm
