#include "ui/list_picker.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <QTimer>

namespace qm {
namespace {

// Runs `act` on the picker once it is shown modally.
void WhenShown(std::function<void(TForm3&)> act) {
  QTimer::singleShot(0, [act] {
    auto* picker = qobject_cast<TForm3*>(QApplication::activeModalWidget());
    ASSERT_NE(picker, nullptr);
    act(*picker);
  });
}

TEST(ListPicker, ADoubleClickOnTheSecondItemPicksIndexOne) {
  WhenShown([](TForm3& picker) {
    QListWidget* list = picker.ListBox1();
    const QRect second = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
  });
  EXPECT_EQ(PickFromList({"ID", "NAME", "BORN"}), 1);
}

TEST(ListPicker, EnterAndEscapeDoNothingAndClosingPicksNothing) {
  WhenShown([](TForm3& picker) {
    picker.ListBox1()->setCurrentRow(2);
    QTest::keyClick(&picker, Qt::Key_Return);
    QTest::keyClick(&picker, Qt::Key_Escape);
    EXPECT_TRUE(picker.isVisible());
    picker.close();
  });
  EXPECT_EQ(PickFromList({"ID", "NAME", "BORN"}), -1);
}

TEST(ListPicker, AnEmptyListPicksNothing) {
  WhenShown([](TForm3& picker) {
    QTest::mouseDClick(picker.ListBox1()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    picker.close();
  });
  EXPECT_EQ(PickFromList({}), -1);
}

}  // namespace
}  // namespace qm
