#include "platform/testing/scratch_folder.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace qm::testing {

ScratchFolder::ScratchFolder(ScratchPlace place) {
  std::error_code error;
  std::filesystem::path parent;
  if (place == ScratchPlace::kMemoryWhereAvailable &&
      std::filesystem::is_directory("/dev/shm", error))
    parent = "/dev/shm";
  else
    parent = std::filesystem::temp_directory_path();
  std::string pattern = (parent / "quillmove-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("cannot make a scratch folder in " + parent.string() + ": " +
                             std::generic_category().message(errno));
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

std::string ScratchFolder::PathOf(std::string_view name) const {
  return path_ + "/" + std::string(name);
}

std::string ScratchFolder::Write(std::string_view name, std::string_view bytes) const {
  const std::string path = PathOf(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

void ScratchFolder::Remove(std::string_view name) const {
  std::error_code error;
  std::filesystem::remove(PathOf(name), error);
}

}  // namespace qm::testing
