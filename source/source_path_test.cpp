#include "source/source_path.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(SourcePath, SplitsFolderAndName) {
  const struct {
    const char* path;
    const char* folder;
    const char* name;
  } cases[] = {
      {"C:\\data\\x.dbf", "C:\\data", "x.dbf"},
      {"C:\\x.dbf", "C:\\", "x.dbf"},
      {"x.dbf", "", "x.dbf"},
      {"/home/u/My Data/people.dbf", "/home/u/My Data", "people.dbf"},
      {"C:\\My Data\\people.dbf", "C:\\My Data", "people.dbf"},
      {"/people.dbf", "/", "people.dbf"},  // the root keeps its separator
      {"\\\\server\\share\\x.dbf", "\\\\server\\share", "x.dbf"},
      {"C:x.dbf", "C", "x.dbf"},  // the colon itself is dropped
      {"C:\\data\\", "C:\\data", ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    const SourcePath split = SplitSourcePath(c.path);
    EXPECT_EQ(split.folder, c.folder) << c.path;
    EXPECT_EQ(split.name, c.name) << c.path;
  }
}

}  // namespace
}  // namespace qm
