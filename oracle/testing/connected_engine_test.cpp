#include "oracle/testing/connected_engine_test.h"

#include "oracle/client_naming_profile.h"
#include "oracle/oracle_client.h"
#include "platform/command_line.h"
#include "platform/dynamic_library.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/memory_registry.h"

namespace qm::testing {

void ConnectedEngineTest::SetUp() {
  EngineTest::SetUp();
  static MemoryRegistry registry;
  static ProcessEnvironment environment;
  static LocalFileSystem fileSystem;
  static DynamicLibraryLoader loader;
  static FixedCommandLine commandLine({});
  OracleClient& client = OracleClient::Process();
  if (!client.ClientLoaded() || client.LibraryPath() != OCILITE_LIBRARY) {
    LogOffSessionsAndUnloadClient();
    commandLine = FixedCommandLine({std::string("OCIDLL=") + OCILITE_LIBRARY});
    client.SetProviders(
        {&registry, &environment, &fileSystem, &loader, &commandLine, &LinuxNaming()});
  }
  session_.SetLogonUsername("system");
  session_.SetLogonPassword("manager");
  session_.SetLogonDatabase("orcl");
  session_.LogOn();
}

void ConnectedEngineTest::TearDown() {
  if (session_.Connected()) session_.LogOff();
  EngineTest::TearDown();
}

void ConnectedEngineTest::Run(std::initializer_list<const char*> statements) {
  for (const char* sql : statements) session_.ExecInternal(sql);
}

}  // namespace qm::testing
