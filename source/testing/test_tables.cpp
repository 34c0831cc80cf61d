#include "source/testing/test_tables.h"

namespace qm::testing {
namespace {

void Put16(std::string& s, std::size_t at, unsigned v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}

bool IsLevel7(std::uint8_t version) {
  return version == 0x04 || version == 0x8C;
}

}  // namespace

std::string Left(const std::string& text, int width) {
  std::string s = text.substr(0, static_cast<std::size_t>(width));
  s.resize(static_cast<std::size_t>(width), ' ');
  return s;
}

std::string Right(const std::string& text, int width) {
  const auto w = static_cast<std::size_t>(width);
  return text.size() >= w ? text.substr(0, w) : std::string(w - text.size(), ' ') + text;
}

std::string Le32(std::uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i) & 0xFF);
  return s;
}

std::string Be32(std::uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[3 - i] = static_cast<char>(v >> (8 * i) & 0xFF);
  return s;
}

std::string Le64(std::uint64_t v) {
  return Le32(static_cast<std::uint32_t>(v)) + Le32(static_cast<std::uint32_t>(v >> 32));
}

std::string Be64(std::uint64_t v) {
  return Be32(static_cast<std::uint32_t>(v >> 32)) + Be32(static_cast<std::uint32_t>(v));
}

std::string TableImage(const TableLayout& layout) {
  const bool level7 = IsLevel7(layout.version);
  const std::size_t descriptor = level7 ? 48 : 32;
  const bool vfp = layout.version >= 0x30 && layout.version <= 0x32;
  std::string header(level7 ? 68 : 32, '\0');
  std::size_t recordLength = 1;
  for (const ColumnLayout& c : layout.columns) recordLength += static_cast<std::size_t>(c.length);
  for (const ColumnLayout& c : layout.columns) {
    std::string d(descriptor, '\0');
    d.replace(0, c.name.size(), c.name);
    const std::size_t typeAt = level7 ? 32 : 11;
    d[typeAt] = c.type;
    d[typeAt + (level7 ? 1 : 5)] = static_cast<char>(c.length & 0xFF);
    d[typeAt + (level7 ? 2 : 6)] = static_cast<char>(c.decimals);
    if (!level7) d[18] = static_cast<char>(c.flags);
    header += d;
  }
  header += '\x0D';
  if (vfp) header.append(263, '\0');

  header[0] = static_cast<char>(layout.version);
  header[1] = 124;
  header[2] = 1;
  header[3] = 1;
  const long count =
      layout.recordCount >= 0 ? layout.recordCount : static_cast<long>(layout.records.size());
  header.replace(4, 4, Le32(static_cast<std::uint32_t>(count)));
  Put16(header, 8,
        static_cast<unsigned>(layout.headerLength >= 0 ? layout.headerLength
                                                       : static_cast<long>(header.size())));
  if (layout.recordLength >= 0) recordLength = static_cast<std::size_t>(layout.recordLength);
  Put16(header, 10, static_cast<unsigned>(recordLength));
  header[29] = static_cast<char>(layout.languageDriver);

  std::string out = header;
  for (std::size_t i = 0; i < layout.records.size(); ++i) {
    std::string record(1, i < layout.marks.size() ? layout.marks[i] : ' ');
    record += layout.records[i];
    record.resize(recordLength, ' ');
    out += record;
  }
  if (layout.endMark) out += '\x1A';
  return out;
}

std::string Dbt3Image(const std::vector<std::string>& texts, std::vector<std::uint32_t>& blocks) {
  std::string out(512, '\0');
  out[16] = 0x03;
  blocks.clear();
  for (const std::string& text : texts) {
    blocks.push_back(static_cast<std::uint32_t>(out.size() / 512));
    std::string memo = text + "\x1A\x1A";
    memo.resize((memo.size() + 511) / 512 * 512, '\0');
    out += memo;
  }
  out.replace(0, 4, Le32(static_cast<std::uint32_t>(out.size() / 512)));
  return out;
}

std::string Dbt4Image(const std::vector<std::string>& texts, std::uint16_t blockSize,
                      std::vector<std::uint32_t>& blocks) {
  std::string out(std::max<std::size_t>(512, blockSize), '\0');
  Put16(out, 20, blockSize);
  blocks.clear();
  for (const std::string& text : texts) {
    blocks.push_back(static_cast<std::uint32_t>(out.size() / blockSize));
    std::string memo = std::string("\xFF\xFF\x08\x00", 4) +
                       Le32(static_cast<std::uint32_t>(text.size() + 8)) + text;
    memo.resize((memo.size() + blockSize - 1) / blockSize * blockSize, ' ');
    out += memo;
  }
  out.replace(0, 4, Le32(static_cast<std::uint32_t>(out.size() / blockSize)));
  return out;
}

std::string FptImage(const std::vector<std::string>& texts, std::uint16_t blockSize,
                     std::vector<std::uint32_t>& blocks) {
  std::string out(512, '\0');
  out[6] = static_cast<char>(blockSize >> 8);
  out[7] = static_cast<char>(blockSize & 0xFF);
  blocks.clear();
  for (const std::string& text : texts) {
    blocks.push_back(static_cast<std::uint32_t>(out.size() / blockSize));
    std::string memo = Be32(1) + Be32(static_cast<std::uint32_t>(text.size())) + text;
    memo.resize((memo.size() + blockSize - 1) / blockSize * blockSize, '\0');
    out += memo;
  }
  out.replace(0, 4, Be32(static_cast<std::uint32_t>(out.size() / blockSize)));
  return out;
}

}  // namespace qm::testing
