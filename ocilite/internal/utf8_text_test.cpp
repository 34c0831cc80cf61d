// Lengths in characters: well-formed text of every sequence length, and broken sequences, which
// count a character for each piece the decoder gives up on.
#include "ocilite/internal/utf8_text.h"

#include <gtest/gtest.h>

#include <string>

namespace qm::ocilite {
namespace {

TEST(Utf8Text, LengthCountsCharactersOfWholeAndBrokenSequences) {
  const struct {
    std::string text;
    std::size_t length;
  } cases[] = {
      {"", 0},
      {"abc", 3},
      {"Жук", 3},
      {"a€bあ😀", 5},
      {"\xD0", 1},          // a two-byte lead at the end
      {"\xD0" "a", 2},      // a lead followed by no continuation
      {"\x96" "a", 2},      // a continuation byte alone
      {"\xE2\x82" "a", 2},  // a three-byte sequence cut short
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8Length(c.text), c.length) << c.text;
}

}  // namespace
}  // namespace qm::ocilite
