#include "source/internal/cached_file.h"

#include <algorithm>
#include <cstring>

namespace qm {

CachedFile::CachedFile(const std::string& path) : file_(path) {}

std::string_view CachedFile::Peek(std::uint64_t offset, std::size_t n) const {
  const std::uint64_t start = offset - offset % kBlockBytes;
  Block* block = nullptr;
  for (Block& b : blocks_)
    if (b.start == start) block = &b;
  if (!block) {
    // The least recently used block makes room; it is marked unused until the read succeeds.
    block = &*std::min_element(blocks_.begin(), blocks_.end(), [](const Block& a, const Block& b) {
      return a.lastUse < b.lastUse;
    });
    if (!block->bytes) block->bytes = std::make_unique<char[]>(kBlockBytes);
    block->start = UINT64_MAX;
    block->size = file_.ReadAt(start, block->bytes.get(), kBlockBytes);
    block->start = start;
  }
  block->lastUse = ++uses_;
  const auto at = static_cast<std::size_t>(offset - start);
  if (at >= block->size) return {};
  return {block->bytes.get() + at, std::min(n, block->size - at)};
}

std::size_t CachedFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t n) const {
  if (n > kBlockBytes) return file_.ReadAt(offset, buffer, n);
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < n) {
    const std::string_view part = Peek(offset + done, n - done);
    if (part.empty()) break;
    std::memcpy(out + done, part.data(), part.size());
    done += part.size();
  }
  return done;
}

}  // namespace qm
