#pragma once
// TOracleCriticalSection: a recursive lock with an entry count. The thread that holds it may
// enter again; each Leave undoes one Enter. Leave is ignored when the count is zero, and also
// when the calling thread does not hold the lock (releasing another thread's lock would break it).

#include <atomic>
#include <mutex>
#include <thread>

namespace qm {

class TOracleCriticalSection {
 public:
  void Enter();
  void Leave();
  // Entries still held by the holding thread (0 when free).
  int Count() const { return count_; }

 private:
  std::recursive_mutex mutex_;
  std::atomic<int> count_{0};
  std::atomic<std::thread::id> holder_{};
};

// Holds a critical section for the life of the object when `active`.
class TOracleLockScope {
 public:
  TOracleLockScope(TOracleCriticalSection& section, bool active = true);
  ~TOracleLockScope();
  TOracleLockScope(const TOracleLockScope&) = delete;
  TOracleLockScope& operator=(const TOracleLockScope&) = delete;
  // Leaves early; the destructor then does nothing.
  void Leave();

 private:
  TOracleCriticalSection& section_;
  bool held_;
};

}  // namespace qm
