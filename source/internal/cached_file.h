#pragma once
// A file read by position through a few cached blocks, for the memo file: its memos are small
// and mostly read in the order they are stored, so one read of a block serves the memos of many
// records instead of one read (or several) per value. The file is taken as it was when a block
// was read: a change made to the file afterwards may go unseen.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "source/internal/read_only_file.h"

namespace qm {

class CachedFile {
 public:
  // Bytes of one cached block; blocks start at multiples of it.
  static constexpr std::size_t kBlockBytes = 32 * 1024;

  // Opens path as ReadOnlyFile does, with its errors.
  explicit CachedFile(const std::string& path);

  const std::string& Path() const { return file_.Path(); }
  std::uint64_t Size() const { return file_.Size(); }

  // The bytes at offset, at most n, as far as the block holding offset reaches: fewer than n
  // where that block or the file ends, none at or past the end. Valid until the next call.
  // Throws DbfError on a read error.
  std::string_view Peek(std::uint64_t offset, std::size_t n) const;
  // Reads up to n bytes at offset as ReadOnlyFile::ReadAt does (fewer only at the end of the
  // file); a read larger than a block goes to the file directly.
  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t n) const;

 private:
  struct Block {
    std::uint64_t start = UINT64_MAX;  // offset of the block's first byte; UINT64_MAX: unused
    std::size_t size = 0;              // bytes the file had there
    std::uint64_t lastUse = 0;
    std::unique_ptr<char[]> bytes;
  };
  static constexpr std::size_t kBlocks = 4;

  ReadOnlyFile file_;
  mutable std::array<Block, kBlocks> blocks_;
  mutable std::uint64_t uses_ = 0;
};

}  // namespace qm
