#include "source/internal/memo_file.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_order.h"
#include "source/internal/dbf_error.h"
#include "source/internal/dbf_format.h"

namespace qm {
MemoFile::MemoFile(const std::string& path, MemoKind kind) : file_(path), kind_(kind) {
  unsigned char header[dbf::kMemoHeaderSize] = {};
  const std::size_t got = file_.ReadAt(0, header, sizeof header);
  switch (kind) {
    case MemoKind::kDbt3:
      blockSize_ = dbf::kDbt3BlockSize;
      break;
    case MemoKind::kDbt4:
      if (got < dbf::kDbt4BlockSizeOffset + 2) throw DbfError(path, "truncated memo header");
      blockSize_ = header[dbf::kDbt4BlockSizeOffset] |
                   static_cast<std::uint32_t>(header[dbf::kDbt4BlockSizeOffset + 1]) << 8;
      if (blockSize_ == 0) blockSize_ = dbf::kDbt4DefaultBlockSize;
      break;
    case MemoKind::kFpt:
      if (got < dbf::kFptBlockSizeOffset + 2) throw DbfError(path, "truncated memo header");
      blockSize_ = static_cast<std::uint32_t>(header[dbf::kFptBlockSizeOffset]) << 8 |
                   header[dbf::kFptBlockSizeOffset + 1];
      if (blockSize_ == 0) throw DbfError(path, "memo block size is 0");
      break;
  }
}

void MemoFile::Read(std::uint32_t block, std::string& out) const {
  out.clear();
  const std::uint64_t offset = static_cast<std::uint64_t>(block) * blockSize_;
  const std::uint64_t size = file_.Size();
  const auto pastEnd = [&] {
    return DbfError(Path(),
                    "memo block " + std::to_string(block) + " lies past the end of the file");
  };
  // The header is never memo data: the first memo block follows it.
  const std::uint64_t firstData = kind_ == MemoKind::kDbt4 ? blockSize_ : dbf::kMemoHeaderSize;
  if (block == 0 || offset < firstData)
    throw DbfError(Path(), "memo block " + std::to_string(block) + " lies in the memo header");
  if (offset >= size) throw pastEnd();

  if (kind_ == MemoKind::kDbt3) return ReadTerminated(block, offset, out);

  unsigned char head[8];
  if (file_.ReadAt(offset, head, sizeof head) < sizeof head) throw pastEnd();
  std::uint64_t length = 0;
  std::uint64_t dataOffset = offset + sizeof head;
  if (kind_ == MemoKind::kFpt) {
    length = Be32(head + 4);
  } else if (std::memcmp(head, dbf::kDbt4BlockSignature, sizeof dbf::kDbt4BlockSignature) == 0) {
    const std::uint32_t stored = Le32(head + 4);  // counts the 8 header bytes
    if (stored < dbf::kDbt4BlockHeaderSize)
      throw DbfError(Path(), "memo block " + std::to_string(block) + " has a bad length");
    length = stored - dbf::kDbt4BlockHeaderSize;
  } else {
    // Some writers use dBASE III memos in dBASE IV tables: no block header, 0x1A at the end.
    return ReadTerminated(block, offset, out);
  }
  if (length > size - dataOffset)
    throw DbfError(Path(),
                   "memo in block " + std::to_string(block) + " runs past the end of the file");
  if (length > dbf::kMaxMemoBytes)
    throw DbfError(Path(), "memo in block " + std::to_string(block) + " is " +
                               std::to_string(length) + " bytes long, more than " +
                               std::to_string(dbf::kMaxMemoBytes));
  out.resize(length);
  if (file_.ReadAt(dataOffset, out.data(), length) < length)
    throw DbfError(Path(),
                   "memo in block " + std::to_string(block) + " runs past the end of the file");
}

// Reads up to the end mark. A chain without one (a damaged file, or a writer that left the mark
// out) is not taken for a memo: what follows would be whatever the file holds next.
void MemoFile::ReadTerminated(std::uint32_t block, std::uint64_t offset, std::string& out) const {
  for (;;) {
    const std::size_t room = dbf::kMaxMemoBytes - out.size();
    const std::string_view got = file_.Peek(offset, room + 1);
    const void* end =
        got.empty() ? nullptr : std::memchr(got.data(), dbf::kDbt3MemoEnd, got.size());
    if (end) {  // within room, as got is at most room + 1
      out.append(got.data(), static_cast<std::size_t>(static_cast<const char*>(end) - got.data()));
      return;
    }
    if (got.size() > room)
      throw DbfError(Path(), "memo in block " + std::to_string(block) + " has no end mark within " +
                                 std::to_string(dbf::kMaxMemoBytes) + " bytes");
    if (got.empty())
      throw DbfError(Path(), "memo in block " + std::to_string(block) +
                                 " has no end mark before the end of the file");
    out.append(got);
    offset += got.size();
  }
}

}  // namespace qm
