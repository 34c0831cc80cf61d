#pragma once
// A test fixture on the scripted test client library (oci8_only_client and its kin, see
// oci8_only_client_server.cpp): the process's client is that library, and the calls it received
// are read back from its call log. The suite defines OCI8_ONLY_CLIENT, the library's path.

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "oracle/oracle_client.h"
#include "oracle/testing/connected_engine_test.h"
#include "platform/dynamic_library.h"

namespace qm::testing {

class ScriptedClientTest : public ::testing::Test {
 protected:
  void SetUp() override { UseScriptedClient(OCI8_ONLY_CLIENT); }

  void UseScriptedClient(const std::string& library) {
    UseClientLibrary(library);
    probe_ = DynamicLibrary::Open(library);
    ASSERT_NE(probe_, nullptr);
    OracleClient::Process().InitClient();
    Reset();
  }

  void Reset() { reinterpret_cast<void (*)()>(probe_->Symbol("qm_test_reset"))(); }
  // The client calls since the last Reset, one an element.
  std::vector<std::string> Calls() {
    const std::string log =
        reinterpret_cast<const char* (*)()>(probe_->Symbol("qm_test_call_log"))();
    std::vector<std::string> calls;
    for (std::size_t start = 0, end; (end = log.find('\n', start)) != std::string::npos;
         start = end + 1)
      calls.push_back(log.substr(start, end - start));
    return calls;
  }
  // Those of the calls whose names are in `names`.
  std::vector<std::string> Calls(std::initializer_list<std::string> names) {
    std::vector<std::string> kept;
    for (const std::string& call : Calls())
      for (const std::string& name : names)
        if (call.substr(0, call.find('(')) == name) kept.push_back(call);
    return kept;
  }

  std::unique_ptr<DynamicLibrary> probe_;
};

}  // namespace qm::testing
