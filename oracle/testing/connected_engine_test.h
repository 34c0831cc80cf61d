#pragma once
// A test fixture with a fresh engine database and a session logged on to it as SYSTEM, through
// the engine library built with the tests (OCILITE_LIBRARY).

#include <initializer_list>

#include "ocilite/testing/engine_fixture.h"
#include "oracle/oracle_session.h"

namespace qm::testing {

class ConnectedEngineTest : public ocilite::testing::EngineTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Runs statements on the session, committing nothing.
  void Run(std::initializer_list<const char*> statements);

  TOracleSession session_;
};

}  // namespace qm::testing
