#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(Codepage, LiteralsAreConvertedAtCompileTime) {
  constexpr auto text = Cp1251("Ёж и ёлка №1");
  static_assert(text.size == 12);
  EXPECT_EQ(std::string_view(text), "\xA8\xE6 \xE8 \xB8\xEB\xEA\xE0 \xB9\x31");
}

TEST(Codepage, RoundTripsEveryAssignedByte) {
  std::string all;
  for (int b = 1; b < 256; ++b)
    if (b != 0x98) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(Codepage, UnmappableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1251("a\u4E2Db\xFF"), "a?b?");
}

TEST(Codepage, CaseInsensitiveComparisonCoversCyrillic) {
  EXPECT_TRUE(Cp1251EqualNoCase(Cp1251("ИмЯ_ёЁ"), Cp1251("имя_ЁЁ")));
  EXPECT_TRUE(Cp1251EqualNoCase("Name", "NAME"));
  EXPECT_FALSE(Cp1251EqualNoCase(Cp1251("имя"), Cp1251("ими")));
}

}  // namespace
}  // namespace qm
