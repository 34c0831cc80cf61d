// Switches the engine's test hooks from outside the library: the tests of the programs that load
// libocilite.so reach it with dlsym.
#include "ocilite/internal/session.h"

extern "C" __attribute__((visibility("default"))) void ocilite_set_server_reachable(int reachable) {
  qm::ocilite::SetServerReachable(reachable != 0);
}
