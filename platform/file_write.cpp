#include "platform/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qm {

FileWriteError::FileWriteError(std::string path, int errorNumber)
    : std::runtime_error(path + ": " + std::strerror(errorNumber)),
      path_(std::move(path)),
      errorNumber_(errorNumber) {}

std::string FileWriteError::Reason() const { return std::strerror(errorNumber_); }

void ReplaceFileContent(const std::string& path, std::string_view bytes, unsigned mode,
                        FileModeRule rule) {
  struct stat existing {};
  if (rule == FileModeRule::kKeepExisting && lstat(path.c_str(), &existing) == 0 &&
      S_ISREG(existing.st_mode))
    mode = existing.st_mode & 07777;

  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) throw FileWriteError(path, errno);
  auto fail = [&](int error) {
    close(fd);
    unlink(temp.c_str());
    throw FileWriteError(path, error);
  };
  const mode_t mask = umask(0);
  umask(mask);
  if (fchmod(fd, static_cast<mode_t>(mode) & ~mask) != 0) fail(errno);
  const char* at = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = write(fd, at, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(errno);
    }
    at += n;
    left -= static_cast<std::size_t>(n);
  }
  if (fsync(fd) != 0) fail(errno);
  if (close(fd) != 0) {
    const int error = errno;
    unlink(temp.c_str());
    throw FileWriteError(path, error);
  }
  if (rename(temp.c_str(), path.c_str()) != 0) {
    const int error = errno;
    unlink(temp.c_str());
    throw FileWriteError(path, error);
  }
}

}  // namespace qm
