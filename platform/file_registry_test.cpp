#include "platform/file_registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/environment.h"
#include "platform/testing/error_text.h"
#include "platform/testing/scratch_folder.h"

namespace qm {
namespace {

class FileRegistryTest : public ::testing::Test {
 protected:
  static unsigned ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 0777;
  }

  const testing::ScratchFolder scratch_;
  const std::string dir_ = scratch_.Path();
};

TEST_F(FileRegistryTest, AMissingFileIsAnEmptyHive) {
  const FileRegistry registry(dir_ + "/none.reg", dir_ + "/none2.reg");
  EXPECT_FALSE(registry.KeyExists(RegistryHive::LocalMachine, "SOFTWARE"));
  EXPECT_FALSE(registry.ReadValue(RegistryHive::CurrentUser, "Tarnwick", "Logon0"));
}

TEST_F(FileRegistryTest, TheUserHiveIsCreatedPrivateInPrivateFoldersAndNoTempFileStays) {
  const std::string user = dir_ + "/config/quillmove/user.reg";
  FileRegistry registry(dir_ + "/machine.reg", user);
  registry.WriteValue(RegistryHive::CurrentUser, "Tarnwick", "Logon0",
                      RegistryValue::String("secret"));

  EXPECT_EQ(ModeOf(user), 0600u);
  EXPECT_EQ(ModeOf(dir_ + "/config/quillmove"), 0700u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_ + "/config/quillmove"),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/machine.reg"));

  std::ifstream in(user, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Tarnwick]\r\n\"Logon0\"=\"secret\"\r\n\r\n");
}

// The user hive holds the logon history with its passwords: every save leaves it private, and a
// link in its place is replaced, never written through nor taken as the file's mode.
TEST_F(FileRegistryTest, EverySaveLeavesTheUserHivePrivateAndReplacesALinkInItsPlace) {
  const std::string user = dir_ + "/user.reg";
  FileRegistry registry(dir_ + "/machine.reg", user);
  {
    std::ofstream out(user, std::ios::binary);
    out << "REGEDIT4\r\n\r\n";
  }
  chmod(user.c_str(), 0644);
  registry.WriteValue(RegistryHive::CurrentUser, "Tarnwick", "Logon0",
                      RegistryValue::String("secret"));
  EXPECT_EQ(ModeOf(user), 0600u);

  const std::string elsewhere = dir_ + "/elsewhere.txt";
  {
    std::ofstream out(elsewhere, std::ios::binary);
    out << "not the history";
  }
  chmod(elsewhere.c_str(), 0644);
  std::filesystem::remove(user);
  std::filesystem::create_symlink(elsewhere, user);
  registry.WriteValue(RegistryHive::CurrentUser, "Tarnwick", "Logon0",
                      RegistryValue::String("secret"));
  EXPECT_FALSE(std::filesystem::is_symlink(user));
  EXPECT_EQ(ModeOf(user), 0600u);
  EXPECT_EQ(ModeOf(elsewhere), 0644u);
  std::ifstream in(elsewhere, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "not the history");
}

TEST_F(FileRegistryTest, ChangesKeepTheRestOfTheFileAndAreSeenByAnotherReader) {
  const std::string machine = dir_ + "/machine.reg";
  {
    std::ofstream out(machine, std::ios::binary);
    out << "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\ORACLE]\n\"ORACLE_HOME\"=\"/opt/ora\"\n"
           "\"NLS\"=hex:00,01\n";
  }
  chmod(machine.c_str(), 0644);
  FileRegistry writer(machine, dir_ + "/user.reg");
  const FileRegistry reader(machine, dir_ + "/user.reg");

  writer.WriteValue(RegistryHive::LocalMachine, "SOFTWARE\\ORACLE\\HOME0", "ORACLE_HOME_NAME",
                    RegistryValue::String("Ora8"));
  EXPECT_EQ(reader.ReadValue(RegistryHive::LocalMachine, "software\\oracle", "oracle_home"),
            RegistryValue::String("/opt/ora"));
  EXPECT_EQ(
      reader.ReadValue(RegistryHive::LocalMachine, "SOFTWARE\\ORACLE\\HOME0", "ORACLE_HOME_NAME"),
      RegistryValue::String("Ora8"));
  EXPECT_EQ(reader.ReadValue(RegistryHive::LocalMachine, "SOFTWARE\\ORACLE", "NLS")->text,
            "hex:00,01");
  EXPECT_EQ(ModeOf(machine), 0644u);  // an existing file keeps its mode

  EXPECT_TRUE(writer.DeleteValue(RegistryHive::LocalMachine, "SOFTWARE\\ORACLE", "ORACLE_HOME"));
  EXPECT_FALSE(writer.DeleteValue(RegistryHive::LocalMachine, "SOFTWARE\\ORACLE", "ORACLE_HOME"));
  EXPECT_FALSE(reader.ReadValue(RegistryHive::LocalMachine, "SOFTWARE\\ORACLE", "ORACLE_HOME"));
}

TEST_F(FileRegistryTest, AnUnwritableHiveRaisesRegistryErrorNamingTheFile) {
  std::ofstream(dir_ + "/blocker") << "a file where a folder should be";
  FileRegistry blocked(dir_ + "/machine.reg", dir_ + "/blocker/user.reg");
  const std::string text = testing::ErrorText<RegistryError>(
      [&] { blocked.CreateKey(RegistryHive::CurrentUser, "Tarnwick"); });
  EXPECT_NE(text.find(dir_ + "/blocker"), std::string::npos) << text;
}

TEST(FileRegistryPathsTest, EnvironmentChoosesTheFiles) {
  const MemoryEnvironment overridden{{"QUILLMOVE_USER_REGISTRY", "/tmp/u.reg"},
                                     {"QUILLMOVE_MACHINE_REGISTRY", "/tmp/m.reg"},
                                     {"HOME", "/home/ann"}};
  EXPECT_EQ(FileRegistry::FromEnvironment(overridden).PathOf(RegistryHive::CurrentUser),
            "/tmp/u.reg");
  EXPECT_EQ(FileRegistry::FromEnvironment(overridden).PathOf(RegistryHive::LocalMachine),
            "/tmp/m.reg");

  const MemoryEnvironment xdg{{"XDG_CONFIG_HOME", "/home/ann/cfg"}, {"HOME", "/home/ann"}};
  EXPECT_EQ(FileRegistry::FromEnvironment(xdg).PathOf(RegistryHive::CurrentUser),
            "/home/ann/cfg/quillmove/user.reg");
  EXPECT_EQ(FileRegistry::FromEnvironment(xdg).PathOf(RegistryHive::LocalMachine),
            "/etc/quillmove/machine.reg");

  const MemoryEnvironment plain{{"HOME", "/home/ann"}};
  EXPECT_EQ(FileRegistry::FromEnvironment(plain).PathOf(RegistryHive::CurrentUser),
            "/home/ann/.config/quillmove/user.reg");
}

}  // namespace
}  // namespace qm
