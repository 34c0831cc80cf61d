// A client library for the loader's and the session's tests. It exports every name of the
// release 8 group and nothing of release 7 or 8.1 (no OCIEnvCreate). Built with QM_WITH_OCI7 it
// also exports the release 7 names, as a complete 8.0 client does.
//
// Most functions only record their call and succeed; they are weak and take the five-argument
// shape of OCIInitialize (the only one of them the tests' callers reach with arguments that
// matter). The functions a logon walks through are defined for real in
// oci8_only_client_server.cpp, where a scripted server answers (see there).

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "oracle/oci_entry_point_names.h"
#include "oracle/testing/oci8_only_client_calls.h"

namespace {

std::map<std::string, int>& Counts() {
  static std::map<std::string, int> counts;
  return counts;
}

std::string& CallLog() {
  static std::string log;
  return log;
}

unsigned lastInitializeMode = 0;

}  // namespace

void RecordCall(const std::string& call) {
  const std::string name = call.substr(0, call.find('('));
  ++Counts()[name];
  CallLog() += call;
  CallLog() += '\n';
}

#define QM_TEST_EXPORT extern "C" __attribute__((visibility("default")))
#define QM_TEST_FUNCTION(name)                                                            \
  QM_TEST_EXPORT __attribute__((weak)) int name(unsigned a, void*, void*, void*, void*) { \
    if (std::strcmp(#name, "OCIInitialize") == 0) lastInitializeMode = a;                 \
    RecordCall(#name);                                                                    \
    return 0;                                                                             \
  }
QM_OCI8_NAMES(QM_TEST_FUNCTION)
#ifdef QM_WITH_OCI7
QM_OCI7_NAMES(QM_TEST_FUNCTION)
QM_OLOG_NAMES(QM_TEST_FUNCTION)
QM_OPINIT_NAMES(QM_TEST_FUNCTION)
#endif
#undef QM_TEST_FUNCTION

// How often a function was called since the library was loaded (or the last reset).
QM_TEST_EXPORT int qm_test_calls(const char* name) {
  return Counts()[name];
}
// The calls since then, one a line; a few carry their arguments, as "Name(a,b)".
QM_TEST_EXPORT const char* qm_test_call_log() {
  return CallLog().c_str();
}
QM_TEST_EXPORT unsigned qm_test_initialize_mode() {
  return lastInitializeMode;
}
QM_TEST_EXPORT void qm_test_reset() {
  Counts().clear();
  CallLog().clear();
  ResetScriptedServer();
}
