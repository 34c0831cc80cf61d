#pragma once
// TSessionLockScope: holds a session's lock around a sequence of release 7 calls, when the
// session asks for it (thread-safe and on the release 7 interface); does nothing otherwise.

#include "oracle/oracle_session.h"

namespace qm {

class TSessionLockScope {
 public:
  explicit TSessionLockScope(TOracleSession* session)
      : session_(session != nullptr && session->LockSession() ? session : nullptr) {}
  ~TSessionLockScope() {
    if (session_ != nullptr) session_->UnlockSession();
  }
  TSessionLockScope(const TSessionLockScope&) = delete;
  TSessionLockScope& operator=(const TSessionLockScope&) = delete;

 private:
  TOracleSession* session_;
};

}  // namespace qm
