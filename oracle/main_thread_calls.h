#pragma once
// How a statement's background thread has its notifications run on the main thread. The Oracle
// layer knows no event loop: the application installs an implementation that runs the call on
// its user-interface thread and waits for it; without one the call runs on the calling thread.

#include <functional>

namespace qm {

class MainThreadCalls {
 public:
  virtual ~MainThreadCalls() = default;
  // Runs `call` on the main thread and returns when it has run.
  virtual void Call(const std::function<void()>& call) { call(); }
};

MainThreadCalls& AppMainThreadCalls();
// Installs `calls` (not owned; nullptr restores the direct one) and returns the previous one.
MainThreadCalls* SetAppMainThreadCalls(MainThreadCalls* calls);

}  // namespace qm
