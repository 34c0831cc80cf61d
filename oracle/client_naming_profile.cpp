#include "oracle/client_naming_profile.h"

#include <cstdlib>

#include "platform/codepage.h"
#include "platform/file_system.h"

namespace qm {

namespace {

// The value of a decimal text such as "805" or "19.1", when all of it converts.
std::optional<double> DecimalValue(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return std::nullopt;
  return value;
}

class LinuxProfile : public ClientNamingProfile {
 public:
  char Separator() const override { return '/'; }

  std::string LibraryFolder(const std::string& home, const FileSystem& fs) const override {
    const std::string lib = Join(home, "lib");
    return fs.DirectoryExists(lib) ? lib : home;
  }

  std::string PreferredLibrary() const override { return "libclntsh.so"; }
  bool IsPreferredLibrary(const std::string& fileName) const override {
    return fileName == "libclntsh.so";
  }

  std::optional<double> Version(const std::string& fileName) const override {
    const std::string prefix = "libclntsh.so.";
    if (fileName.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    const std::string number = fileName.substr(prefix.size());
    for (char c : number)
      if ((c < '0' || c > '9') && c != '.') return std::nullopt;
    const auto value = DecimalValue(number);
    if (!value || *value <= 0) return std::nullopt;
    return value;
  }

  std::string NetworkAdminFolder() const override { return "network/admin"; }
  std::string Net80AdminFolder() const override { return "net80/admin"; }
  std::string AdminFolder() const override { return "admin"; }
};

class WindowsProfile : public ClientNamingProfile {
 public:
  char Separator() const override { return '\\'; }

  std::string LibraryFolder(const std::string& home, const FileSystem&) const override {
    return Join(home, "bin");
  }

  std::string PreferredLibrary() const override { return "oci.dll"; }
  bool IsPreferredLibrary(const std::string& fileName) const override {
    return Cp1251EqualNoCase(fileName, "OCI.DLL");
  }

  // ora*.dll: the digits start at the fourth character, or at the sixth after "NT", and run to
  // the first "."; the version is "0." followed by them.
  std::optional<double> Version(const std::string& fileName) const override {
    const std::string upper = Cp1251Upper(fileName);
    if (upper.size() < 7 || upper.compare(0, 3, "ORA") != 0 ||
        upper.compare(upper.size() - 4, 4, ".DLL") != 0)
      return std::nullopt;
    const std::size_t start = upper.compare(3, 2, "NT") == 0 ? 5 : 3;
    std::size_t end = upper.find('.', start);
    if (end == std::string::npos) end = upper.size();
    const auto value = DecimalValue("0." + fileName.substr(start, end - start));
    if (!value || *value <= 0) return std::nullopt;
    return value;
  }

  std::string NetworkAdminFolder() const override { return "Network\\Admin"; }
  std::string Net80AdminFolder() const override { return "Net80\\Admin"; }
  std::string AdminFolder() const override { return "Admin"; }
};

}  // namespace

std::string ClientNamingProfile::Join(const std::string& path, const std::string& part) const {
  if (path.empty() || path.back() == Separator() || path.back() == '/') return path + part;
  return path + Separator() + part;
}

std::string ClientNamingProfile::FolderOf(const std::string& path) const {
  const std::size_t slash = path.find_last_of(std::string("/") + Separator());
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

const ClientNamingProfile& LinuxNaming() {
  static const LinuxProfile profile;
  return profile;
}

const ClientNamingProfile& WindowsNaming() {
  static const WindowsProfile profile;
  return profile;
}

}  // namespace qm
