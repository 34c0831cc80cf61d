#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/testing/scratch_folder.h"

namespace qm {
namespace {

TEST(LocalFileSystemTest, ListsOnlyFilesSortedAndReadsAndChangesDirectory) {
  const testing::ScratchFolder scratch;
  const std::string dir = scratch.Path();
  std::ofstream(dir + "/b.txt") << "bee";
  std::ofstream(dir + "/a.txt") << "ay";
  std::filesystem::create_directory(dir + "/sub");

  LocalFileSystem fs;
  EXPECT_EQ(fs.ListFiles(dir), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_TRUE(fs.ListFiles(dir + "/missing").empty());
  EXPECT_EQ(fs.ReadFile(dir + "/b.txt"), "bee");
  EXPECT_FALSE(fs.ReadFile(dir + "/sub"));
  EXPECT_FALSE(fs.ReadFile(dir + "/missing"));
  EXPECT_TRUE(fs.FileExists(dir + "/a.txt"));
  EXPECT_FALSE(fs.FileExists(dir + "/sub"));
  EXPECT_TRUE(fs.DirectoryExists(dir + "/sub"));
  EXPECT_EQ(fs.CanonicalPath(dir + "/sub/../a.txt"), fs.CanonicalPath(dir + "/a.txt"));

  const std::string before = fs.CurrentDirectory();
  ASSERT_TRUE(fs.SetCurrentDirectory(dir + "/sub"));
  EXPECT_EQ(fs.CurrentDirectory(), fs.CanonicalPath(dir + "/sub"));
  EXPECT_FALSE(fs.SetCurrentDirectory(dir + "/missing"));
  ASSERT_TRUE(fs.SetCurrentDirectory(before));
}

}  // namespace
}  // namespace qm
