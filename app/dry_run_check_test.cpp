// quillmove-import --check against the embedded engine: the dry run predicts exactly the records
// a real run loses, with the server's messages, and writes nothing.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "ocilite/testing/engine_fixture.h"
#include "platform/codepage.h"
#include "platform/testing/scratch_folder.h"
#include "source/testing/test_tables.h"

namespace qm {
namespace {

int Capture(const std::string& command, std::string& out) {
  FILE* pipe = popen(command.c_str(), "r");
  std::array<char, 4096> buffer{};
  for (std::size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
    out.append(buffer.data(), n);
  return WEXITSTATUS(pclose(pipe));
}

class DryRunCheck : public ocilite::testing::EngineTest {
 protected:
  std::string Sql(const std::string& statement) {
    std::string out;
    Capture(std::string(OCISQL) + " system/manager@orcl -c \"" + statement + "\"", out);
    return out;
  }
  int Run(const std::string& arguments, std::string& out) {
    return Capture(std::string(QUILLMOVE_IMPORT) + " " + arguments +
                       " UserId=system/manager@orcl OCIDLL=" OCILITE_LIBRARY " 2>&1",
                   out);
  }
  testing::ScratchFolder dir_;
};

// Record number -> message, from the check's lines "record N, ...: ORA-..." and "record N, not
// read: ...".
std::map<int, std::string> CheckRejects(const std::string& out) {
  std::map<int, std::string> rejects;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("record ", 0) != 0) continue;
    const int record = std::stoi(line.substr(7));
    const std::size_t notRead = line.find(", not read: ");
    rejects[record] = notRead != std::string::npos ? line.substr(notRead + 12)
                                                   : line.substr(line.find("ORA-"));
  }
  return rejects;
}

// The same from a real run's log: "/N/insert ..." followed by the server's message, or
// "/N/not read: ...".
std::map<int, std::string> LoggedRejects(const std::string& path) {
  std::map<int, std::string> rejects;
  std::ifstream log(path, std::ios::binary);
  std::string line;
  auto next = [&] {
    if (!std::getline(log, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  };
  while (next()) {
    if (line.size() < 3 || line[0] != '/') continue;
    const std::size_t slash = line.find('/', 1);
    const int record = std::stoi(line.substr(1, slash - 1));
    const std::string rest = line.substr(slash + 1);
    if (rest.rfind("not read: ", 0) == 0) {
      rejects[record] = rest.substr(10);
    } else if (next()) {
      rejects[record] = line;
    }
  }
  return rejects;
}

TEST_F(DryRunCheck, PredictsExactlyTheRejectsOfARealRun) {
  Sql("create table CHK (ID number(3) not null, NAME varchar2(8) not null, QTY number(5,2), "
      "BORN date, NOTE long)");
  std::vector<std::uint32_t> blocks;
  const std::string longNote(4001, 'n');
  dir_.Write("chk.dbt", testing::Dbt3Image({"short note", longNote}, blocks));
  testing::TableLayout t;
  t.version = 0x83;
  t.columns = {{"ID", 'N', 3}, {"NAME", 'C', 10}, {"QTY", 'N', 7, 1}, {"BORN", 'C', 10},
               {"NOTE", 'M', 10}};
  auto record = [&](int id, const std::string& name, const std::string& qty,
                    const std::string& born, std::string note) {
    t.records.push_back(testing::Right(std::to_string(id), 3) + testing::Left(name, 10) +
                        testing::Right(qty, 7) + testing::Left(born, 10) +
                        testing::Right(note, 10));
  };
  const std::string firstNote = std::to_string(blocks[0]), longNoteBlock = std::to_string(blocks[1]);
  record(1, "Ann", "12.5", "02.01.2003", firstNote);      // loads
  record(2, "Annabelle", "1.0", "1999", "");              // NAME too long
  record(3, "Bob", "1234.5", "", "");                     // QTY beyond NUMBER(5,2)
  record(4, "", "1.0", "", "");                           // NAME NULL
  record(5, "Eve", "1.0", "31.04.2003", "");              // no such day
  record(6, "Tom", "1.0", "", longNoteBlock);             // literal over 4000 bytes
  record(7, "Sam", "1A", "", "");                         // the source's value is unreadable
  record(8, Cp1251("Пётр Ким"), "-999.99", "1975", "");   // loads: 8 characters
  const std::string source = dir_.Write("chk.dbf", testing::TableImage(t));
  const std::string links = dir_.Write(
      "chk.ini",
      "[Rows]\r\nRow1=ID,NUMBER,1,ID,,\r\nRow2=NAME,VARCHAR2,1,NAME,,\r\n"
      "Row3=QTY,NUMBER,1,QTY,,\r\nRow4=BORN,DATE,1,BORN,D,\r\nRow5=NOTE,LONG,1,NOTE,,\r\n");
  // The existence query cannot compare a LONG column (ORA-00997): this run inserts without it.
  const std::string common = "--source " + source + " --table CHK --no-seek --links " + links;

  std::string check;
  EXPECT_EQ(Run(common + " --check", check), 2) << check;
  EXPECT_NE(check.find("record 2, column NAME, value 'Annabelle': ORA-12899: value too large for "
                       "column \"SYSTEM\".\"CHK\".\"NAME\" (actual: 9, maximum: 8)\n"),
            std::string::npos)
      << check;
  EXPECT_NE(check.find("8 records checked, 6 would be rejected, 2 would be loaded\n"),
            std::string::npos)
      << check;
  EXPECT_NE(Sql("select count(*) from CHK").find(" 0"), std::string::npos) << "nothing written";

  std::string run;
  const std::string log = dir_.PathOf("err.log");
  Run(common + " --log " + log, run);
  const auto predicted = CheckRejects(check);
  const auto got = LoggedRejects(log);
  EXPECT_EQ(predicted, got) << check << "\n---\n" << run;
  EXPECT_EQ(predicted.size(), 6u);
  for (const char* code : {"ORA-12899", "ORA-01438", "ORA-01400", "ORA-01839", "ORA-01704"}) {
    bool seen = false;
    for (const auto& [record, message] : got) seen = seen || message.rfind(code, 0) == 0;
    EXPECT_TRUE(seen) << code << " is one of the reasons";
  }
  EXPECT_NE(Sql("select count(*) from CHK").find(" 2"), std::string::npos);

  // With "Seek old record" the run stops at its first record on the LONG column; so says the
  // check.
  const std::string seeking = "--source " + source + " --table CHK --links " + links;
  std::string seekRun, seekCheck;
  Run(seeking + " --log " + dir_.PathOf("seek.log"), seekRun);
  EXPECT_NE(seekRun.find("ORA-00997: illegal use of LONG datatype"), std::string::npos) << seekRun;
  EXPECT_EQ(Run(seeking + " --check", seekCheck), 2);
  EXPECT_NE(seekCheck.find("\nthe existence query of \"Seek old record\" cannot compare column "
                           "NOTE (LONG): the run would stop at its first record\n"),
            std::string::npos)
      << seekCheck;

  // A clean source: exit 0.
  std::string clean;
  const std::string cleanLinks =
      dir_.Write("clean.ini", "[Rows]\r\nRow1=ID,NUMBER,1,ID,,\r\nRow2=NAME,VARCHAR2,1,,,x\r\n");
  EXPECT_EQ(Run("--source " + source + " --table CHK --links " + cleanLinks + " --check", clean),
            0)
      << clean;
  EXPECT_NE(clean.find("8 records checked, 0 would be rejected, 8 would be loaded\n"),
            std::string::npos)
      << clean;
}

}  // namespace
}  // namespace qm
