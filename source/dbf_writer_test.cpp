// Copies of chosen records, read back by our own reader and by an independent one (Python's
// dbfread), for each memo form: dBASE III and IV .dbt, FoxPro and Visual FoxPro .fpt.

#include "source/dbf_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/testing/error_text.h"
#include "platform/testing/scratch_folder.h"
#include "source/source_table.h"
#include "source/testing/test_tables.h"

namespace qm {
namespace {

using testing::ScratchFolder;

// Every field of every record (deleted ones included), as the source table reads them.
std::vector<std::vector<std::string>> Records(const std::string& path,
                                              const std::vector<int>& positions = {}) {
  SourceTable table;
  table.SetTableName(path);
  table.SetIncludeDeleted(true);
  table.Open();
  std::vector<std::vector<std::string>> rows;
  auto row = [&] {
    std::vector<std::string> values;
    for (int f = 0; f < table.FieldCount(); ++f) values.push_back(table.Field(f).AsString());
    return values;
  };
  if (positions.empty()) {
    for (table.First(); !table.Eof(); table.Next()) rows.push_back(row());
  } else {
    for (const int p : positions) {
      table.SetRecNo(p);
      rows.push_back(row());
    }
  }
  return rows;
}

std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "cannot run " + command;
  char buffer[512];
  while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  pclose(pipe);
  return out;
}

// (Debian python3-dbfread, so the system Python.) dbfread's live records of the copy must equal the
// source's live records `live` (0-based among the live ones), its deleted records the source's
// deleted ones; prints the two counts.
constexpr char kDbfreadCheck[] = R"(
import sys, dbfread
src, ext, enc, live = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4]
# dbfread reads a dBASE IV memo's length as the text's own, so 8 bytes of padding follow the text;
# a memo that is empty may read as '' or None. Both are compared without that.
def plain(records):
    return [{k: (v or '').rstrip(' \0\x1a') if isinstance(v, str) or v is None else v
             for k, v in r.items()} for r in records]
s = dbfread.DBF(src, encoding=enc, load=True)
e = dbfread.DBF(ext, encoding=enc, load=True)
want = plain([s.records[int(i)] for i in live.split(',')])
if plain(e.records) != want: print('live records differ', plain(e.records), want)
if plain(e.deleted) != plain(s.deleted): print('deleted records differ', e.deleted, s.deleted)
print(len(e.records), len(e.deleted))
)";

struct Case {
  const char* name;
  std::string source;
  const char* encoding;
  std::vector<std::uint32_t> positions;
  const char* live;  // the positions' places among the source's live records, for dbfread
  std::vector<const char*> files;
  const char* counts;
};

TEST(TableExtract, ReadsBackAsTheSourceRecordsItCopied) {
  const ScratchFolder dir;
  std::vector<std::uint32_t> blocks;
  testing::TableLayout db4;
  db4.version = 0x8B;
  db4.languageDriver = 0x26;  // code page 866
  db4.columns = {{"NAME", 'C', 10}, {"NOTE", 'M', 10}};
  const std::string dbt = testing::Dbt4Image({"first memo", std::string(700, 'x')}, 512, blocks);
  db4.records = {testing::Left("one", 10) + testing::Right(std::to_string(blocks[0]), 10),
                 testing::Left("two", 10) + testing::Right(std::to_string(blocks[1]), 10),
                 testing::Left("three", 10) + std::string(10, ' ')};
  db4.marks = "  *";
  dir.Write("d4.dbf", testing::TableImage(db4));
  dir.Write("d4.dbt", dbt);
  dir.Write("d4.cpg", "866");
  const std::string check = dir.Write("check.py", kDbfreadCheck);

  const std::string fixtures = QM_DBF_FIXTURES;
  const Case cases[] = {
      // Position 2 carries the deletion mark: it is copied with it.
      {"dBASE III",
       fixtures + "/db3_cp1251.dbf",
       "cp1251",
       {3, 1, 2},
       "1,0",
       {"bad.dbf", "bad.dbt"},
       "2 1\n"},
      {"dBASE IV",
       dir.PathOf("d4.dbf"),
       "cp866",
       {2, 3, 1},
       "1,0",
       {"bad.dbf", "bad.dbt", "bad.cpg"},
       "2 1\n"},
      {"FoxPro", fixtures + "/fp26_cp866.dbf", "cp866", {1}, "0", {"bad.dbf", "bad.fpt"}, "1 0\n"},
      {"Visual FoxPro",
       fixtures + "/vfp_cp1251.dbf",
       "cp1251",
       {2, 1},
       "1,0",
       {"bad.dbf", "bad.fpt"},
       "2 0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dir.PathOf("out"));
    std::filesystem::create_directory(dir.PathOf("out"));
    const std::string bad = dir.PathOf("out/bad.dbf");
    const std::vector<std::string> written = WriteTableExtract({c.source, "", c.positions}, bad);
    std::vector<std::string> expected;
    for (const char* f : c.files) expected.push_back(dir.PathOf(std::string("out/") + f));
    EXPECT_EQ(written, expected);

    std::vector<int> positions(c.positions.begin(), c.positions.end());
    EXPECT_EQ(Records(bad), Records(c.source, positions));
    EXPECT_EQ(Output("/usr/bin/python3 '" + check + "' '" + c.source + "' '" + bad + "' " +
                     c.encoding + " " + c.live + " 2>&1"),
              c.counts);
  }
}

// A position outside the table, or a copy that would replace its own source (the table or its
// memo file under another name), writes nothing.
TEST(TableExtract, RefusesWhatItCannotCopy) {
  const ScratchFolder dir;
  const std::string fixture = std::string(QM_DBF_FIXTURES) + "/db3_cp1251.dbf";
  EXPECT_EQ(testing::ErrorText([&] {
              WriteTableExtract({fixture, "", {5}}, dir.PathOf("b.dbf"));
            }),
            "dbf: " + fixture + ": record 5 is not in the table");
  EXPECT_FALSE(std::filesystem::exists(dir.PathOf("b.dbf")));

  std::filesystem::copy_file(fixture, dir.PathOf("s.dbf"));
  std::filesystem::copy_file(std::string(QM_DBF_FIXTURES) + "/db3_cp1251.dbt", dir.PathOf("s.dbt"));
  std::filesystem::create_symlink(dir.PathOf("s.dbt"), dir.PathOf("link.dbt"));
  std::filesystem::create_directories(dir.PathOf("sub"));
  const std::uintmax_t size = std::filesystem::file_size(dir.PathOf("s.dbt"));
  const std::pair<const char*, const char*> cases[] = {
      {"s.dbf", "s.dbf"}, {"sub/../s.dbf", "sub/../s.dbf"}, {"link.dbf", "link.dbt"}};
  for (const auto& [target, named] : cases) {
    SCOPED_TRACE(target);
    EXPECT_EQ(testing::ErrorText([&] {
                WriteTableExtract({dir.PathOf("s.dbf"), "", {1}}, dir.PathOf(target));
              }),
              "dbf: " + dir.PathOf(named) + ": the copy would replace its own source");
  }
  EXPECT_EQ(std::filesystem::file_size(dir.PathOf("s.dbt")), size);
  EXPECT_EQ(Records(dir.PathOf("s.dbf")).size(), 4u);
  EXPECT_FALSE(std::filesystem::exists(dir.PathOf("link.dbf")));
}

}  // namespace
}  // namespace qm
