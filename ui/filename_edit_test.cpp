#include "ui/filename_edit.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/scripted_dialogs.h"

namespace qm {
namespace {

TEST(FilenameEdit, OkSetsTheChosenPathAndReportsIt) {
  ScriptedDialogs dialogs;
  const std::string dir = std::filesystem::temp_directory_path().string();
  FilenameEdit box;
  box.SetText(dir + "/old name.dbf");
  std::string reported;
  box.OnAfterDialog = [&](std::string& name, bool&) { reported = name; };
  dialogs.fileAnswers.push_back("/data/My Data/people.dbf");
  box.Browse();
  ASSERT_EQ(dialogs.openRequests.size(), 1u);
  EXPECT_EQ(dialogs.openRequests[0].title, "Browse");
  EXPECT_EQ(dialogs.openRequests[0].filter, "All files (*.*)|*.*");
  EXPECT_EQ(dialogs.openRequests[0].initialName, dir + "/old name.dbf");
  EXPECT_EQ(dialogs.openRequests[0].initialDir, dir);
  EXPECT_EQ(reported, "/data/My Data/people.dbf");
  EXPECT_EQ(box.Text(), "/data/My Data/people.dbf");
}

TEST(FilenameEdit, CancelReportsTheCurrentTextAndKeepsIt) {
  ScriptedDialogs dialogs;
  FilenameEdit box;
  box.SetText("typed.dbf");
  std::string reported;
  box.OnAfterDialog = [&](std::string& name, bool&) { reported = name; };
  box.Browse();
  EXPECT_EQ(dialogs.openRequests.at(0).initialDir, "");
  EXPECT_EQ(reported, "typed.dbf");
  EXPECT_EQ(box.Text(), "typed.dbf");
}

}  // namespace
}  // namespace qm
