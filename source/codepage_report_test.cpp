#include "source/codepage_report.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>

#include "platform/codepage.h"
#include "platform/testing/scratch_folder.h"
#include "platform/utf8.h"
#include "source/source_table.h"
#include "source/testing/test_tables.h"

namespace qm {
namespace {

std::u32string CodePoints(std::string_view utf8) {
  std::u32string out;
  for (std::size_t i = 0; i < utf8.size();) out += DecodeUtf8(utf8, i);
  return out;
}

TEST(LooksWrong, MarksWhatMisreadTextLooksLike) {
  struct Case {
    const char* text;
    const char* reasons;
  } cases[] = {
      {"Иванов Иван", ""},
      {"Příliš žluťoučký kůň", ""},
      {"O'Brien, 12-B «Дом» № 5", ""},
      {"╚E╪OVSK┴", "box-drawing characters"},
      {"Ab\x01", "control characters"},
      {"P\uFFFDa", "characters the code page lacks"},
      {"Pшнliљ", "mixed scripts in one word"},
      {"€ў ­®ў", "signs amid letters"},
      {"ˆ¢ ®¢", "words of signs only"},
      {"P°φliÜ", "mixed scripts in one word, signs amid letters"},
  };
  for (const Case& c : cases) EXPECT_EQ(LooksWrong(CodePoints(c.text)), c.reasons) << c.text;
}

// A table of one text field NAME holding `names` (bytes as given), with `languageDriver`.
std::string NameTable(std::uint8_t languageDriver, const std::vector<std::string>& names) {
  testing::TableLayout layout;
  layout.languageDriver = languageDriver;
  layout.columns = {{"NAME", 'C', 24}};
  for (const std::string& name : names) layout.records.push_back(testing::Left(name, 24));
  return testing::TableImage(layout);
}

// "Příliš žluťoučký kůň" and "ČEŘOVSKÁ Řeka" in code page 1250.
const std::vector<std::string> kCzech = {"P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2",
                                         "\xC8\x45\xD8OVSK\xC1 \xD8\x65ka"};
// "Иванов Иван" and "Пётр" in code page 866.
const std::vector<std::string> kRussian866 = {"\x88\xA2\xA0\xAD\xAE\xA2 \x88\xA2\xA0\xAD",
                                              "\x8F\xF1\xE2\xE0"};

TEST(CodePageReport, SeesThroughAWrongCpgFile) {
  testing::ScratchFolder dir;
  const std::string path = dir.Write("cz.dbf", NameTable(0x00, kCzech));
  dir.Write("cz.cpg", "852\r\n");
  const std::string report = CodePageReport(path, "", 5);
  EXPECT_NE(report.find("language driver: 0x00 (names no code page)\n.cpg file: " +
                        dir.PathOf("cz.cpg") + " says \"852\"\ncode page in use: CP852, because "
                        "the .cpg file names it: " + dir.PathOf("cz.cpg") + " says \"852\"\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("  CP1250   Příliš žluťoučký kůň\n"), std::string::npos) << report;
  EXPECT_NE(report.find("  CP852    ╚EěOVSK┴ ěeka    ! box-drawing characters\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("likely: CP1250 (read it with --codepage CP1250)\n"), std::string::npos)
      << report;

  // The override wins over the .cpg file, and says so.
  SourceTable dbf;
  dbf.SetDatabaseName(dir.Path());
  dbf.SetTableName("cz.dbf");
  dbf.SetCodePage("1250");
  dbf.Open();
  // Code page 1251, the text of the whole system, lacks the Czech letters: they are counted.
  EXPECT_EQ(dbf.Field(0).AsString(), "P??li? ?lu?ou?k? k??");
  EXPECT_EQ(dbf.ReadReport().lostCharacters, 9u);
  EXPECT_EQ(dbf.CodePageInUse().codePage, "CP1250");
  EXPECT_EQ(dbf.CodePageInUse().reason, "given by the user");
}

TEST(CodePageReport, FindsCyrillicUnderAZeroLanguageDriver) {
  testing::ScratchFolder dir;
  const std::string path = dir.Write("ru.dbf", NameTable(0x00, kRussian866));
  const std::string report = CodePageReport(path, "", 5);
  EXPECT_NE(report.find("code page in use: CP1251, because nothing names a code page (language "
                        "driver 0x00, no .cpg file): code page 1251\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("    ! signs amid letters\n  CP866    Иванов Иван\n"), std::string::npos)
      << report;
  EXPECT_NE(report.find("likely: CP866 (read it with --codepage CP866)\n"), std::string::npos)
      << report;
  // Read in the code page the user gives, the report agrees with itself.
  EXPECT_NE(CodePageReport(path, "866", 5).find("likely: CP866\n"), std::string::npos);

  SourceTable dbf;
  dbf.SetDatabaseName(dir.Path());
  dbf.SetTableName("ru.dbf");
  dbf.SetCodePage("cp866");
  dbf.Open();
  EXPECT_EQ(Cp1251ToUtf8(dbf.Field(0).AsString()), "Иванов Иван");
  dbf.Close();
  dbf.SetCodePage("");
  dbf.Open();
  EXPECT_EQ(dbf.CodePageInUse().codePage, "CP1251");
}

TEST(CodePageReport, SaysSoWhenEveryCandidateReadsAlike) {
  testing::ScratchFolder dir;
  const std::string path = dir.Write("a.dbf", NameTable(0x65, {"plain"}));
  EXPECT_EQ(CodePageReport(path, "", 5),
            "file: " + path + "\nlanguage driver: 0x65 (CP866)\n.cpg file: none\n"
            "code page in use: CP866, because the language driver 0x65 stands for it\n\n"
            "the first 1 records hold no text beyond ASCII: any of the candidates reads them "
            "alike\n");
}

TEST(Dbfview, ReportsAndOverridesTheCodePage) {
  testing::ScratchFolder dir;
  const std::string path = dir.Write("ru.dbf", NameTable(0x00, kRussian866));
  auto run = [](const std::string& arguments) {
    std::string output;
    FILE* pipe = popen(("LC_ALL=C.UTF-8 " QM_DBFVIEW " " + arguments + " 2>&1").c_str(), "r");
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    return output + "[exit " + std::to_string(WEXITSTATUS(pclose(pipe))) + "]";
  };
  const std::string report = run("--codepage-report --limit 1 " + path);
  EXPECT_NE(report.find("record 1, field NAME\n"), std::string::npos) << report;
  EXPECT_EQ(report.find("record 2"), std::string::npos) << report;
  EXPECT_NE(report.find("likely: CP866 (read it with --codepage CP866)\n[exit 0]"),
            std::string::npos)
      << report;
  EXPECT_EQ(run("--codepage 866 --limit 1 " + path),
            path + ": DBASE driver, 2 records, 1 fields\n"
                   "  NAME         ftString      size 24    data size 25\n"
                   "NAME\nИванов Иван\n[exit 0]");
  EXPECT_EQ(run("--codepage-report /no/such.dbf"), "/no/such.dbf: No such file or directory\n[exit 1]");
}

}  // namespace
}  // namespace qm
