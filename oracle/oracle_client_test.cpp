#include "oracle/oracle_client.h"

#include <gtest/gtest.h>

#include "oracle/client_naming_profile.h"
#include "oracle/testing/fake_client_loader.h"
#include "platform/command_line.h"
#include "platform/dynamic_library.h"
#include "platform/environment.h"
#include "platform/memory_file_system.h"
#include "platform/memory_registry.h"

namespace qm {
namespace {

using testing::FakeClientLoader;

constexpr RegistryHive kMachine = RegistryHive::LocalMachine;

std::set<std::string> Union(std::initializer_list<std::set<std::string>> sets) {
  std::set<std::string> all;
  for (const auto& s : sets) all.insert(s.begin(), s.end());
  return all;
}

class OracleClientTest : public ::testing::Test {
 protected:
  void SetUp() override { FakeClientLoader::ResetCalls(); }

  OracleClient& Client() {
    if (!client_)
      client_ = std::make_unique<OracleClient>(
          ClientProviders{&registry_, &env_, &fs_, &loader_, &commandLine_, naming_});
    return *client_;
  }

  void SetArguments(std::vector<std::string> arguments) {
    commandLine_ = FixedCommandLine(std::move(arguments));
  }

  // Registers home `number` in the registry the way an installer does.
  void AddHome(int number, const std::string& name, const std::string& dir) {
    const std::string key = "SOFTWARE\\ORACLE\\HOME" + std::to_string(number);
    registry_.Set(kMachine, key, "ORACLE_HOME_NAME", name);
    registry_.Set(kMachine, key, "ORACLE_HOME", dir);
    homes_ = std::max(homes_, number + 1);
    registry_.Set(kMachine, "SOFTWARE\\ORACLE\\ALL_HOMES", "HOME_COUNTER", std::to_string(homes_));
  }

  // Expects InitClient to fail with exactly `message`.
  void ExpectInitializationError(const std::string& message) {
    try {
      Client().InitClient();
      ADD_FAILURE() << "InitClient succeeded";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), message);
    }
    EXPECT_FALSE(Client().ClientLoaded());
  }

  MemoryRegistry registry_;
  MemoryEnvironment env_;
  MemoryFileSystem fs_;
  FakeClientLoader loader_;
  FixedCommandLine commandLine_{{}};
  const ClientNamingProfile* naming_ = &WindowsNaming();
  int homes_ = 0;
  std::unique_ptr<OracleClient> client_;
};

TEST_F(OracleClientTest, NoHomesAndNoOracleHomeIsSqlNetNotProperlyInstalled) {
  ExpectInitializationError(
      "Initialization error\r\nSQL*Net not properly installed\r\n\r\n"
      "OracleHomeKey: SOFTWARE\\ORACLE\r\nOracleHomeDir: ");
  EXPECT_EQ(Client().OracleHomeKey(), "");  // forgotten by the unload
  EXPECT_TRUE(loader_.loads.empty());
}

TEST_F(OracleClientTest, HomeChoice) {
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    const char* path;
    const char* key;
    const char* homeName;
  };
  const Case cases[] = {
      {"earlier bin folder on PATH wins",
       {},
       "C:\\WINDOWS;D:\\DEV\\BIN;C:\\ORA81\\BIN",
       "SOFTWARE\\ORACLE\\HOME1",
       "DevHome"},
      {"the other order",
       {},
       "C:\\ora81\\bin;d:\\dev\\bin",
       "SOFTWARE\\ORACLE\\HOME0",
       "OraHome81"},
      {"named on the command line",
       {"ORACLEHOME=orahome81"},
       "D:\\DEV\\BIN",
       "SOFTWARE\\ORACLE\\HOME0",
       "OraHome81"},
      {"none on PATH: the last in name order",
       {},
       "C:\\WINDOWS",
       "SOFTWARE\\ORACLE\\HOME0",
       "OraHome81"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    registry_ = MemoryRegistry();
    client_.reset();
    AddHome(0, "OraHome81", "C:\\ora81");
    AddHome(1, "DevHome", "D:\\dev");
    env_.Set("PATH", c.path);
    SetArguments(c.arguments);
    Client().FindOracleHome();
    EXPECT_EQ(Client().OracleHomeKey(), c.key);
    EXPECT_EQ(Client().HomeName(), c.homeName);
    ASSERT_EQ(Client().Homes().size(), 2u);
    EXPECT_EQ(Client().Homes()[0].name, "DevHome");  // sorted by name
  }
}

TEST_F(OracleClientTest, RememberedHomeNameIsWantedAgainAfterAnUnloadThatDidNotChooseIt) {
  AddHome(0, "OraHome81", "C:\\ora81");
  AddHome(1, "DevHome", "D:\\dev");
  env_.Set("PATH", "D:\\dev\\bin");
  Client().FindOracleHome();
  EXPECT_EQ(Client().OracleHomeKey(), "SOFTWARE\\ORACLE\\HOME1");

  // The name was chosen automatically: an unload forgets it and PATH decides again.
  Client().UnloadClient();
  EXPECT_EQ(Client().HomeName(), "");
  env_.Set("PATH", "C:\\ora81\\bin");
  Client().FindOracleHome();
  EXPECT_EQ(Client().OracleHomeKey(), "SOFTWARE\\ORACLE\\HOME0");
}

TEST_F(OracleClientTest, AHomeWithoutOracleHomeFallsBackToTheOracleKey) {
  registry_.Set(kMachine, "SOFTWARE\\ORACLE\\ALL_HOMES", "HOME_COUNTER", "1");
  registry_.Set(kMachine, "SOFTWARE\\ORACLE\\HOME0", "ORACLE_HOME_NAME", "Broken");
  Client().FindOracleHome();
  EXPECT_EQ(Client().OracleHomeKey(), "SOFTWARE\\ORACLE");

  // A counter that is no number means no homes at all.
  registry_.Set(kMachine, "SOFTWARE\\ORACLE\\ALL_HOMES", "HOME_COUNTER", "two");
  client_.reset();
  Client().FindOracleHome();
  EXPECT_TRUE(Client().Homes().empty());
}

TEST_F(OracleClientTest, LibraryChoice) {
  struct Case {
    const char* name;
    const ClientNamingProfile* naming;
    const char* home;
    std::vector<std::string> files;
    const char* expected;  // "" when none is chosen
  };
  const Case cases[] = {
      {"oci.dll over ora805.dll",
       &WindowsNaming(),
       "C:\\orant",
       {"C:\\orant\\bin\\ora805.dll", "C:\\orant\\bin\\oci.dll"},
       "C:\\orant\\bin\\oci.dll"},
      {"ora81.dll over ora805.dll",
       &WindowsNaming(),
       "C:\\orant",
       {"C:\\orant\\bin\\ora805.dll", "C:\\orant\\bin\\ora81.dll"},
       "C:\\orant\\bin\\ora81.dll"},
      {"ora805.dll over oraNT73.dll",
       &WindowsNaming(),
       "C:\\orant\\",
       {"C:\\orant\\bin\\oraNT73.dll", "C:\\orant\\bin\\ORA805.DLL"},
       "C:\\orant\\bin\\ORA805.DLL"},
      {"oraNT73.dll counts from its sixth character",
       &WindowsNaming(),
       "C:\\orant",
       {"C:\\orant\\bin\\oraNT73.dll", "C:\\orant\\bin\\oraclient.dll"},
       "C:\\orant\\bin\\oraNT73.dll"},
      {"names without a version do not count",
       &WindowsNaming(),
       "C:\\orant",
       {"C:\\orant\\bin\\oracle.dll", "C:\\orant\\bin\\ora.dll", "C:\\orant\\bin\\ora8.exe"},
       ""},
      {"libclntsh.so in lib",
       &LinuxNaming(),
       "/u01/ora19",
       {"/u01/ora19/lib/libclntsh.so.19.1", "/u01/ora19/lib/libclntsh.so"},
       "/u01/ora19/lib/libclntsh.so"},
      {"highest libclntsh.so.N",
       &LinuxNaming(),
       "/u01/ora19",
       {"/u01/ora19/lib/libclntsh.so.12.1", "/u01/ora19/lib/libclntsh.so.19.1",
        "/u01/ora19/lib/libclntsh.so.11.1", "/u01/ora19/lib/libclntsh.so.x"},
       "/u01/ora19/lib/libclntsh.so.19.1"},
      {"Instant Client without a lib folder",
       &LinuxNaming(),
       "/opt/instantclient_21_1",
       {"/opt/instantclient_21_1/libclntsh.so.21.1", "/opt/instantclient_21_1/libnnz21.so"},
       "/opt/instantclient_21_1/libclntsh.so.21.1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs_ = MemoryFileSystem();
    for (const std::string& file : c.files) fs_.AddFile(file);
    registry_.Set(kMachine, "SOFTWARE\\ORACLE", "ORACLE_HOME", c.home);
    naming_ = c.naming;
    client_.reset();
    EXPECT_EQ(Client().ChooseClientLibrary(), *c.expected ? 0 : 1);
    EXPECT_EQ(Client().LibraryPath(), c.expected);
  }
}

TEST_F(OracleClientTest, DiscoveryLogOfAChoice) {
  registry_.Set(kMachine, "SOFTWARE\\ORACLE", "ORACLE_HOME", "C:\\orant");
  fs_.AddFile("C:\\orant\\bin\\oci.dll");
  fs_.AddFile("C:\\orant\\bin\\ora805.dll");
  loader_.AddLibrary("C:\\orant\\bin\\oci.dll", testing::Oci8Names());
  Client().InitClient();
  EXPECT_EQ(Client().DiscoveryLog(),
            "OracleHomeKey: SOFTWARE\\ORACLE\r\nOracleHomeDir: C:\\orant\r\nFound: oci.dll\r\n"
            "Found: ora805.dll\r\nUsing: C:\\orant\\bin\\oci.dll");
}

TEST_F(OracleClientTest, AHomeWithoutAnyLibraryCannotLocateOne) {
  registry_.Set(kMachine, "SOFTWARE\\ORACLE", "ORACLE_HOME", "C:\\orant");
  ExpectInitializationError(
      "Initialization error\r\nCould not locate OCI dll\r\n\r\n"
      "OracleHomeKey: SOFTWARE\\ORACLE\r\nOracleHomeDir: C:\\orant");
}

TEST_F(OracleClientTest, OcidllOnTheCommandLineSkipsTheRegistry) {
  registry_.Set(kMachine, "SOFTWARE\\ORACLE", "ORACLE_HOME", "C:\\orant");
  fs_.AddFile("C:\\orant\\bin\\oci.dll");
  loader_.AddLibrary("/opt/lite/libocilite.so", testing::Oci8Names());
  SetArguments({"-x", "ocidll=/opt/lite/libocilite.so"});
  Client().InitClient();
  EXPECT_TRUE(Client().ClientLoaded());
  EXPECT_EQ(Client().DiscoveryLog(), "OCIDLL forced to /opt/lite/libocilite.so");
  EXPECT_EQ(Client().OracleHomeKey(), "");
  EXPECT_EQ(loader_.loads, std::vector<std::string>{"/opt/lite/libocilite.so"});

  // A forced path is no automatic choice: an unload keeps it.
  Client().UnloadClient();
  EXPECT_EQ(Client().LibraryPath(), "/opt/lite/libocilite.so");
}

TEST_F(OracleClientTest, ALibraryThatDoesNotLoadIsTriedAgainFromItsFolder) {
  naming_ = &LinuxNaming();
  fs_.AddDirectory("/home/ann");
  fs_.AddDirectory("/opt/x");
  ASSERT_TRUE(fs_.SetCurrentDirectory("/home/ann"));
  SetArguments({"OCIDLL=/opt/x/libclntsh.so"});
  ExpectInitializationError(
      "Initialization error\r\nCould not load \"/opt/x/libclntsh.so\"\r\n\r\n"
      "OCIDLL forced to /opt/x/libclntsh.so\r\nLoadLibrary(/opt/x/libclntsh.so) returned 0");
  EXPECT_EQ(loader_.loads.size(), 2u);
  EXPECT_EQ(fs_.CurrentDirectory(), "/opt/x");
  Client().RestoreCurrentDirectory();
  EXPECT_EQ(fs_.CurrentDirectory(), "/home/ann");

  // The library loads from its folder: the directory goes back only while still there.
  loader_.AddLibrary("/opt/x/libclntsh.so", testing::Oci8Names());
  loader_.loadCondition = [&] { return fs_.CurrentDirectory() == "/opt/x"; };
  Client().InitClient();
  EXPECT_TRUE(Client().ClientLoaded());
  EXPECT_EQ(fs_.CurrentDirectory(), "/opt/x");
  Client().RestoreCurrentDirectory();
  EXPECT_EQ(fs_.CurrentDirectory(), "/home/ann");

  Client().UnloadClient();
  ASSERT_TRUE(fs_.SetCurrentDirectory("/home/ann"));
  Client().InitClient();
  ASSERT_TRUE(fs_.SetCurrentDirectory("/"));  // moved on meanwhile: left alone
  Client().RestoreCurrentDirectory();
  EXPECT_EQ(fs_.CurrentDirectory(), "/");
}

TEST_F(OracleClientTest, EntryPointGroupsStopAtTheFirstMissingName) {
  auto without = [](std::set<std::string> names, const std::string& name) {
    names.erase(name);
    return names;
  };
  struct Case {
    const char* name;
    std::set<std::string> exports;
    bool oci7, olog, opinit, oci8, oci81;
  };
  const Case cases[] = {
      {"everything", Union({testing::Oci7Names(), testing::Oci8Names(), testing::Oci81Names()}),
       true, true, true, true, true},
      {"release 7 without oparse",
       Union({without(testing::Oci7Names(), "oparse"), testing::Oci8Names()}), false, false, false,
       true, false},
      {"release 7 without opinit", without(testing::Oci7Names(), "opinit"), true, true, false,
       false, false},
      {"release 8 without OCIEnvCreate",
       Union({testing::Oci8Names(), without(testing::Oci81Names(), "OCIEnvCreate")}), false, false,
       false, true, false},
      {"release 8.1 names without release 8", testing::Oci81Names(), false, false, false, false,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    client_.reset();
    loader_ = FakeClientLoader();
    loader_.AddLibrary("/lib/client.so", c.exports);
    SetArguments({"OCIDLL=/lib/client.so"});
    if (!c.oci7 && !c.oci8) {
      ExpectInitializationError(
          "Initialization error\r\nCould not initialize \"/lib/client.so\"\r\n\r\n"
          "OCIDLL forced to /lib/client.so");
      continue;
    }
    Client().InitClient();
    EXPECT_EQ(Client().OCI7Ready(), c.oci7);
    EXPECT_EQ(Client().OLogReady(), c.olog);
    EXPECT_EQ(Client().OPInitReady(), c.opinit);
    EXPECT_EQ(Client().OCI8Ready(), c.oci8);
    EXPECT_EQ(Client().OCI81Ready(), c.oci81);
    EXPECT_EQ(Client().Entries().OCIHandleAlloc != nullptr, c.oci8);
    EXPECT_EQ(Client().Entries().OCIEnvCreate != nullptr, c.oci81);
  }
}

TEST_F(OracleClientTest, NamesAfterTheMissingOneAreNotLookedUp) {
  std::set<std::string> exports = testing::Oci7Names();
  exports.erase("oparse");
  loader_.AddLibrary("/lib/client.so", exports);
  SetArguments({"OCIDLL=/lib/client.so"});
  Client().LoadClientLibrary();
  const std::vector<std::string> expected = {"orlon", "ologof", "oerhms",
                                             "oopen", "oparse", "OCIInitialize"};
  EXPECT_EQ(loader_.lookups, expected);
  EXPECT_NE(Client().Entries().oopen, nullptr);  // resolved before the gap: kept
  EXPECT_EQ(Client().Entries().odefin, nullptr);
}

TEST_F(OracleClientTest, InitialisationCallsOncePerLoad) {
  struct Case {
    const char* name;
    std::set<std::string> exports;
    int opinitCalls, initializeCalls;
  };
  const Case cases[] = {
      {"release 7 only", testing::Oci7Names(), 1, 0},
      {"release 8.0", testing::Oci8Names(), 0, 1},
      {"release 7 and 8.0", Union({testing::Oci7Names(), testing::Oci8Names()}), 0, 1},
      {"release 8.1", Union({testing::Oci8Names(), testing::Oci81Names()}), 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeClientLoader::ResetCalls();
    client_.reset();
    loader_.AddLibrary("/lib/client.so", c.exports);
    SetArguments({"OCIDLL=/lib/client.so"});
    Client().InitClient();
    Client().InitClient();
    EXPECT_EQ(FakeClientLoader::opinitCalls, c.opinitCalls);
    if (c.opinitCalls) {
      EXPECT_EQ(FakeClientLoader::opinitMode, 0u);
    }
    EXPECT_EQ(FakeClientLoader::initializeCalls, c.initializeCalls);
    if (c.initializeCalls) {
      EXPECT_EQ(FakeClientLoader::initializeMode, 3u);
    }
  }
}

TEST_F(OracleClientTest, UnloadForgetsWhatWasChosenAutomatically) {
  AddHome(0, "OraHome81", "C:\\ora81");
  fs_.AddFile("C:\\ora81\\bin\\oci.dll");
  loader_.AddLibrary("C:\\ora81\\bin\\oci.dll",
                     Union({testing::Oci7Names(), testing::Oci8Names(), testing::Oci81Names()}));
  Client().InitClient();
  EXPECT_EQ(Client().LibraryPath(), "C:\\ora81\\bin\\oci.dll");
  EXPECT_EQ(Client().OracleHomeDir(), "C:\\ora81");
  EXPECT_EQ(Client().HomeName(), "OraHome81");

  Client().UnloadClient();
  EXPECT_FALSE(Client().ClientLoaded());
  EXPECT_EQ(Client().LibraryPath(), "");
  EXPECT_EQ(Client().HomeName(), "");
  EXPECT_EQ(Client().OracleHomeKey(), "");
  EXPECT_EQ(Client().OracleHomeDir(), "");
  EXPECT_FALSE(Client().OCI7Ready() || Client().OLogReady() || Client().OPInitReady() ||
               Client().OCI8Ready() || Client().OCI81Ready());
  EXPECT_EQ(Client().Entries().OCIHandleAlloc, nullptr);
  EXPECT_EQ(Client().Homes().size(), 1u);  // kept
}

TEST_F(OracleClientTest, ReadCommandLineValue) {
  SetArguments({"-style", "ocidll=/first.so", "OCIDLL=/second.so", "UserId=scott/tiger@orcl",
                "ORACLEHOME=", "LONG=" + std::string(300, 'v')});
  EXPECT_EQ(Client().ReadCommandLineValue("OCIDLL"), "/first.so");
  EXPECT_EQ(Client().ReadCommandLineValue("userid"), "scott/tiger@orcl");
  EXPECT_EQ(Client().ReadCommandLineValue("ORACLEHOME"), "");
  EXPECT_EQ(Client().ReadCommandLineValue("Missing"), "");
  EXPECT_EQ(Client().ReadCommandLineValue("LONG"), std::string(255, 'v'));
}

TEST_F(OracleClientTest, TnsNamesPathSources) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> homeValues;    // below SOFTWARE\ORACLE\HOME0
    std::vector<std::pair<std::string, std::string>> oracleValues;  // below SOFTWARE\ORACLE
    const char* tnsAdmin;  // the environment variable, nullptr when unset
    bool release81;
    const char* expected;
  };
  const Case cases[] = {
      {"environment first",
       {{"TNS_ADMIN", "C:\\home"}},
       {},
       "E:\\env",
       true,
       "E:\\env\\tnsnames.ora"},
      {"home key",
       {{"TNS_ADMIN", "C:\\home\\"}},
       {{"TNS_ADMIN", "C:\\ora"}},
       nullptr,
       true,
       "C:\\home\\tnsnames.ora"},
      {"Oracle key",
       {{"NET80", "C:\\net80"}},
       {{"TNS_ADMIN", "C:\\ora"}},
       nullptr,
       true,
       "C:\\ora\\tnsnames.ora"},
      {"NET80 of a release 8 client",
       {{"NET80", "C:\\net80"}, {"NET20", "C:\\net20"}},
       {},
       nullptr,
       true,
       "C:\\net80\\Admin\\tnsnames.ora"},
      {"home's Network\\Admin", {}, {}, nullptr, true, "C:\\ora81\\Network\\Admin\\tnsnames.ora"},
      {"home's Net80\\Admin for an 8.0 client",
       {},
       {},
       nullptr,
       false,
       "C:\\ora81\\Net80\\Admin\\tnsnames.ora"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    registry_ = MemoryRegistry();
    homes_ = 0;
    client_.reset();
    AddHome(0, "OraHome81", "C:\\ora81");
    for (const auto& [name, value] : c.homeValues)
      registry_.Set(kMachine, "SOFTWARE\\ORACLE\\HOME0", name, value);
    for (const auto& [name, value] : c.oracleValues)
      registry_.Set(kMachine, "SOFTWARE\\ORACLE", name, value);
    if (c.tnsAdmin)
      env_.Set("TNS_ADMIN", c.tnsAdmin);
    else
      env_.Unset("TNS_ADMIN");
    loader_.AddLibrary("/lib/client.so", c.release81
                                             ? Union({testing::Oci8Names(), testing::Oci81Names()})
                                             : testing::Oci8Names());
    SetArguments({"OCIDLL=/lib/client.so"});
    EXPECT_EQ(Client().TNSNamesPath(), c.expected);
  }
}

TEST_F(OracleClientTest, TnsNamesPathPropagatesAnInitializationErrorAndKeepsNothing) {
  EXPECT_THROW(Client().TNSNamesPath(), std::runtime_error);
  registry_.Set(kMachine, "SOFTWARE\\ORACLE", "ORACLE_HOME", "C:\\orant");
  fs_.AddFile("C:\\orant\\bin\\oci.dll");
  loader_.AddLibrary("C:\\orant\\bin\\oci.dll", testing::Oci8Names());
  EXPECT_EQ(Client().TNSNamesPath(), "C:\\orant\\Net80\\Admin\\tnsnames.ora");
}

TEST_F(OracleClientTest, LanguageIsSetBeforeTheLibraryLoads) {
  std::string seenLanguage, seenDateFormat;
  loader_.AddLibrary("/lib/client.so", testing::Oci8Names());
  loader_.loadCondition = [&] {
    seenLanguage = GetOrEmpty(env_, "NLS_LANG");
    seenDateFormat = GetOrEmpty(env_, "NLS_DATE_FORMAT");
    return true;
  };
  SetArguments({"OCIDLL=/lib/client.so"});
  env_.Set("NLS_LANG", "RUSSIAN_RUSSIA.AL32UTF8");
  Client().InitClient();
  EXPECT_EQ(seenLanguage, "RUSSIAN_RUSSIA.CL8MSWIN1251");
  EXPECT_EQ(seenDateFormat, "DD.MM.RRRR HH24:MI:SS");
}

class DatabaseAliasesTest : public OracleClientTest {
 protected:
  void SetUp() override {
    OracleClientTest::SetUp();
    naming_ = &LinuxNaming();
    env_.Set("TNS_ADMIN", "/net");
    loader_.AddLibrary("/lib/client.so", Union({testing::Oci8Names(), testing::Oci81Names()}));
    SetArguments({"OCIDLL=/lib/client.so"});
  }
};

TEST_F(DatabaseAliasesTest, NamesAtDepthZeroSortedWithoutDuplicates) {
  fs_.AddFile("/net/tnsnames.ora",
              "# ORCL.WORLD is the main database\n"
              "ORCL.WORLD =\n"
              "  (DESCRIPTION =\n"
              "    (ADDRESS_LIST =\n"
              "      (ADDRESS = (PROTOCOL = TCP)(HOST = db)(PORT = 1521))\n"
              "    )\n"
              "    (CONNECT_DATA = (SID = ORCL))\n"
              "  )\r\n"
              "sales.world = (DESCRIPTION = (ADDRESS = (HOST = s))\n"
              "  (CONNECT_DATA = (SERVICE_NAME = sales)))\n"
              "demo=(DESCRIPTION=(ADDRESS=(HOST=d)))\n"
              "Orcl = (DESCRIPTION = (ADDRESS = (HOST = again)))\n");
  EXPECT_EQ(Client().DatabaseAliases(), (std::vector<std::string>{"demo", "ORCL", "sales"}));
}

TEST_F(DatabaseAliasesTest, IfileNowOrOnTheNextLineAndNoEndlessRecursion) {
  fs_.AddFile("/net/tnsnames.ora",
              "ifile =\n"
              "  /net/later.ora\n"
              "MAIN = (DESCRIPTION = (ADDRESS = (HOST = m)))\n"
              "IFILE = /net/more.ora\n"
              "IFILE = /net/tnsnames.ora\n");
  fs_.AddFile("/net/later.ora", "LATER = (DESCRIPTION = )\n");
  fs_.AddFile("/net/more.ora",
              "MORE = (DESCRIPTION = )\nIFILE=/net/tnsnames.ora\n"
              "IFILE=/net/missing.ora\n");
  EXPECT_EQ(Client().DatabaseAliases(), (std::vector<std::string>{"LATER", "MAIN", "MORE"}));
}

TEST_F(DatabaseAliasesTest, AFailedLoadGivesAnEmptyListThatIsNeverReadAgain) {
  loader_ = FakeClientLoader();  // the library is gone
  fs_.AddFile("/net/tnsnames.ora", "ORCL = (DESCRIPTION = )\n");
  EXPECT_TRUE(Client().DatabaseAliases().empty());
  loader_.AddLibrary("/lib/client.so", testing::Oci8Names());
  EXPECT_TRUE(Client().DatabaseAliases().empty());
}

TEST_F(DatabaseAliasesTest, ExtraLeadingBackslashesOfAPathAreDropped) {
  naming_ = &WindowsNaming();
  env_.Set("TNS_ADMIN", "\\\\\\\\server\\share");
  fs_.AddFile("\\\\server\\share\\tnsnames.ora", "UNC = (DESCRIPTION = )\n");
  EXPECT_EQ(Client().DatabaseAliases(), std::vector<std::string>{"UNC"});
}

// The client test library: release 8 names without OCIEnvCreate, loaded by the real loader.
TEST(OracleClientLibraryTest, AnEightZeroClientIsInitialisedOnceAndUsesNet80Admin) {
  MemoryRegistry registry;
  registry.Set(kMachine, "SOFTWARE\\ORACLE", "ORACLE_HOME", "/opt/ora80");
  MemoryEnvironment env;
  MemoryFileSystem fs;
  fs.AddFile("/opt/ora80/net80/admin/tnsnames.ora", "ORA80.WORLD = (DESCRIPTION = )\n");
  DynamicLibraryLoader loader;
  const FixedCommandLine commandLine({std::string("OCIDLL=") + OCI8_ONLY_CLIENT});
  OracleClient client({&registry, &env, &fs, &loader, &commandLine, &LinuxNaming()});

  // The test's own handle on the same library reads its call counts.
  const auto probe = DynamicLibrary::Open(OCI8_ONLY_CLIENT);
  ASSERT_NE(probe, nullptr);
  const auto calls = reinterpret_cast<int (*)(const char*)>(probe->Symbol("qm_test_calls"));
  const auto mode = reinterpret_cast<unsigned (*)()>(probe->Symbol("qm_test_initialize_mode"));
  reinterpret_cast<void (*)()>(probe->Symbol("qm_test_reset"))();

  client.InitClient();
  client.InitClient();
  EXPECT_EQ(client.DiscoveryLog(), std::string("OCIDLL forced to ") + OCI8_ONLY_CLIENT);
  EXPECT_FALSE(client.OCI7Ready());
  EXPECT_FALSE(client.OLogReady());
  EXPECT_FALSE(client.OPInitReady());
  EXPECT_TRUE(client.OCI8Ready());
  EXPECT_FALSE(client.OCI81Ready());
  EXPECT_EQ(calls("OCIInitialize"), 1);
  EXPECT_EQ(mode(), OCI_THREADED | OCI_OBJECT);

  EXPECT_EQ(client.TNSNamesPath(), "/opt/ora80/net80/admin/tnsnames.ora");
  EXPECT_EQ(client.DatabaseAliases(), std::vector<std::string>{"ORA80"});
}

}  // namespace
}  // namespace qm
