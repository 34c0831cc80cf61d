#pragma once
// A file opened for reading by position (pread), closed with the object. Reading by position
// instead of mapping keeps a file that another program shortens while we read it an error we
// report, not a signal that ends the process.

#include <cstddef>
#include <cstdint>
#include <string>

namespace qm {

class ReadOnlyFile {
 public:
  // Opens path, without waiting. Throws DbfError(path, <the system's reason>) when it cannot, and
  // DbfError(path, "is a named pipe (FIFO), not a regular file") (or a directory, a character
  // or block device, a socket) for anything but a regular file.
  explicit ReadOnlyFile(const std::string& path);
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  const std::string& Path() const { return path_; }
  // The size when the file was opened.
  std::uint64_t Size() const { return size_; }
  // Reads up to n bytes at offset; returns how many it read (fewer only at the end of the file).
  // Throws DbfError on a read error.
  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t n) const;

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::string path_;
};

}  // namespace qm
