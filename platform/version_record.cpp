#include "platform/version_record.h"

#include <elf.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/byte_order.h"

namespace qm {
namespace {

template <typename T>
bool ReadAt(const std::string& bytes, std::uint64_t offset, T& out) {
  if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return false;
  std::memcpy(&out, bytes.data() + offset, sizeof(T));
  return true;
}

// The bytes of the named section of a 64-bit ELF image, or nothing.
std::optional<std::string> ElfSection(const std::string& image, std::string_view name) {
  Elf64_Ehdr eh;
  if (!ReadAt(image, 0, eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 ||
      eh.e_ident[EI_CLASS] != ELFCLASS64 || eh.e_shentsize != sizeof(Elf64_Shdr))
    return std::nullopt;
  Elf64_Shdr names;
  if (!ReadAt(image, eh.e_shoff + std::uint64_t{eh.e_shstrndx} * sizeof(Elf64_Shdr), names))
    return std::nullopt;
  for (unsigned i = 0; i < eh.e_shnum; ++i) {
    Elf64_Shdr sh;
    if (!ReadAt(image, eh.e_shoff + std::uint64_t{i} * sizeof(Elf64_Shdr), sh)) return std::nullopt;
    const std::uint64_t at = names.sh_offset + sh.sh_name;
    if (at >= image.size() || names.sh_offset > image.size()) continue;
    const std::size_t room = image.size() - at;
    if (std::string_view(image.data() + at, strnlen(image.data() + at, room)) != name) continue;
    if (sh.sh_offset > image.size() || image.size() - sh.sh_offset < sh.sh_size)
      return std::nullopt;
    return image.substr(sh.sh_offset, sh.sh_size);
  }
  return std::nullopt;
}

}  // namespace

std::optional<VersionInfo> VersionInfo::FromFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto section = ElfSection(image, kVersionSection);
  if (!section) return std::nullopt;
  return FromRecord(std::move(*section));
}

std::optional<VersionInfo> VersionInfo::FromRecord(std::string record) {
  if (record.size() < 8 || record.compare(0, 4, "QMVR") != 0) return std::nullopt;
  const std::uint32_t size = Le32(record.data() + 4);
  if (size < 8 || size > record.size()) return std::nullopt;
  record.resize(size);
  return VersionInfo(std::move(record));
}

std::optional<std::string_view> VersionInfo::Query(std::string_view key) const {
  std::size_t at = 8;
  const std::string_view r = record_;
  while (r.size() - at >= 2) {
    const std::size_t keyLen = Le16(r.data() + at);
    at += 2;
    if (r.size() - at < keyLen + 2) break;
    const std::string_view k = r.substr(at, keyLen);
    at += keyLen;
    const std::size_t valueLen = Le16(r.data() + at);
    at += 2;
    if (r.size() - at < valueLen) break;
    if (k == key) return r.substr(at, valueLen);
    at += valueLen;
  }
  return std::nullopt;
}

std::string GetFileVersionString(const std::string& path) {
  const auto info = VersionInfo::FromFile(path);
  if (!info || info->Size() == 0) return "";
  const auto translation = info->Query("\\VarFileInfo\\Translation");
  if (!translation || translation->size() < 4) return "";
  char id[9];
  std::snprintf(id, sizeof id, "%04X%04X", Le16(translation->data()),
                Le16(translation->data() + 2));
  const std::string key = std::string("\\StringFileInfo\\") + id + "\\FileVersion";
  const auto value = info->Query(key);
  if (!value) return "";
  return std::string(value->substr(0, value->find('\0')));
}

std::string OwnExecutablePath() {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace qm
