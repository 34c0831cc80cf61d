#include "oracle/internal/count_query_text.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(SelectForCounting, DropsCommentsAndATrailingOrderOrForClause) {
  const struct {
    std::string select, counted;
  } cases[] = {
      {"select * from T", "select * from T"},
      {"select * from T order by A", "select * from T "},
      {"select * from T\r\nORDER BY A desc\r\n", "select * from T\r\n"},
      {"select * from T for update nowait", "select * from T "},
      {"select * from T where A = 1 order by A for update", "select * from T where A = 1 "},
      // Only at the top level and as whole words.
      {"select * from (select * from T order by A) X", "select * from (select * from T order by A) X"},
      {"select FORMAT, ORDERED from T", "select FORMAT, ORDERED from T"},
      {"select * from T where A = 'order by' ", "select * from T where A = 'order by' "},
      // Comments go, their line ends stay; a comment marker inside a literal is text.
      {"select A /* order by */ from T -- for update\r\nwhere B = 1",
       "select A  from T \r\nwhere B = 1"},
      {"select '--x' from T", "select '--x' from T"},
  };
  for (const auto& c : cases) EXPECT_EQ(SelectForCounting(c.select), c.counted) << c.select;
}

}  // namespace
}  // namespace qm
