#include "source/internal/escaped_text.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace qm {
namespace {

TEST(EscapedText, EscapesControlBytesAndTheBackslash) {
  const struct {
    std::string cp1251;
    std::string escaped;
  } cases[] = {
      {"a\tb", "a\\tb"},
      {"line\r\nnext", "line\\r\\nnext"},
      {"C:\\dir", "C:\\\\dir"},
      {std::string("\0\x1F\x7F ~", 5), "\\x00\\x1F\\x7F ~"},
      {Cp1251("Ёлка"), Cp1251("Ёлка")},
  };
  for (const auto& c : cases) {
    std::string out = "<";
    AppendEscaped(c.cp1251, out);
    EXPECT_EQ(out, "<" + c.escaped) << c.escaped;
  }
}

// The table is built from the two converters it replaces; every byte, alone and in a run, must
// come out as they make it.
TEST(EscapedText, Utf8TableAgreesWithEscapingThenConvertingForEveryByte) {
  const EscapedUtf8 utf8;
  std::string all;
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    std::string escaped;
    AppendEscaped(one, escaped);
    std::string out = "<";
    utf8.Append(one, out);
    EXPECT_EQ(out, "<" + Cp1251ToUtf8(escaped)) << b;
    all += one;
  }
  std::string escaped;
  AppendEscaped(all, escaped);
  std::string out;
  utf8.Append(all + all, out);
  EXPECT_EQ(out, Cp1251ToUtf8(escaped + escaped));
  out.clear();
  utf8.Append(Cp1251("Пётр\t").str() + '\x98', out);
  EXPECT_EQ(out, "Пётр\\t\xEF\xBF\xBD");  // 0x98 is unassigned: U+FFFD
}

}  // namespace
}  // namespace qm
