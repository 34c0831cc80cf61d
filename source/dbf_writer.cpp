#include "source/dbf_writer.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <optional>

#include "platform/byte_order.h"
#include "platform/file_write.h"
#include "source/engine_error.h"
#include "source/internal/dbf_error.h"
#include "source/internal/dbf_format.h"
#include "source/internal/dbf_reader.h"
#include "source/internal/read_only_file.h"
#include "source/internal/sibling_file.h"
#include "source/internal/table_type.h"

namespace qm {
namespace {

constexpr std::size_t kUpdateDateOffset = 1;  // year - 1900, month, day
constexpr std::size_t kTableFlagsOffset = 28;
constexpr std::uint8_t kFlagIndex = 0x01;  // a production index (.mdx, .cdx) belongs to the table
constexpr std::uint32_t kFptBlockSize = 64;
constexpr std::uint32_t kFptTextType = 1;
constexpr std::uint32_t kFptPictureType = 0;

void PutLe16(std::string& out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<char>(v & 0xFF);
  out[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}
void PutLe32(std::string& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i) & 0xFF);
}
void PutBe32(std::string& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * (3 - i)) & 0xFF);
}

// A memo file built in memory: a header block, then each memo from a block boundary.
class MemoWriter {
 public:
  explicit MemoWriter(MemoKind kind)
      : kind_(kind),
        blockSize_(kind == MemoKind::kFpt ? kFptBlockSize : dbf::kDbt3BlockSize),
        bytes_(dbf::kMemoHeaderSize, '\0') {
    if (kind_ == MemoKind::kDbt4) PutLe16(bytes_, dbf::kDbt4BlockSizeOffset, blockSize_);
    if (kind_ == MemoKind::kFpt) {
      bytes_[dbf::kFptBlockSizeOffset] = static_cast<char>(blockSize_ >> 8);
      bytes_[dbf::kFptBlockSizeOffset + 1] = static_cast<char>(blockSize_ & 0xFF);
    }
  }

  // Appends one memo and returns its block number.
  std::uint32_t Add(const std::string& data, bool text) {
    const auto block = static_cast<std::uint32_t>(bytes_.size() / blockSize_);
    switch (kind_) {
      case MemoKind::kDbt3:
        bytes_ += data;
        bytes_ += "\x1A\x1A";
        break;
      case MemoKind::kDbt4: {
        std::string head(dbf::kDbt4BlockHeaderSize, '\0');
        for (std::size_t i = 0; i < 4; ++i)
          head[i] = static_cast<char>(dbf::kDbt4BlockSignature[i]);
        PutLe32(head, 4, static_cast<std::uint32_t>(data.size() + dbf::kDbt4BlockHeaderSize));
        bytes_ += head + data;
        break;
      }
      case MemoKind::kFpt: {
        std::string head(dbf::kFptBlockHeaderSize, '\0');
        PutBe32(head, 0, text ? kFptTextType : kFptPictureType);
        PutBe32(head, 4, static_cast<std::uint32_t>(data.size()));
        bytes_ += head + data;
        break;
      }
    }
    bytes_.resize((bytes_.size() + blockSize_ - 1) / blockSize_ * blockSize_, '\0');
    return block;
  }

  // The file's bytes, its header saying where the next memo would go.
  std::string Bytes() {
    const auto next = static_cast<std::uint32_t>(bytes_.size() / blockSize_);
    if (kind_ == MemoKind::kFpt) {
      PutBe32(bytes_, 0, next);
    } else {
      PutLe32(bytes_, 0, next);
    }
    return bytes_;
  }

 private:
  MemoKind kind_;
  std::uint32_t blockSize_;
  std::string bytes_;
};

// Writes a block number into a memo column's slot: four bytes little-endian (Visual FoxPro),
// else digits right-aligned among blanks; blanks (or zero) for no memo.
void PutMemoPointer(char* slot, std::uint32_t length, std::uint32_t block) {
  if (length == dbf::kVfpMemoPointerWidth) {
    for (std::uint32_t i = 0; i < 4; ++i) slot[i] = static_cast<char>(block >> (8 * i) & 0xFF);
    return;
  }
  std::fill(slot, slot + length, ' ');
  if (block == 0) return;
  const std::string digits = std::to_string(block);
  if (digits.size() > length) throw DbfError("memo block " + digits + " does not fit its field");
  std::copy(digits.begin(), digits.end(), slot + length - digits.size());
}

std::string FileBytes(const std::string& path, std::uint64_t count) {
  const ReadOnlyFile file(path);
  std::string bytes(static_cast<std::size_t>(count), '\0');
  if (file.ReadAt(0, bytes.data(), bytes.size()) < bytes.size())
    throw DbfError(path, "the file has shrunk while being read");
  return bytes;
}

}  // namespace

std::vector<std::string> WriteTableExtract(const TableExtract& extract,
                                           const std::string& tablePath) {
  std::string table, memo;
  std::optional<MemoKind> memoKind;
  std::optional<std::string> cpg;
  try {
    DbfReaderOptions options;
    options.codePage = extract.codePage;
    options.foxPro = TableDriverFor(extract.sourcePath) == kDriverFoxPro;
    options.includeDeleted = true;  // positions count every stored record
    DbfReader reader(extract.sourcePath, options);
    const ReadOnlyFile source(extract.sourcePath);
    unsigned char fixed[dbf::kHeaderSize];
    source.ReadAt(0, fixed, sizeof fixed);  // the reader has checked it is there
    const std::uint32_t headerLength = Le16(fixed + dbf::kHeaderLengthOffset);
    const std::uint32_t recordLength = Le16(fixed + dbf::kRecordLengthOffset);
    table = FileBytes(extract.sourcePath, headerLength);

    const std::time_t now = std::time(nullptr);
    std::tm date{};
    localtime_r(&now, &date);
    table[kUpdateDateOffset] = static_cast<char>(date.tm_year % 256);
    table[kUpdateDateOffset + 1] = static_cast<char>(date.tm_mon + 1);
    table[kUpdateDateOffset + 2] = static_cast<char>(date.tm_mday);
    // No index is written with the copy, and an editor must not look for one.
    table[kTableFlagsOffset] = static_cast<char>(table[kTableFlagsOffset] & ~kFlagIndex);
    PutLe32(table, dbf::kRecordCountOffset, static_cast<std::uint32_t>(extract.positions.size()));

    memoKind = reader.MemoType();
    std::optional<MemoWriter> memos;
    if (memoKind) memos.emplace(*memoKind);
    std::string value;
    for (const std::uint32_t position : extract.positions) {
      if (position == 0 || position > reader.RecordCount())
        throw DbfError(extract.sourcePath,
                       "record " + std::to_string(position) + " is not in the table");
      const char* record = reader.Record(position - 1);
      std::string copy(record, recordLength);
      for (const DbfColumn& column : reader.Columns()) {
        if (!IsMemoColumn(column)) continue;
        std::uint32_t block = 0;
        try {
          reader.ReadMemo(column, record, value);
          if (!value.empty()) block = memos->Add(value, column.kind == ftMemo);
        } catch (const DbfError&) {
          // The record was rejected for this very memo, perhaps: the copy keeps the rest.
        }
        PutMemoPointer(copy.data() + column.offset, column.length, block);
      }
      table += copy;
    }
    table += static_cast<char>(dbf::kEndOfData);
    if (memos) memo = memos->Bytes();
    cpg = FindSibling(extract.sourcePath, ".cpg");
    if (cpg) cpg = FileBytes(*cpg, ReadOnlyFile(*cpg).Size());
  } catch (const DbfError& e) {
    throw EDBEngineError(e.what());
  }

  std::vector<std::string> written{tablePath};
  if (memoKind)
    written.push_back(SiblingPath(tablePath, *memoKind == MemoKind::kFpt ? ".fpt" : ".dbt"));
  if (cpg) written.push_back(SiblingPath(tablePath, ".cpg"));
  // A copy named like its source would replace the very files it copies.
  std::vector<std::string> sources{extract.sourcePath};
  for (const char* extension : {".dbt", ".fpt", ".cpg"})
    if (const auto sibling = FindSibling(extract.sourcePath, extension))
      sources.push_back(*sibling);
  for (const std::string& path : written) {
    std::error_code error;
    for (const std::string& source : sources)
      if (std::filesystem::equivalent(path, source, error))
        throw EDBEngineError(path + ": the copy would replace its own source");
  }
  ReplaceFileContent(written[0], table);
  std::size_t next = 1;
  if (memoKind) ReplaceFileContent(written[next++], memo);
  if (cpg) ReplaceFileContent(written[next], *cpg);
  return written;
}

}  // namespace qm
