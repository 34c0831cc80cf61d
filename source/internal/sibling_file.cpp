#include "source/internal/sibling_file.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace qm {
namespace {

// Where the extension starts, or the end of the path when the name has none.
std::size_t ExtensionStart(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path.size();
  return dot;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string WithCase(std::string_view extension, bool upper) {
  std::string out(extension);
  for (char& c : out)
    c = static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(c))
                                : std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::string SiblingPath(const std::string& tablePath, std::string_view extension) {
  const std::size_t start = ExtensionStart(tablePath);
  const std::string_view own = std::string_view(tablePath).substr(start);
  const bool upper = own.size() > 1 && std::isupper(static_cast<unsigned char>(own[1]));
  return tablePath.substr(0, start) + WithCase(extension, upper);
}

std::optional<std::string> FindSibling(const std::string& tablePath, std::string_view extension) {
  const std::string stem = tablePath.substr(0, ExtensionStart(tablePath));
  for (bool upper : {false, true}) {
    std::string candidate = stem + WithCase(extension, upper);
    if (IsRegularFile(candidate)) return candidate;
  }
  // A mixed-case extension (".Fpt"): look through the folder.
  const std::filesystem::path stemPath(stem);
  const std::string base = stemPath.filename().string();
  const std::filesystem::path folder =
      stemPath.has_parent_path() ? stemPath.parent_path() : std::filesystem::path(".");
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    const bool matches = name.size() == base.size() + extension.size() &&
                         name.compare(0, base.size(), base) == 0 &&
                         EqualNoCase(std::string_view(name).substr(base.size()), extension);
    if (matches && it->is_regular_file(error))
      return stemPath.has_parent_path() ? (folder / name).string() : name;
  }
  return std::nullopt;
}

}  // namespace qm
