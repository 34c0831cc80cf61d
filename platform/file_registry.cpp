#include "platform/file_registry.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/environment.h"
#include "platform/file_write.h"
#include "platform/registry_file.h"

namespace qm {

namespace {

constexpr unsigned kFileMode = 0600;
constexpr unsigned kFolderMode = 0700;

std::string RootName(RegistryHive hive) {
  return hive == RegistryHive::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::string FullPath(RegistryHive hive, const std::string& key) {
  return key.empty() ? RootName(hive) : RootName(hive) + "\\" + key;
}

// Creates the folders of `path` that are missing.
void MakeParentFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), kFolderMode) != 0 && errno != EEXIST)
      throw RegistryError(folder + ": " + std::strerror(errno));
  }
}

}  // namespace

FileRegistry::FileRegistry(std::string machinePath, std::string userPath)
    : machinePath_(std::move(machinePath)), userPath_(std::move(userPath)) {}

FileRegistry FileRegistry::FromEnvironment(const Environment& env) {
  std::string user = GetOrEmpty(env, "QUILLMOVE_USER_REGISTRY");
  if (user.empty()) {
    std::string config = GetOrEmpty(env, "XDG_CONFIG_HOME");
    if (config.empty()) config = GetOrEmpty(env, "HOME") + "/.config";
    user = config + "/quillmove/user.reg";
  }
  std::string machine = GetOrEmpty(env, "QUILLMOVE_MACHINE_REGISTRY");
  if (machine.empty()) machine = "/etc/quillmove/machine.reg";
  return FileRegistry(machine, user);
}

const std::string& FileRegistry::PathOf(RegistryHive hive) const {
  return hive == RegistryHive::LocalMachine ? machinePath_ : userPath_;
}

RegistryFile FileRegistry::Load(RegistryHive hive) const {
  std::ifstream in(PathOf(hive), std::ios::binary);
  if (!in) return RegistryFile();
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return RegistryFile::Parse(text);
}

void FileRegistry::Save(RegistryHive hive, const RegistryFile& file) const {
  const std::string& path = PathOf(hive);
  try {
    MakeParentFolders(path);
    // The user hive holds the logon history, passwords included: private after every save,
    // whatever mode the file had. The machine hive keeps the mode its administrator gave it.
    ReplaceFileContent(path, file.Format(), kFileMode,
                       hive == RegistryHive::CurrentUser ? FileModeRule::kAlways
                                                         : FileModeRule::kKeepExisting);
  } catch (const FileWriteError& e) {
    throw RegistryError(e.what());
  }
}

bool FileRegistry::KeyExists(RegistryHive hive, const std::string& key) const {
  return Load(hive).KeyExists(FullPath(hive, key));
}

std::optional<RegistryValue> FileRegistry::ReadValue(RegistryHive hive, const std::string& key,
                                                     const std::string& name) const {
  return Load(hive).Read(FullPath(hive, key), name);
}

void FileRegistry::CreateKey(RegistryHive hive, const std::string& key) {
  RegistryFile file = Load(hive);
  if (file.FindKey(FullPath(hive, key)) != nullptr) return;
  file.AddKey(FullPath(hive, key));
  Save(hive, file);
}

void FileRegistry::WriteValue(RegistryHive hive, const std::string& key, const std::string& name,
                              const RegistryValue& value) {
  RegistryFile file = Load(hive);
  file.Write(FullPath(hive, key), name, value);
  Save(hive, file);
}

bool FileRegistry::DeleteValue(RegistryHive hive, const std::string& key, const std::string& name) {
  RegistryFile file = Load(hive);
  if (!file.Delete(FullPath(hive, key), name)) return false;
  Save(hive, file);
  return true;
}

}  // namespace qm
