#include "ui/import_errors_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolTip>
#include <fstream>
#include <sstream>

#include "platform/codepage.h"
#include "platform/scripted_dialogs.h"
#include "platform/testing/file_size_limit.h"
#include "platform/testing/scratch_folder.h"

namespace qm {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ImportErrorsWindow, CollectsEntriesOfEveryRunAndSavesThemUnchanged) {
  ScriptedDialogs dialogs;
  const testing::ScratchFolder scratch;
  const std::string path = scratch.PathOf("qm_err_test.log");
  TForm2 form;
  EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Ошибки импорта"));
  form.AppendLine("/2/insert into T (A) values ('x')\r\n");
  dialogs.fileAnswers.push_back(path);
  form.Button2Click();
  EXPECT_EQ(ReadAll(path), "/2/insert into T (A) values ('x')\r\n\r\n");
  ASSERT_EQ(dialogs.saveRequests.size(), 1u);
  EXPECT_EQ(dialogs.saveRequests[0].initialName, "Quillmove_err.log");
  EXPECT_EQ(dialogs.saveRequests[0].defaultExt, "log");
  EXPECT_EQ(dialogs.saveRequests[0].filter, Cp1251("LOG|*.log|Все файлы|*.*").str());

  form.AppendLine(Cp1251("/1/второй прогон"));
  dialogs.fileAnswers.push_back(path);
  form.Button2Click();
  EXPECT_EQ(dialogs.saveRequests[1].initialName, path);
  EXPECT_EQ(ReadAll(path), "/2/insert into T (A) values ('x')\r\n\r\n" +
                               Cp1251("/1/второй прогон").str() + "\r\n");
}

// The tool tip (UTF-8) shown when the pointer rests at `pos` of the text area's viewport; empty
// when none shows.
std::string ToolTipAt(TForm2& form, const QPoint& pos) {
  // A tool tip fades out after a while; the next one is asked for once the last has gone.
  QToolTip::hideText();
  QElapsedTimer waited;
  waited.start();
  while (QToolTip::isVisible() && waited.elapsed() < 5000)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  QWidget* viewport = form.Memo1()->viewport();
  QHelpEvent event(QEvent::ToolTip, pos, viewport->mapToGlobal(pos));
  QApplication::sendEvent(viewport, &event);
  return QToolTip::isVisible() ? QToolTip::text().toStdString() : std::string();
}

// The viewport point in the middle of the first character of line `line` (0-based).
QPoint LineAt(TForm2& form, int line) {
  QTextCursor cursor(form.Memo1()->document()->findBlockByNumber(line));
  const QRect r = form.Memo1()->cursorRect(cursor);
  return {r.left() + 3, r.center().y()};
}

TEST(ImportErrorsWindow, AnEntryShowsItsReasonWhenHoveredAndKeepsItsText) {
  TForm2 form;
  form.AppendLine("/1/insert into T(A) values ('x')\r\n", "ORA-01722: invalid number\n");
  form.AppendLine("create table T (A VarChar(0))");
  form.AppendLine("/3/insert into T(A) values ('y')\r\n",
                  Cp1251("ORA-12899: слишком большое значение"));
  form.ShowErrors();
  EXPECT_EQ(form.Text(),
            "/1/insert into T(A) values ('x')\r\n\r\ncreate table T (A VarChar(0))\r\n"
            "/3/insert into T(A) values ('y')\r\n\r\n");
  EXPECT_EQ(ToolTipAt(form, LineAt(form, 0)), "ORA-01722: invalid number");
  EXPECT_EQ(ToolTipAt(form, LineAt(form, 2)), "");  // appended without a reason
  EXPECT_EQ(ToolTipAt(form, LineAt(form, 3)), "ORA-12899: слишком большое значение");
}

TEST(ImportErrorsWindow, ALogLongerThanTheWindowGetsAVerticalScrollBar) {
  TForm2 form;
  form.AppendLine("/1/insert into T(A) values ('x')\r\n");
  form.ShowErrors();
  QApplication::processEvents();
  EXPECT_FALSE(form.Memo1()->verticalScrollBar()->isVisible());
  for (int i = 2; i <= 200; ++i)
    form.AppendLine("/" + std::to_string(i) + "/insert into T(A) values ('x')\r\n");
  QApplication::processEvents();
  EXPECT_TRUE(form.Memo1()->verticalScrollBar()->isVisible());
  EXPECT_GT(form.Memo1()->verticalScrollBar()->maximum(), 0);
  EXPECT_FALSE(form.Memo1()->horizontalScrollBar()->isVisible());  // long lines still wrap
}

TEST(ImportErrorsWindow, CloseHidesAndKeepsTheText) {
  TForm2 form;
  form.ShowErrors();
  form.AppendLine("a");
  form.Button1Click();
  EXPECT_FALSE(form.isVisible());
  form.AppendLine("b");
  form.ShowErrors();
  EXPECT_EQ(form.Text(), "a\r\nb\r\n");
}

TEST(ImportErrorsWindow, AFileThatCannotBeCreatedIsReportedAndTheTextStays) {
  ScriptedDialogs dialogs;
  TForm2 form;
  form.AppendLine("entry");
  dialogs.fileAnswers.push_back("/nonexistent-dir/x.log");
  try {
    form.Button2Click();
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(),
                 "Cannot create file \"/nonexistent-dir/x.log\". No such file or directory");
  }
  EXPECT_EQ(form.Text(), "entry\r\n");
}

TEST(ImportErrorsWindow, ADiskFillingUpKeepsThePreviousLogAndTheText) {
  ScriptedDialogs dialogs;
  const testing::ScratchFolder scratch;
  const std::string path = scratch.PathOf("qm_err_full.log");
  TForm2 form;
  form.AppendLine("first");
  dialogs.fileAnswers = {path, path};
  form.Button2Click();
  form.AppendLine(std::string(64 * 1024, 'x'));
  try {
    testing::FileSizeLimit limit(4096);
    form.Button2Click();
    ADD_FAILURE() << "the save went past the limit";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + path + "\". File too large");
  }
  EXPECT_EQ(ReadAll(path), "first\r\n");
  EXPECT_EQ(form.Text().size(), 7u + 64 * 1024 + 2);
}

// The context menu offers the last run's rejected records, when there are any, to be saved under a
// name the save dialog asks for.
TEST(ImportErrorsWindow, SaveRejectedRecordsOfTheContextMenu) {
  ScriptedDialogs dialogs;
  TForm2 form;
  auto entry = [&form] {
    std::unique_ptr<QMenu> menu(form.ContextMenu());
    QAction* action = menu->findChild<QAction*>(QStringLiteral("SaveRejected"));
    return action ? std::make_pair(action->text().toStdString(), action->isEnabled())
                  : std::make_pair(std::string(), false);
  };
  EXPECT_EQ(entry(), std::make_pair(std::string("Save rejected records…"), false));

  std::vector<std::string> saved;
  form.SetRejectedRecords(2, [&](const std::string& path) { saved.push_back(path); });
  EXPECT_EQ(entry(), std::make_pair(std::string("Save rejected records…"), true));
  dialogs.fileAnswers.push_back("/d/bad.dbf");
  form.SaveRejectedClick();
  dialogs.fileAnswers.push_back(std::nullopt);  // cancelled: nothing written
  form.SaveRejectedClick();
  EXPECT_EQ(saved, std::vector<std::string>{"/d/bad.dbf"});
  ASSERT_EQ(dialogs.saveRequests.size(), 2u);
  EXPECT_EQ(dialogs.saveRequests[0].defaultExt, "dbf");
  EXPECT_EQ(dialogs.saveRequests[0].initialName, "rejected.dbf");
  EXPECT_EQ(dialogs.saveRequests[1].initialName, "/d/bad.dbf");

  form.SetRejectedRecords(0, {});
  EXPECT_EQ(entry(), std::make_pair(std::string("Save rejected records…"), false));
}

}  // namespace
}  // namespace qm
