// The client's character set, named as in NLS_LANG (CL8MSWIN1251, AL32UTF8, ...). Text crosses
// the client interface in this character set and is UTF-8 inside the engine; characters the
// client's set lacks become "?", as Oracle's conversion does.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace qm::ocilite {

class CodePage {
 public:
  // The code page of an Oracle character-set name (any case); throws ORA-12705 for a name the
  // engine does not know. The objects live for the whole process.
  static const CodePage& ForOracleName(std::string_view name);

  const std::string& OracleName() const { return name_; }
  bool IsUtf8() const { return utf8_; }

  std::string ToUtf8(std::string_view client) const;
  // The same into `out`, whose room is used again: a statement a record needs no allocation.
  void ToUtf8(std::string_view client, std::string& out) const;
  std::string FromUtf8(std::string_view utf8) const;
  // Length in client bytes of the first `utf8_offset` bytes of a UTF-8 text.
  std::size_t ClientLength(std::string_view utf8, std::size_t utf8_offset) const;

 private:
  CodePage(std::string oracle_name, const char* iconv_name);
  std::string name_;
  bool utf8_ = false;
  char32_t to_unicode_[256] = {};  // 0 for bytes the set leaves unassigned
  // Each byte's UTF-8 sequence ("?" for unassigned ones), so that a conversion is one lookup and
  // one copy per character.
  struct Utf8Sequence {
    char bytes[4];
    unsigned char size;
  };
  Utf8Sequence to_utf8_[256] = {};
  std::unordered_map<char32_t, unsigned char> from_unicode_;
  // The same for the characters below U+0800, which take two bytes in UTF-8 (Latin, Greek,
  // Cyrillic): the byte, or -1 for none.
  std::array<std::int16_t, 0x800> from_two_byte_;
};

}  // namespace qm::ocilite
