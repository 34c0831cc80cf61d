#include "oracle/oracle_client.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "oracle/client_naming_profile.h"
#include "oracle/internal/client_language.h"
#include "oracle/tns_names_reader.h"
#include "platform/codepage.h"
#include "platform/command_line.h"
#include "platform/dynamic_library.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/library_loader.h"
#include "platform/registry.h"

namespace qm {

namespace {

constexpr const char* kAllHomesKey = "SOFTWARE\\ORACLE\\ALL_HOMES";
constexpr const char* kHomeKeyPrefix = "SOFTWARE\\ORACLE\\HOME";
constexpr std::size_t kCommandLineValueLimit = 255;
constexpr std::size_t kPathBuffer = 10000;
constexpr std::size_t kTnsAdminBuffer = 1000;

// One entry point: its name and how its address goes into the table.
struct Slot {
  const char* name;
  void (*assign)(OciEntryPoints&, void*);
};

#define QM_OCI_ENTRY(name) \
  Slot{#name, [](OciEntryPoints& e, void* p) { e.name = reinterpret_cast<name##_t>(p); }},
constexpr Slot kOci7Group[] = {QM_OCI7_NAMES(QM_OCI_ENTRY)};
constexpr Slot kOlogGroup[] = {QM_OLOG_NAMES(QM_OCI_ENTRY)};
constexpr Slot kOpinitGroup[] = {QM_OPINIT_NAMES(QM_OCI_ENTRY)};
constexpr Slot kOci8Group[] = {QM_OCI8_NAMES(QM_OCI_ENTRY)};
constexpr Slot kOci81Group[] = {QM_OCI81_NAMES(QM_OCI_ENTRY)};
constexpr Slot kTempLobNames[] = {QM_OCI_TEMP_LOB_NAMES(QM_OCI_ENTRY)};
#undef QM_OCI_ENTRY

static_assert(std::size(kOci7Group) == 20 && std::size(kOci8Group) == 114 &&
              std::size(kOci81Group) == 9);

// Resolves a group while `ready`; the first missing name ends it and makes it not ready.
template <std::size_t N>
bool ResolveGroup(const LoadedLibrary& library, const Slot (&group)[N], bool ready,
                  OciEntryPoints& entries) {
  for (const Slot& slot : group) {
    if (!ready) break;
    void* address = library.Symbol(slot.name);
    if (address == nullptr)
      ready = false;
    else
      slot.assign(entries, address);
  }
  return ready;
}

// A decimal integer as the whole text (optional sign).
std::optional<long> ParseInteger(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + text.size() || text.front() == ' ') return std::nullopt;
  return value;
}

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

struct ProcessProviders {
  ProcessEnvironment environment;
  LocalFileSystem fileSystem;
  DynamicLibraryLoader loader;
  ProcessCommandLine commandLine;
};

ClientProviders DefaultProviders() {
  static ProcessProviders providers;
  return {&AppRegistry(),    &providers.environment, &providers.fileSystem,
          &providers.loader, &providers.commandLine, &LinuxNaming()};
}

}  // namespace

OracleClient::OracleClient(const ClientProviders& providers) : providers_(providers) {}

OracleClient::~OracleClient() {
  UnloadClient();
}

OracleClient& OracleClient::Process() {
  static OracleClient client(DefaultProviders());
  return client;
}

void OracleClient::SetProviders(const ClientProviders& providers) {
  TOracleLockScope hold(lock_);
  if (ClientLoaded()) throw std::logic_error("client providers replaced while loaded");
  providers_ = providers;
  libraryPath_.clear();
  libraryPathAuto_ = false;
  oracleHomeKey_.clear();
  oracleHomeDir_.clear();
  homeName_.clear();
  homeNameAuto_ = false;
  homes_.clear();
  log_.clear();
  savedDirectory_.clear();
  tnsNamesPath_.reset();
  aliases_.reset();
}

void OracleClient::SetLibraryPath(const std::string& path) {
  libraryPath_ = path;
  libraryPathAuto_ = false;
}

void OracleClient::Log(const std::string& line) {
  if (!log_.empty()) log_ += "\r\n";
  log_ += line;
}

std::string OracleClient::ReadText(const std::string& key, const std::string& name) const {
  return ReadRegistryText(*providers_.registry, RegistryHive::LocalMachine, key, name);
}

// An environment variable read into a buffer of `bufferSize` characters: one that does not fit
// with its terminating NUL reads as empty.
std::string OracleClient::ReadEnvironment(const std::string& name, std::size_t bufferSize) const {
  const std::string value = GetOrEmpty(*providers_.environment, name);
  return value.size() < bufferSize ? value : std::string();
}

std::string OracleClient::ReadCommandLineValue(const std::string& name) const {
  const std::string wanted = Cp1251Upper(name) + "=";
  for (const std::string& argument : providers_.commandLine->Arguments()) {
    if (Cp1251Upper(argument).find(wanted) == std::string::npos) continue;
    if (argument.size() <= name.size() + 1) return std::string();
    return argument.substr(name.size() + 1, kCommandLineValueLimit);
  }
  return std::string();
}

void OracleClient::FindOracleHome() {
  if (!oracleHomeKey_.empty()) return;

  homes_.clear();
  if (const auto count = ParseInteger(ReadText(kAllHomesKey, "HOME_COUNTER"))) {
    for (long n = 0; n < std::max(*count, 1L); ++n) {
      const std::string name = ReadText(kHomeKeyPrefix + std::to_string(n), "ORACLE_HOME_NAME");
      if (!name.empty()) homes_.push_back({name, static_cast<int>(n)});
    }
    std::stable_sort(homes_.begin(), homes_.end(), [](const Home& a, const Home& b) {
      return Cp1251Upper(a.name) < Cp1251Upper(b.name);
    });
  }

  if (homes_.empty()) {
    oracleHomeKey_ = kOracleKey;
    return;
  }

  std::string wanted = Cp1251Upper(ReadCommandLineValue("ORACLEHOME"));
  if (wanted.empty()) wanted = homeName_;
  const std::string path = Cp1251Upper(ReadEnvironment("PATH", kPathBuffer));
  std::size_t best = path.size();
  const Home* chosen = nullptr;
  homeNameAuto_ = false;
  for (const Home& home : homes_) {
    const std::string key = kHomeKeyPrefix + std::to_string(home.number);
    if (Cp1251EqualNoCase(home.name, wanted)) {
      chosen = &home;
      break;
    }
    const std::string dir = ReadText(key, "ORACLE_HOME");
    if (dir.empty()) continue;
    const std::size_t found = path.find(Cp1251Upper(providers_.naming->Join(dir, "bin")));
    // Positions count from 1, as the system has always compared them with the PATH length.
    if (found != std::string::npos && found + 1 < best) {
      chosen = &home;
      best = found + 1;
    }
  }
  if (chosen == nullptr) chosen = &homes_.back();
  oracleHomeKey_ = kHomeKeyPrefix + std::to_string(chosen->number);
  if (homeName_.empty()) {
    homeName_ = chosen->name;
    homeNameAuto_ = true;
  }
  if (ReadText(oracleHomeKey_, "ORACLE_HOME").empty()) oracleHomeKey_ = kOracleKey;
}

int OracleClient::ChooseClientLibrary() {
  const std::string forced = ReadCommandLineValue("OCIDLL");
  if (!forced.empty()) SetLibraryPath(forced);
  if (!libraryPath_.empty()) {
    Log("OCIDLL forced to " + libraryPath_);
    return 0;
  }

  FindOracleHome();
  oracleHomeDir_ = ReadText(oracleHomeKey_, "ORACLE_HOME");
  Log("OracleHomeKey: " + oracleHomeKey_);
  Log("OracleHomeDir: " + oracleHomeDir_);
  if (oracleHomeDir_.empty()) return 3;

  const ClientNamingProfile& naming = *providers_.naming;
  const FileSystem& fs = *providers_.fileSystem;
  const std::string folder = naming.LibraryFolder(oracleHomeDir_, fs);
  struct Candidate {
    std::string name;
    double version;
  };
  std::vector<Candidate> candidates;
  if (fs.FileExists(naming.Join(folder, naming.PreferredLibrary()))) {
    candidates.push_back({naming.PreferredLibrary(), 0});
    Log("Found: " + naming.PreferredLibrary());
  }
  for (const std::string& name : fs.ListFiles(folder)) {
    if (const auto version = naming.Version(name)) {
      candidates.push_back({name, *version});
      Log("Found: " + name);
    }
  }

  const Candidate* choice = nullptr;
  for (const Candidate& candidate : candidates) {
    if (naming.IsPreferredLibrary(candidate.name)) {
      choice = &candidate;
      break;
    }
    if (choice == nullptr || candidate.version > choice->version) choice = &candidate;
  }
  if (choice == nullptr) return 1;
  libraryPath_ = naming.Join(folder, choice->name);
  libraryPathAuto_ = true;
  Log("Using: " + libraryPath_);
  return 0;
}

int OracleClient::LoadClientLibrary() {
  if (ClientLoaded()) return 0;
  log_.clear();
  if (const int code = ChooseClientLibrary(); code != 0) return code;

  SetClientLanguageEnvironment(*providers_.environment);
  std::unique_ptr<LoadedLibrary> library = providers_.loader->Load(libraryPath_);
  if (library == nullptr) {
    FileSystem& fs = *providers_.fileSystem;
    savedDirectory_ = fs.CurrentDirectory();
    fs.SetCurrentDirectory(providers_.naming->FolderOf(libraryPath_));
    library = providers_.loader->Load(libraryPath_);
  }
  if (library == nullptr) {
    Log("LoadLibrary(" + libraryPath_ + ") returned 0");
    return 1;
  }
  library_ = std::move(library);
  ResolveEntryPoints();
  return oci7Ready_ || oci8Ready_ ? 0 : 2;
}

void OracleClient::ResolveEntryPoints() {
  entries_ = OciEntryPoints();
  oci7Ready_ = ResolveGroup(*library_, kOci7Group, true, entries_);
  ologReady_ = ResolveGroup(*library_, kOlogGroup, oci7Ready_, entries_);
  opinitReady_ = ResolveGroup(*library_, kOpinitGroup, ologReady_, entries_);
  oci8Ready_ = ResolveGroup(*library_, kOci8Group, true, entries_);
  oci81Ready_ = ResolveGroup(*library_, kOci81Group, oci8Ready_, entries_);
  if (oci81Ready_)
    for (const Slot& slot : kTempLobNames)
      if (void* address = library_->Symbol(slot.name)) slot.assign(entries_, address);
}

std::string OracleClient::InitializationError(int code) const {
  std::string reason;
  switch (code) {
    case 1:
      reason = libraryPath_.empty() ? "Could not locate OCI dll"
                                    : "Could not load \"" + libraryPath_ + "\"";
      break;
    case 2:
      reason = "Could not initialize \"" + libraryPath_ + "\"";
      break;
    default:
      reason = "SQL*Net not properly installed";
      break;
  }
  return "Initialization error\r\n" + reason + "\r\n\r\n" + log_;
}

void OracleClient::InitClient() {
  TOracleLockScope hold(lock_);
  if (ClientLoaded()) return;
  if (const int code = LoadClientLibrary(); code != 0) {
    // The message names the library that failed, so it is made before the unload forgets it.
    const std::string message = InitializationError(code);
    UnloadClient();
    throw std::runtime_error(message);
  }
  if (opinitReady_ && !oci8Ready_) entries_.opinit(OCI_EV_DEF);
  if (oci8Ready_ && !oci81Ready_)
    entries_.OCIInitialize(OCI_THREADED | OCI_OBJECT, nullptr, nullptr, nullptr, nullptr);
}

void OracleClient::UnloadClient() {
  TOracleLockScope hold(lock_);
  library_.reset();
  entries_ = OciEntryPoints();
  if (libraryPathAuto_) {
    libraryPath_.clear();
    libraryPathAuto_ = false;
  }
  if (homeNameAuto_) {
    homeName_.clear();
    homeNameAuto_ = false;
  }
  oci7Ready_ = ologReady_ = opinitReady_ = oci8Ready_ = oci81Ready_ = false;
  oracleHomeKey_.clear();
  oracleHomeDir_.clear();
}

void OracleClient::RestoreCurrentDirectory() {
  if (!savedDirectory_.empty()) {
    FileSystem& fs = *providers_.fileSystem;
    if (WithoutTrailingSeparators(fs.CurrentDirectory()) ==
        WithoutTrailingSeparators(providers_.naming->FolderOf(libraryPath_)))
      fs.SetCurrentDirectory(savedDirectory_);
  }
  savedDirectory_.clear();
}

const std::string& OracleClient::TNSNamesPath() {
  if (tnsNamesPath_) return *tnsNamesPath_;
  FindOracleHome();
  InitClient();

  const ClientNamingProfile& naming = *providers_.naming;
  std::string folder = ReadEnvironment("TNS_ADMIN", kTnsAdminBuffer);
  if (folder.empty()) folder = ReadText(oracleHomeKey_, "TNS_ADMIN");
  if (folder.empty() && !Cp1251EqualNoCase(oracleHomeKey_, kOracleKey))
    folder = ReadText(kOracleKey, "TNS_ADMIN");
  if (folder.empty()) {
    const std::string net = ReadText(oracleHomeKey_, oci8Ready_ ? "NET80" : "NET20");
    if (!net.empty()) folder = naming.Join(net, naming.AdminFolder());
  }
  if (folder.empty())
    folder = naming.Join(ReadText(oracleHomeKey_, "ORACLE_HOME"), !oci8Ready_ || oci81Ready_
                                                                      ? naming.NetworkAdminFolder()
                                                                      : naming.Net80AdminFolder());
  tnsNamesPath_ = naming.Join(folder, "tnsnames.ora");
  return *tnsNamesPath_;
}

const std::vector<std::string>& OracleClient::DatabaseAliases() {
  if (aliases_) return *aliases_;
  aliases_.emplace();
  AliasList list;
  try {
    const std::string path = TNSNamesPath();
    TnsNamesReader(*providers_.fileSystem).Read(path, list);
  } catch (...) {
    // No client installed, or none that loads: the list stays as read so far.
  }
  *aliases_ = list.Names();
  return *aliases_;
}

}  // namespace qm
