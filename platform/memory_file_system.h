#pragma once
// A file system held in memory, for tests: files with their content, folders, and a current
// directory. Both '/' and '\' separate folders, so Windows-style layouts ("C:\orant\bin\oci.dll")
// work as well as Linux ones. A file's parent folders exist implicitly.

#include <map>
#include <set>
#include <string>

#include "platform/file_system.h"

namespace qm {

class MemoryFileSystem : public FileSystem {
 public:
  void AddFile(const std::string& path, std::string content = {});
  void AddDirectory(const std::string& path);
  void RemoveFile(const std::string& path) { files_.erase(path); }

  bool FileExists(const std::string& path) const override;
  bool DirectoryExists(const std::string& path) const override;
  std::vector<std::string> ListFiles(const std::string& folder) const override;
  std::optional<std::string> ReadFile(const std::string& path) const override;
  std::string CanonicalPath(const std::string& path) const override { return path; }
  std::string CurrentDirectory() const override { return current_; }
  // Succeeds for a folder that exists.
  bool SetCurrentDirectory(const std::string& path) override;

  // Number of successful SetCurrentDirectory calls.
  int DirectoryChanges() const { return directoryChanges_; }

 private:
  std::map<std::string, std::string> files_;
  std::set<std::string> directories_;
  std::string current_ = "/";
  int directoryChanges_ = 0;
};

}  // namespace qm
