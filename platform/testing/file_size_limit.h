#pragma once
// Test support: while an object lives, no file of the process can grow past `bytes`; a write
// that would is cut short and the next one fails with EFBIG ("File too large"). It makes the
// disk "fill up" in the middle of a save without a small file system to fill.

#include <sys/resource.h>

#include <csignal>

namespace qm::testing {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    // Without this the kernel ends the process with SIGXFSZ instead of failing the write.
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limited = previous_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit previous_{};
  void (*previousHandler_)(int) = nullptr;
};

}  // namespace qm::testing
