#pragma once
// Turns a table's text into code page 1251. Single-byte code pages go through a 256-entry byte
// table built once with iconv, so decoding a value costs one lookup per byte; multi-byte code
// pages (UTF-8, the East Asian ones) go through iconv for every value. A character that code page
// 1251 lacks, or a byte sequence that is not valid in the source code page, becomes '?', and is
// counted so that the caller can say so.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

class TextDecoder {
 public:
  // Text already in code page 1251: decoding copies it.
  TextDecoder();
  // Text in the named code page (an iconv name, "CP866", "UTF-8"). Throws std::runtime_error
  // with the text "unknown code page <name>" when iconv does not know it.
  explicit TextDecoder(const std::string& codePage);
  ~TextDecoder();
  TextDecoder(const TextDecoder&) = delete;
  TextDecoder& operator=(const TextDecoder&) = delete;

  // Appends the code page 1251 form of text to out. Returns how many characters became '?'
  // (a '?' of the text itself is not counted).
  std::size_t Append(std::string_view text, std::string& out) const;
  std::string Decode(std::string_view text) const;

 private:
  std::size_t AppendMultiByte(std::string_view text, std::string& out) const;

  bool identity_ = true;
  std::array<char, 256> table_{};
  std::array<std::uint8_t, 256> lost_{};  // 1 for the bytes table_ turns into a stand-in '?'
  bool asciiKept_ = false;  // table_ keeps the bytes below 0x80: an ASCII text is copied whole
  void* iconv_ = nullptr;  // the open iconv handle (iconv_t) for multi-byte code pages
};

}  // namespace qm
