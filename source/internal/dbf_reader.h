#pragma once
// Reads a dBASE family table: dBASE III, IV, 5 and 7, FoxPro 2 and Visual FoxPro, with the memo
// file beside it. Opening reads the header and the field descriptors and scans the records' mark
// bytes once, so that the reader knows how many live records there are and where each one is;
// records carrying the deletion mark are skipped from then on. Records are read through a buffer
// of whole records (one read per buffer), not one allocation per record.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "source/code_page_choice.h"
#include "source/internal/dbf_column.h"
#include "source/internal/memo_file.h"
#include "source/internal/read_only_file.h"
#include "source/internal/text_decoder.h"

namespace qm {

struct DbfReaderOptions {
  // The code page of the table's text, as CodePageName takes it. Empty: a .cpg file beside the
  // table, else the header's language-driver byte, else code page 1251 (code_page_choice.h).
  std::string codePage;
  // The FoxPro driver reads the table: for a version byte that does not say which memo file
  // belongs to the table, look for .fpt rather than .dbt.
  bool foxPro = false;
  // Records carrying the deletion mark are visited as live ones (they are still counted apart).
  bool includeDeleted = false;
};

class DbfReader {
 public:
  // Opens the table at path. Throws DbfError naming the file when it is missing or unreadable,
  // when its header, descriptors or record marks are damaged, or when its code page is unknown.
  // A header record count larger than the file holds is trusted only as far as whole records
  // exist; a missing end-of-file mark is fine. A missing memo file is reported when a memo is
  // read, so that the other columns stay readable.
  explicit DbfReader(const std::string& path, const DbfReaderOptions& options = {});
  ~DbfReader();
  DbfReader(const DbfReader&) = delete;
  DbfReader& operator=(const DbfReader&) = delete;

  const std::string& Path() const { return file_.Path(); }
  DbfDialect Dialect() const { return dialect_; }
  // Every column in file order, the unusable ones (kind ftUnknown) included.
  const std::vector<DbfColumn>& Columns() const { return columns_; }
  const TextDecoder& Decoder() const { return *decoder_; }
  // The kind of memo file the table's memo columns read from; none without memo columns.
  std::optional<MemoKind> MemoType() const { return memoKind_; }
  // The code page the text is read in, and why.
  const CodePageChoice& CodePage() const { return codePage_; }

  // The number of live records (deleted ones not counted, unless the options include them).
  std::uint32_t RecordCount() const { return liveCount_; }
  // The records carrying the deletion mark, whether or not they are visited.
  std::uint32_t DeletedCount() const { return deletedCount_; }
  // The record count the header gives, and the whole records the file holds before its end or
  // an end-of-data mark, deleted ones included: fewer than the header's when the file is cut
  // short. Only min(header, stored) records are ever read.
  std::uint32_t HeaderRecordCount() const { return headerCount_; }
  std::uint32_t StoredRecordCount() const { return physicalCount_; }
  // The bytes of live record n (0-based, < RecordCount()), mark byte first; valid until the next
  // call. Throws DbfError when the file has shrunk under the reader.
  const char* Record(std::uint32_t n);
  // The 1-based position in the file of live record n, counting deleted records: what messages
  // about a record name.
  std::uint32_t FilePosition(std::uint32_t n) const;

  // Whether the value of column is null by the Visual FoxPro null flags.
  bool IsNull(const DbfColumn& column, const char* record) const {
    return column.nullBit >= 0 && FlagBit(column.nullBit, record);
  }
  // The bytes of column's value: the whole slot, or for V/Q the part the length byte says.
  std::string_view Slot(const DbfColumn& column, const char* record) const {
    std::string_view slot(record + column.offset, column.length);
    if (column.varLengthBit >= 0 && FlagBit(column.varLengthBit, record))
      slot = slot.substr(
          0, std::min<std::size_t>(static_cast<unsigned char>(slot.back()), slot.size() - 1));
    return slot;
  }
  // Replaces out with the content of the memo column's value, bytes as stored; empty when the
  // record points to no memo. Throws DbfError when the pointer is not a number or the memo file
  // is missing or damaged; its text names the memo file but leaves the table to the caller.
  void ReadMemo(const DbfColumn& column, const char* record, std::string& out) const;

 private:
  void ReadHeader(const DbfReaderOptions& options);
  void ReadColumns(const std::vector<unsigned char>& header);
  void ScanRecords(bool includeDeleted);
  void OpenMemo(bool foxPro);
  std::uint32_t PhysicalIndex(std::uint32_t n) const;
  bool FlagBit(int bit, const char* record) const {
    return (static_cast<unsigned char>(record[nullFlags_->offset + bit / 8]) >> (bit % 8)) & 1;
  }

  ReadOnlyFile file_;
  std::uint8_t version_ = 0;
  DbfDialect dialect_ = DbfDialect::kDbase;
  std::uint32_t headerLength_ = 0;
  std::uint32_t recordLength_ = 0;
  std::uint32_t headerCount_ = 0;
  std::uint32_t physicalCount_ = 0;  // whole records before the end of data
  std::uint32_t liveCount_ = 0;
  std::uint32_t deletedCount_ = 0;
  std::vector<std::uint32_t> deleted_;  // physical indexes of deleted records, ascending
  // The live record PhysicalIndex found last, its physical index and the first deleted record
  // after it (an index into deleted_).
  mutable bool walkValid_ = false;
  mutable std::uint32_t walkLive_ = 0;
  mutable std::uint32_t walkPhysical_ = 0;
  mutable std::size_t walkDeleted_ = 0;
  std::vector<DbfColumn> columns_;
  const DbfColumn* nullFlags_ = nullptr;
  CodePageChoice codePage_;
  std::unique_ptr<TextDecoder> decoder_;
  std::optional<MemoKind> memoKind_;
  std::string memoPath_;  // found or expected; empty without memo columns
  std::optional<MemoFile> memo_;
  std::string memoError_;  // why memo_ is missing: reported when a memo is read

  std::vector<char> buffer_;       // whole records read at once
  std::uint32_t bufferFirst_ = 0;  // physical index of the first record in buffer_
  std::uint32_t bufferCount_ = 0;  // records in buffer_
};

}  // namespace qm
