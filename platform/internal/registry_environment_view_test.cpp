#include "platform/internal/registry_environment_view.h"

#include <gtest/gtest.h>

#include "platform/environment.h"
#include "platform/memory_file_system.h"
#include "platform/memory_registry.h"

namespace qm {
namespace {

constexpr RegistryHive kMachine = RegistryHive::LocalMachine;

std::string OracleHome(const Registry& registry) {
  return ReadRegistryText(registry, kMachine, "SOFTWARE\\ORACLE", "ORACLE_HOME");
}

TEST(RegistryEnvironmentViewTest, OracleHomeComesFromTheEnvironmentWhileTheHiveHasNoOracleKey) {
  MemoryRegistry base;
  MemoryFileSystem fs;
  fs.AddFile("/opt/ic/libclntsh.so");
  MemoryEnvironment env{{"ORACLE_HOME", "/u01/app/oracle/product/19c"},
                        {"LD_LIBRARY_PATH", "/opt/ic"}};
  const RegistryEnvironmentView view(base, env, fs);

  EXPECT_EQ(OracleHome(view), "/u01/app/oracle/product/19c");
  EXPECT_TRUE(view.KeyExists(kMachine, "software\\oracle"));
  EXPECT_FALSE(view.ReadValue(kMachine, "SOFTWARE\\ORACLE", "TNS_ADMIN"));
  EXPECT_FALSE(view.ReadValue(RegistryHive::CurrentUser, "SOFTWARE\\ORACLE", "ORACLE_HOME"));

  env.Set("ORACLE_HOME", "");
  EXPECT_EQ(OracleHome(view), "/opt/ic");  // an Instant Client on the loader path
}

TEST(RegistryEnvironmentViewTest, TheFirstLoaderPathFolderWithTheClientLibraryCounts) {
  MemoryRegistry base;
  MemoryFileSystem fs;
  fs.AddFile("/opt/other/libfoo.so");
  fs.AddFile("/opt/ic21/libclntsh.so");
  fs.AddFile("/opt/ic19/libclntsh.so");
  const MemoryEnvironment env{{"LD_LIBRARY_PATH", ":/opt/other:/opt/ic21/:/opt/ic19"}};
  EXPECT_EQ(OracleHome(RegistryEnvironmentView(base, env, fs)), "/opt/ic21");

  const MemoryEnvironment none{{"LD_LIBRARY_PATH", "/opt/other"}};
  const RegistryEnvironmentView empty(base, none, fs);
  EXPECT_EQ(OracleHome(empty), "");
  EXPECT_FALSE(empty.KeyExists(kMachine, "SOFTWARE\\ORACLE"));
}

TEST(RegistryEnvironmentViewTest, AnOracleKeyInTheHiveTakesOverCompletely) {
  MemoryRegistry base;
  base.Set(kMachine, "SOFTWARE\\ORACLE\\ALL_HOMES", "HOME_COUNTER", "1");
  const MemoryFileSystem fs;
  const MemoryEnvironment env{{"ORACLE_HOME", "/from/env"}};
  RegistryEnvironmentView view(base, env, fs);
  EXPECT_EQ(OracleHome(view), "");

  view.WriteValue(kMachine, "SOFTWARE\\ORACLE", "ORACLE_HOME", RegistryValue::String("/reg"));
  EXPECT_EQ(OracleHome(view), "/reg");
  EXPECT_EQ(OracleHome(base), "/reg");
}

TEST(ReadRegistryTextTest, TextMustFitTheBufferWithItsNul) {
  MemoryRegistry registry;
  registry.Set(kMachine, "K", "fits", std::string(1023, 'x'));
  registry.Set(kMachine, "K", "long", std::string(1024, 'x'));
  registry.WriteValue(kMachine, "K", "number", RegistryValue::Dword(5));
  EXPECT_EQ(ReadRegistryText(registry, kMachine, "K", "fits").size(), 1023u);
  EXPECT_EQ(ReadRegistryText(registry, kMachine, "K", "long"), "");
  EXPECT_EQ(ReadRegistryText(registry, kMachine, "K", "number"), "");
  EXPECT_EQ(ReadRegistryText(registry, kMachine, "K", "fits", 10), "");
}

}  // namespace
}  // namespace qm
