#include "ocilite/internal/oracle_number.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "ocilite/internal/number_arithmetic.h"
#include "ocilite/internal/number_text.h"
#include "ocilite/internal/ora_error.h"

namespace qm::ocilite {
namespace {

Decimal D(const char* text) {
  const auto d = ParseDecimal(text, '.');
  EXPECT_TRUE(d) << text;
  return d ? *d : Decimal{};
}

std::string Hex(const std::string& bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    if (!out.empty()) out += ' ';
    out += kHex[(static_cast<unsigned char>(c) >> 4) & 15];
    out += kHex[static_cast<unsigned char>(c) & 15];
  }
  return out;
}

// What the number becomes when stored: its text after a trip through the internal form.
std::string Stored(const Decimal& d) {
  return NumberToText(DecodeNumber(EncodeNumber(d)), '.');
}

int ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const OraError& e) {
    return e.Code();
  }
  return 0;
}

TEST(OracleNumber, InternalFormIsOraclesBytes) {
  struct Case {
    const char* text;
    const char* bytes;
  };
  const Case cases[] = {
      {"0", "80"},
      {"1", "C1 02"},
      {"-5", "3E 60 66"},
      {"100", "C2 02"},
      {"1234.5678", "C2 0D 23 39 4F"},
      {"-1234.5678", "3D 59 43 2D 17 66"},
      {".000000000099", "BB 64"},
      {"1e125", "FF 0B"},
      {"1e-130", "80 02"},
      {"-1e-130", "7F 64 66"},
      {".9999999999999999999999999999999999999999",
       "C0 64 64 64 64 64 64 64 64 64 64 64 64 64 64 64 64 64 64 64 64"},
      // Twenty digits leave no room for the end byte of a negative number.
      {"-.9999999999999999999999999999999999999999",
       "3F 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02"},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(Hex(EncodeNumber(D(k.text))), k.bytes) << k.text;
    EXPECT_EQ(NumberToText(DecodeNumber(EncodeNumber(D(k.text))), '.'),
              NumberToText(D(k.text), '.'))
        << k.text;
  }
}

TEST(OracleNumber, KeepsTwentyBase100DigitsAndOraclesRange) {
  struct Case {
    const char* text;
    const char* stored;  // nullptr: ORA-01426
  };
  const Case cases[] = {
      {"12345678901234567890", "12345678901234567890"},
      {"1234567890123456.78", "1234567890123456.78"},
      {"99999999999999999999999999999999999999", "99999999999999999999999999999999999999"},
      {"9999999999999999999999999999999999999999", "9999999999999999999999999999999999999999"},
      // 41 nines round up to 1E41; the point's position decides between 40 and 39 digits.
      {"99999999999999999999999999999999999999999", "1.0000000000000000000000000000000000E+41"},
      {"1.234567890123456789012345678901234567891", "1.23456789012345678901234567890123456789"},
      {"12.34567890123456789012345678901234567891", "12.34567890123456789012345678901234567891"},
      // Half away from zero, negative numbers too.
      {"-.12345678901234567890123456789012345678495", "-.123456789012345678901234567890123456785"},
      {"9.99e125", "9.990000000000000000000000000000000E+125"},
      {"1e126", nullptr},
      {"-1e126", nullptr},
      {"9.9999999999999999999999999999999999999999e125", nullptr},
      {"1e-130", "1.000000000000000000000000000000000E-130"},
      {"9e-131", "0"},
      {"-4e-200", "0"},
  };
  for (const Case& k : cases) {
    if (!k.stored) {
      EXPECT_EQ(ErrorOf([&] { EncodeNumber(D(k.text)); }), 1426) << k.text;
      continue;
    }
    EXPECT_EQ(Stored(D(k.text)), k.stored) << k.text;
  }
}

TEST(OracleNumber, FormsSortAsTheirNumbers) {
  std::istringstream ascending(
      "-1e125 -12345678901234567890 -100 -10 -1.01 -1 -.5 -.49 -1e-130 0 1e-130 .000001 .49 .5 "
      "1 1.01 10 100 12345678901234567890 12345678901234567890.5 9.99e125");
  std::vector<std::string> texts(std::istream_iterator<std::string>(ascending), {});
  std::vector<std::string> forms;
  for (const std::string& text : texts) forms.push_back(EncodeNumber(D(text.c_str())));
  for (std::size_t i = 1; i < forms.size(); ++i)
    EXPECT_LT(forms[i - 1], forms[i]) << texts[i - 1] << " < " << texts[i];
  // One form per value, whatever its spelling.
  EXPECT_EQ(EncodeNumber(D("1.50")), EncodeNumber(D("0015e-1")));
  EXPECT_EQ(EncodeNumber(D("-0")), EncodeNumber(D("0")));
}

TEST(OracleNumber, ConversionsToMachineNumbers) {
  EXPECT_EQ(ToInt64(D("-42.9")), -42);
  EXPECT_EQ(ToInt64(D("9223372036854775807")), INT64_MAX);
  EXPECT_EQ(ToInt64(D("-9223372036854775808")), INT64_MIN);
  EXPECT_FALSE(ToInt64(D("9223372036854775808")));
  EXPECT_EQ(ToDouble(D("0.1")), 0.1);
  EXPECT_EQ(Stored(DecimalFromDouble(0.1)), ".1");
  EXPECT_EQ(Stored(DecimalFromDouble(1.0 / 3)), ".333333333333333");
  EXPECT_EQ(Stored(DecimalFromInt(INT64_MIN)), "-9223372036854775808");
}

TEST(NumberArithmetic, ExactInDecimal) {
  struct Case {
    const char* a;
    char op;
    const char* b;
    const char* result;  // as stored
  };
  const Case cases[] = {
      {".1", '+', ".2", ".3"},
      {"12345678901234567890", '+', "1", "12345678901234567891"},
      {"9999999999999999.99", '+', ".01", "10000000000000000"},
      {"1", '-', "1e-50", "1"},
      {"1e30", '-', "1", "999999999999999999999999999999"},
      {"-2.5", '-', "-2.5", "0"},
      {"1.1", '*', "1.1", "1.21"},
      {"12345678901234567890", '*', "98765432109876543210",
       "1219326311370217952237463801111263526900"},
      {"1", '/', "3", ".3333333333333333333333333333333333333333"},
      {"2", '/', "3", ".6666666666666666666666666666666666666667"},
      {"10", '/', "3", "3.33333333333333333333333333333333333333"},
      {"-7", '/', "2", "-3.5"},
      {"1", '/', "8", ".125"},
  };
  for (const Case& k : cases) {
    Decimal r;
    switch (k.op) {
      case '+':
        r = Add(D(k.a), D(k.b));
        break;
      case '-':
        r = Subtract(D(k.a), D(k.b));
        break;
      case '*':
        r = Multiply(D(k.a), D(k.b));
        break;
      default:
        r = Divide(D(k.a), D(k.b));
    }
    EXPECT_EQ(Stored(r), k.result) << k.a << ' ' << k.op << ' ' << k.b;
  }
  // Oracle's 1/3*3: forty nines, not one.
  EXPECT_EQ(Stored(Multiply(DecodeNumber(EncodeNumber(Divide(D("1"), D("3")))), D("3"))),
            ".9999999999999999999999999999999999999999");
  EXPECT_EQ(ErrorOf([] { Divide(D("1"), D("0")); }), 1476);
  EXPECT_EQ(ErrorOf([] { EncodeNumber(Multiply(D("1e100"), D("1e30"))); }), 1426);
}

TEST(NumberArithmetic, FunctionsOfNumbers) {
  struct Case {
    Decimal result;
    const char* stored;
  };
  const Case cases[] = {
      {Remainder(D("11"), D("4")), "3"},
      {Remainder(D("-11"), D("4")), "-3"},
      {Remainder(D("11"), D("-4")), "3"},
      {Remainder(D("5.5"), D("2")), "1.5"},
      {Remainder(D("7"), D("0")), "7"},
      {Remainder(D("12345678901234567890123"), D("7")), "3"},
      {Floor(D("-2.5")), "-3"},
      {Floor(D("2.5")), "2"},
      {Floor(D("-.5")), "-1"},
      {Ceil(D("-2.5")), "-2"},
      {Ceil(D("2.1")), "3"},
      {Ceil(D("7")), "7"},
      {Power(D("2"), D("10")), "1024"},
      {Power(D("2"), D("-2")), ".25"},
      {Power(D("1.1"), D("2")), "1.21"},
      {Power(D("10"), D("-130")), "1.000000000000000000000000000000000E-130"},
      {Power(D("3"), D("0")), "1"},
      {Power(D("10"), D("-200")), "0"},
      {Power(D("4"), D(".5")), "2"},
      {Power(D("2"), D("100")), "1267650600228229401496703205376"},
  };
  for (const Case& k : cases) EXPECT_EQ(Stored(k.result), k.stored) << k.stored;
  EXPECT_EQ(ErrorOf([] { EncodeNumber(Power(D("10"), D("126"))); }), 1426);
  EXPECT_EQ(ErrorOf([] { Power(D("-8"), D(".5")); }), 1428);
}

}  // namespace
}  // namespace qm::ocilite
