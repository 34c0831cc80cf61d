#include "oracle/internal/variable_scanner.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

std::string Listed(const std::string& text, bool duplicates = true) {
  std::string out;
  for (const TScannedVariable& v : ScanVariables(text, duplicates))
    out += v.name + "@" + std::to_string(v.position) + " ";
  return out;
}

TEST(VariableScanner, ListsNamesOutsideLiteralsAndComments) {
  const std::pair<std::string, std::string> cases[] = {
      {"select :a, :b_1#$ from t", "A@8 B_1#$@12 "},
      {"insert into t values ('10:15:00')", ""},
      {"x /* :a */ :b -- :c\r\n:d", "B@12 D@22 "},
      {"x -- :c\n:d", ""},  // only CR LF ends a line comment
      {"a := :: b", ""},
      {"'it''s :x' :y", "Y@12 "},
      {"\":q\"", "Q@2 "},  // double quotes are no literal
      {":a'", "A@1 "},     // the character ending a name is not examined again
      {":a :A :a", "A@1 A@4 A@7 "},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Listed(text), expected) << text;
  EXPECT_EQ(Listed(":a :A :b", false), "A@1 B@7 ");
}

}  // namespace
}  // namespace qm
