#include "oracle/oracle_critical_section.h"

namespace qm {

void TOracleCriticalSection::Enter() {
  mutex_.lock();
  holder_ = std::this_thread::get_id();
  ++count_;
}

void TOracleCriticalSection::Leave() {
  if (count_ == 0 || holder_.load() != std::this_thread::get_id()) return;
  if (--count_ == 0) holder_ = std::thread::id();
  mutex_.unlock();
}

TOracleLockScope::TOracleLockScope(TOracleCriticalSection& section, bool active)
    : section_(section), held_(active) {
  if (held_) section_.Enter();
}

TOracleLockScope::~TOracleLockScope() {
  Leave();
}

void TOracleLockScope::Leave() {
  if (!held_) return;
  held_ = false;
  section_.Leave();
}

}  // namespace qm
