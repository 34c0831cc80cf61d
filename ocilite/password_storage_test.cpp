// Passwords never reach the database files in clear: not through CREATE USER, ALTER USER or a
// password change, not in the journal, not in the tablespace files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ocilite/testing/engine_fixture.h"
#include "ocilite/testing/oci_test_client.h"

namespace qm::ocilite::testing {
namespace {

using PasswordStorage = EngineTest;

// Every byte under `folder`, file after file.
std::string AllBytes(const std::string& folder) {
  std::string bytes;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    bytes += s.str();
  }
  return bytes;
}

TEST_F(PasswordStorage, NoPasswordIsStoredInClear) {
  {
    OciConnection system("system", "manager");
    ASSERT_EQ(system.Exec("create tablespace QMDATA datafile 'qmdata.dbf' size 10M"), "");
    ASSERT_EQ(system.Exec("create user ALICE identified by Kestrel42 default tablespace QMDATA"),
              "");
    ASSERT_EQ(system.Exec("grant connect, resource to ALICE"), "");
    ASSERT_EQ(system.Exec("create user BOB identified by Heron77"), "");
    ASSERT_EQ(system.Exec("alter user BOB identified by Osprey99"), "");
    system.Commit();
  }
  OciConnection alice("alice", "Kestrel42");
  ASSERT_EQ(alice.Exec("create table T (A varchar2(10))"), "");

  const std::string bytes = AllBytes(home_);
  ASSERT_NE(bytes.find("ALICE"), std::string::npos);  // the users are in what was read
  for (const char* secret : {"Kestrel42", "KESTREL42", "Heron77", "HERON77", "Osprey99",
                             "OSPREY99", "manager", "MANAGER"})
    EXPECT_EQ(bytes.find(secret), std::string::npos) << secret;
}

}  // namespace
}  // namespace qm::ocilite::testing
