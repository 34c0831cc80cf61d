#include "platform/file_write.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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

TEST(ReplaceFileContent, ReplacesTheWholeFileAndKeepsItsMode) {
  const testing::ScratchFolder dir;
  const std::string path = dir.PathOf("a.log");
  ReplaceFileContent(path, "first\r\nsecond\r\n", 0600);
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ReplaceFileContent(path, "x");
  EXPECT_EQ(ReadAll(path), "x");
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(ReplaceFileContent, AFailureNamesTheFileAndTheReason) {
  try {
    ReplaceFileContent("/nonexistent-dir/x.log", "x");
    FAIL() << "no error";
  } catch (const FileWriteError& e) {
    EXPECT_EQ(e.Path(), "/nonexistent-dir/x.log");
    EXPECT_EQ(e.Reason(), "No such file or directory");
  }
}

TEST(ReplaceFileContent, ADiskFillingUpPartWayLeavesThePreviousFileWhole) {
  const testing::ScratchFolder dir;
  const std::string path = dir.PathOf("a.log");
  ReplaceFileContent(path, "previous content\r\n");
  try {
    testing::FileSizeLimit limit(4096);
    ReplaceFileContent(path, std::string(64 * 1024, 'x'));
    ADD_FAILURE() << "the write went past the limit";
  } catch (const FileWriteError& e) {
    EXPECT_EQ(e.Reason(), "File too large");
  }
  EXPECT_EQ(ReadAll(path), "previous content\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

}  // namespace
}  // namespace qm
