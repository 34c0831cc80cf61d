#include "schema/tablespace_script.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/testing/scratch_folder.h"
#include "source/testing/test_tables.h"

namespace qm {
namespace {

struct Case {
  const char* name;
  std::vector<std::string> lines;
  std::string failOn;  // a statement containing this fails
  std::vector<std::string> executed;
  std::optional<std::string> logged;
};

TEST(TablespaceScript, StatementsAreJoinedLinesUpToTheSemicolon) {
  const Case cases[] = {
      {"three statements", {"create tablespace T;", "create user U", "identified by P;", "grant x;"},
       "", {" create tablespace T", " create user U identified by P", " grant x"}, std::nullopt},
      {"second fails", {"a;", "b;", "c;"}, "b", {" a", " b"}, " b\r\n"},
      {"unfinished tail", {"a;", "b", ""}, "", {" a"}, " b \r\n"},
      {"no semicolon", {"x", "y"}, "", {}, " x y\r\n"},
      {"empty", {}, "", {}, std::nullopt},
      {"semicolon in quotes", {"alter user U identified by \"p;w\";"}, "",
       {" alter user U identified by \"pw\""}, std::nullopt},
  };
  for (const Case& c : cases) {
    std::vector<std::string> executed;
    const auto logged = RunScriptStatements(c.lines, [&](const std::string& sql) {
      executed.push_back(sql);
      if (!c.failOn.empty() && sql.find(c.failOn) != std::string::npos)
        throw std::runtime_error("ORA-00900");
    });
    EXPECT_EQ(executed, c.executed) << c.name;
    EXPECT_EQ(logged, c.logged) << c.name;
  }
}

TEST(TablespaceScript, PlaceholdersAreFilledInOrderAndExactly) {
  std::vector<std::string> lines{"create user #USERNAME identified by #USERPSW",
                                 "default tablespace #TABLESPACENAME; -- #username #PATH"};
  FillPlaceholders(lines, {"IMP#PATH", "secret", "DATA1", "/srv/ora"});
  EXPECT_EQ(lines[0], "create user IMP/srv/ora identified by secret");
  EXPECT_EQ(lines[1], "default tablespace DATA1; -- #username /srv/ora");
}

TEST(TablespaceScript, LinesEndWithAnyOfTheThreeBreaks) {
  testing::ScratchFolder dir;
  const std::string path = dir.Write("create.sql", "a\r\nb\nc\rd");
  EXPECT_EQ(ReadScriptLines(path), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(ReadScriptLines(dir.Write("e.sql", "")), std::vector<std::string>{});
  EXPECT_THROW(ReadScriptLines(dir.Path() + "/missing.sql"), std::runtime_error);
}

}  // namespace
}  // namespace qm
