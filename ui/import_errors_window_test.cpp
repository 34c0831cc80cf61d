#include "ui/import_errors_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/codepage.h"
#include "platform/scripted_dialogs.h"
#include "platform/testing/file_size_limit.h"

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
  const std::string path = (std::filesystem::temp_directory_path() / "qm_err_test.log").string();
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
  std::filesystem::remove(path);
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
  const std::string path = (std::filesystem::temp_directory_path() / "qm_err_full.log").string();
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
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace qm
