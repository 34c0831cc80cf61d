#include "ui/fit_text.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>

namespace qm {
namespace {

TEST(FitTextToWidth, TightensOnlyWhatDoesNotFitAndOnlySoFar) {
  const QString text = QString::fromUtf8("Обновления доступны по адресу");
  const int natural = QFontMetrics(QLabel().font()).horizontalAdvance(text);
  const struct {
    int width;
    bool fits;
    bool tightened;
  } cases[] = {
      {natural + 10, true, false},
      {natural, true, false},
      {natural * 96 / 100, true, true},
      {natural * 80 / 100, false, true},  // beyond the tightest spacing
  };
  for (const auto& c : cases) {
    QLabel label(text);
    label.resize(c.width, 13);
    EXPECT_EQ(FitTextToWidth(label), c.fits) << c.width;
    const int drawn = QFontMetrics(label.font()).horizontalAdvance(text);
    EXPECT_EQ(drawn < natural, c.tightened) << c.width;
    if (c.fits) {
      EXPECT_LE(drawn, c.width) << c.width;
    }
  }
}

}  // namespace
}  // namespace qm
