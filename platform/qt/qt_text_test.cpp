#include "platform/qt/qt_text.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/qt/qt_dialogs.h"

namespace qm {
namespace {

TEST(QtText, ConvertsBothWays) {
  const std::string text = Cp1251("Помоги развитию");
  EXPECT_EQ(ToQString(text), QString::fromUtf8("Помоги развитию"));
  EXPECT_EQ(FromQString(ToQString(text)), text);
  EXPECT_EQ(FromQString(QString::fromUtf8("a\u4E2D")), "a?");
}

TEST(QtText, FiltersBecomeQtFilters) {
  EXPECT_EQ(QtFilter("All files (*.*)|*.*"), "All files (*.*)");
  EXPECT_EQ(QtFilter("Ini (*.ini)|*.ini|Text|*.txt;*.log"), "Ini (*.ini);;Text (*.txt *.log)");
}

}  // namespace
}  // namespace qm
