// Client text to UTF-8 and back: ASCII is copied in runs of eight bytes and more, so every place a
// character outside ASCII can take relative to those runs is tried.
#include "ocilite/internal/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace qm::ocilite {
namespace {

TEST(CodePage, TextConvertsWhereverItsOtherCharactersStand) {
  const CodePage& cp1251 = CodePage::ForOracleName("CL8MSWIN1251");
  const CodePage& ascii = CodePage::ForOracleName("US7ASCII");
  for (std::size_t length = 0; length <= 19; ++length) {
    for (std::size_t at = 0; at <= length; ++at) {
      // ASCII of `length` bytes, with "Ж" (0xC6 in 1251) put in at `at` and at the end.
      const std::string base(length, 'q');
      const std::string client = base.substr(0, at) + "\xC6" + base.substr(at) + "\xC6";
      const std::string utf8 = base.substr(0, at) + "Ж" + base.substr(at) + "Ж";
      EXPECT_EQ(cp1251.ToUtf8(client), utf8) << length << " " << at;
      EXPECT_EQ(cp1251.FromUtf8(utf8), client) << length << " " << at;
      EXPECT_EQ(ascii.ToUtf8(client), base.substr(0, at) + "?" + base.substr(at) + "?");
      EXPECT_EQ(ascii.FromUtf8(utf8), base.substr(0, at) + "?" + base.substr(at) + "?");
      EXPECT_EQ(cp1251.ToUtf8(base), base);
    }
  }
  // A character the client's set lacks becomes "?".
  EXPECT_EQ(cp1251.FromUtf8("a€bあ"), "a\x88" "b?");
  // A two-byte character the set lacks, next to one it has.
  EXPECT_EQ(cp1251.FromUtf8("éЖ"), "?\xC6");
  // Text of characters that each take three bytes in UTF-8, the most a client byte can take.
  EXPECT_EQ(cp1251.ToUtf8(std::string(37, '\x88')), [] {
    std::string euros;
    for (int i = 0; i < 37; ++i) euros += "€";
    return euros;
  }());
}

}  // namespace
}  // namespace qm::ocilite
