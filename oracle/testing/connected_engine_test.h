#pragma once
// A test fixture with a fresh engine database and a session logged on to it as SYSTEM, through
// the engine library built with the tests (OCILITE_LIBRARY). ConnectedEngineInterfaceTest runs
// the same tests once per client interface (instantiate with BothInterfaces()).

#include <initializer_list>
#include <string>

#include "ocilite/testing/engine_fixture.h"
#include "oracle/oracle_session.h"

namespace qm::testing {

// Points the process's client at `library` through OCIDLL= on the command line, unloading the
// one loaded before when it was another.
void UseClientLibrary(const std::string& library);

// The engine's switch for a server that went away (false) and came back (true), taken from the
// engine library that the process loaded.
void SetEngineServerReachable(bool reachable);

class ConnectedEngineTest : public ocilite::testing::EngineTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Whether the session logs on with UseOCI7.
  virtual bool UseOCI7() const { return false; }
  // Runs statements on the session, committing nothing.
  void Run(std::initializer_list<const char*> statements);

  TOracleSession session_;
};

enum class ClientInterface { kOCI8, kOCI7 };

class ConnectedEngineInterfaceTest : public ConnectedEngineTest,
                                     public ::testing::WithParamInterface<ClientInterface> {
 protected:
  bool UseOCI7() const override { return GetParam() == ClientInterface::kOCI7; }
};

// The parameters and test-name suffixes of INSTANTIATE_TEST_SUITE_P for both interfaces.
inline auto BothInterfaces() {
  return ::testing::Values(ClientInterface::kOCI8, ClientInterface::kOCI7);
}
inline std::string InterfaceName(const ::testing::TestParamInfo<ClientInterface>& info) {
  return info.param == ClientInterface::kOCI7 ? "OCI7" : "OCI8";
}

}  // namespace qm::testing
