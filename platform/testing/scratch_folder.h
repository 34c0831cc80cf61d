#pragma once
// Test support: a folder of a test's own, made by the constructor under the system's temporary
// folder (TMPDIR, else /tmp) with a name no other process gets, and removed with everything in it
// by the destructor. Two tests, or two runs of the suites on one machine, never share a file.

#include <string>
#include <string_view>

namespace qm::testing {

enum class ScratchPlace {
  kTemporaryFolder,
  // In memory under /dev/shm where the machine has it (for the fuzzing harnesses, which write a
  // file per input), else as kTemporaryFolder.
  kMemoryWhereAvailable,
};

class ScratchFolder {
 public:
  // Throws std::runtime_error when the folder cannot be made.
  explicit ScratchFolder(ScratchPlace place = ScratchPlace::kTemporaryFolder);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder's path, without a trailing '/'.
  const std::string& Path() const { return path_; }
  // The path of the file `name` in the folder.
  std::string PathOf(std::string_view name) const;
  // Replaces the file `name` in the folder with `bytes` and returns its path; throws
  // std::runtime_error naming the file when it cannot be written in full.
  std::string Write(std::string_view name, std::string_view bytes) const;
  // Removes the file `name` when it is there.
  void Remove(std::string_view name) const;

 private:
  std::string path_;
};

}  // namespace qm::testing
