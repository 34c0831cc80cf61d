#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/testing/error_text.h"
#include "platform/testing/scratch_folder.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

class IniFileTest : public ::testing::Test {
 protected:
  // A test makes the folder read-only; it is made writable again so that it can be removed.
  void TearDown() override { fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add); }

  void Put(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string Get() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string WriteError(const std::string& file) {
    return testing::ErrorText<std::runtime_error>([&] { WriteSetting(file, "Rows", "Row1", "x"); });
  }

  const testing::ScratchFolder scratch_;
  const fs::path dir_ = scratch_.Path();
  const std::string path_ = scratch_.PathOf("links.ini");
};

using Lines = std::vector<std::string>;

TEST_F(IniFileTest, WritesCreateReplaceInPlaceAndAppend) {
  WriteSetting(path_, "Rows", "Row1", "ID,NUMBER,1,KOD,,");
  EXPECT_EQ(Get(), "[Rows]\r\nRow1=ID,NUMBER,1,KOD,,\r\n");
  WriteSetting(path_, "Rows", "Row2", "b");
  WriteSetting(path_, "Other", "k", "v");
  WriteSetting(path_, "Rows", "Row3", "c");    // goes to the end of its own section
  WriteSetting(path_, "rows", "ROW1", "new");  // names without regard to case; spelling kept
  EXPECT_EQ(Get(), "[Rows]\r\nRow1=new\r\nRow2=b\r\nRow3=c\r\n[Other]\r\nk=v\r\n");
  EXPECT_EQ(ReadSettingsSection(path_, "ROWS"), (Lines{"Row1=new", "Row2=b", "Row3=c"}));
}

TEST_F(IniFileTest, WritesLeaveOtherLinesAsTheyWere) {
  Put("; links\n[Rows]\nRow1 = old \n\n;tail\n\n[Next]\nx=1");
  WriteSetting(path_, "Rows", "Row1", "a");
  WriteSetting(path_, "Rows", "Row2", "b");
  WriteSetting(path_, "Next", "y", "2");
  WriteSetting(path_, "New", "z", "3");
  EXPECT_EQ(Get(),
            "; links\n[Rows]\nRow1=a\r\n\n;tail\nRow2=b\r\n\n[Next]\nx=1\r\ny=2\r\n"
            "[New]\r\nz=3\r\n");
}

TEST_F(IniFileTest, ReadTrimsAndStripsOneEnclosingPairOfQuotes) {
  Put("[Rows]\r\n"
      "  K1  =  a b  \r\n"
      "K2=\"a,b\"\r\n"
      "K3=' x '\r\n"
      "K4=\"\"q\"\"\r\n"
      "K5=\"a'\r\n"
      "K6=\"\r\n"
      "K7=a\"b\"\r\n"
      "K8=\r\n"
      "K9=a=b\r\n");
  EXPECT_EQ(ReadSettingsSection(path_, "Rows"),
            (Lines{"K1=a b", "K2=a,b", "K3= x ", "K4=\"q\"", "K5=\"a'", "K6=\"", "K7=a\"b\"",
                   "K8=", "K9=a=b"}));
}

TEST_F(IniFileTest, ReadListsOnlyKeysOfTheFirstMatchingSection) {
  Put("Row0=outside\r\n"
      "[Other]\r\nRow1=no\r\n"
      "[ rows ]\r\n"
      ";Row2=comment\r\n"
      "   ; Row3=comment too\r\n"
      "no equals sign\r\n"
      "=nameless\r\n"
      "Row4=first\r\n"
      "ROW4=second\r\n"
      "Row5=five\n"
      "[Rows]\r\nRow6=second section\r\n");
  EXPECT_EQ(ReadSettingsSection(path_, "Rows"), (Lines{"Row4=first", "ROW4=first", "Row5=five"}));
}

TEST_F(IniFileTest, MissingFileOrSectionGivesNoLines) {
  EXPECT_EQ(ReadSettingsSection(path_, "Rows"), Lines{});
  EXPECT_FALSE(fs::exists(path_));
  Put("[Other]\r\nRow1=x\r\n");
  EXPECT_EQ(ReadSettingsSection(path_, "Rows"), Lines{});
  EXPECT_EQ(ReadSettingsSection(dir_.string(), "Rows"), Lines{});
}

TEST_F(IniFileTest, ValuesAreCutTo2047Characters) {
  const std::string longValue(3000, 'v');
  WriteSetting(path_, "Rows", "Row1", longValue);
  WriteSetting(path_, "Rows", "Row2", "\"" + std::string(2047, 'q') + "\"");
  const Lines lines = ReadSettingsSection(path_, "Rows");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Row1=" + std::string(2047, 'v'));
  EXPECT_EQ(lines[1], "Row2=" + std::string(2047, 'q'));
}

TEST_F(IniFileTest, KeyNamesThatDoNotFitTheNamesBufferAreNotRead) {
  // Each name with its zero byte, plus the list's final zero, must fit into 16384 bytes.
  const std::string fits(16382, 'a');
  Put("[Rows]\r\n" + fits + "=1\r\nB=2\r\n");
  EXPECT_EQ(ReadSettingsSection(path_, "Rows"), Lines{fits + "=1"});
  const std::string tooLong(16383, 'a');
  Put("[Rows]\r\n" + tooLong + "=1\r\nB=2\r\n");
  EXPECT_EQ(ReadSettingsSection(path_, "Rows"), Lines{});

  std::string many = "[Rows]\r\n";
  for (int i = 0; i < 100; ++i) many += std::string(196, 'k') + std::to_string(100 + i) + "=v\r\n";
  Put(many);
  EXPECT_EQ(ReadSettingsSection(path_, "Rows").size(), 81u);  // 16383 / 200
}

TEST_F(IniFileTest, FileThatCannotBeCreatedIsTheWriteError) {
  const std::string missingFolder = (dir_ / "none" / "links.ini").string();
  EXPECT_EQ(WriteError(missingFolder), "Unable to write to " + missingFolder);
  EXPECT_EQ(WriteError(dir_.string()), "Unable to write to " + dir_.string());
}

TEST_F(IniFileTest, ReadOnlyFileOrFolderIsTheWriteErrorAndTheFileStaysAsItWas) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  Put("[Rows]\r\nRow1=old\r\n");
  fs::permissions(path_, fs::perms::owner_read, fs::perm_options::replace);
  EXPECT_EQ(WriteError(path_), "Unable to write to " + path_);
  EXPECT_EQ(Get(), "[Rows]\r\nRow1=old\r\n");
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
  EXPECT_EQ(WriteError(path_), "Unable to write to " + path_);
  EXPECT_EQ(Get(), "[Rows]\r\nRow1=old\r\n");
}

}  // namespace
}  // namespace qm
