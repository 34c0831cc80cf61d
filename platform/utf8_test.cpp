#include "platform/utf8.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(Utf8, DecodesOneSequenceAndMovesPastIt) {
  struct Case {
    std::string_view bytes;
    char32_t decoded;
    std::size_t next;
  };
  const Case cases[] = {
      {"A", U'A', 1},
      {"\xD0\x96x", U'\u0416', 2},
      {"\xE2\x82\xAC", U'\u20AC', 3},
      {"\xF0\x9F\x98\x80", U'\U0001F600', 4},
      {"\x80x", 0xFFFD, 1},     // a continuation byte cannot start a sequence
      {"\xD0x", 0xFFFD, 1},     // the next byte is no continuation: it stays
      {"\xE2\x82", 0xFFFD, 2},  // cut short by the end of the text
  };
  for (const Case& c : cases) {
    std::size_t i = 0;
    EXPECT_EQ(DecodeUtf8(c.bytes, i), c.decoded) << c.bytes;
    EXPECT_EQ(i, c.next) << c.bytes;
  }
}

TEST(Utf8, EncodesWhatItDecodes) {
  for (const char32_t cp : {U'A', U'\u00E9', U'\u0416', U'\u20AC', U'\U0001F600'}) {
    std::string out = "x";
    AppendUtf8(out, cp);
    std::size_t i = 1;
    EXPECT_EQ(DecodeUtf8(out, i), cp);
    EXPECT_EQ(i, out.size());
  }
}

}  // namespace
}  // namespace qm
