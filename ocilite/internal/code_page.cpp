#include "ocilite/internal/code_page.h"

#include <iconv.h>

#include <mutex>
#include <vector>

#include "ocilite/internal/ora_error.h"
#include "ocilite/internal/utf8_text.h"

namespace qm::ocilite {
namespace {

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
    if (to_unicode_[b] != 0 || b == 0)
      from_unicode_.emplace(to_unicode_[b], static_cast<unsigned char>(b));
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
  if (utf8_) return std::string(client);
  std::string out;
  out.reserve(client.size() + client.size() / 4);
  for (const char ch : client) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80) {
      out += ch;
    } else {
      const char32_t cp = to_unicode_[b];
      AppendUtf8(out, cp ? cp : U'?');
    }
  }
  return out;
}

std::string CodePage::FromUtf8(std::string_view utf8) const {
  if (utf8_) return std::string(utf8);
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      out += utf8[i++];
      continue;
    }
    const char32_t cp = DecodeUtf8(utf8, i);
    const auto it = from_unicode_.find(cp);
    out += it == from_unicode_.end() ? '?' : static_cast<char>(it->second);
  }
  return out;
}

std::size_t CodePage::ClientLength(std::string_view utf8, std::size_t utf8_offset) const {
  if (utf8_) return utf8_offset;
  return Utf8Length(utf8.substr(0, std::min(utf8_offset, utf8.size())));
}

}  // namespace qm::ocilite
