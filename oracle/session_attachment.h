#pragma once
// What a session asks of the statements, datasets and other objects attached to it. Each
// registers with its session when it is given one and unregisters when it leaves it or is
// destroyed (TOracleSession::Attach/Detach).

namespace qm {

class TSessionAttachment {
 public:
  virtual ~TSessionAttachment() = default;
  // The session is logging off: close, and release every client handle taken from it. The
  // session ignores what this throws.
  virtual void SessionLoggingOff() = 0;
  // The session is being destroyed: forget it without calling it again.
  virtual void SessionDestroyed() = 0;
};

}  // namespace qm
