// The version record linked into the system's executables (format: version_record.h).
// Translation 0419/04E3 (Russian, code page 1251), file version 1.0.0.1, product version 1.0.0.0,
// every other text empty.

#include <array>
#include <cstddef>
#include <string_view>

namespace {

struct Entry {
  std::string_view key;
  std::string_view value;  // includes the terminating zero for texts
};

using namespace std::string_view_literals;

constexpr Entry kEntries[] = {
    // Numeric file version 1.0.0.1: uint32 major<<16|minor, then uint32 build<<16|revision.
    {"\\"sv, "\x00\x00\x01\x00\x01\x00\x00\x00"sv},
    {"\\VarFileInfo\\Translation"sv, "\x19\x04\xE3\x04"sv},
    {"\\StringFileInfo\\041904E3\\FileVersion"sv, "1.0.0.1\0"sv},
    {"\\StringFileInfo\\041904E3\\ProductVersion"sv, "1.0.0.0\0"sv},
    {"\\StringFileInfo\\041904E3\\CompanyName"sv, "\0"sv},
    {"\\StringFileInfo\\041904E3\\FileDescription"sv, "\0"sv},
    {"\\StringFileInfo\\041904E3\\InternalName"sv, "\0"sv},
    {"\\StringFileInfo\\041904E3\\LegalCopyright"sv, "\0"sv},
    {"\\StringFileInfo\\041904E3\\OriginalFilename"sv, "\0"sv},
    {"\\StringFileInfo\\041904E3\\ProductName"sv, "\0"sv},
};

constexpr std::size_t RecordSize() {
  std::size_t size = 8;
  for (const Entry& e : kEntries) size += 4 + e.key.size() + e.value.size();
  return size;
}

constexpr auto BuildRecord() {
  std::array<char, RecordSize()> r{};
  std::size_t at = 0;
  auto put16 = [&](std::size_t v) {
    r[at++] = static_cast<char>(v & 0xFF);
    r[at++] = static_cast<char>(v >> 8);
  };
  auto put = [&](std::string_view s) {
    for (char c : s) r[at++] = c;
  };
  put("QMVR");
  put16(RecordSize() & 0xFFFF);
  put16(RecordSize() >> 16);
  for (const Entry& e : kEntries) {
    put16(e.key.size());
    put(e.key);
    put16(e.value.size());
    put(e.value);
  }
  return r;
}

}  // namespace

__attribute__((used, section(".qm_verinfo"))) constexpr auto kQuillmoveVersionRecord = BuildRecord();
