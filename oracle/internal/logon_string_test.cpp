#include "oracle/internal/logon_string.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(LogonStringTest, SplitsTheJoinedConnectStringAndCutsTheConnectAsSuffix) {
  struct Case {
    const char *user, *password, *database;
    const char *expectedUser, *expectedPassword, *expectedDatabase;
    std::optional<TConnectAsOption> connectAs;
  };
  const Case cases[] = {
      {"scott", "tiger", "orcl", "scott", "tiger", "orcl", std::nullopt},
      {"scott/tiger@orcl", "", "", "scott", "tiger", "orcl", std::nullopt},
      {"sys/manager@orcl as sysdba", "", "", "sys", "manager", "orcl", caSYSDBA},
      {"sys", "manager\tAS\tSysOper", "", "sys", "manager", "", caSYSOPER},
      {"sys as sysdba", "", "", "sys", "", "", caSYSDBA},
      {"scott", "tiger", "orcl as normal", "scott", "tiger", "orcl", caNormal},
      {"scott", "tiger", "orcl as sysdba", "scott", "tiger", "orcl", caSYSDBA},
      // The joined form cannot tell a password's own "@" from the one before the database.
      {"scott", "ti@ger", "orcl", "scott", "ti", "ger@orcl", std::nullopt},
      {"scott", "tiger", "", "scott", "tiger", "", std::nullopt},
      {"/", "", "orcl", "", "", "orcl", std::nullopt},
      {"scott/tiger@", "", "", "scott", "tiger", "", std::nullopt},
      {"", "", "", "", "", "", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.user) + "|" + c.password + "|" + c.database);
    const LogonStrings s = NormalizeLogonStrings(c.user, c.password, c.database);
    EXPECT_EQ(s.username, c.expectedUser);
    EXPECT_EQ(s.password, c.expectedPassword);
    EXPECT_EQ(s.database, c.expectedDatabase);
    EXPECT_EQ(s.connectAs, c.connectAs);
  }
}

}  // namespace
}  // namespace qm
