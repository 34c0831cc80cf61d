#pragma once
// How an Oracle home lays out its client library and network files on one platform. The
// discovery logic is the same everywhere; the names and separators come from the profile.
//
//  Linux:   the library folder is the home's "lib" folder, or the home itself when it has none (an
//           Instant Client); "libclntsh.so" is preferred, else the "libclntsh.so.N[.M]" with the
//           greatest N[.M]; folders are joined with '/'; network files lie in "network/admin"
//           ("net80/admin" for an 8.0 client, "admin" below a NET80/NET20 folder).
//  Windows: the library folder is the home's "bin" folder; "oci.dll" is preferred (any case),
//           else the "ora*.dll" with the greatest version (ora805.dll 0.805, ora81.dll 0.81,
//           oraNT73.dll 0.73); folders are joined with '\'; "Network\Admin", "Net80\Admin",
//           "Admin".

#include <optional>
#include <string>

namespace qm {

class FileSystem;

class ClientNamingProfile {
 public:
  virtual ~ClientNamingProfile() = default;

  virtual char Separator() const = 0;
  // The folder of the home that holds the client library.
  virtual std::string LibraryFolder(const std::string& home, const FileSystem& fs) const = 0;
  // The library that wins over every versioned one when present ("oci.dll", "libclntsh.so").
  virtual std::string PreferredLibrary() const = 0;
  virtual bool IsPreferredLibrary(const std::string& fileName) const = 0;
  // The rank of a versioned library file name; nothing when the name is not one or carries no
  // version greater than 0.
  virtual std::optional<double> Version(const std::string& fileName) const = 0;
  // The network admin folder below a home: for a release 8.1 or later client (or a release 7
  // one), and for a release 8.0 client.
  virtual std::string NetworkAdminFolder() const = 0;
  virtual std::string Net80AdminFolder() const = 0;
  // The admin folder below a NET80/NET20 folder.
  virtual std::string AdminFolder() const = 0;

  // `path` and `part` with one separator between them: none is added to an empty path or to one
  // that already ends with a separator ('/' counts on every platform).
  std::string Join(const std::string& path, const std::string& part) const;
  // The folder part of a file path, without its trailing separator ("" when there is none).
  std::string FolderOf(const std::string& path) const;
};

const ClientNamingProfile& LinuxNaming();
const ClientNamingProfile& WindowsNaming();

}  // namespace qm
