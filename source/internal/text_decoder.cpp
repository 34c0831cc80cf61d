#include "source/internal/text_decoder.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "platform/codepage.h"

namespace qm {
namespace {

const iconv_t kBadHandle = reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1));

iconv_t Handle(void* h) {
  return static_cast<iconv_t>(h);
}

bool IsCp1251(const std::string& name) {
  return name == "CP1251" || name == "cp1251" || name == "WINDOWS-1251" || name == "windows-1251";
}

// Decodes the character at the start of in into its code point. Returns the number of bytes it
// takes, or 0 when the bytes are not a valid character; incomplete tells whether they are the
// start of a longer character that in cuts short.
std::size_t NextCodePoint(iconv_t cd, std::string_view in, char32_t& cp, bool& incomplete) {
  unsigned char out[4];
  incomplete = false;
  // One byte more each time until a whole character converts: a character is at most four bytes
  // in every code page we read.
  for (std::size_t n = 1; n <= 4 && n <= in.size(); ++n) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = n;
    char* dst = reinterpret_cast<char*>(out);
    std::size_t dstLeft = sizeof out;
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1)) {
      if (dstLeft != 0) continue;  // a shift sequence without a character yet
      cp = static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
      return n;
    }
    if (errno != EINVAL) return 0;
    incomplete = true;
  }
  return 0;
}

// Whether no byte of text has its high bit set, looked at eight bytes at a time (the last eight
// overlapping the ones before) and given up at the first word that has one.
bool IsAscii(std::string_view text) {
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  std::uint64_t word;
  const std::size_t n = text.size();
  if (n < 8) {
    for (char c : text)
      if (static_cast<unsigned char>(c) & 0x80) return false;
    return true;
  }
  for (std::size_t i = 0; i + 8 <= n; i += 8) {
    std::memcpy(&word, text.data() + i, sizeof word);
    if (word & kHigh) return false;
  }
  std::memcpy(&word, text.data() + n - 8, sizeof word);
  return (word & kHigh) == 0;
}

}  // namespace

TextDecoder::TextDecoder() = default;

TextDecoder::TextDecoder(const std::string& codePage) {
  if (IsCp1251(codePage)) return;
  const iconv_t cd = iconv_open("UTF-32LE", codePage.c_str());
  if (cd == kBadHandle) throw std::runtime_error("unknown code page " + codePage);
  identity_ = false;
  bool singleByte = true;
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    char32_t cp = 0;
    bool leadByte = false;
    const bool whole = NextCodePoint(cd, std::string_view(&byte, 1), cp, leadByte) == 1;
    table_[b] = whole ? Cp1251FromCodePoint(cp) : '?';
    lost_[b] = table_[b] == '?' && !(whole && cp == U'?');
    if (leadByte) singleByte = false;
  }
  asciiKept_ = true;
  for (int b = 0; b < 0x80; ++b)
    if (table_[b] != static_cast<char>(b) || lost_[b]) asciiKept_ = false;
  if (singleByte) {
    iconv_close(cd);
  } else {
    iconv_ = cd;
  }
}

TextDecoder::~TextDecoder() {
  if (iconv_) iconv_close(Handle(iconv_));
}

std::size_t TextDecoder::Append(std::string_view text, std::string& out) const {
  if (identity_) {
    out.append(text);
    return 0;
  }
  if (iconv_) return AppendMultiByte(text, out);
  if (asciiKept_ && IsAscii(text)) {
    out.append(text);
    return 0;
  }
  const std::size_t start = out.size();
  out.resize(start + text.size());
  char* dst = out.data() + start;
  for (char c : text) *dst++ = table_[static_cast<unsigned char>(c)];
  // A lost character became '?': only a text with one in its result is counted, byte by byte.
  if (!std::memchr(out.data() + start, '?', text.size())) return 0;
  std::size_t lost = 0;
  for (char c : text) lost += lost_[static_cast<unsigned char>(c)];
  return lost;
}

std::string TextDecoder::Decode(std::string_view text) const {
  std::string out;
  out.reserve(text.size());
  Append(text, out);
  return out;
}

std::size_t TextDecoder::AppendMultiByte(std::string_view text, std::string& out) const {
  const iconv_t cd = Handle(iconv_);
  std::size_t lost = 0;
  while (!text.empty()) {
    const auto b = static_cast<unsigned char>(text.front());
    if (b < 0x80) {  // every code page we read keeps ASCII as it is
      out.push_back(static_cast<char>(b));
      text.remove_prefix(1);
      continue;
    }
    char32_t cp = 0;
    bool incomplete = false;
    const std::size_t used = NextCodePoint(cd, text, cp, incomplete);
    const char c = used ? Cp1251FromCodePoint(cp) : '?';
    if (c == '?' && !(used && cp == U'?')) ++lost;
    out.push_back(c);
    text.remove_prefix(used ? used : 1);
  }
  return lost;
}

}  // namespace qm
