#include "oracle/internal/server_version.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(ServerVersionTest, OnlyReleasesBelowEightNeedTheOldInterface) {
  struct Case {
    const char* banner;
    bool oci7;
  };
  const Case cases[] = {
      {"Oracle7 Server Release 7.3.2.0.0 - Production Release\nPL/SQL Release 2.3.2.0.0", true},
      {"Personal Oracle7 Release 7.3.4.0.0 - Production", true},
      {"Oracle Server Release 7.1.6 - Production", true},
      {"Oracle8 Release 8.0.5.0.0 - Production\nPL/SQL Release 8.0.5.0.0 - Production", false},
      {"Oracle8i Enterprise Edition Release 8.1.7.0.0 - Production", false},
      {"Oracle9i Enterprise Edition Release 9.2.0.1.0 - Production", false},
      {"Oracle Database 10g Enterprise Edition Release 10.2.0.1.0 - Production", false},
      {"Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production\n"
       "Version 19.3.0.0.0",
       false},
      {"Oracle Database 23ai Free Release 23.0.0.0.0 - Develop, Learn, and Run for Free", false},
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.banner);
    EXPECT_EQ(ServerNeedsOCI7(c.banner), c.oci7);
  }
}

}  // namespace
}  // namespace qm
