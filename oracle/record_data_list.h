#pragma once
// TRecordDataList: the records of a dataset as fixed-size blocks kept in chunks, with the blocks'
// addresses in fetch order. A chunk is allocated only when the last one is full, holding half as
// many records as the list has, but at least the minimum given; a block never moves once handed
// out, so its address stays valid until Clear. Each chunk starts with a 12-byte header: its
// capacity, the records it holds and its size in bytes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace qm {

class TRecordDataList {
 public:
  static constexpr std::size_t kChunkHeaderSize = 12;

  // `recordSize` bytes per record; chunks of at least `minimumChunk` records.
  TRecordDataList(int recordSize, int minimumChunk);

  // A zeroed block for a new last record.
  std::byte* Append();
  int Count() const { return static_cast<int>(records_.size()); }
  std::byte* operator[](int index) { return records_.at(static_cast<std::size_t>(index)); }
  const std::byte* operator[](int index) const {
    return records_.at(static_cast<std::size_t>(index));
  }
  int RecordSize() const { return recordSize_; }
  int ChunkCount() const { return static_cast<int>(chunks_.size()); }
  // Frees every chunk.
  void Clear();

 private:
  struct ChunkHeader {
    std::int32_t capacity;
    std::int32_t used;
    std::int32_t byteSize;
  };
  static_assert(sizeof(ChunkHeader) == kChunkHeaderSize);

  ChunkHeader& LastHeader();

  int recordSize_;
  int minimumChunk_;
  std::vector<std::unique_ptr<std::byte[]>> chunks_;
  std::vector<std::byte*> records_;
};

}  // namespace qm
