#pragma once
// A memo file beside a table: the dBASE III and dBASE IV forms of .dbt, and the FoxPro .fpt.
// Reads one memo by its block number, checking every length against the file; the file is read
// in blocks of CachedFile::kBlockBytes, a few kept, not once per memo.

#include <cstdint>
#include <string>

#include "source/internal/cached_file.h"

namespace qm {

enum class MemoKind {
  kDbt3,  // 512-byte blocks, text ended by 0x1A
  kDbt4,  // block size in the header, each memo led by FF FF 08 00 and its length
  kFpt,   // block size in the header (big-endian), each memo led by its type and length
};

class MemoFile {
 public:
  // Opens the file and reads its header. Throws DbfError naming the file when it cannot be read
  // or its header is impossible.
  MemoFile(const std::string& path, MemoKind kind);

  const std::string& Path() const { return file_.Path(); }

  // Replaces out with the content of the memo starting at block (> 0), bytes as stored. Throws
  // DbfError naming the memo file when the block or the memo's length lies past its end, when a
  // memo ended by a mark has none before the file's end, and when a memo would be longer than
  // dbf::kMaxMemoBytes; no more than that is ever read or held.
  void Read(std::uint32_t block, std::string& out) const;

 private:
  void ReadTerminated(std::uint32_t block, std::uint64_t offset, std::string& out) const;

  CachedFile file_;  // memos read through a few cached blocks
  MemoKind kind_;
  std::uint32_t blockSize_ = 0;
};

}  // namespace qm
