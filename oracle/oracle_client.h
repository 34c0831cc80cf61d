#pragma once
// The Oracle client library of the process: finding it, loading it, resolving its entry points,
// and the network files that come with it.
//
// The client is found through the registry (Oracle homes below HKEY_LOCAL_MACHINE), PATH and the
// command line ("OCIDLL=<library>", "ORACLEHOME=<home name>"), loaded once on first need (the
// first logon or password change, or the first use of the alias list) and kept until
// UnloadClient. Entry points are resolved in groups (release 7, olog, opinit, release 8, release
// 8.1); within a group the first name the library lacks makes the group's flag false and leaves
// the rest of the group unresolved. Every platform service goes through ClientProviders, so the
// whole logic runs on fakes in tests.
//
// One OracleClient serves the process (Process()); tests make their own over fake providers.
// Loading and unloading are serialised by the global client lock, which thread-safe sessions also
// hold around logon and logoff.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "oracle/oci_entry_points.h"
#include "oracle/oracle_critical_section.h"

namespace qm {

class ClientNamingProfile;
class CommandLine;
class Environment;
class FileSystem;
class LibraryLoader;
class LoadedLibrary;
class Registry;

// The platform services the client discovery runs on. None is owned; all must outlive the client.
struct ClientProviders {
  Registry* registry = nullptr;
  Environment* environment = nullptr;
  FileSystem* fileSystem = nullptr;
  LibraryLoader* loader = nullptr;
  const CommandLine* commandLine = nullptr;
  const ClientNamingProfile* naming = nullptr;
};

class OracleClient {
 public:
  // The key of a single-home installation; also the fallback of every home choice.
  static constexpr const char* kOracleKey = "SOFTWARE\\ORACLE";

  struct Home {
    std::string name;
    int number = 0;
  };

  explicit OracleClient(const ClientProviders& providers);
  ~OracleClient();  // unloads the library
  OracleClient(const OracleClient&) = delete;
  OracleClient& operator=(const OracleClient&) = delete;

  // The client of this process, on the platform's own services.
  static OracleClient& Process();
  // Replaces the providers (tests). Only while no library is loaded; the home and alias caches
  // are forgotten with them.
  void SetProviders(const ClientProviders& providers);

  // The value of the first argument containing NAME= (any case): the argument's text after the
  // length of the name and the "=", at most 255 characters; "" when there is none.
  std::string ReadCommandLineValue(const std::string& name) const;

  // Chooses the Oracle home once: OracleHomeKey() is kept until UnloadClient.
  void FindOracleHome();
  // Sets the library path: 0 chosen, 1 no library in the home, 3 no home. Logs its steps.
  int ChooseClientLibrary();
  // 0 loaded, 1 could not load or locate, 2 neither release 7 nor release 8 functions, 3 no home.
  int LoadClientLibrary();
  // Loads and initialises the library unless it is loaded. Throws std::runtime_error with
  // "Initialization error\r\n", the reason, "\r\n\r\n" and the discovery log; the library is
  // unloaded again by then.
  void InitClient();
  // Frees the library and forgets what was chosen automatically (library path, home name), the
  // capability flags, the entry points, OracleHomeKey and OracleHomeDir. The homes list,
  // TNSNamesPath and DatabaseAliases stay.
  void UnloadClient();
  // After a load that had to change into the library's folder: changes back when the current
  // directory is still that folder. Forgets the saved directory in any case.
  void RestoreCurrentDirectory();

  // The tnsnames.ora of the client, computed on the first call (which loads the client: an
  // initialization error propagates and nothing is kept).
  const std::string& TNSNamesPath();
  // The aliases of tnsnames.ora (and the files it includes), read on the first call; any error
  // leaves what was read, and the list is never read again.
  const std::vector<std::string>& DatabaseAliases();

  bool ClientLoaded() const { return library_ != nullptr; }
  bool OCI7Ready() const { return oci7Ready_; }
  bool OLogReady() const { return ologReady_; }
  bool OPInitReady() const { return opinitReady_; }
  bool OCI8Ready() const { return oci8Ready_; }
  bool OCI81Ready() const { return oci81Ready_; }
  const OciEntryPoints& Entries() const { return entries_; }

  const std::string& LibraryPath() const { return libraryPath_; }
  // Sets the path to load (not chosen automatically, so UnloadClient keeps it).
  void SetLibraryPath(const std::string& path);
  const std::string& OracleHomeKey() const { return oracleHomeKey_; }
  const std::string& OracleHomeDir() const { return oracleHomeDir_; }
  const std::string& HomeName() const { return homeName_; }
  const std::vector<Home>& Homes() const { return homes_; }
  // Lines joined by CR LF; emptied at the start of each load attempt.
  const std::string& DiscoveryLog() const { return log_; }

  TOracleCriticalSection& Lock() { return lock_; }

  // A text value of `key` below HKEY_LOCAL_MACHINE; "" when it cannot be read.
  std::string ReadText(const std::string& key, const std::string& name) const;

 private:
  void Log(const std::string& line);
  std::string ReadEnvironment(const std::string& name, std::size_t bufferSize) const;
  void ResolveEntryPoints();
  std::string InitializationError(int code) const;

  ClientProviders providers_;
  TOracleCriticalSection lock_;
  std::unique_ptr<LoadedLibrary> library_;
  OciEntryPoints entries_;
  bool oci7Ready_ = false;
  bool ologReady_ = false;
  bool opinitReady_ = false;
  bool oci8Ready_ = false;
  bool oci81Ready_ = false;
  std::string libraryPath_;
  bool libraryPathAuto_ = false;
  std::string oracleHomeKey_;
  std::string oracleHomeDir_;
  std::string homeName_;
  bool homeNameAuto_ = false;
  std::vector<Home> homes_;
  std::string log_;
  std::string savedDirectory_;
  std::optional<std::string> tnsNamesPath_;
  std::optional<std::vector<std::string>> aliases_;
};

// The process client's operations under the names the rest of the system uses.
inline void InitClient() {
  OracleClient::Process().InitClient();
}
inline void UnloadClient() {
  OracleClient::Process().UnloadClient();
}
inline bool OCI8Ready() {
  return OracleClient::Process().OCI8Ready();
}
inline bool OCI81Ready() {
  return OracleClient::Process().OCI81Ready();
}
inline const std::string& TNSNamesPath() {
  return OracleClient::Process().TNSNamesPath();
}
inline const std::vector<std::string>& DatabaseAliases() {
  return OracleClient::Process().DatabaseAliases();
}
inline std::string ReadCommandLineValue(const std::string& name) {
  return OracleClient::Process().ReadCommandLineValue(name);
}

}  // namespace qm
