#include "ui/url_label.h"

#include <gtest/gtest.h>

#include <QTest>

namespace qm {
namespace {

TEST(UrlLabel, OpensItsAddressOrElseItsCaptionAndTurnsPurple) {
  UrlLabel label("http://caption.example/");
  QStringList opened;
  label.SetOpener([&](const QString& a) {
    opened << a;
    return true;
  });
  label.Open();
  label.SetAddress("   ");
  label.Open();
  label.SetAddress("http://address.example/");
  label.Open();
  EXPECT_EQ(opened, (QStringList{"http://caption.example/", "http://caption.example/",
                                 "http://address.example/"}));
  EXPECT_EQ(label.ShownColor(), UrlLabel::kVisitedColor);
  EXPECT_TRUE(label.font().underline());
  EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
}

TEST(UrlLabel, AFailedOpenChangesNothing) {
  UrlLabel label("x");
  const QColor before = label.ShownColor();
  label.SetOpener([](const QString&) { return false; });
  label.Open();
  EXPECT_EQ(label.ShownColor(), before);
}

TEST(UrlLabel, BlinksBetweenItsFontColourAndBlue) {
  UrlLabel label("x");
  label.SetBlinking(true);
  const QColor font = label.FontColor();
  QTest::qWait(UrlLabel::kBlinkIntervalMs + 150);
  EXPECT_EQ(label.ShownColor(), UrlLabel::kBlinkColor);
  QTest::qWait(UrlLabel::kBlinkIntervalMs);
  EXPECT_EQ(label.ShownColor(), font);
}

}  // namespace
}  // namespace qm
