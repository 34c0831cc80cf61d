#include "oracle/main_thread_calls.h"

namespace qm {
namespace {

MainThreadCalls& DirectCalls() {
  static MainThreadCalls direct;
  return direct;
}

MainThreadCalls* installed = nullptr;

}  // namespace

MainThreadCalls& AppMainThreadCalls() {
  return installed != nullptr ? *installed : DirectCalls();
}

MainThreadCalls* SetAppMainThreadCalls(MainThreadCalls* calls) {
  MainThreadCalls* previous = &AppMainThreadCalls();
  installed = calls;
  return previous;
}

}  // namespace qm
