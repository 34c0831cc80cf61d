#include "platform/qt/standard_error_box.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <stdexcept>

#include "platform/codepage.h"
#include "platform/scripted_dialogs.h"

namespace qm {
namespace {

TEST(StandardErrorBox, AddsAFullStopOnlyAfterCharactersThatSortAfterIt) {
  const struct {
    std::string message, shown;
  } cases[] = {
      {"Not logged on", "Not logged on."},
      {"Done.", "Done."},
      {"Oops!", "Oops!"},            // '!' sorts before '.'
      {"(a)", "(a)"},                // so does ')'
      {"ORA-00942: x 1", "ORA-00942: x 1."},
      {Cp1251("ошибка"), Cp1251("ошибка.")},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(StandardErrorBoxText(c.message), c.shown) << c.message;
}

TEST(StandardErrorBox, AnEscapingErrorIsShownAndTheProgramGoesOn) {
  ScriptedDialogs dialogs;
  bool after = false;
  RunHandler([] { throw std::runtime_error("dbf: Missing TableName property"); });
  after = true;
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "dbf: Missing TableName property.");
  EXPECT_EQ(dialogs.messages[0].caption, QCoreApplication::applicationName().toStdString());
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Stop);
  EXPECT_EQ(dialogs.messages[0].buttons, static_cast<unsigned>(kButtonOk));
  EXPECT_TRUE(after);
}

}  // namespace
}  // namespace qm
