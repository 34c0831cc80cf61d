#include "source/internal/dbf_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "platform/byte_order.h"
#include "source/internal/dbf_error.h"
#include "source/internal/dbf_format.h"
#include "source/internal/field_kinds.h"
#include "source/internal/sibling_file.h"
#include "source/code_page_choice.h"

namespace qm {
namespace {

// Records are read in buffers of about this many bytes (at least one record).
constexpr std::size_t kBufferBytes = 128 * 1024;

DbfDialect DialectOf(std::uint8_t version) {
  switch (version) {
    case dbf::kVersionVisualFoxPro:
    case dbf::kVersionVisualFoxProAutoInc:
    case dbf::kVersionVisualFoxProVarchar:
      return DbfDialect::kVisualFoxPro;
    case dbf::kVersionFoxPro2Memo:
    case dbf::kVersionFoxBasePlus:
      return DbfDialect::kFoxPro;
    case dbf::kVersionLevel7:
    case dbf::kVersionLevel7Memo:
      return DbfDialect::kDbase7;
    default:
      return DbfDialect::kDbase;
  }
}

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

}  // namespace

DbfReader::DbfReader(const std::string& path, const DbfReaderOptions& options) : file_(path) {
  ReadHeader(options);
  ScanRecords(options.includeDeleted);
  OpenMemo(options.foxPro);
  buffer_.resize(std::max<std::size_t>(1, kBufferBytes / recordLength_) * recordLength_);
}

DbfReader::~DbfReader() = default;

void DbfReader::ReadHeader(const DbfReaderOptions& options) {
  unsigned char fixed[dbf::kHeaderSize];
  const std::size_t got = file_.ReadAt(0, fixed, sizeof fixed);
  if (got < sizeof fixed)
    throw DbfError(Path(), "truncated header (" + std::to_string(got) + " of " +
                               std::to_string(sizeof fixed) + " bytes)");
  version_ = fixed[dbf::kVersionOffset];
  if (version_ == dbf::kVersionFoxBase)
    throw DbfError(Path(), "dBASE II / FoxBASE tables are not supported");
  dialect_ = DialectOf(version_);
  headerLength_ = Le16(fixed + dbf::kHeaderLengthOffset);
  recordLength_ = Le16(fixed + dbf::kRecordLengthOffset);
  headerCount_ = Le32(fixed + dbf::kRecordCountOffset);

  const std::size_t minimum =
      (dialect_ == DbfDialect::kDbase7 ? dbf::kLevel7HeaderSize : dbf::kHeaderSize) + 1;
  if (headerLength_ < minimum)
    throw DbfError(Path(), "header length " + std::to_string(headerLength_) + " is too small");
  if (headerLength_ > file_.Size())
    throw DbfError(Path(), "truncated header (" + std::to_string(file_.Size()) + " of " +
                               std::to_string(headerLength_) + " bytes)");
  if (recordLength_ == 0) throw DbfError(Path(), "record length is 0");

  std::vector<unsigned char> header(headerLength_);
  if (file_.ReadAt(0, header.data(), header.size()) < header.size())
    throw DbfError(Path(), "truncated header");
  ReadColumns(header);

  codePage_ = ChooseCodePage(Path(), fixed[dbf::kLanguageDriverOffset], options.codePage);
  try {
    decoder_ = std::make_unique<TextDecoder>(codePage_.codePage);
  } catch (const std::runtime_error& e) {
    const bool fromCpg = options.codePage.empty() && codePage_.reason.rfind("the .cpg", 0) == 0;
    throw DbfError(fromCpg ? *codePage_.cpgPath : Path(), e.what());
  }
}

void DbfReader::ReadColumns(const std::vector<unsigned char>& header) {
  const bool level7 = dialect_ == DbfDialect::kDbase7;
  const std::size_t start = level7 ? dbf::kLevel7HeaderSize : dbf::kHeaderSize;
  const std::size_t size = level7 ? dbf::kLevel7DescriptorSize : dbf::kDescriptorSize;
  const std::size_t nameSize = level7 ? dbf::kLevel7NameSize : dbf::kNameSize;

  // The terminator ends the descriptors; without one, the header length does, and a zero block
  // (the Visual FoxPro backlink after a lost terminator) is padding, not a column.
  bool terminated = false;
  for (std::size_t pos = start; pos + size <= header.size(); pos += size) {
    const unsigned char* d = header.data() + pos;
    if (d[0] == dbf::kDescriptorEnd || d[0] == 0) {
      terminated = true;
      break;
    }
    DbfColumn c;
    const auto* name = reinterpret_cast<const char*>(d);
    std::size_t nameLength = 0;
    while (nameLength < nameSize && name[nameLength] != '\0') ++nameLength;
    while (nameLength > 0 && name[nameLength - 1] == ' ') --nameLength;
    c.name.assign(name, nameLength);
    char type = static_cast<char>(d[level7 ? dbf::kLevel7TypeOffset : dbf::kTypeOffset]);
    if (type >= 'a' && type <= 'z') type = static_cast<char>(type - 'a' + 'A');
    c.type = type;
    c.length = d[level7 ? dbf::kLevel7LengthOffset : dbf::kLengthOffset];
    c.decimals = d[level7 ? dbf::kLevel7DecimalsOffset : dbf::kDecimalsOffset];
    if (dialect_ == DbfDialect::kVisualFoxPro) c.flags = d[dbf::kFlagsOffset];
    columns_.push_back(std::move(c));
  }

  const auto total = [&] {
    std::uint64_t sum = 1;  // the mark byte
    for (const DbfColumn& c : columns_) sum += c.length;
    return sum;
  };
  // Long character columns (Clipper, FoxPro) keep the high byte of their width in the decimals
  // byte. Read it so only when the widths then add up to the record length exactly.
  if (total() != recordLength_) {
    std::uint64_t widened = 1;
    for (const DbfColumn& c : columns_)
      widened += c.length + (c.type == 'C' ? c.decimals * 256u : 0u);
    if (widened == recordLength_)
      for (DbfColumn& c : columns_)
        if (c.type == 'C') {
          c.length += c.decimals * 256u;
          c.decimals = 0;
        }
  }
  // No terminator and fields that leave part of the record uncovered: the header length cuts
  // the descriptors short, and the records would be read from inside them.
  if (!terminated && total() < recordLength_)
    throw DbfError(Path(), "the field descriptors run past the header length " +
                               std::to_string(headerLength_));
  if (total() > recordLength_)
    throw DbfError(Path(), "the fields take " + std::to_string(total()) +
                               " bytes, more than the record length " +
                               std::to_string(recordLength_));

  std::uint32_t offset = 1;
  int bit = 0;
  for (DbfColumn& c : columns_) {
    c.offset = offset;
    offset += c.length;
    if (c.type == '0') {
      nullFlags_ = &c;
      continue;
    }
    if (dialect_ == DbfDialect::kVisualFoxPro) {
      if (c.type == 'V' || c.type == 'Q') c.varLengthBit = bit++;
      if (c.flags & dbf::kFlagNullable) c.nullBit = bit++;
    }
    if (!(c.flags & dbf::kFlagSystem)) c.kind = FieldKindOf(c.type, c.length, c.decimals, dialect_);
  }
  // Bits the null flags column has no room for (or no such column) are not read.
  const int bits = nullFlags_ ? static_cast<int>(nullFlags_->length) * 8 : 0;
  for (DbfColumn& c : columns_) {
    if (c.nullBit >= bits) c.nullBit = -1;
    if (c.varLengthBit >= bits) c.varLengthBit = -1;
  }
}

void DbfReader::ScanRecords(bool includeDeleted) {
  const std::uint64_t available = (file_.Size() - headerLength_) / recordLength_;
  physicalCount_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(headerCount_, available));

  const std::uint32_t perChunk =
      static_cast<std::uint32_t>(std::max<std::size_t>(1, kBufferBytes / recordLength_));
  std::vector<char> chunk(static_cast<std::size_t>(perChunk) * recordLength_);
  for (std::uint32_t first = 0; first < physicalCount_; first += perChunk) {
    const std::uint32_t n = std::min(perChunk, physicalCount_ - first);
    const std::size_t bytes = static_cast<std::size_t>(n) * recordLength_;
    if (file_.ReadAt(headerLength_ + static_cast<std::uint64_t>(first) * recordLength_,
                     chunk.data(), bytes) < bytes)
      throw DbfError(Path(), "the file has shrunk while being read");
    for (std::uint32_t i = 0; i < n; ++i) {
      const auto mark =
          static_cast<unsigned char>(chunk[static_cast<std::size_t>(i) * recordLength_]);
      if (mark == dbf::kLiveRecord) continue;
      if (mark == dbf::kDeletedRecord) {
        deleted_.push_back(first + i);
      } else if (mark == dbf::kEndOfData) {
        physicalCount_ = first + i;
        break;
      } else {
        throw DbfError(Path(), "record " + std::to_string(first + i + 1) +
                                   " has no valid deletion mark (" + Hex(mark) +
                                   "): the file is damaged");
      }
    }
  }
  deletedCount_ = static_cast<std::uint32_t>(deleted_.size());
  if (includeDeleted) deleted_.clear();
  liveCount_ = physicalCount_ - static_cast<std::uint32_t>(deleted_.size());
}

void DbfReader::OpenMemo(bool foxPro) {
  if (std::none_of(columns_.begin(), columns_.end(), IsMemoColumn)) return;
  MemoKind kind;
  switch (version_) {
    case dbf::kVersionDbase3Memo:
      kind = MemoKind::kDbt3;
      break;
    case dbf::kVersionDbase4Memo:
    case dbf::kVersionDbase4SqlMemo:
    case dbf::kVersionDbase4MemoAlt:
    case dbf::kVersionDbase4SqlTable:
    case dbf::kVersionXBase4Memo:
    case dbf::kVersionLevel7Memo:
      kind = MemoKind::kDbt4;
      break;
    default:
      // The dBASE IV reading also takes dBASE III memos (no block header, 0x1A at the end).
      const bool fox =
          dialect_ == DbfDialect::kFoxPro || dialect_ == DbfDialect::kVisualFoxPro || foxPro;
      kind = fox ? MemoKind::kFpt : MemoKind::kDbt4;
  }
  memoKind_ = kind;
  const std::string extension = kind == MemoKind::kFpt ? ".fpt" : ".dbt";
  const auto found = FindSibling(Path(), extension);
  memoPath_ = found ? *found : SiblingPath(Path(), extension);
  if (!found) {
    memoError_ = memoPath_ + ": memo file not found";
    return;
  }
  try {
    memo_.emplace(memoPath_, kind);
  } catch (const DbfError& e) {
    memoError_ = e.what();  // reported when a memo is read
  }
}

std::uint32_t DbfReader::PhysicalIndex(std::uint32_t n) const {
  // A forward walk steps from the last record found over the deleted ones that follow it.
  if (walkValid_ && n - walkLive_ <= 1) {
    if (n != walkLive_) {
      walkLive_ = n;
      ++walkPhysical_;
      while (walkDeleted_ < deleted_.size() && deleted_[walkDeleted_] == walkPhysical_) {
        ++walkPhysical_;
        ++walkDeleted_;
      }
    }
    return walkPhysical_;
  }
  // Live record n is preceded by the deleted records d[j] with d[j] - j <= n (d[j] - j is the
  // number of live records before d[j], which never decreases).
  std::size_t low = 0;
  std::size_t high = deleted_.size();
  while (low < high) {
    const std::size_t mid = (low + high) / 2;
    if (deleted_[mid] - mid <= n) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  walkValid_ = true;
  walkLive_ = n;
  walkPhysical_ = n + static_cast<std::uint32_t>(low);
  walkDeleted_ = low;
  return walkPhysical_;
}

std::uint32_t DbfReader::FilePosition(std::uint32_t n) const {
  return PhysicalIndex(n) + 1;
}

const char* DbfReader::Record(std::uint32_t n) {
  const std::uint32_t p = PhysicalIndex(n);
  if (p < bufferFirst_ || p >= bufferFirst_ + bufferCount_) {
    const auto capacity = static_cast<std::uint32_t>(buffer_.size() / recordLength_);
    // Moving backwards (a grid scrolling up) fills the buffer with the records before p.
    const std::uint32_t first = p < bufferFirst_ && p + 1 >= capacity ? p + 1 - capacity
                                : p < bufferFirst_                    ? 0
                                                                      : p;
    const std::uint32_t count = std::min(capacity, physicalCount_ - first);
    const std::size_t bytes = static_cast<std::size_t>(count) * recordLength_;
    bufferCount_ = 0;
    if (file_.ReadAt(headerLength_ + static_cast<std::uint64_t>(first) * recordLength_,
                     buffer_.data(), bytes) < bytes)
      throw DbfError(Path(), "the file has shrunk while being read");
    bufferFirst_ = first;
    bufferCount_ = count;
  }
  return buffer_.data() + static_cast<std::size_t>(p - bufferFirst_) * recordLength_;
}

void DbfReader::ReadMemo(const DbfColumn& column, const char* record, std::string& out) const {
  out.clear();
  const std::string_view slot(record + column.offset, column.length);
  std::uint64_t block = 0;
  if (column.length == dbf::kVfpMemoPointerWidth) {
    block = Le32(reinterpret_cast<const unsigned char*>(slot.data()));
  } else {
    for (char c : slot) {
      if (c == ' ' || c == '\0') continue;
      if (c < '0' || c > '9' || block > UINT32_MAX / 10 - 1)
        throw DbfError("bad memo pointer '" + std::string(slot) + "'");
      block = block * 10 + static_cast<std::uint64_t>(c - '0');
    }
  }
  if (block == 0) return;
  if (!memo_) throw DbfError(memoError_);
  memo_->Read(static_cast<std::uint32_t>(block), out);
}

}  // namespace qm
