#include "source/internal/number_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <random>

#include "platform/number_format.h"

namespace qm {
namespace {

TEST(NumberText, GeneralFormatOfStoredDecimals) {
  const struct {
    const char* stored;
    char separator;
    const char* text;  // nullptr: left to the binary route
  } cases[] = {
      {"1234.50", ',', "1234,5"},
      {"1234.50", '.', "1234.5"},
      {"-0.01", '.', "-0.01"},
      {"-0.00", '.', "0"},
      {"007", '.', "7"},
      {".5", '.', "0.5"},
      {"+3.", '.', "3"},
      {"12,5", '.', "12.5"},  // some writers store a comma
      {"0.00001", '.', "0.00001"},
      {"0.000001", '.', nullptr},          // scientific form
      {"1234567890123456", '.', nullptr},  // 16 integer digits
      {"123456789012345", '.', "123456789012345"},
      {"1.234567890123456", '.', nullptr},  // rounding to 15 digits
      {"1e5", '.', nullptr},
      {"12a", '.', nullptr},
      {"-", '.', nullptr},
      {".", '.', nullptr},
  };
  for (const auto& c : cases) {
    std::string out = "x";
    const bool done = AppendGeneralDecimal(c.stored, c.separator, out);
    if (c.text) {
      EXPECT_TRUE(done) << c.stored;
      EXPECT_EQ(out, std::string("x") + c.text) << c.stored;
    } else {
      EXPECT_FALSE(done) << c.stored;
      EXPECT_EQ(out, "x") << c.stored;
    }
  }
}

// The exact route never rounds: what the file says, digit for digit, without padding zeros.
TEST(NumberText, ExactFormOfStoredDecimals) {
  const struct {
    const char* stored;
    const char* text;  // nullptr: no number
  } cases[] = {
      {"1234567890123456768", "1234567890123456768"},
      {"-00012345678901234567.8900", "-12345678901234567.89"},
      {"0.000000000000000000001", "0.000000000000000000001"},
      {"12,5", "12.5"},
      {"-0.00", "0"},
      {"+.5", "0.5"},
      {"1e5", nullptr},
      {"--1", nullptr},
  };
  for (const auto& c : cases) {
    std::string out = "x";
    EXPECT_EQ(AppendExactDecimal(c.stored, '.', out), c.text != nullptr) << c.stored;
    EXPECT_EQ(out, std::string("x") + (c.text ? c.text : "")) << c.stored;
  }
}

// Whatever the digit route writes must be what the binary route would have written.
TEST(NumberText, DigitRouteAgreesWithTheBinaryRoute) {
  std::mt19937 random(12345);
  const auto digits = [&](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('0' + random() % 10);
    return s;
  };
  int compared = 0;
  for (int i = 0; i < 200000; ++i) {
    std::string text = (random() % 3 == 0 ? "-" : "") + digits(static_cast<int>(random() % 12));
    if (random() % 4) text += "." + digits(static_cast<int>(random() % 10));
    std::string fast;
    if (!AppendGeneralDecimal(text, ',', fast)) continue;
    double value = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    ASSERT_EQ(parsed.ptr, text.data() + text.size()) << text;
    ASSERT_EQ(fast, FormatFloatGeneral(value, ',')) << text;
    ++compared;
  }
  EXPECT_GT(compared, 100000);
}

TEST(NumberText, IntegerTexts) {
  const struct {
    const char* stored;
    const char* text;
  } cases[] = {
      {"42", "42"},      {"-42", "-42"},   {"+7", "7"},
      {"0007", "7"},     {"-0", "0"},      {"12.000", "12"},
      {"12.5", nullptr}, {"1 2", nullptr}, {"123456789012345678", "123456789012345678"},
  };
  for (const auto& c : cases) {
    std::string out;
    EXPECT_EQ(AppendIntegerText(c.stored, out), c.text != nullptr) << c.stored;
    if (c.text) {
      EXPECT_EQ(out, c.text) << c.stored;
    }
  }
}

// The one-pass reading of a slot appends what the long way (the text trimmed of blanks and NULs,
// then the integer or general route) appends, or nothing: slots built from the pieces a stored
// number has, and some it has not.
TEST(NumberText, SlotReadInOnePassAgreesWithTheLongWay) {
  // Runs of eight and more blanks and digits too, which are taken a word at a time.
  const std::string pads[] = {"",  " ", "   ", std::string(1, '\0'), std::string(" \0", 2),
                              std::string(9, ' '), std::string("        \0", 9)};
  const char* const signs[] = {"", "-", "+"};
  const char* const integers[] = {"",         "0",  "007", "12", "12345678", "123456789012345",
                                  "1234567890123456", "000000000012"};
  const char* const fractions[] = {"",       ".",       ".5",  ",25", ".000", ".00001",
                                   ".000001", ".10", ",12345670", ".000000000"};
  const char* const oddities[] = {"", "*", "e5", " 1", "-"};
  int taken = 0;
  for (const std::string& lead : pads)
    for (const char* sign : signs)
      for (const char* integer : integers)
        for (const char* fraction : fractions)
          for (const char* odd : oddities)
            for (const std::string& trail : pads)
              for (const bool integral : {true, false}) {
                const std::string slot = lead + sign + integer + fraction + odd + trail;
                std::string_view text = slot;
                while (!text.empty() && (text.front() == ' ' || text.front() == '\0'))
                  text.remove_prefix(1);
                while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
                  text.remove_suffix(1);
                std::string quick = "<";
                std::string slow = "<";
                const bool slowTaken = integral ? AppendIntegerText(text, slow)
                                                : AppendGeneralDecimal(text, ',', slow);
                if (AppendPlainSlotNumber(slot, integral, ',', quick)) {
                  ++taken;
                  ASSERT_TRUE(slowTaken) << '[' << slot << ']';
                  ASSERT_EQ(quick, slow) << '[' << slot << ']';
                } else {
                  ASSERT_EQ(quick, "<") << '[' << slot << ']';
                  // Left to the long way only where that way has more to do.
                  if (!*odd && slowTaken) {
                    ASSERT_EQ(text.find_first_of("0123456789"), std::string_view::npos) << slot;
                  }
                }
              }
  EXPECT_GT(taken, 1000);
}

}  // namespace
}  // namespace qm
