#include "platform/memory_file_system.h"

namespace qm {

namespace {

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

}  // namespace

void MemoryFileSystem::AddFile(const std::string& path, std::string content) {
  files_[path] = std::move(content);
  AddDirectory(ParentOf(path));
}

void MemoryFileSystem::AddDirectory(const std::string& path) {
  for (std::string folder = WithoutTrailingSeparator(path); !folder.empty();
       folder = ParentOf(folder)) {
    if (!directories_.insert(folder).second) break;
    if (ParentOf(folder) == folder) break;
  }
}

bool MemoryFileSystem::FileExists(const std::string& path) const {
  return files_.count(path) > 0;
}

bool MemoryFileSystem::DirectoryExists(const std::string& path) const {
  return !path.empty() && directories_.count(WithoutTrailingSeparator(path)) > 0;
}

std::vector<std::string> MemoryFileSystem::ListFiles(const std::string& folder) const {
  std::vector<std::string> names;
  const std::string wanted = WithoutTrailingSeparator(folder);
  for (const auto& [path, content] : files_)
    if (ParentOf(path) == wanted) names.push_back(path.substr(path.find_last_of("/\\") + 1));
  return names;  // the map keeps them sorted
}

std::optional<std::string> MemoryFileSystem::ReadFile(const std::string& path) const {
  const auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  return it->second;
}

bool MemoryFileSystem::SetCurrentDirectory(const std::string& path) {
  if (!DirectoryExists(path)) return false;
  current_ = WithoutTrailingSeparator(path);
  ++directoryChanges_;
  return true;
}

}  // namespace qm
