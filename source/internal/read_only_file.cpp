#include "source/internal/read_only_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "source/internal/dbf_error.h"

namespace qm {

namespace {

// Why a file of this kind cannot be read as a table, memo or code page file.
const char* KindRefused(mode_t mode) {
  if (S_ISDIR(mode)) return "is a directory, not a regular file";
  if (S_ISFIFO(mode)) return "is a named pipe (FIFO), not a regular file";
  if (S_ISCHR(mode)) return "is a character device, not a regular file";
  if (S_ISBLK(mode)) return "is a block device, not a regular file";
  if (S_ISSOCK(mode)) return "is a socket, not a regular file";
  return "is not a regular file";
}

}  // namespace

ReadOnlyFile::ReadOnlyFile(const std::string& path) : path_(path) {
  // Only regular files are opened: opening a pipe waits for a writer, and a device may act on
  // being opened. The check is repeated on the open file, as the name may change meanwhile; the
  // open itself does not wait (O_NONBLOCK), whatever the name then leads to.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) throw DbfError(path, std::strerror(errno));
  if (!S_ISREG(st.st_mode)) throw DbfError(path, KindRefused(st.st_mode));
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) throw DbfError(path, std::strerror(errno));
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    const std::string reason = S_ISREG(st.st_mode) ? std::strerror(errno) : KindRefused(st.st_mode);
    ::close(fd_);
    fd_ = -1;
    throw DbfError(path, reason);
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
}

ReadOnlyFile::~ReadOnlyFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t ReadOnlyFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t n) const {
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < n) {
    const ssize_t r = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      throw DbfError(path_, std::strerror(errno));
    }
    if (r == 0) break;
    done += static_cast<std::size_t>(r);
  }
  return done;
}

}  // namespace qm
