#include "platform/version_record.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(VersionRecord, ReadsTheFileVersionOfALinkedRecord) {
  EXPECT_EQ(GetFileVersionString(VERSIONED_PROBE), "1.0.0.1");
  const auto info = VersionInfo::FromFile(VERSIONED_PROBE);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->Query("\\StringFileInfo\\041904E3\\ProductVersion"), std::string_view("1.0.0.0", 8));
  EXPECT_EQ(info->Query("\\VarFileInfo\\Translation"), std::string_view("\x19\x04\xE3\x04", 4));
}

TEST(VersionRecord, EmptyTextWithoutARecord) {
  EXPECT_EQ(GetFileVersionString(UNVERSIONED_PROBE), "");
  EXPECT_EQ(GetFileVersionString("/nonexistent/file"), "");
  EXPECT_EQ(GetFileVersionString("/etc/hostname"), "");
}

TEST(VersionRecord, DamagedRecordsAreRejectedOrReadAsFarAsSound) {
  EXPECT_FALSE(VersionInfo::FromRecord("QMVR"));
  EXPECT_FALSE(VersionInfo::FromRecord(std::string("QMVR\xFF\x00\x00\x00", 8)));
  // A key whose length runs past the end is not found, and nothing is read out of bounds.
  const auto info = VersionInfo::FromRecord(std::string("QMVR\x0C\x00\x00\x00\xFF\x00" "ab", 12));
  ASSERT_TRUE(info);
  EXPECT_FALSE(info->Query("ab"));
}

}  // namespace
}  // namespace qm
