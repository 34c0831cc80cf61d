// quillmove-import --codepage: a source whose mark names no code page (or the wrong one) is
// imported in the code page the user gives.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "ocilite/testing/engine_fixture.h"
#include "platform/testing/scratch_folder.h"
#include "source/testing/test_tables.h"

namespace qm {
namespace {

class BatchCodePage : public ocilite::testing::EngineTest {
 protected:
  static int Capture(const std::string& command, std::string& out) {
    FILE* pipe = popen(command.c_str(), "r");
    std::array<char, 4096> buffer{};
    for (std::size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
      out.append(buffer.data(), n);
    return WEXITSTATUS(pclose(pipe));
  }
  std::string Sql(const std::string& statement) {
    std::string out;
    Capture(std::string(OCISQL) + " system/manager@orcl -c \"" + statement + "\"", out);
    return out;
  }
  testing::ScratchFolder dir_;
};

TEST_F(BatchCodePage, ImportsInTheCodePageGiven) {
  Sql("create table NAMES (NAME varchar2(20))");
  testing::TableLayout t;
  t.languageDriver = 0x00;  // names no code page: code page 1251 would be taken
  t.columns = {{"NAME", 'C', 20}};
  t.records = {testing::Left("\x88\xA2\xA0\xAD\xAE\xA2", 20)};  // "Иванов" in code page 866
  const std::string source = dir_.Write("names.dbf", testing::TableImage(t));
  const std::string links = dir_.Write("names.ini", "[Rows]\r\nRow1=NAME,VARCHAR2,1,NAME,,\r\n");
  std::string out;
  EXPECT_EQ(Capture(std::string(QUILLMOVE_IMPORT) + " --source " + source +
                        " --table NAMES --links " + links + " --log " + dir_.PathOf("err.log") +
                        " --codepage 866 UserId=system/manager@orcl OCIDLL=" OCILITE_LIBRARY
                        " 2>&1",
                    out),
            0)
      << out;
  const std::string rows = Sql("select NAME from NAMES");
  EXPECT_NE(rows.find("Иванов"), std::string::npos) << rows;
}

}  // namespace
}  // namespace qm
