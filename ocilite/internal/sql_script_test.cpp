#include "ocilite/internal/sql_script.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace qm::ocilite {
namespace {

std::vector<ScriptItem> Split(const std::string& text) {
  SqlScript script;
  std::vector<ScriptItem> items;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line))
    if (auto item = script.AddLine(line)) items.push_back(*item);
  if (auto item = script.Finish()) items.push_back(*item);
  return items;
}

TEST(SqlScript, StatementsEndWithASemicolonOrASlashLine) {
  const auto items = Split(
      "-- setup\n"
      "create table T (\n"
      "  A varchar2(10));\n"
      "\n"
      "insert into T values ('a;b')\n"
      "/\n"
      "insert into T values ('x''\n"
      "y;');\n"
      "prompt done;\n"
      "select * from T /* ; */ where A = 'z'\n");
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[0].text, "create table T (\n  A varchar2(10))");
  EXPECT_EQ(items[0].first_line, 2);
  EXPECT_EQ(items[1].text, "insert into T values ('a;b')");
  EXPECT_EQ(items[2].text, "insert into T values ('x''\ny;')");
  EXPECT_EQ(items[3].kind, ScriptItem::Kind::kCommand);
  EXPECT_EQ(items[3].text, "prompt done");
  EXPECT_EQ(items[4].text, "select * from T /* ; */ where A = 'z'");
  EXPECT_EQ(items[4].first_line, 10);
}

}  // namespace
}  // namespace qm::ocilite
