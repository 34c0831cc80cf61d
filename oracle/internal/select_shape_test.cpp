#include "oracle/internal/select_shape.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(SelectShape, OnlyTheLiteralsOfComparisonsMayDiffer) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"select * from T Where A='x' and B='y'", "select * from T Where A='longer' and B=''", true},
      {"select * from T Where A = 'it''s'", "select * from T Where A = 'x'", true},
      {"select * from T Where A>='1'", "select * from T Where A>='2'", true},
      {"select * from T Where A='x'", "select * from T Where A IS NULL", false},
      {"select * from T Where A='x'", "select * from U Where A='x'", false},
      {"select * from T Where A='x'", "select * from T Where A='x' and B='y'", false},
      // A literal of the select list gives a column of its own length.
      {"select 'ab' from dual", "select 'abc' from dual", false},
      {"select * from (select 'ab' C from dual) Where C='ab'",
       "select * from (select 'abc' C from dual) Where C='abc'", false},
      {"select decode(A,'x','yes') from T", "select decode(A,'z','yes') from T", false},
      // A "=" inside a literal or a quoted name is no comparison.
      {"select '=' || 'a' from T", "select '=' || 'b' from T", false},
      {"select \"=\" 'a' from T", "select \"=\" 'b' from T", false},
      {"select \"it's\" from T Where A='1'", "select \"it's\" from T Where A='2'", true},
      // Comments, alternative quoting and an unclosed literal are never alike.
      {"select * from T -- A='x'\nWhere A='1'", "select * from T -- A='x'\nWhere A='2'", false},
      {"select * from T /* */ Where A='1'", "select * from T /* */ Where A='2'", false},
      {"select * from T Where A=q'[x]'", "select * from T Where A=q'[y]'", false},
      {"select * from T Where A='x", "select * from T Where A='y", false},
      {"select * from T", "select * from T", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SelectShape(c.a).Matches(c.b), c.same) << c.a << " | " << c.b;
    EXPECT_EQ(SelectShape(c.b).Matches(c.a), c.same) << c.b << " | " << c.a;
  }
}

}  // namespace
}  // namespace qm
