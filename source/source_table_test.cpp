// The source table on fixture files written by an independent writer (testdata/dbf, made by
// make_fixtures.py) and on small tables built here: field kinds and sizes, texts, code pages,
// regional formats, the framework's messages and the table-type rule.

#include "source/source_table.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/codepage.h"
#include "platform/regional_formats.h"
#include "platform/testing/error_text.h"
#include "platform/testing/scratch_folder.h"
#include "source/engine_error.h"
#include "source/internal/table_type.h"
#include "source/testing/test_tables.h"

namespace qm {
namespace {

using testing::ScratchFolder;
using testing::TableImage;
using testing::TableLayout;

const RegionalFormats kRussian{',', "%d.%m.%Y", "%H:%M:%S"};
const RegionalFormats kEnglish{'.', "%m/%d/%Y", "%I:%M:%S %p"};

class SourceTableTest : public ::testing::Test {
 protected:
  void SetUp() override { SetRegionalFormats(kRussian); }
  void TearDown() override { SetRegionalFormats({}); }

  void OpenFixture(const std::string& name) {
    table.Close();
    table.SetDatabaseName(QM_DBF_FIXTURES);
    table.SetTableName(name);
    table.Open();
  }

  std::vector<std::string> Column(const std::string& field) {
    std::vector<std::string> values;
    for (table.First(); !table.Eof(); table.Next())
      values.push_back(table.FieldByName(field).AsString());
    return values;
  }

  SourceTable table;
};

TEST_F(SourceTableTest, FieldKindsSizesAndTextsOfTheFixtures) {
  const struct {
    const char* file;
    const char* field;
    TFieldType kind;
    int size;
    int dataSize;
    std::string text;  // of the first record
  } cases[] = {
      {"db3_cp1251.dbf", "NAME", ftString, 20, 21, Cp1251("Иванов Пётр").str()},
      {"db3_cp1251.dbf", "QTY", ftFloat, 0, 8, "12,5"},
      {"db3_cp1251.dbf", "BORN", ftDate, 0, 4, "31.12.1999"},
      {"db3_cp1251.dbf", "ACTIVE", ftBoolean, 0, 2, "True"},
      {"db3_cp1251.dbf", "NOTES", ftMemo, 0, 0,
       Cp1251("Примечание: многострочный\r\nтекст в memo").str()},
      {"db3_numbers.dbf", "SMALL", ftInteger, 0, 4, "123456789"},
      {"db3_numbers.dbf", "LARGE", ftLargeint, 0, 8, "1234567890"},
      {"db3_numbers.dbf", "WIDE", ftLargeint, 0, 8, "123456789012345680"},  // digits as stored
      {"db3_numbers.dbf", "HUGE", ftFloat, 0, 8, "1,23456789012346E18"},
      {"db3_numbers.dbf", "MONEY", ftFloat, 0, 8, "1234,5"},
      {"db3_numbers.dbf", "RATIO", ftFloat, 0, 8, "0,125"},
      {"vfp_cp1251.dbf", "ID", ftInteger, 0, 4, "1"},
      {"vfp_cp1251.dbf", "STAMP", ftDateTime, 0, 8, "15.03.2024 13:45:30"},
      {"vfp_cp1251.dbf", "PRICE", ftCurrency, 0, 8, "1234,5678"},
      {"vfp_cp1251.dbf", "RATIO", ftFloat, 0, 8, "3,14159"},
      {"vfp_cp1251.dbf", "TITLE", ftString, 20, 21, Cp1251("Привет").str()},
      {"vfp_cp1251.dbf", "BODY", ftMemo, 0, 0, Cp1251("длинный текст memo").str()},
      {"vfp_cp1251.dbf", "BITS", ftDBaseOle, 0, 0, std::string("\0\1binary", 8)},
      {"vfp_cp1251.dbf", "PIC", ftGraphic, 0, 0, "GIF89a"},
      {"fp26_cp866.dbf", "NAME", ftString, 10, 11, Cp1251("Щука").str()},
      {"fp26_cp866.dbf", "N", ftInteger, 0, 4, "7"},
      {"fp26_cp866.dbf", "F", ftFloat, 0, 8, "2,5"},
      {"fp26_cp866.dbf", "M", ftMemo, 0, 0, Cp1251("Мемо FoxPro").str()},
      {"fp26_cp866.dbf", "G", ftDBaseOle, 0, 0, "OLE"},
      {"fp26_cp866.dbf", "P", ftGraphic, 0, 0, "PIC"},
      {"clp_long.dbf", "TEXT", ftString, 300, 301, std::string(299, 'x') + "y"},
      {"clp_long.dbf", "N", ftInteger, 0, 4, "5"},
  };
  for (const auto& c : cases) {
    OpenFixture(c.file);
    const SourceField& f = table.FieldByName(c.field);
    EXPECT_EQ(f.FieldName(), c.field);
    EXPECT_EQ(f.DisplayName(), c.field);
    EXPECT_EQ(f.DataType(), c.kind) << c.file << " " << c.field;
    EXPECT_EQ(f.Size(), c.size) << c.file << " " << c.field;
    EXPECT_EQ(f.DataSize(), c.dataSize) << c.file << " " << c.field;
    EXPECT_EQ(f.AsString(), c.text) << c.file << " " << c.field;
  }
}

TEST_F(SourceTableTest, BlankAndNullValuesGiveTheEmptyText) {
  OpenFixture("db3_cp1251.dbf");
  EXPECT_EQ(Column("QTY"), (std::vector<std::string>{"12,5", "-3", ""}));
  EXPECT_EQ(Column("BORN"), (std::vector<std::string>{"31.12.1999", "", "29.02.2024"}));
  EXPECT_EQ(Column("ACTIVE"), (std::vector<std::string>{"True", "False", ""}));
  EXPECT_EQ(Column("NOTES"),
            (std::vector<std::string>{Cp1251("Примечание: многострочный\r\nтекст в memo").str(), "",
                                      ""}));
  OpenFixture("vfp_nulls.dbf");
  for (const char* field : {"ID", "NAME", "AMOUNT", "WHEN", "OK"})
    EXPECT_EQ(Column(field).at(1), "") << field;
  EXPECT_EQ(Column("AMOUNT").at(0), "1,5");
  OpenFixture("vfp_cp1251.dbf");
  EXPECT_EQ(Column("STAMP"), (std::vector<std::string>{"15.03.2024 13:45:30", "16.03.2024"}));
  EXPECT_EQ(Column("BODY").at(1), "");
}

TEST_F(SourceTableTest, Cp866AndCp1251TablesReadAsTheSameText) {
  const auto everything = [&](const std::string& file) {
    OpenFixture(file);
    std::vector<std::string> values;
    for (table.First(); !table.Eof(); table.Next())
      for (int i = 0; i < table.FieldCount(); ++i) values.push_back(table.Field(i).AsString());
    return values;
  };
  const auto cp1251 = everything("db3_cp1251.dbf");
  EXPECT_EQ(everything("db3_cp866.dbf"), cp1251);
  EXPECT_EQ(cp1251.at(5), Cp1251("Ёлкина").str());

  // A .cpg file wins over the language driver; with neither the text is taken as it is.
  ScratchFolder dir;
  std::ifstream in(std::string(QM_DBF_FIXTURES) + "/db3_cp866.dbf", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  bytes[29] = 0;
  dir.Write("t.dbf", bytes);
  table.Close();
  table.SetDatabaseName(dir.Path());
  table.SetTableName("t.dbf");
  table.Open();
  EXPECT_EQ(table.FieldByName("NAME").AsString(), "\x88\xA2\xA0\xAD\xAE\xA2 \x8F\xF1\xE2\xE0");
  table.Close();
  dir.Write("t.cpg", "866\n");
  table.Open();
  EXPECT_EQ(table.FieldByName("NAME").AsString(), Cp1251("Иванов Пётр").str());
  table.Close();
  table.SetCodePage("KOI8-R");  // dbfview's option outranks both
  table.Open();
  EXPECT_NE(table.FieldByName("NAME").AsString(), Cp1251("Иванов Пётр").str());
}

TEST_F(SourceTableTest, RegionalFormats) {
  SetRegionalFormats(kEnglish);
  OpenFixture("db3_cp1251.dbf");
  EXPECT_EQ(table.FieldByName("QTY").AsString(), "12.5");
  EXPECT_EQ(table.FieldByName("BORN").AsString(), "12/31/1999");
  OpenFixture("vfp_cp1251.dbf");
  EXPECT_EQ(table.FieldByName("STAMP").AsString(), "03/15/2024 01:45:30 PM");
  EXPECT_EQ(table.FieldByName("PRICE").AsString(), "1234.5678");
  // A format with conversions written by the C library.
  SetRegionalFormats({',', "%d %b %Y", "%H.%M"});
  OpenFixture("vfp_cp1251.dbf");
  EXPECT_EQ(table.FieldByName("STAMP").AsString(), "15 Mar 2024 13.45");
}

TEST_F(SourceTableTest, DeletedRecordsAreNeitherVisitedNorCounted) {
  OpenFixture("db3_cp1251.dbf");  // its second record carries the deletion mark
  EXPECT_EQ(table.RecordCount(), 3);
  EXPECT_EQ(Column("NAME"), (std::vector<std::string>{Cp1251("Иванов Пётр").str(),
                                                      Cp1251("Ёлкина").str(), "ASCII only"}));
  table.SetRecNo(2);
  EXPECT_EQ(table.RecNo(), 2);
  EXPECT_EQ(table.FieldByName("NAME").AsString(), Cp1251("Ёлкина").str());
  table.SetRecNo(99);
  EXPECT_EQ(table.FieldByName("NAME").AsString(), "ASCII only");
  table.SetRecNo(0);
  EXPECT_EQ(table.RecNo(), 1);
}

TEST_F(SourceTableTest, WalkStatesOfFirstAndNext) {
  OpenFixture("fp26_cp866.dbf");  // one record
  EXPECT_FALSE(table.Eof());
  EXPECT_EQ(table.RecNo(), 1);
  table.Next();
  EXPECT_TRUE(table.Eof());
  EXPECT_EQ(table.FieldByName("N").AsString(), "7");  // the last record stays current
  table.First();
  EXPECT_FALSE(table.Eof());

  ScratchFolder dir;
  TableLayout empty;
  empty.columns = {{"NAME", 'C', 5}};
  dir.Write("e.dbf", TableImage(empty));
  table.Close();
  table.SetDatabaseName(dir.Path());
  table.SetTableName("e.dbf");
  table.Open();
  EXPECT_EQ(table.RecordCount(), 0);
  EXPECT_TRUE(table.Eof());
  EXPECT_EQ(table.RecNo(), 0);
  EXPECT_EQ(table.FieldByName("NAME").AsString(), "");
}

TEST_F(SourceTableTest, FrameworkMessages) {
  const auto message = [](const std::function<void()>& action) {
    return testing::ErrorText<EDatabaseError>(action);
  };
  EXPECT_EQ(message([&] { table.Open(); }), "dbf: Missing TableName property");
  EXPECT_FALSE(table.Active());
  EXPECT_EQ(message([&] { table.RecordCount(); }),
            "dbf: Cannot perform this operation on a closed dataset");

  OpenFixture("fp26_cp866.dbf");
  table.Next();
  table.Open();  // already open: nothing happens, the current record stays
  EXPECT_TRUE(table.Eof());
  table.SetDatabaseName(QM_DBF_FIXTURES);  // the same values are accepted
  table.SetTableName("fp26_cp866.dbf");
  EXPECT_EQ(message([&] { table.SetTableName("db3_cp1251.dbf"); }),
            "dbf: Cannot perform this operation on an open dataset");
  EXPECT_EQ(message([&] { table.SetDatabaseName("/tmp"); }),
            "dbf: Cannot perform this operation on an open dataset");
  EXPECT_EQ(table.TableName(), "fp26_cp866.dbf");
  EXPECT_EQ(message([&] { table.FieldByName("NOPE"); }), "dbf: Field 'NOPE' not found");
  EXPECT_EQ(&table.FieldByName("name"), &table.Field(0));
  table.SetActive(false);
  EXPECT_FALSE(table.Active());
  EXPECT_EQ(table.FieldCount(), 0);
  EXPECT_EQ(message([&] { table.FieldByName("NAME"); }), "dbf: Field 'NAME' not found");

  SourceTable other("source");
  other.SetDatabaseName("/no/such/folder");
  EXPECT_EQ(message([&] { other.Open(); }), "source: /no/such/folder: directory not found");
}

// Characters code page 1251 lacks become '?' and are counted once per value however often it is
// read, the first one named by its record's position in the file and its field; memos count too.
TEST_F(SourceTableTest, CharactersCodePage1251LacksAreCountedOncePerValue) {
  ScratchFolder dir;
  std::vector<std::uint32_t> blocks;
  dir.Write("t.dbt", testing::Dbt3Image({"\xE1!"}, blocks));  // "ß!" in code page 437
  TableLayout layout;
  layout.version = 0x83;
  layout.languageDriver = 0x01;  // code page 437
  layout.columns = {{"NAME", 'C', 3}, {"NOTE", 'M', 10}};
  layout.records = {"\xE1x ", "ok ", "a\xE1 ", "\xE1\xE1 " + testing::Right("1", 10)};
  layout.marks = "*";  // the first record is deleted: never read, never counted
  dir.Write("t.dbf", TableImage(layout));
  table.SetDatabaseName(dir.Path());
  table.SetTableName("t.dbf");
  table.Open();
  EXPECT_EQ(table.ReadReport().lostCharacters, 0u);
  std::vector<std::string> read;
  for (int pass = 0; pass < 2; ++pass)  // as the existence query and the insert do
    for (table.First(); !table.Eof(); table.Next())
      for (const char* field : {"NAME", "NOTE", "NAME"})
        read.push_back(table.FieldByName(field).AsString());
  EXPECT_EQ(read[3], "a?");
  EXPECT_EQ(read[7], "?!");
  table.Close();
  const SourceReadReport& report = table.ReadReport();
  EXPECT_EQ(report.lostCharacters, 4u);
  EXPECT_EQ(report.firstLossRecord, 3u);
  EXPECT_EQ(report.firstLossField, "NAME");
  table.Open();
  EXPECT_EQ(table.ReadReport().lostCharacters, 0u);
}

TEST_F(SourceTableTest, DuplicateAndCyrillicNames) {
  TableLayout layout;
  layout.columns = {{"NAME", 'C', 2},
                    {"NAME", 'C', 2},
                    {"NAME_1", 'C', 2},
                    {"name", 'C', 2},
                    {Cp1251("ИМЯ").str(), 'C', 2},
                    {"X", 'C', 0},
                    {"Y", 'X', 2}};
  layout.records = {"aabbccddee  zz"};
  ScratchFolder dir;
  dir.Write("d.dbf", TableImage(layout));
  table.SetDatabaseName(dir.Path());
  table.SetTableName("d.dbf");
  table.Open();
  std::vector<std::string> names;
  for (int i = 0; i < table.FieldCount(); ++i) names.push_back(table.Field(i).FieldName());
  // Width 0 and unknown types give no field; a repeated name takes the first free suffix.
  EXPECT_EQ(names,
            (std::vector<std::string>{"NAME", "NAME_2", "NAME_1", "name_3", Cp1251("ИМЯ").str()}));
  EXPECT_EQ(table.FieldByName(Cp1251("имя").str()).AsString(), "ee");
  EXPECT_EQ(table.FieldByName("name_2").AsString(), "bb");
}

TEST_F(SourceTableTest, TableTypeRule) {
  ScratchFolder dir;
  std::vector<std::uint32_t> blocks;
  TableLayout layout;
  layout.columns = {{"NOTE", 'M', 10}};
  layout.records = {testing::Right("1", 10)};
  // Version 0x03 does not say which memo file belongs to the table: the driver decides.
  dir.Write("t.dbf", TableImage(layout));
  dir.Write("t.dbt", testing::Dbt3Image({"from dbt"}, blocks));
  table.SetDatabaseName(dir.Path());
  table.SetTableName("t.dbf");
  table.Open();
  EXPECT_EQ(table.TableDriver(), kDriverDbase);
  table.Close();
  dir.Write("t.FPT", testing::FptImage({"from fpt"}, 512, blocks));
  table.Open();
  EXPECT_EQ(table.TableDriver(), kDriverFoxPro);
  table.SetRecNo(1);
  EXPECT_EQ(table.Field(0).AsString(), "from fpt");
  table.Close();

  dir.Write("u.DBF", TableImage(layout));
  dir.Write("u.Cdx", "");
  const struct {
    const char* name;
    const char* driver;
  } cases[] = {{"u.DBF", kDriverFoxPro}, {"v.dbf", kDriverDbase}, {"v.db", kDriverParadox},
               {"v.DB", kDriverParadox}, {"v.TXT", kDriverAscii}, {"v.dat", kDriverParadox},
               {"v", kDriverParadox}};
  for (const auto& c : cases) EXPECT_EQ(TableDriverFor(dir.Path() + "/" + c.name), c.driver);

  for (const char* name : {"people.db", "people.TXT"}) {
    const std::string path = dir.Write(name, TableImage(layout));
    table.SetTableName(name);
    EXPECT_EQ(testing::ErrorText<EDBEngineError>([&] { table.Open(); }),
              "dbf: " + path + ": the " + TableDriverFor(path) +
                  " driver is not supported; only dBASE and FoxPro tables can be read");
  }
}

TEST_F(SourceTableTest, EmptyFolderMeansTheCurrentDirectory) {
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(QM_DBF_FIXTURES);
  table.SetDatabaseName("");
  table.SetTableName("fp26_cp866.dbf");
  table.Open();
  EXPECT_EQ(table.RecordCount(), 1);
  table.Close();
  std::filesystem::current_path(before);
}

std::string RunTool(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  output += "[exit " + std::to_string(WEXITSTATUS(pclose(pipe))) + "]";
  return output;
}

TEST(Dbfview, PrintsFieldsAndRecordsAsTheImportReadsThem) {
  const std::string tool = std::string("LC_ALL=C.UTF-8 ") + QM_DBFVIEW;
  const std::string table = std::string(QM_DBF_FIXTURES) + "/db3_cp866.dbf";
  EXPECT_EQ(RunTool(tool + " " + table + " 2>&1"),
            table +
                ": DBASE driver, 3 records, 5 fields\n"
                "  NAME         ftString      size 20    data size 21\n"
                "  QTY          ftFloat       size 0     data size 8\n"
                "  BORN         ftDate        size 0     data size 4\n"
                "  ACTIVE       ftBoolean     size 0     data size 2\n"
                "  NOTES        ftMemo        size 0     data size 0\n"
                "NAME\tQTY\tBORN\tACTIVE\tNOTES\n"
                "Иванов Пётр\t12.5\t31.12.1999\tTrue\tПримечание: многострочный\\r\\nтекст в memo\n"
                "Ёлкина\t-3\t\tFalse\t\n"
                "ASCII only\t\t29.02.2024\t\t\n"
                "[exit 0]");
  // Forcing the code page: the cp866 bytes read as cp1251 turn into other letters.
  const std::string forced = RunTool(tool + " --codepage CP1251 --limit 1 " + table);
  EXPECT_NE(forced.find("\n€ў"), std::string::npos) << forced;  // cp866 "Ив" read as cp1251
  EXPECT_EQ(RunTool(tool + " /no/such.dbf 2>&1"), "dbf: /no: directory not found\n[exit 1]");
}

// Lines are written in large pieces: a damaged value still ends the output after the last whole
// record, with none of the failing record's values, in either of the terminal's encodings.
TEST(Dbfview, DamagedValueEndsTheOutputAfterTheWholeRecords) {
  ScratchFolder dir;
  TableLayout layout;
  layout.columns = {{"NAME", 'C', 5}, {"QTY", 'N', 4}};
  layout.records = {"Ann     1", "Bob     2", "Cid    x3", "Dan     4"};
  dir.Write("bad.dbf", TableImage(layout));
  for (const char* locale : {"C.UTF-8", "C"}) {
    const std::string tool = std::string("LC_ALL=") + locale + " " + QM_DBFVIEW;
    const std::string table = dir.Path() + "/bad.dbf";
    EXPECT_EQ(RunTool(tool + " " + table + " 2>&1"),
              table +
                  ": DBASE driver, 4 records, 2 fields\n"
                  "  NAME         ftString      size 5     data size 6\n"
                  "  QTY          ftInteger     size 0     data size 4\n"
                  "NAME\tQTY\nAnn\t1\nBob\t2\ndbf: " +
                  table + ": record 3, field QTY: invalid number 'x3'\n[exit 1]")
        << locale;
  }
}

}  // namespace
}  // namespace qm
