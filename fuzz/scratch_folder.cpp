#include "fuzz/scratch_folder.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace qm::fuzz {
namespace {

struct Folder {
  std::string path;
  Folder() {
    std::error_code error;
    const char* base = std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/quillmove-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    path = pattern;
  }
  ~Folder() {
    std::error_code error;
    std::filesystem::remove_all(path, error);
  }
};

}  // namespace

const std::string& ScratchFolder() {
  static const Folder folder;
  return folder.path;
}

std::string WriteScratchFile(const std::string& name, std::string_view bytes) {
  const std::string path = ScratchFolder() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::abort();
  }
  return path;
}

void RemoveScratchFile(const std::string& name) {
  std::remove((ScratchFolder() + "/" + name).c_str());
}

}  // namespace qm::fuzz
