#include "ocilite/internal/code_page.h"

#include <iconv.h>

#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {
namespace {

// Where the run of ASCII bytes from `from` ends; every client character set the engine knows
// agrees with ASCII there. Eight bytes at a time.
std::size_t AsciiRun(std::string_view text, std::size_t from) {
  std::size_t i = from;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if (word & 0x8080808080808080ULL) break;
  }
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) ++i;
  return i;
}

struct Known {
  std::string_view oracle;
  const char* iconv;  // nullptr: UTF-8
};
constexpr Known kKnown[] = {
    {"CL8MSWIN1251", "CP1251"},
    {"AL32UTF8", nullptr},
    {"UTF8", nullptr},
    {"WE8MSWIN1252", "CP1252"},
    {"RU8PC866", "CP866"},
    {"US7ASCII", "ASCII"},
    {"WE8ISO8859P1", "ISO-8859-1"},
    {"CL8KOI8R", "KOI8-R"},
    {"CL8ISO8859P5", "ISO-8859-5"},
    {"EE8MSWIN1250", "CP1250"},
    {"WE8ISO8859P15", "ISO-8859-15"},
};

}  // namespace

CodePage::CodePage(std::string oracle_name, const char* iconv_name)
    : name_(std::move(oracle_name)), utf8_(iconv_name == nullptr) {
  from_two_byte_.fill(-1);
  if (utf8_) return;
  iconv_t cd = iconv_open("UTF-32LE", iconv_name);
  for (int b = 0; b < 256; ++b) {
    if (b < 0x80) {
      to_unicode_[b] = static_cast<char32_t>(b);
    } else if (cd != reinterpret_cast<iconv_t>(-1)) {
      char in = static_cast<char>(b);
      unsigned char out[4] = {};
      char* inp = &in;
      char* outp = reinterpret_cast<char*>(out);
      std::size_t inleft = 1, outleft = 4;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &inp, &inleft, &outp, &outleft) != static_cast<std::size_t>(-1) && outleft == 0)
        to_unicode_[b] = static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
    }
    if (to_unicode_[b] != 0 || b == 0) {
      from_unicode_.emplace(to_unicode_[b], static_cast<unsigned char>(b));
      if (to_unicode_[b] < 0x800 && from_two_byte_[to_unicode_[b]] < 0)
        from_two_byte_[to_unicode_[b]] = static_cast<std::int16_t>(b);
    }
    std::string sequence;
    AppendUtf8(sequence, to_unicode_[b] != 0 || b == 0 ? to_unicode_[b] : U'?');
    std::memcpy(to_utf8_[b].bytes, sequence.data(), sequence.size());
    to_utf8_[b].size = static_cast<unsigned char>(sequence.size());
  }
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
}

const CodePage& CodePage::ForOracleName(std::string_view name) {
  static std::mutex mutex;
  static std::vector<std::unique_ptr<CodePage>> made;
  const std::string upper = Utf8Upper(name);
  std::lock_guard lock(mutex);
  for (const auto& page : made)
    if (page->name_ == upper) return *page;
  for (const auto& k : kKnown) {
    if (k.oracle == upper) {
      made.push_back(std::unique_ptr<CodePage>(new CodePage(upper, k.iconv)));
      return *made.back();
    }
  }
  throw OraError::WithText(12705, "Cannot access NLS data files or invalid environment specified");
}

std::string CodePage::ToUtf8(std::string_view client) const {
  std::string out;
  ToUtf8(client, out);
  return out;
}

void CodePage::ToUtf8(std::string_view client, std::string& out) const {
  std::size_t i = utf8_ ? client.size() : AsciiRun(client, 0);
  // Statements are mostly ASCII: that part is copied as it stands, in runs.
  if (i == client.size()) {
    out.assign(client);
    return;
  }
  // At most three bytes a character, and eight bytes of room for the whole-word copies below.
  out.resize(i + 3 * (client.size() - i) + 8);
  std::memcpy(out.data(), client.data(), i);
  char* to = out.data() + i;
  // Every byte, ASCII too, has its sequence in the table: no branch on the kind of character,
  // which in mixed text is as often wrong as right.
  const auto put = [&](char c) {
    const auto b = static_cast<unsigned char>(c);
    std::memcpy(to, to_utf8_[b].bytes, 4);
    to += to_utf8_[b].size;
  };
  for (; i + 8 <= client.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, client.data() + i, 8);
    if ((word & 0x8080808080808080ULL) == 0) {
      std::memcpy(to, &word, 8);
      to += 8;
    } else {
      for (std::size_t k = 0; k < 8; ++k) put(client[i + k]);
    }
  }
  for (; i < client.size(); ++i) put(client[i]);
  out.resize(static_cast<std::size_t>(to - out.data()));
}

std::string CodePage::FromUtf8(std::string_view utf8) const {
  if (utf8_) return std::string(utf8);
  std::size_t i = AsciiRun(utf8, 0);
  if (i == utf8.size()) return std::string(utf8);
  // Never more bytes than the UTF-8 had; written in place and cut to length at the end.
  std::string out(utf8.size(), '\0');
  std::memcpy(out.data(), utf8.data(), i);
  char* to = out.data() + i;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      *to++ = static_cast<char>(lead);
      ++i;
      continue;
    }
    if (lead >= 0xC2 && lead <= 0xDF && i + 1 < utf8.size() &&
        (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
      const std::int16_t b =
          from_two_byte_[(lead & 0x1F) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F)];
      *to++ = b < 0 ? '?' : static_cast<char>(b);
      i += 2;
      continue;
    }
    const char32_t cp = DecodeUtf8(utf8, i);
    const auto it = from_unicode_.find(cp);
    *to++ = it == from_unicode_.end() ? '?' : static_cast<char>(it->second);
  }
  out.resize(static_cast<std::size_t>(to - out.data()));
  return out;
}

std::size_t CodePage::ClientLength(std::string_view utf8, std::size_t utf8_offset) const {
  if (utf8_) return utf8_offset;
  return Utf8Length(utf8.substr(0, std::min(utf8_offset, utf8.size())));
}

}  // namespace qm::ocilite
