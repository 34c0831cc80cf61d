// Value texts of every column kind, from tables built byte by byte.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/codepage.h"
#include "platform/regional_formats.h"
#include "platform/testing/scratch_folder.h"
#include "source/engine_error.h"
#include "source/source_table.h"
#include "source/testing/test_tables.h"

namespace qm {
namespace {

using testing::Be32;
using testing::Be64;
using testing::ColumnLayout;
using testing::Le32;
using testing::Le64;
using testing::Left;
using testing::Right;
using testing::ScratchFolder;
using testing::TableImage;
using testing::TableLayout;

const RegionalFormats kRussian{',', "%d.%m.%Y", "%H:%M:%S"};

class ValueText : public ::testing::Test {
 protected:
  void SetUp() override { SetRegionalFormats(kRussian); }
  void TearDown() override { SetRegionalFormats({}); }

  // Every record's value texts, by a walk from the first record.
  std::vector<std::vector<std::string>> Read(const TableLayout& layout, const std::string& name) {
    table.Close();
    table.SetDatabaseName(dir.Path());
    table.SetTableName(name);
    dir.Write(name, TableImage(layout));
    table.Open();
    std::vector<std::vector<std::string>> rows;
    for (table.First(); !table.Eof(); table.Next()) {
      rows.emplace_back();
      for (int i = 0; i < table.FieldCount(); ++i) rows.back().push_back(table.Field(i).AsString());
    }
    return rows;
  }

  ScratchFolder dir;
  SourceTable table;
};

std::string Double(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return Le64(bits);
}

TEST_F(ValueText, TextNumbersDatesAndLogicals) {
  TableLayout layout;
  layout.columns = {{"NAME", 'C', 8},   {"QTY", 'N', 6, 0}, {"BIG", 'N', 12, 0},
                    {"AMT", 'N', 9, 2}, {"BORN", 'D', 8},   {"OK", 'L', 1}};
  layout.records = {
      Left("  ab", 8) + Right("-42", 6) + Right("12345678901", 12) + Right("1234.50", 9) +
          "20031225" + "T",
      std::string("x\0yz    ", 8) + Right("", 6) + Right("", 12) + Right("0.10", 9) + "        " +
          "?",
      Left("", 8) + Right("******", 6) + std::string("7\0\0\0\0\0\0\0\0\0\0\0", 12) + "1,5      " +
          "00000000" + "n",
      Left("", 8) + Right("+7", 6) + Right("-0", 12) + Right("-0.00", 9) + "19000101" + "y",
      Left("", 8) + Right("12.5", 6) + Right("-3,75", 12) + Right("", 9) + "        " + " ",
  };
  const auto rows = Read(layout, "values.dbf");
  const std::vector<std::vector<std::string>> expected = {
      {"  ab", "-42", "12345678901", "1234,5", "25.12.2003", "True"},
      {"x", "", "", "0,1", "", ""},       // text ends at NUL; blanks give the empty text
      {"", "", "7", "1,5", "", "False"},  // '*' fill: the value did not fit
      {"", "7", "0", "0", "01.01.1900", "True"},
      {"", "12,5", "-3,75", "", "", ""},  // a fraction where none is declared: as written
  };
  EXPECT_EQ(rows, expected);
}

TEST_F(ValueText, VisualFoxProKindsWithNullAndLengthFlags) {
  TableLayout layout;
  layout.version = 0x32;
  layout.columns = {{"ID", 'I', 4, 0, 0x02},
                    {"PRICE", 'Y', 8},
                    {"RATIO", 'B', 8},
                    {"STAMP", 'T', 8},
                    {"NAME", 'V', 10},
                    {"BIN", 'Q', 6},
                    {"_NullFlags", '0', 1, 0, 0x05}};
  // Null flag bits in column order: ID's null 0, NAME's length 1, BIN's length 2.
  std::string shortName = Left("abc ", 10);
  shortName[9] = 4;
  std::string shortBin = std::string("\x01\x02", 2) + std::string(4, '\0');
  shortBin[5] = 2;
  layout.records = {
      Le32(static_cast<std::uint32_t>(-5)) + Le64(12345678) + Double(2.5) + Le32(2460385) +
          Le32(49530000) + shortName + shortBin + "\x06",
      Le32(0) + Le64(static_cast<std::uint64_t>(-1)) + Double(-1e300) + Le32(2460386) + Le32(0) +
          "0123456789" + "ABCDEF" + "\x01",
      Le32(7) + Le64(0) + Double(0) + Le64(0) + Left("", 10) + std::string(6, ' ') +
          std::string(1, '\0'),
  };
  const auto rows = Read(layout, "vfp.dbf");
  ASSERT_EQ(table.FieldCount(), 6);  // the null flags are no field
  EXPECT_EQ(table.Field(4).DataType(), ftString);
  EXPECT_EQ(table.Field(5).DataType(), ftVarBytes);
  EXPECT_EQ(table.Field(5).Size(), 6);
  EXPECT_EQ(table.Field(5).DataSize(), 8);
  const std::vector<std::vector<std::string>> expected = {
      {"-5", "1234,5678", "2,5", "15.03.2024 13:45:30", "abc", std::string("\x01\x02", 2)},
      {"", "-0,0001", "-1E300", "16.03.2024", "0123456789", "ABCDEF"},  // ID is null
      {"7", "0", "0", "", "", "      "},
  };
  EXPECT_EQ(rows, expected);
}

TEST_F(ValueText, Dbase7Kinds) {
  TableLayout layout;
  layout.version = 0x04;
  layout.languageDriver = 0;
  layout.columns = {{"Long value", 'I', 4}, {"ID", '+', 4}, {"Ratio", 'O', 8}, {"When", '@', 8}};
  layout.records = {
      Be32(0x80000001) + Be32(0x80000002) + Be64(0xC0934A0000000000) + Be64(0x42CCBE61C3524400),
      Be32(0x7FFFFFFF) + Be32(0x80000003) + Be64(0x3FFBFFFFFFFFFFFF) + Be64(0),
      Be32(0) + Be32(0x80000004) + Be64(0) + Be64(0),
  };
  const auto rows = Read(layout, "level7.dbf");
  EXPECT_EQ(table.Field(0).FieldName(), "Long value");
  EXPECT_EQ(table.Field(1).DataType(), ftAutoInc);
  EXPECT_EQ(table.Field(3).DataType(), ftDateTime);
  const std::vector<std::vector<std::string>> expected = {
      {"1", "2", "1234,5", "25.12.2003 07:05:09"},
      {"-1", "3", "-2,5", ""},
      {"", "4", "", ""},  // all zero bytes: no value
  };
  EXPECT_EQ(rows, expected);
}

TEST_F(ValueText, DamagedValuesNameTableRecordAndField) {
  const struct {
    ColumnLayout column;
    std::string stored;
    std::string message;
  } cases[] = {
      {{"QTY", 'N', 6}, Right("12A4", 6), "record 2, field QTY: invalid number '12A4'"},
      {{"QTY", 'N', 6, 2}, Right("1.2.3", 6), "record 2, field QTY: invalid number '1.2.3'"},
      {{"QTY", 'N', 6}, Right("1.2.3", 6), "record 2, field QTY: invalid number '1.2.3'"},
      {{"QTY", 'N', 6}, Right("--5", 6), "record 2, field QTY: invalid number '--5'"},
      {{"BORN", 'D', 8}, "20031340", "record 2, field BORN: invalid date '20031340'"},
      {{"BORN", 'D', 8}, "19940231", "record 2, field BORN: invalid date '19940231'"},
      {{"BORN", 'D', 8}, "24/01/20", "record 2, field BORN: invalid date '24/01/20'"},
      {{"BORN", 'D', 8}, "00001225", "record 2, field BORN: invalid date '00001225'"},
      {{"BORN", 'D', 8}, " 2003134", "record 2, field BORN: invalid date '2003134'"},
      {{"NOTE", 'M', 10}, Right("12x", 10), "record 2, field NOTE: bad memo pointer '       12x'"},
  };
  for (const auto& c : cases) {
    TableLayout layout;
    layout.columns = {c.column};
    layout.records = {std::string(static_cast<std::size_t>(c.column.length), ' '), c.stored};
    table.Close();
    const std::string path = dir.Write("bad.dbf", TableImage(layout));
    table.SetDatabaseName(dir.Path());
    table.SetTableName("bad.dbf");
    table.Open();
    EXPECT_EQ(table.Field(0).AsString(), "");
    table.Next();
    try {
      table.Field(0).AsString();
      ADD_FAILURE() << c.message;
    } catch (const EFieldValueError& e) {  // an engine error that spares the other records
      EXPECT_EQ(e.what(), "dbf: " + path + ": " + c.message);
      EXPECT_EQ(e.Text(), path + ": " + c.message);
    }
  }
}

}  // namespace
}  // namespace qm
