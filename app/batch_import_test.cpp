// quillmove-import run as a process against the embedded engine.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <vector>

#include "ocilite/testing/engine_fixture.h"
#include "platform/codepage.h"
#include "platform/testing/file_size_limit.h"
#include "platform/testing/scratch_folder.h"
#include "source/source_table.h"
#include "source/testing/test_tables.h"

namespace qm {
namespace {

struct Outcome {
  int status;
  std::string out;  // standard output and standard error together
};

class BatchImport : public ocilite::testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    Sql("create table PEOPLE (NAME varchar2(30), QTY number, BORN date)");
    links_ = dir_.Write("links.ini",
                        "[Rows]\r\nRow1=NAME,VARCHAR2,1,NAME,,\r\nRow2=QTY,NUMBER,1,QTY,,\r\n"
                        "Row3=BORN,DATE,1,BORN,D,\r\n");
    log_ = dir_.Path() + "/err.log";
  }

  // Runs the batch program with `arguments` and the logon, after the environment assignments
  // `environment` ("NAME=value ...").
  Outcome Run(const std::string& arguments, const std::string& environment = "") {
    Outcome o{};
    o.status = Capture("env " + environment + " " + QUILLMOVE_IMPORT + " " + arguments +
                           " UserId=system/manager@orcl OCIDLL=" OCILITE_LIBRARY " 2>&1",
                       o.out);
    return o;
  }

  std::string Sql(const std::string& statement) {
    std::string out;
    Capture(std::string(OCISQL) + " system/manager@orcl -c \"" + statement + "\"", out);
    return out;
  }

  std::string SqlScript(const std::string& path) {
    std::string out;
    Capture(std::string(OCISQL) + " system/manager@orcl " + path, out);
    return out;
  }

  static int Capture(const std::string& command, std::string& out) {
    FILE* pipe = popen(command.c_str(), "r");
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    return WEXITSTATUS(pclose(pipe));
  }

  std::string Common() const {
    return "--source " TESTDATA_DIR "/dbf/db3_cp1251.dbf --table PEOPLE --links " + links_ +
           " --log " + log_;
  }

  testing::ScratchFolder dir_;
  std::string links_, log_;
};

TEST_F(BatchImport, ImportsThenSkipsWhatIsThere) {
  Outcome first = Run(Common());
  EXPECT_EQ(first.status, 0) << first.out;
  EXPECT_NE(first.out.find("Process finished\ninserted 3 record from 3 selected"),
            std::string::npos)
      << first.out;
  EXPECT_NE(Sql("select count(*) from PEOPLE").find(" 3"), std::string::npos);
  Outcome second = Run(Common());
  EXPECT_EQ(second.status, 0);
  // The record with an empty QTY is found too: its QTY is looked for as NULL.
  EXPECT_NE(second.out.find("inserted 0 record from 3 selected"), std::string::npos) << second.out;
}

TEST_F(BatchImport, QuotesCommasAndCommentMarksArriveByteForByte) {
  const std::string values[] = {
      "O'Brien, \"Jr\"; --\\x",
      Cp1251("Иванов, Пётр"),
      "'); delete from QUOTES; --",
      "a''b \"\"c\"\" ,, ;",
      "\\'",
      "/* not a comment */ 12,5",
  };
  testing::TableLayout t;
  t.columns = {{"ID", 'N', 3}, {"VAL", 'C', 40}};
  for (std::size_t i = 0; i < std::size(values); ++i)
    t.records.push_back(testing::Right(std::to_string(i + 1), 3) + testing::Left(values[i], 40));
  const std::string source = dir_.Write("quotes.dbf", testing::TableImage(t));
  const std::string links =
      dir_.Write("quotes.ini",
                 "[Rows]\r\nRow1=ID,NUMBER,1,ID,,\r\nRow2=VAL,VARCHAR2,1,VAL,,\r\n"
                 "Row3=NOTE,VARCHAR2,1,,,k'v \"w\"; --\\\r\n");
  Sql("create table QUOTES (ID number, VAL varchar2(40), NOTE varchar2(20))");
  const std::string arguments = "--source " + source + " --table QUOTES --links " + links;

  const Outcome first = Run(arguments);
  EXPECT_EQ(first.status, 0) << first.out;
  EXPECT_NE(first.out.find("inserted 6 record from 6 selected"), std::string::npos) << first.out;
  for (std::size_t i = 0; i < std::size(values); ++i) {
    const std::string row = Sql("select '[' || VAL || '][' || NOTE || ']' from QUOTES where ID = " +
                                std::to_string(i + 1));
    EXPECT_NE(row.find("[" + Cp1251ToUtf8(values[i]) + "][k'v \"w\"; --\\]"), std::string::npos)
        << row;
  }
  // The existence query quotes the same way: every record is found again.
  const Outcome second = Run(arguments);
  EXPECT_NE(second.out.find("inserted 0 record from 6 selected"), std::string::npos) << second.out;
}

// The demo's steps under the regional settings of Russia, Germany and the neutral locale, also
// with a Russian client territory: the same rows every time, and a second run finds them all.
TEST_F(BatchImport, TheDemoImportsTheSameRowsUnderAnyRegionalSettings) {
  const std::string rows[] = {
      "1|Иванов Пётр|Москва|15.03.1975|52000.5|True|Руководитель отдела|people.dbf",
      "2|Смирнова Анна|Санкт-Петербург|02.11.1982|48100|True||people.dbf",
      "3|Кузнецов Илья|Казань|28.07.1990|39999.99|False|В отпуске до августа|people.dbf",
      "4|Ёлкина Мария|Новосибирск|01.01.1900|41250.75|True||people.dbf",
      "5|O'Brien John|Tver|01.01.2001|||Guest, contractor|people.dbf",
  };
  const std::pair<const char*, const char*> settings[] = {
      {"ru_RU.UTF-8", "AMERICAN_AMERICA.AL32UTF8"},
      {"ru_RU.UTF-8", "RUSSIAN_RUSSIA.AL32UTF8"},
      {"de_DE.UTF-8", "GERMAN_GERMANY.AL32UTF8"},
      {"en_US.UTF-8", "AMERICAN_AMERICA.AL32UTF8"},  // dates month first
      {"C", "AMERICAN_AMERICA.AL32UTF8"},
  };
  const std::string arguments = "--source " DEMO_DIR "/people.dbf --table PEOPLE --links " DEMO_DIR
                                "/people.ini --log " +
                                log_;
  for (const auto& [locale, language] : settings) {
    SCOPED_TRACE(std::string(locale) + ", " + language);
    locale_t probe = newlocale(LC_ALL_MASK, locale, nullptr);
    if (probe == nullptr) {
      ADD_FAILURE() << "the locale " << locale << " is missing; scripts/setup.sh generates it";
      continue;
    }
    freelocale(probe);
    Sql("drop table PEOPLE");
    SqlScript(DEMO_DIR "/people.sql");
    const std::string environment = std::string("LC_ALL=") + locale + " NLS_LANG=" + language;

    const Outcome first = Run(arguments, environment);
    EXPECT_EQ(first.status, 0) << first.out;
    EXPECT_NE(first.out.find("inserted 5 record from 5 selected"), std::string::npos) << first.out;
    const std::string table =
        Sql("select id||'|'||name||'|'||city||'|'||to_char(born, 'DD.MM.YYYY')||'|'||salary||'|'||"
            "active||'|'||notes||'|'||source from people order by id");
    for (const std::string& row : rows) EXPECT_NE(table.find(row), std::string::npos) << row;

    const Outcome second = Run(arguments, environment);
    EXPECT_EQ(second.status, 0) << second.out;
    EXPECT_NE(second.out.find("inserted 0 record from 5 selected"), std::string::npos)
        << second.out;
  }
}

// Field links that fill every column of a table made from `dbf` from the field of its name.
std::string OneToOneLinks(const SourceTable& dbf) {
  std::string ini = "[Rows]\r\n";
  for (int i = 0; i < dbf.FieldCount(); ++i) {
    const std::string& name = dbf.Field(i).FieldName();
    ini += "Row" + std::to_string(i + 1) + "=" + name + ",VARCHAR2,1," + name + ",,\r\n";
  }
  return ini;
}

std::string Double(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return testing::Le64(bits);
}

// A table is created from each file and the file imported into it with one-to-one links: every
// record goes in, and a second run finds every one of them again. The made table holds the
// longest text of each kind; a memo longer than a VarChar2 can hold fails its own record only.
TEST_F(BatchImport, ATableCreatedFromAFileTakesEveryRecordOfIt) {
  Sql("drop table PEOPLE");  // the demo's file makes a table of that name
  std::vector<std::uint32_t> blocks;
  dir_.Write("widest.fpt",
             testing::FptImage({std::string(4000, 'm'), std::string(4001, 'm')}, 64, blocks));
  testing::TableLayout t;
  t.version = 0x30;
  t.columns = {{"N18", 'N', 18}, {"N20", 'N', 20, 17}, {"W", 'N', 20}, {"B", 'B', 8},
               {"Y", 'Y', 8},    {"I", 'I', 4},        {"L", 'L', 1},  {"T", 'T', 8},
               {"C", 'C', 254},  {"M", 'M', 4}};
  const std::string fixed =
      testing::Right("-99999999999999999", 18) + testing::Right("-0.00001234567890123", 20) +
      testing::Right("-1234567890123456789", 20) + Double(-1.2345678901234567e-308) +
      testing::Le64(1ull << 63) + testing::Le32(0x80000000u) + "F" + testing::Le32(2460385) +
      testing::Le32(49530000) + std::string(127, '\'') + std::string(127, ',');
  t.records = {fixed + testing::Le32(blocks[0]), fixed + testing::Le32(blocks[1])};
  const std::string widest = dir_.Write("widest.dbf", testing::TableImage(t));

  struct Case {
    std::string path;
    int inserted;  // of every record
  };
  const Case cases[] = {
      {TESTDATA_DIR "/dbf/clp_long.dbf", -1},
      {TESTDATA_DIR "/dbf/db3_cp1251.dbf", -1},
      {TESTDATA_DIR "/dbf/db3_cp866.dbf", -1},
      {TESTDATA_DIR "/dbf/db3_numbers.dbf", -1},
      {TESTDATA_DIR "/dbf/fp26_cp866.dbf", -1},
      {TESTDATA_DIR "/dbf/vfp_cp1251.dbf", -1},
      {TESTDATA_DIR "/dbf/vfp_nulls.dbf", -1},
      {DEMO_DIR "/people.dbf", -1},
      {widest, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    SourceTable dbf;
    const std::size_t slash = c.path.rfind('/');
    dbf.SetDatabaseName(c.path.substr(0, slash));
    dbf.SetTableName(c.path.substr(slash + 1));
    dbf.Open();
    const int records = dbf.RecordCount();
    const std::string links = dir_.Write("one-to-one.ini", OneToOneLinks(dbf));
    dbf.Close();
    const std::string name = c.path.substr(slash + 1, c.path.size() - slash - 5);
    const std::string arguments =
        "--source " + c.path + " --table " + name + " --links " + links + " --log " + log_;
    const int inserted = c.inserted < 0 ? records : c.inserted;

    const Outcome first = Run("--create-table " + arguments);
    EXPECT_EQ(first.status, inserted == records ? 0 : 2) << first.out;
    EXPECT_NE(first.out.find("inserted " + std::to_string(inserted) + " record from " +
                             std::to_string(records) + " selected"),
              std::string::npos)
        << first.out;
    const Outcome second = Run(arguments);
    EXPECT_NE(second.out.find("inserted 0 record from"), std::string::npos) << second.out;
  }
  // The memo that does not fit is logged with its record (its existence query is the first
  // statement the value fails), and the reason follows.
  std::ifstream in(log_, std::ios::binary);
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t entry = log.find("/2/select * from widest Where ");
  ASSERT_NE(entry, std::string::npos) << log.substr(0, 300);
  EXPECT_NE(log.find("\r\nORA-01704: string literal too long\r\n", entry), std::string::npos);
}

TEST_F(BatchImport, FailingInsertsAreLoggedAndExitTwo) {
  Sql("drop table PEOPLE");
  Sql("create table PEOPLE (NAME varchar2(5), QTY number, BORN date)");  // too short for some
  Outcome o = Run(Common() + " --no-seek");
  EXPECT_EQ(o.status, 2) << o.out;
  EXPECT_NE(o.out.find("Process finished with errors"), std::string::npos) << o.out;
  std::ifstream log(log_, std::ios::binary);
  std::stringstream text;
  text << log.rdbuf();
  EXPECT_EQ(text.str().rfind("/1/insert into PEOPLE(NAME,QTY,BORN) values (", 0), 0u) << text.str();
  // The server's reason follows each entry on a line of its own, then an empty line.
  const std::string first = text.str().substr(0, text.str().find("\r\n\r\n") + 4);
  EXPECT_EQ(first.substr(first.find(")\r\n") + 3),
            "ORA-12899: value too large for column \"SYSTEM\".\"PEOPLE\".\"NAME\" (actual: 11, "
            "maximum: 5)\r\n\r\n")
      << text.str();
}

TEST_F(BatchImport, RunsThatCannotStartExitOne) {
  const std::string emptyProceed =
      dir_.Write("bad.ini", "[Rows]\r\nRow1=NAME,VARCHAR2,,NAME,,\r\n");
  Outcome validation =
      Run("--source " TESTDATA_DIR "/dbf/db3_cp1251.dbf --table PEOPLE --links " + emptyProceed);
  EXPECT_EQ(validation.status, 1) << validation.out;
  Outcome source = Run("--source /no/such.dbf --table PEOPLE --links " + links_);
  EXPECT_EQ(source.status, 1);
  EXPECT_NE(source.out.find("not connect to /no/such.dbf"), std::string::npos) << source.out;
  EXPECT_EQ(Run("--table PEOPLE").status, 1);
  for (const char* option : {"--errors x", "--skip -1", "--commit-every 0", "--deleted all",
                             "--bad " TESTDATA_DIR "/dbf/../dbf/db3_cp1251.dbf"})
    EXPECT_EQ(Run(Common() + " " + option).status, 1) << option;
}

// Every input is checked before anything changes: with --delete-old, a bad source, link file,
// table or column leaves the target's rows where they were.
TEST_F(BatchImport, InputsAreCheckedBeforeTheOldRowsAreDeleted) {
  Sql("insert into PEOPLE (NAME) values ('kept')");
  const std::string source = "--source " TESTDATA_DIR "/dbf/db3_cp1251.dbf";
  const std::string empty = dir_.Write("empty.ini", "");
  const std::string noRows = dir_.Write("other.ini", "[Other]\r\nRow1=NAME,VARCHAR2,1,NAME,,\r\n");
  const std::string emptyRows = dir_.Write("rows.ini", "[Rows]\r\n");
  const std::string typo = dir_.Write("typo.ini", "[Rows]\r\nRow1=NAMEE,VARCHAR2,1,NAME,,\r\n");
  struct Case {
    std::string arguments;
    std::string message;
  };
  const Case cases[] = {
      {source + " --table PEOPLE --links /no/such.ini",
       "the field-link file /no/such.ini cannot be read: No such file or directory"},
      {source + " --table PEOPLE --links " + dir_.Path(),
       "the field-link file " + dir_.Path() + " cannot be read: Is a directory"},
      {source + " --table PEOPLE --links " + empty, "the field-link file " + empty + " is empty"},
      {source + " --table PEOPLE --links " + noRows,
       "the field-link file " + noRows + " has no link rows in a [Rows] section"},
      {source + " --table PEOPLE --links " + emptyRows,
       "the field-link file " + emptyRows + " has no link rows in a [Rows] section"},
      {"--source /no/such.dbf --table PEOPLE --links " + links_,
       "not connect to /no/such.dbf: dbf: "},
      {source + " --table PEOPEL --links " + links_,
       "the table PEOPEL cannot take the links: ORA-00942: table or view does not exist"},
      {source + " --table PEOPLE --links " + typo,
       "the table PEOPLE cannot take the links: ORA-00904: \"NAMEE\": invalid identifier"},
  };
  for (const Case& c : cases) {
    const Outcome o = Run(c.arguments + " --delete-old");
    EXPECT_EQ(o.status, 1) << c.arguments << "\n" << o.out;
    EXPECT_NE(o.out.find("quillmove-import: " + c.message), std::string::npos) << o.out;
    EXPECT_EQ(o.out.find("delete old data"), std::string::npos) << o.out;
  }
  EXPECT_NE(Sql("select count(*) from PEOPLE where NAME = 'kept'").find(" 1"), std::string::npos);
}

TEST_F(BatchImport, ASessionEndThatCannotCommitStoresNothingAndSaysSo) {
  Sql("create table BIG (T varchar2(250))");
  testing::TableLayout t;
  t.columns = {{"T", 'C', 250}};
  for (int i = 1; i <= 2000; ++i)  // few enough to stay in the engine's page cache until the end
    t.records.push_back(testing::Left(std::string(240, 'x') + std::to_string(i), 250));
  const std::string source = dir_.Write("big.dbf", testing::TableImage(t));
  const std::string links = dir_.Write("big.ini", "[Rows]\r\nRow1=T,VARCHAR2,1,T,,\r\n");
  std::uintmax_t largest = 0;
  for (const auto& entry : std::filesystem::directory_iterator(home_))
    largest = std::max(largest, entry.file_size());
  Outcome o;
  {
    // The program inherits the limit: its commit at the end cannot be written.
    qm::testing::FileSizeLimit limit(largest + 64 * 1024);
    o = Run("--no-seek --source " + source + " --table BIG --links " + links + " --log " + log_);
  }
  EXPECT_EQ(o.status, 2) << o.out;
  EXPECT_NE(o.out.find("ORA-02091: transaction rolled back"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("none of the 2000 records inserted since its last commit is stored"),
            std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find("Load discontinued (the session's closing commit failed); continue with "
                       "--skip 0.\n"),
            std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find("Process finished with errors \ninserted 0 record from 2000 selected"),
            std::string::npos)
      << o.out;
  EXPECT_NE(Sql("select count(*) from BIG").find(" 0\n"), std::string::npos);
}

TEST_F(BatchImport, CreateTableMakesTheTargetFirst) {
  testing::TableLayout t;
  t.columns = {{"ID", 'N', 5}, {"NAME", 'C', 10}};
  t.records = {testing::Right("7", 5) + testing::Left("Ivan", 10)};
  const std::string source = dir_.Write("staff.dbf", testing::TableImage(t));
  const std::string links =
      dir_.Write("staff.ini", "[Rows]\r\nRow1=ID,NUMBER,1,ID,,\r\nRow2=NAME,VARCHAR2,1,NAME,,\r\n");
  Outcome o = Run("--create-table --source " + source + " --table STAFF --links " + links);
  EXPECT_EQ(o.status, 0) << o.out;
  EXPECT_NE(Sql("select NAME from STAFF where ID = 7").find("Ivan"), std::string::npos);
}

TEST_F(BatchImport, AnUnreadableValueFailsOnlyItsRecord) {
  testing::TableLayout t;
  t.columns = {{"NAME", 'C', 10}, {"QTY", 'N', 5}, {"BORN", 'D', 8}};
  t.records = {testing::Left("Ivan", 10) + testing::Right("12.5", 5) + "20240101",
               testing::Left("Olga", 10) + testing::Right("x2", 5) + "20240102",
               testing::Left("Petr", 10) + testing::Right("3", 5) + "20031340",
               testing::Left("Anna", 10) + testing::Right("4", 5) + "20240104"};
  const std::string source = dir_.Write("odd.dbf", testing::TableImage(t));
  Outcome o =
      Run("--no-seek --source " + source + " --table PEOPLE --links " + links_ + " --log " + log_);
  EXPECT_EQ(o.status, 2) << o.out;
  EXPECT_NE(o.out.find("inserted 2 record from 4 selected"), std::string::npos) << o.out;
  EXPECT_NE(Sql("select QTY from PEOPLE where NAME = 'Ivan'").find("12.5"), std::string::npos);
  std::ifstream log(log_, std::ios::binary);
  std::stringstream text;
  text << log.rdbuf();
  EXPECT_EQ(text.str().substr(0, text.str().find("Table PEOPLE:")),
            "/2/not read: " + source +
                ": record 2, field QTY: invalid number 'x2'\r\n\r\n"
                "/3/not read: " +
                source + ": record 3, field BORN: invalid date '20031340'\r\n\r\n");
}

// A cut file is refused before anything changes unless --allow-short is given; then the records it
// holds go in and the shortfall is reported on standard error.
TEST_F(BatchImport, AShortSourceIsRefusedUnlessAllowed) {
  testing::TableLayout t;
  t.columns = {{"NAME", 'C', 10}, {"QTY", 'N', 5}, {"BORN", 'D', 8}};
  t.languageDriver = 0x01;  // code page 437
  t.records = {testing::Left("Ivan", 10) + testing::Right("1", 5) + "20240101",
               testing::Left("Ol\xE1\xE1", 10) + testing::Right("2", 5) + "20240102"};
  t.recordCount = 4;
  const std::string source = dir_.Write("cut.dbf", testing::TableImage(t));
  const std::string args = "--delete-old --source " + source + " --table PEOPLE --links " + links_;
  Sql("insert into PEOPLE (NAME) values ('kept')");
  const std::string shortfall =
      source + " is shorter than its header says: the header gives 4 records, the file holds 2";

  Outcome refused = Run(args);
  EXPECT_EQ(refused.status, 1) << refused.out;
  EXPECT_NE(refused.out.find(shortfall + "; --allow-short imports those\n"), std::string::npos)
      << refused.out;
  EXPECT_NE(Sql("select NAME from PEOPLE").find("kept"), std::string::npos);

  Outcome allowed = Run(args + " --allow-short");
  EXPECT_EQ(allowed.status, 0) << allowed.out;
  EXPECT_NE(allowed.out.find("inserted 2 record from 2 selected"), std::string::npos)
      << allowed.out;
  EXPECT_NE(allowed.out.find(shortfall + "; only those were read.\ncharacters with no "
                                         "equivalent in code page 1251 became \"?\": 2, the "
                                         "first in record 2, field NAME.\n"),
            std::string::npos)
      << allowed.out;
  EXPECT_NE(Sql("select count(*) from PEOPLE").find(" 2"), std::string::npos);
}

// Records failing for different reasons go to the bad file, a table of the source's format that
// loads again with the same links once the cause is fixed; the reasons file says why, the log
// ends with the account of the load.
TEST_F(BatchImport, RejectedRecordsGoToABadFileThatLoadsAgain) {
  Sql("drop table PEOPLE");
  Sql("create table PEOPLE (NAME varchar2(6), QTY number, BORN date)");
  testing::TableLayout t;
  t.columns = {{"NAME", 'C', 10}, {"QTY", 'N', 5}, {"BORN", 'D', 8}};
  t.records = {testing::Left("Ivan", 10) + testing::Right("1", 5) + "20240101",
               testing::Left("Olga", 10) + testing::Right("x2", 5) + "20240102",
               testing::Left("Petr", 10) + testing::Right("3", 5) + "20240103",
               testing::Left("Aleksandr", 10) + testing::Right("4", 5) + "20240104",
               testing::Left("Anna", 10) + testing::Right("5", 5) + "20240105"};
  t.marks = "  *";  // Petr is deleted in the source
  const std::string source = dir_.Write("mixed.dbf", testing::TableImage(t));
  const std::string bad = dir_.PathOf("bad.dbf");
  const std::string args = "--no-seek --table PEOPLE --links " + links_ + " --log " + log_;

  const Outcome o = Run(args + " --source " + source + " --bad " + bad);
  EXPECT_EQ(o.status, 2) << o.out;
  std::ifstream in(log_, std::ios::binary);
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string account =
      "Table PEOPLE:\r\n"
      "  2 Rows successfully loaded.\r\n"
      "  2 Rows not loaded due to data errors.\r\n"
      "  0 Rows not loaded because an equal row was already present.\r\n"
      "  0 Rows not loaded because all fields were null.\r\n"
      "  0 Rows not loaded because the session lost them.\r\n"
      "\r\n"
      "Total logical records skipped:         0\r\n"
      "Total logical records read:            4\r\n"
      "Total logical records rejected:        2\r\n"
      "Total logical records discarded:       0\r\n"
      "Total logical records deleted:         1\r\n"
      "Total logical records not read:        0\r\n";
  ASSERT_GE(log.size(), account.size());
  EXPECT_EQ(log.substr(log.size() - account.size()), account);
  std::ifstream reasons(dir_.PathOf("bad.reasons.txt"), std::ios::binary);
  const std::string why((std::istreambuf_iterator<char>(reasons)),
                        std::istreambuf_iterator<char>());
  EXPECT_EQ(why,
            "record\tcolumn\tvalue\tmessage\n"
            "2\tQTY\tx2\t" +
                source +
                ": record 2, field QTY: invalid number 'x2'\n"
                "4\tNAME\tAleksandr\tORA-12899: value too large for column "
                "\"SYSTEM\".\"PEOPLE\".\"NAME\" (actual: 9, maximum: 6)\n");

  SourceTable badTable;
  badTable.SetTableName(bad);
  badTable.Open();
  std::vector<std::string> names;
  for (badTable.First(); !badTable.Eof(); badTable.Next())
    names.push_back(badTable.FieldByName("NAME").AsString());
  badTable.Close();
  EXPECT_EQ(names, (std::vector<std::string>{"Olga", "Aleksandr"}));

  // The column made wide enough, the bad file loads with the same links; Olga's number is still
  // no number.
  Sql("drop table PEOPLE");
  Sql("create table PEOPLE (NAME varchar2(30), QTY number, BORN date)");
  const Outcome again = Run(args + " --source " + bad + " --bad " + dir_.PathOf("bad2.dbf"));
  EXPECT_EQ(again.status, 2) << again.out;
  EXPECT_NE(Sql("select QTY from PEOPLE where NAME = 'Aleksandr'").find("4"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir_.PathOf("bad2.dbf")));

  // --deleted include takes Petr too; nothing rejected means no bad file and status 0.
  Sql("delete from PEOPLE");
  const Outcome deleted = Run(args + " --source " + bad + " --deleted include --errors 0");
  EXPECT_EQ(deleted.status, 2) << deleted.out;  // Olga again, and the limit stops the load
  EXPECT_NE(deleted.out.find("Load discontinued (maximum error count 0 exceeded); continue with "
                             "--skip 1."),
            std::string::npos)
      << deleted.out;
  Sql("delete from PEOPLE");
  const Outcome included = Run(args + " --source " + source +
                               " --deleted include --skip 2 "
                               "--load 1 --bad " +
                               dir_.PathOf("none.dbf"));
  EXPECT_EQ(included.status, 0) << included.out;
  EXPECT_NE(Sql("select count(*) from PEOPLE where NAME = 'Petr'").find(" 1"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_.PathOf("none.dbf")));
}

// A load stopped by SIGTERM commits what it read and names the --skip that continues it; the
// continued load takes the rest, and every record is in the target exactly once.
TEST_F(BatchImport, AnInterruptedLoadContinuesWithEveryRecordOnce) {
  constexpr int kRecords = 100000;
  Sql("create table SERIAL (ID number)");
  testing::TableLayout t;
  t.columns = {{"ID", 'N', 6}};
  for (int i = 1; i <= kRecords; ++i) t.records.push_back(testing::Right(std::to_string(i), 6));
  const std::string source = dir_.Write("serial.dbf", testing::TableImage(t));
  const std::string links = dir_.Write("serial.ini", "[Rows]\r\nRow1=ID,NUMBER,1,ID,,\r\n");
  const std::string output = dir_.PathOf("first.out");
  const std::string args = "--no-seek --source " + source + " --table SERIAL --links " + links +
                           " --log " + log_ + " --commit-every 100";

  // The first run in a process of its own, stopped once its first commit is visible.
  const std::string command = std::string("exec ") + QUILLMOVE_IMPORT + " " + args +
                              " UserId=system/manager@orcl OCIDLL=" OCILITE_LIBRARY " >" + output +
                              " 2>&1";
  const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  // The rows committed so far; 0 while the engine's file is busy with the other process.
  auto committed = [&] {
    const std::string out = Sql("select count(*) from SERIAL");
    const std::size_t rule = out.find("-\n");
    return rule == std::string::npos ? 0 : std::atoi(out.c_str() + rule + 2);
  };
  while (committed() == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  kill(child, SIGTERM);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  std::ifstream in(output);
  const std::string first((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string mark = "Load discontinued (interrupted); continue with --skip ";
  const std::size_t at = first.find(mark);
  ASSERT_NE(at, std::string::npos) << first;
  const int skip = std::stoi(first.substr(at + mark.size()));
  EXPECT_GT(skip, 0);
  EXPECT_LT(skip, kRecords);

  const Outcome rest = Run(args + " --skip " + std::to_string(skip));
  EXPECT_EQ(rest.status, 0) << rest.out;
  EXPECT_NE(Sql("select count(*) from SERIAL").find(" 100000\n"), std::string::npos);
  EXPECT_NE(
      Sql("select count(distinct ID) from SERIAL where ID between 1 and 100000").find(" 100000\n"),
      std::string::npos);
}

}  // namespace
}  // namespace qm
