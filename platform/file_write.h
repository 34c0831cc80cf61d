#pragma once
// Replacing a file's content as a whole: the new bytes go to a temporary file beside the target,
// which is flushed and then renamed over it, so a failure part-way (a full disk, say) leaves the
// previous file as it was.

#include <stdexcept>
#include <string>
#include <string_view>

namespace qm {

// Why a file could not be written: the file name and the system's text for the reason.
class FileWriteError : public std::runtime_error {
 public:
  FileWriteError(std::string path, int errorNumber);
  const std::string& Path() const { return path_; }
  int ErrorNumber() const { return errorNumber_; }
  // The system's text for the reason, e.g. "No space left on device".
  std::string Reason() const;

 private:
  std::string path_;
  int errorNumber_;
};

// How the written file's mode is chosen.
enum class FileModeRule {
  kKeepExisting,  // an existing file keeps its mode; a new one gets the given mode
  kAlways,        // always the given mode, for files that hold secrets
};

// Writes `bytes` to `path`, replacing what was there, with mode `mode` (before the umask) as
// `rule` says. A symbolic link at `path` is replaced by the file, never written through, and its
// target's mode is not taken. Throws FileWriteError and leaves the old file whole.
void ReplaceFileContent(const std::string& path, std::string_view bytes, unsigned mode = 0666,
                        FileModeRule rule = FileModeRule::kKeepExisting);

}  // namespace qm
