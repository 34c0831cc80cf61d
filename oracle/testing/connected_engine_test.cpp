#include "oracle/testing/connected_engine_test.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include "oracle/client_naming_profile.h"
#include "oracle/oracle_client.h"
#include "platform/command_line.h"
#include "platform/dynamic_library.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/memory_registry.h"

namespace qm::testing {

void UseClientLibrary(const std::string& library) {
  static MemoryRegistry registry;
  static ProcessEnvironment environment;
  static LocalFileSystem fileSystem;
  static DynamicLibraryLoader loader;
  static FixedCommandLine commandLine({});
  OracleClient& client = OracleClient::Process();
  if (client.ClientLoaded() && client.LibraryPath() == library) return;
  LogOffSessionsAndUnloadClient();
  client.SetLibraryPath("");
  commandLine = FixedCommandLine({"OCIDLL=" + library});
  client.SetProviders(
      {&registry, &environment, &fileSystem, &loader, &commandLine, &LinuxNaming()});
}

void SetEngineServerReachable(bool reachable) {
  void* library = dlopen(OCILITE_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(library, nullptr);
  auto* set = reinterpret_cast<void (*)(int)>(dlsym(library, "ocilite_set_server_reachable"));
  ASSERT_NE(set, nullptr);
  set(reachable ? 1 : 0);
  dlclose(library);
}

void ConnectedEngineTest::SetUp() {
  EngineTest::SetUp();
  UseClientLibrary(OCILITE_LIBRARY);
  session_.SetLogonUsername("system");
  session_.SetLogonPassword("manager");
  session_.SetLogonDatabase("orcl");
  session_.Preferences().SetUseOCI7(UseOCI7());
  session_.LogOn();
  ASSERT_EQ(session_.OCI8Session(), !UseOCI7());
}

void ConnectedEngineTest::TearDown() {
  if (session_.Connected()) session_.LogOff();
  EngineTest::TearDown();
}

void ConnectedEngineTest::Run(std::initializer_list<const char*> statements) {
  for (const char* sql : statements) session_.ExecInternal(sql);
}

}  // namespace qm::testing
