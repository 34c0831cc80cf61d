#pragma once
// The file-system services the Oracle client discovery needs, behind a small interface so that
// home layouts, library folders and tnsnames.ora files can be laid out in memory by tests.
// Paths are passed through as they are (bytes); nothing here throws.

#include <optional>
#include <string>
#include <vector>

namespace qm {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // True when `path` names a file that is not a folder.
  virtual bool FileExists(const std::string& path) const = 0;
  virtual bool DirectoryExists(const std::string& path) const = 0;
  // Names (not paths) of the files in `folder` that are not folders, sorted by name; empty when
  // the folder cannot be read.
  virtual std::vector<std::string> ListFiles(const std::string& folder) const = 0;
  // The whole content of a file, or nothing when it cannot be read.
  virtual std::optional<std::string> ReadFile(const std::string& path) const = 0;
  // One spelling per file, for telling whether two paths name the same file; `path` itself when
  // it cannot be resolved.
  virtual std::string CanonicalPath(const std::string& path) const = 0;
  virtual std::string CurrentDirectory() const = 0;
  // False when the directory cannot be changed to `path`.
  virtual bool SetCurrentDirectory(const std::string& path) = 0;
};

// The machine's own file system.
class LocalFileSystem : public FileSystem {
 public:
  bool FileExists(const std::string& path) const override;
  bool DirectoryExists(const std::string& path) const override;
  std::vector<std::string> ListFiles(const std::string& folder) const override;
  std::optional<std::string> ReadFile(const std::string& path) const override;
  std::string CanonicalPath(const std::string& path) const override;
  std::string CurrentDirectory() const override;
  bool SetCurrentDirectory(const std::string& path) override;
};

}  // namespace qm
