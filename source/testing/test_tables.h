#pragma once
// Test helpers: dBASE table and memo files built byte by byte.

#include <cstdint>
#include <string>
#include <vector>

namespace qm::testing {

struct ColumnLayout {
  std::string name;
  char type;
  int length;
  int decimals = 0;
  std::uint8_t flags = 0;  // Visual FoxPro field flags
};

struct TableLayout {
  std::uint8_t version = 0x03;
  std::uint8_t languageDriver = 0xC9;
  std::vector<ColumnLayout> columns;
  // Each record's field bytes, without the mark byte (padded or cut to the record length).
  std::vector<std::string> records;
  // Marks of the records; missing ones are live (' ').
  std::string marks;
  // Overrides of header fields; -1 means computed.
  long recordCount = -1;
  long headerLength = -1;
  long recordLength = -1;
  bool endMark = true;  // 0x1A after the last record
};

// The bytes of a table file.
std::string TableImage(const TableLayout& layout);

// Field bytes helpers: text left-aligned and blank-padded, numbers right-aligned.
std::string Left(const std::string& text, int width);
std::string Right(const std::string& text, int width);
std::string Le32(std::uint32_t v);
std::string Be32(std::uint32_t v);
std::string Le64(std::uint64_t v);
std::string Be64(std::uint64_t v);

// Memo files: dBASE III (512-byte blocks, 0x1A 0x1A after each text), dBASE IV (FF FF 08 00
// block headers) and FoxPro .fpt (big-endian type and length). The n-th text starts at the block
// returned in blocks[n].
std::string Dbt3Image(const std::vector<std::string>& texts, std::vector<std::uint32_t>& blocks);
std::string Dbt4Image(const std::vector<std::string>& texts, std::uint16_t blockSize,
                      std::vector<std::uint32_t>& blocks);
std::string FptImage(const std::vector<std::string>& texts, std::uint16_t blockSize,
                     std::vector<std::uint32_t>& blocks);

}  // namespace qm::testing
