#include "platform/file_system.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace qm {

namespace {

bool StatIs(const std::string& path, mode_t kind) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == kind;
}

}  // namespace

bool LocalFileSystem::FileExists(const std::string& path) const {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool LocalFileSystem::DirectoryExists(const std::string& path) const {
  return StatIs(path, S_IFDIR);
}

std::vector<std::string> LocalFileSystem::ListFiles(const std::string& folder) const {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (FileExists(folder.empty() ? name : folder + "/" + name)) names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> LocalFileSystem::ReadFile(const std::string& path) const {
  if (!FileExists(path)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return content;
}

std::string LocalFileSystem::CanonicalPath(const std::string& path) const {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

std::string LocalFileSystem::CurrentDirectory() const {
  char buffer[PATH_MAX];
  if (getcwd(buffer, sizeof buffer) == nullptr) return std::string();
  return buffer;
}

bool LocalFileSystem::SetCurrentDirectory(const std::string& path) {
  return !path.empty() && chdir(path.c_str()) == 0;
}

}  // namespace qm
