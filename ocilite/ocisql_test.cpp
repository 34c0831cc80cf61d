// ocisql as a user runs it: a separate process with arguments, a script and standard input.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "ocilite/testing/engine_fixture.h"
#include "platform/testing/file_size_limit.h"

namespace qm::ocilite::testing {
namespace {

struct Outcome {
  int status;
  std::string output;
};

Outcome RunOcisql(const std::string& arguments, const std::string& input = "") {
  const std::string command =
      "printf '" + input + "' | " + OCISQL_PROGRAM + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  std::array<char, 4096> buffer;
  for (std::size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
    output.append(buffer.data(), n);
  const int status = pclose(pipe);
  return {WEXITSTATUS(status), output};
}

using Ocisql = EngineTest;

TEST_F(Ocisql, CreatesDatabasesAndRunsScripts) {
  EXPECT_EQ(RunOcisql("--create demo --system-password pw").status, 0);
  EXPECT_EQ(RunOcisql("--create DEMO --system-password pw").status, 2);

  const std::string script = home_ + "/setup.sql";
  std::ofstream(script) << "create table T (ID Integer, NAME varchar2(10));\n"
                           "insert into T values (1, 'one');\n"
                           "insert into T\n"
                           "values (22, 'twenty-two')\n"
                           "/\n"
                           "select * from T order by ID;\n";
  const Outcome setup = RunOcisql("system/pw@demo " + script);
  EXPECT_EQ(setup.status, 0) << setup.output;
  EXPECT_EQ(setup.output,
            "Table created.\n\n"
            "1 row created.\n\n"
            "1 row created.\n\n"
            "ID NAME\n"
            "-- ----------\n"
            " 1 one\n"
            "22 twenty-two\n\n"
            "2 rows selected.\n\n");

  // Leaving committed the rows; a failing statement sets the exit status.
  const Outcome query =
      RunOcisql("system/pw@DEMO -c \"select count(*) from T\" -c \"select * from nosuch\"");
  EXPECT_EQ(query.status, 1);
  EXPECT_NE(query.output.find("       2\n"), std::string::npos) << query.output;
  EXPECT_NE(query.output.find("select * from nosuch\n              *\nERROR at line 1:\n"
                              "ORA-00942: table or view does not exist\n"),
            std::string::npos)
      << query.output;

  const Outcome piped = RunOcisql("system/pw@demo", "select NAME from T where ID = 1;\\nexit\\n");
  EXPECT_EQ(piped.status, 0);
  EXPECT_NE(piped.output.find("one"), std::string::npos) << piped.output;

  const Outcome denied = RunOcisql("system/wrong@demo -c \"select 1 from dual\"");
  EXPECT_EQ(denied.status, 1);
  EXPECT_NE(denied.output.find("ORA-01017: invalid username/password; logon denied"),
            std::string::npos);
}

TEST_F(Ocisql, ATablespaceScriptMakesAUserWhoCanWorkInIt) {
  ASSERT_EQ(RunOcisql("--create demo --system-password pw").status, 0);
  const std::string script = home_ + "/space.sql";
  std::ofstream(script) << "create tablespace quill datafile 'quill01.dbf' size 10M\n"
                           "  autoextend on next 1M maxsize unlimited;\n"
                           "create temporary tablespace quill_temp tempfile 'quill_temp01.dbf'\n"
                           "  size 5M extent management local uniform size 1M;\n"
                           "alter database default temporary tablespace quill_temp;\n"
                           "create user loader identified by secret\n"
                           "  default tablespace quill temporary tablespace quill_temp\n"
                           "  quota unlimited on quill;\n"
                           "grant connect, resource to loader;\n";
  const Outcome setup = RunOcisql("system/pw@demo " + script);
  EXPECT_EQ(setup.status, 0) << setup.output;
  EXPECT_EQ(setup.output,
            "Tablespace created.\n\n"
            "Tablespace created.\n\n"
            "Database altered.\n\n"
            "User created.\n\n"
            "Grant succeeded.\n\n");
  EXPECT_TRUE(std::filesystem::exists(home_ + "/quill01.dbf"));
  EXPECT_TRUE(std::filesystem::exists(home_ + "/quill_temp01.dbf"));

  const Outcome work = RunOcisql(
      "loader/secret@demo -c \"create table T (N number)\" -c \"insert into T values (5)\" "
      "-c \"select tablespace_name from user_tables\"");
  EXPECT_EQ(work.status, 0) << work.output;
  EXPECT_NE(work.output.find("QUILL"), std::string::npos) << work.output;

  // The rows are in the tablespace's own file.
  const Outcome again = RunOcisql("system/pw@demo -c \"select count(*) from loader.T\"");
  EXPECT_NE(again.output.find("       1\n"), std::string::npos) << again.output;

  const Outcome twice =
      RunOcisql("system/pw@demo -c \"create tablespace quill datafile 'other.dbf' size 1M\"");
  EXPECT_NE(twice.output.find("ORA-01543: tablespace 'QUILL' already exists"), std::string::npos)
      << twice.output;
}

TEST_F(Ocisql, ACommitThatFailsOnLeavingIsPrintedAndFailsTheRun) {
  ASSERT_EQ(RunOcisql("--create demo --system-password pw").status, 0);
  ASSERT_EQ(RunOcisql("system/pw@demo -c \"create table T (A varchar2(1000))\"").status, 0);
  std::uintmax_t largest = 0;
  for (const auto& entry : std::filesystem::directory_iterator(home_))
    largest = std::max(largest, entry.file_size());
  // 256 rows of 1000 characters: they fit the page cache, so nothing is written before the end.
  std::string arguments = "system/pw@demo -c \"insert into T values (rpad('b', 1000, 'b'))\"";
  for (int i = 0; i < 8; ++i) arguments += " -c \"insert into T select * from T\"";
  Outcome leaving;
  {
    // The program inherits the limit: the commit on leaving cannot be written.
    qm::testing::FileSizeLimit limit(largest + 16 * 1024);
    leaving = RunOcisql(arguments);
  }
  EXPECT_EQ(leaving.status, 1) << leaving.output;
  EXPECT_NE(leaving.output.find("128 rows created."), std::string::npos) << leaving.output;
  EXPECT_NE(leaving.output.find("ERROR:\nORA-02091: transaction rolled back\n"), std::string::npos)
      << leaving.output;
  EXPECT_NE(RunOcisql("system/pw@demo -c \"select count(*) from T\"").output.find("\n       0\n"),
            std::string::npos);
}

}  // namespace
}  // namespace qm::ocilite::testing
