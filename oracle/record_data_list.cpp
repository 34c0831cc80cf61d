#include "oracle/record_data_list.h"

#include <algorithm>
#include <cstring>

namespace qm {

TRecordDataList::TRecordDataList(int recordSize, int minimumChunk)
    : recordSize_(recordSize), minimumChunk_(std::max(minimumChunk, 1)) {}

TRecordDataList::ChunkHeader& TRecordDataList::LastHeader() {
  return *reinterpret_cast<ChunkHeader*>(chunks_.back().get());
}

std::byte* TRecordDataList::Append() {
  if (chunks_.empty() || LastHeader().used == LastHeader().capacity) {
    const int capacity = std::max(Count() / 2, minimumChunk_);
    const std::size_t bytes =
        kChunkHeaderSize + static_cast<std::size_t>(capacity) * static_cast<std::size_t>(recordSize_);
    // Left as it comes: a dataset that holds one row of a large read buffer would otherwise clear
    // the whole chunk for it. Each block is cleared when it is handed out.
    chunks_.push_back(std::make_unique_for_overwrite<std::byte[]>(bytes));
    LastHeader() = {capacity, 0, static_cast<std::int32_t>(bytes)};
  }
  ChunkHeader& header = LastHeader();
  std::byte* block = chunks_.back().get() + kChunkHeaderSize +
                     static_cast<std::size_t>(header.used) * static_cast<std::size_t>(recordSize_);
  ++header.used;
  std::memset(block, 0, static_cast<std::size_t>(recordSize_));
  records_.push_back(block);
  return block;
}

void TRecordDataList::Clear() {
  records_.clear();
  chunks_.clear();
}

}  // namespace qm
