// The reader on damaged and unusual files, and on each form of memo file.

#include "source/internal/dbf_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>

#include "platform/codepage.h"
#include "platform/testing/error_text.h"
#include "platform/testing/scratch_folder.h"
#include "source/engine_error.h"
#include "source/internal/dbf_error.h"
#include "source/source_table.h"
#include "source/testing/test_tables.h"

namespace qm {
namespace {

using testing::ColumnLayout;
using testing::Left;
using testing::Right;
using testing::ScratchFolder;
using testing::TableImage;
using testing::TableLayout;

TableLayout PeopleLayout() {
  TableLayout layout;
  layout.columns = {{"NAME", 'C', 5}, {"QTY", 'N', 3}};
  layout.records = {"Ann    1", "Bob    2", "Cid    3"};
  return layout;
}

std::string OpenError(const ScratchFolder& dir, const std::string& name) {
  SourceTable table;
  table.SetDatabaseName(dir.Path());
  table.SetTableName(name);
  const std::string text = testing::ErrorText<EDBEngineError>([&] { table.Open(); });
  EXPECT_FALSE(table.Active());
  return text;
}

TEST(DbfReader, DamagedFilesFailToOpenWithTheFileAndTheFault) {
  const std::string good = TableImage(PeopleLayout());
  const auto patched = [&](std::size_t at, std::string bytes) {
    std::string s = good;
    s.replace(at, bytes.size(), bytes);
    return s;
  };
  TableLayout cutDescriptors = PeopleLayout();
  cutDescriptors.headerLength = 65;  // one descriptor and a byte of the next
  TableLayout wideFields = PeopleLayout();
  wideFields.recordLength = 5;
  const struct {
    const char* name;
    std::string bytes;
    std::string fault;
  } cases[] = {
      {"empty", "", "truncated header (0 of 32 bytes)"},
      {"short header", good.substr(0, 20), "truncated header (20 of 32 bytes)"},
      {"cut in descriptors", good.substr(0, 70), "truncated header (70 of 97 bytes)"},
      {"header length too small", patched(8, std::string("\x0A\x00", 2)),
       "header length 10 is too small"},
      {"record length 0", patched(10, std::string("\0\0", 2)), "record length is 0"},
      {"descriptors past the header", TableImage(cutDescriptors),
       "the field descriptors run past the header length 65"},
      {"fields past the record", TableImage(wideFields),
       "the fields take 9 bytes, more than the record length 5"},
      {"bad mark", patched(97 + 9, std::string("\0", 1)),
       "record 2 has no valid deletion mark (0x00): the file is damaged"},
      {"dBASE II", patched(0, "\x02"), "dBASE II / FoxBASE tables are not supported"},
  };
  ScratchFolder dir;
  for (const auto& c : cases) {
    const std::string path = dir.Write("t.dbf", c.bytes);
    EXPECT_EQ(OpenError(dir, "t.dbf"), "dbf: " + path + ": " + c.fault) << c.name;
  }
  EXPECT_EQ(OpenError(dir, "none.dbf"),
            "dbf: " + dir.Path() + "/none.dbf: No such file or directory");
  dir.Write("u.cpg", "NO-SUCH-PAGE");
  dir.Write("u.dbf", good);
  EXPECT_EQ(OpenError(dir, "u.dbf"),
            "dbf: " + dir.Path() + "/u.cpg: unknown code page NO-SUCH-PAGE");
}

// A pipe, a device or a folder given as the table is refused at once, saying what it is; opening
// a pipe must not wait for a writer. Each open runs aside so that a hang fails the test instead of
// stalling it: after the time-out the pipe gets a writer, which lets the open go on.
TEST(DbfReader, OnlyRegularFilesAreOpenedAndNothingWaits) {
  ScratchFolder dir;
  ASSERT_EQ(mkfifo((dir.Path() + "/pipe.dbf").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/null", dir.Path() + "/device.dbf");
  std::filesystem::create_directory(dir.Path() + "/folder.dbf");
  const struct {
    const char* name;
    const char* fault;
  } cases[] = {
      {"pipe.dbf", "is a named pipe (FIFO), not a regular file"},
      {"device.dbf", "is a character device, not a regular file"},
      {"folder.dbf", "is a directory, not a regular file"},
  };
  for (const auto& c : cases) {
    auto error = std::async(std::launch::async, [&] { return OpenError(dir, c.name); });
    if (error.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      ADD_FAILURE() << c.name << ": the open waits";
      const int writer = ::open((dir.Path() + "/" + c.name).c_str(), O_WRONLY | O_NONBLOCK);
      error.wait();
      if (writer >= 0) ::close(writer);
    }
    EXPECT_EQ(error.get(), "dbf: " + dir.Path() + "/" + c.name + ": " + c.fault);
  }
}

// The count is what the walk visits: whole records only, up to an end mark, deleted ones left out.
TEST(DbfReader, RecordCountFollowsTheRecordsThatExist) {
  const auto names = [](const std::string& bytes) {
    ScratchFolder dir;
    dir.Write("t.dbf", bytes);
    SourceTable table;
    table.SetDatabaseName(dir.Path());
    table.SetTableName("t.dbf");
    table.Open();
    std::string visited = std::to_string(table.RecordCount()) + ":";
    for (table.First(); !table.Eof(); table.Next()) visited += table.FieldByName("NAME").AsString();
    return visited;
  };
  TableLayout layout = PeopleLayout();
  EXPECT_EQ(names(TableImage(layout)), "3:AnnBobCid");
  layout.endMark = false;
  EXPECT_EQ(names(TableImage(layout)), "3:AnnBobCid");
  layout.recordCount = 7;  // more than the file holds
  EXPECT_EQ(names(TableImage(layout)), "3:AnnBobCid");
  EXPECT_EQ(names(TableImage(layout).substr(0, 97 + 9 * 2 + 4)), "2:AnnBob");  // half a record
  layout.recordCount = 2;  // fewer than the file holds
  EXPECT_EQ(names(TableImage(layout)), "2:AnnBob");
  layout.recordCount = -1;
  layout.marks = "* \x1A";  // deleted, live, end of data
  EXPECT_EQ(names(TableImage(layout)), "1:Bob");
  layout.marks = "***";
  EXPECT_EQ(names(TableImage(layout)), "0:");
  layout.records.clear();
  EXPECT_EQ(names(TableImage(layout)), "0:");
}

// A file that holds fewer records than its header gives is read as far as it goes, and says so:
// the report keeps both counts after the close, for the run to show.
TEST(DbfReader, ShortfallAgainstTheHeaderIsReported) {
  const TableLayout layout = PeopleLayout();
  TableLayout seven = layout;
  seven.recordCount = 7;
  TableLayout endsEarly = layout;
  endsEarly.marks = "  \x1A";
  TableLayout fewer = layout;
  fewer.recordCount = 2;
  TableLayout deleted = layout;
  deleted.marks = "* ";
  deleted.recordCount = 4;
  const struct {
    const char* name;
    std::string bytes;
    std::uint32_t header, stored;
    bool isShort;
  } cases[] = {
      {"whole", TableImage(layout), 3, 3, false},
      {"header gives more", TableImage(seven), 7, 3, true},
      {"cut in a record", TableImage(seven).substr(0, 97 + 9 * 2 + 4), 7, 2, true},
      {"end of data early", TableImage(endsEarly), 3, 2, true},
      {"header gives fewer", TableImage(fewer), 2, 2, false},
      {"deleted records count as held", TableImage(deleted), 4, 3, true},
  };
  for (const auto& c : cases) {
    ScratchFolder dir;
    dir.Write("t.dbf", c.bytes);
    SourceTable table;
    table.SetDatabaseName(dir.Path());
    table.SetTableName("t.dbf");
    table.Open();
    table.Close();
    const SourceReadReport& report = table.ReadReport();
    EXPECT_EQ(report.headerRecords, c.header) << c.name;
    EXPECT_EQ(report.storedRecords, c.stored) << c.name;
    EXPECT_EQ(report.Short(), c.isShort) << c.name;
  }
}

TEST(DbfReader, RandomAccessSkipsDeletedRecordsInBothDirections) {
  TableLayout layout;
  layout.columns = {{"N", 'N', 6}};
  std::vector<int> live;
  for (int i = 0; i < 50000; ++i) {
    layout.records.push_back(Right(std::to_string(i), 6));
    const bool deleted = i % 7 == 3 || (i > 20000 && i < 20100);
    layout.marks += deleted ? '*' : ' ';
    if (!deleted) live.push_back(i);
  }
  ScratchFolder dir;
  dir.Write("t.dbf", TableImage(layout));
  DbfReader reader(dir.Path() + "/t.dbf");
  ASSERT_EQ(reader.RecordCount(), live.size());
  const auto value = [&](std::uint32_t n) {
    return std::stoi(std::string(reader.Record(n) + 1, 6));
  };
  for (std::uint32_t n : {0u, 1u, 2u, 3u, 17000u, 17001u, 40000u, 39999u, 5u, 16999u}) {
    EXPECT_EQ(value(n), live[n]) << n;
    EXPECT_EQ(reader.FilePosition(n), static_cast<std::uint32_t>(live[n] + 1));
  }
  for (std::uint32_t n = reader.RecordCount(); n-- > 0;) ASSERT_EQ(value(n), live[n]) << n;
  // Forward from the start and from a jump, as a walk and a grid's scrolling go.
  for (std::uint32_t n = 0; n < reader.RecordCount(); ++n) ASSERT_EQ(value(n), live[n]) << n;
  for (std::uint32_t n = 19990; n < 20200; ++n) {
    ASSERT_EQ(value(n), live[n]) << n;
    ASSERT_EQ(reader.FilePosition(n), static_cast<std::uint32_t>(live[n] + 1)) << n;
  }
}

class MemoFiles : public ::testing::Test {
 protected:
  // A table whose single memo column points at blocks; returns each record's value or error.
  std::vector<std::string> Values(std::uint8_t version, const std::vector<std::string>& pointers,
                                  char type = 'M', int width = 10) {
    TableLayout layout;
    layout.version = version;
    layout.columns = {{"NOTE", type, width}};
    layout.records = pointers;
    dir.Write("m.dbf", TableImage(layout));
    SourceTable table;
    table.SetDatabaseName(dir.Path());
    table.SetTableName("m.dbf");
    table.Open();
    std::vector<std::string> values;
    for (table.First(); !table.Eof(); table.Next()) {
      try {
        values.push_back(table.Field(0).AsString());
      } catch (const EDBEngineError& e) {
        values.push_back(e.what());
      }
    }
    return values;
  }

  static std::string Pointer(std::uint32_t block) { return Right(std::to_string(block), 10); }

  ScratchFolder dir;
  std::vector<std::uint32_t> blocks;
};

TEST_F(MemoFiles, Dbase3) {
  const std::string text(700, 'a');  // spans two blocks
  dir.Write("m.dbt", testing::Dbt3Image({Cp1251("Первая\r\nвторая").str(), "", text}, blocks));
  const std::string table = dir.Path() + "/m.dbf: ";
  EXPECT_EQ(Values(0x83, {Pointer(blocks[0]), Pointer(blocks[1]), Pointer(blocks[2]), "",
                          Pointer(99), Pointer(0)}),
            (std::vector<std::string>{Cp1251("Первая\r\nвторая").str(), "", text, "",
                                      "dbf: " + table + "record 5, field NOTE: " + dir.Path() +
                                          "/m.dbt: memo block 99 lies past the end of the file",
                                      ""}));
}

TEST_F(MemoFiles, Dbase4WithItsBlockSize) {
  for (std::uint16_t blockSize : {512, 64, 1024}) {
    dir.Write("m.dbt",
              testing::Dbt4Image({"one", std::string(600, 'b'), "three"}, blockSize, blocks));
    EXPECT_EQ(Values(0x8B, {Pointer(blocks[0]), Pointer(blocks[1]), Pointer(blocks[2])}),
              (std::vector<std::string>{"one", std::string(600, 'b'), "three"}))
        << blockSize;
  }
  // A length that runs past the end of the file.
  std::string bytes = testing::Dbt4Image({"one"}, 512, blocks);
  bytes.replace(512 + 4, 4, testing::Le32(5000));
  dir.Write("m.dbt", bytes);
  EXPECT_EQ(Values(0x8B, {Pointer(1)}),
            (std::vector<std::string>{"dbf: " + dir.Path() +
                                      "/m.dbf: record 1, field NOTE: " + dir.Path() +
                                      "/m.dbt: memo in block 1 runs past the end of the file"}));
}

TEST_F(MemoFiles, FoxProAndVisualFoxPro) {
  dir.Write("m.fpt", testing::FptImage({"fox", std::string(300, 'c')}, 64, blocks));
  EXPECT_EQ(Values(0xF5, {Pointer(blocks[0]), Pointer(blocks[1]), Pointer(0)}),
            (std::vector<std::string>{"fox", std::string(300, 'c'), ""}));
  EXPECT_EQ(Values(0x30, {testing::Le32(blocks[1]), testing::Le32(0)}, 'M', 4),
            (std::vector<std::string>{std::string(300, 'c'), ""}));
  EXPECT_EQ(Values(0x30, {testing::Le32(blocks[0])}, 'W', 4), (std::vector<std::string>{"fox"}));
  EXPECT_EQ(Values(0x30, {testing::Le32(1)}, 'W', 4),
            (std::vector<std::string>{"dbf: " + dir.Path() +
                                      "/m.dbf: record 1, field NOTE: " + dir.Path() +
                                      "/m.fpt: memo block 1 lies in the memo header"}));
}

// A memo without its end mark, or with a length no memo has, is read no further than the memo
// file's end and 1 MiB, then fails naming the files, the record and the field. The big cases are
// sparse files: gigabytes that take no room, read only as far as the limit.
TEST_F(MemoFiles, DamagedChainsAndLengthsStopAtTheFileEndOrTheLimit) {
  const std::string table = "dbf: " + dir.Path() + "/m.dbf: record 1, field NOTE: ";
  std::string unended = testing::Dbt3Image({"abc"}, blocks);
  unended.replace(512 + 3, 2, "xy");  // the end mark overwritten
  std::string dbt4 = testing::Dbt4Image({"abc"}, 512, blocks);
  dbt4.replace(512 + 4, 4, testing::Le32(0x7FFFFFFF));
  std::string fpt = testing::FptImage({"abc"}, 64, blocks);
  fpt.replace(512 + 4, 4, testing::Be32(0x10000001));
  constexpr std::uintmax_t kBig = 5ull << 30;  // past 32-bit offsets
  const struct {
    const char* name;
    std::uint8_t version;
    const char* memo;
    std::string bytes;
    std::uintmax_t size;  // sparse size of the memo file; 0: as written
    std::string error;
  } cases[] = {
      {"no end mark", 0x83, "m.dbt", unended, 0,
       "m.dbt: memo in block 1 has no end mark before the end of the file"},
      {"no end mark in gigabytes", 0x83, "m.dbt", testing::Dbt3Image({}, blocks), kBig,
       "m.dbt: memo in block 1 has no end mark within 1048576 bytes"},
      {"dBASE IV length", 0x8B, "m.dbt", dbt4, kBig,
       "m.dbt: memo in block 1 is 2147483639 bytes long, more than 1048576"},
      {"FoxPro length", 0xF5, "m.fpt", fpt, kBig,
       "m.fpt: memo in block 8 is 268435457 bytes long, more than 1048576"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(dir.Path() + "/m.dbt");
    std::filesystem::remove(dir.Path() + "/m.fpt");
    const std::string memo = dir.Write(c.memo, c.bytes);
    if (c.size) std::filesystem::resize_file(memo, c.size);
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const std::string pointer = Pointer(c.version == 0xF5 ? 8 : 1);
    EXPECT_EQ(Values(c.version, {pointer}),
              std::vector<std::string>{table + dir.Path() + "/" + c.error})
        << c.name;
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 32 * 1024) << c.name;  // kilobytes
  }
}

// The memo file is read in cached blocks: memos that cross a block's edge or are longer than a
// block, read in any order, and a last memo whose end is the file's last byte or whose file ends
// early must read as they are stored.
TEST_F(MemoFiles, MemosAcrossTheReadBlocksAndAtTheFileEnd) {
  const auto pattern = [](std::size_t n, int seed) {
    std::string s(n, ' ');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7 + seed) % 26);
    return s;
  };
  const std::vector<std::string> texts = {pattern(32000, 1), pattern(70000, 2), pattern(100, 3),
                                          pattern(600, 4)};
  const std::vector<int> order = {1, 0, 3, 2, 0, 1, 3};
  const auto pointers = [&] {
    std::vector<std::string> p;
    for (int i : order) p.push_back(Pointer(blocks[static_cast<std::size_t>(i)]));
    return p;
  };
  const auto expected = [&] {
    std::vector<std::string> v;
    for (int i : order) v.push_back(texts[static_cast<std::size_t>(i)]);
    return v;
  };
  std::string dbt3 = testing::Dbt3Image(texts, blocks);
  dbt3.resize(dbt3.find_last_not_of('\0') + 1);  // the last end mark is the file's last byte
  dir.Write("m.dbt", dbt3);
  EXPECT_EQ(Values(0x83, pointers()), expected());

  std::filesystem::remove(dir.Path() + "/m.dbt");
  dir.Write("m.dbt", testing::Dbt4Image(texts, 512, blocks));
  EXPECT_EQ(Values(0x8B, pointers()), expected());

  std::filesystem::remove(dir.Path() + "/m.dbt");
  dir.Write("m.fpt", testing::FptImage(texts, 64, blocks));
  EXPECT_EQ(Values(0xF5, pointers()), expected());

  // The last memo cut short by the file's end, just past a block's edge.
  std::filesystem::remove(dir.Path() + "/m.fpt");
  std::string cut = testing::Dbt3Image({pattern(32768, 5)}, blocks);
  cut.resize(512 + 32768);
  dir.Write("m.dbt", cut);
  EXPECT_EQ(Values(0x83, {Pointer(1)}),
            (std::vector<std::string>{"dbf: " + dir.Path() + "/m.dbf: record 1, field NOTE: " +
                                      dir.Path() +
                                      "/m.dbt: memo in block 1 has no end mark before the end "
                                      "of the file"}));
}

TEST_F(MemoFiles, MissingMemoFileFailsOnlyTheMemoValues) {
  TableLayout layout;
  layout.version = 0x83;
  layout.columns = {{"NAME", 'C', 3}, {"NOTE", 'M', 10}};
  layout.records = {"abc" + Pointer(1)};
  dir.Write("m.dbf", TableImage(layout));
  SourceTable table;
  table.SetDatabaseName(dir.Path());
  table.SetTableName("m.dbf");
  table.Open();
  EXPECT_EQ(table.Field(0).AsString(), "abc");
  EXPECT_EQ(testing::ErrorText<EDBEngineError>([&] { table.Field(1).AsString(); }),
            "dbf: " + dir.Path() + "/m.dbf: record 1, field NOTE: " + dir.Path() +
                "/m.dbt: memo file not found");
}

}  // namespace
}  // namespace qm
