// The dataset's records as bytes: the chunked record list, the field formats, and the blocks an
// open dataset holds for real rows (header, ROWID, null flags, field data, large values).

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "oracle/internal/dataset_record.h"
#include "oracle/oracle_dataset.h"
#include "oracle/record_data_list.h"
#include "oracle/testing/connected_engine_test.h"

namespace qm {
namespace {

namespace rec = dataset_record;

TEST(RecordDataList, ChunksGrowByHalfTheCountAndBlocksNeverMove) {
  TRecordDataList list(40, 26);  // ReadBuffer 25
  std::vector<std::byte*> blocks;
  std::vector<int> chunksAfter;
  for (int i = 0; i < 200; ++i) {
    std::byte* block = list.Append();
    for (int b = 0; b < 40; ++b) ASSERT_EQ(block[b], std::byte{0}) << "record " << i;
    std::memset(block, i + 1, 40);
    blocks.push_back(block);
    chunksAfter.push_back(list.ChunkCount());
  }
  // 26 records, then 26 (half of 26 is less), then 26, then half the count: 39, 58, ...
  EXPECT_EQ(chunksAfter[25], 1);
  EXPECT_EQ(chunksAfter[26], 2);
  EXPECT_EQ(chunksAfter[51], 2);
  EXPECT_EQ(chunksAfter[52], 3);
  EXPECT_EQ(chunksAfter[77], 3);
  EXPECT_EQ(chunksAfter[78], 4);  // 78 / 2 = 39 records
  EXPECT_EQ(chunksAfter[116], 4);
  EXPECT_EQ(chunksAfter[117], 5);  // 117 / 2 = 58
  ASSERT_EQ(list.Count(), 200);
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(list[i], blocks[static_cast<size_t>(i)]);
    EXPECT_EQ(list[i][39], std::byte(i + 1));
  }
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.ChunkCount(), 0);
}

TEST(DatasetRecord, DateTimesInTheFieldFormatAndBack) {
  struct Case {
    TDateTime value;
    double field;
  };
  constexpr double kDay = 86400000;
  for (const Case& c : std::vector<Case>{
           {0, 693594 * kDay},                      // 30 December 1899
           {0.5, 693594 * kDay + kDay / 2},         // and its noon
           {36925.25, (693594 + 36925) * kDay + kDay / 4},
           {-1.25, 693593 * kDay + kDay / 4},       // 29 December 1899, 06:00
           {-693593, 1 * kDay},                     // 1 January of year 1
       }) {
    EXPECT_DOUBLE_EQ(rec::DateTimeToFieldValue(c.value), c.field) << c.value;
    EXPECT_DOUBLE_EQ(rec::FieldValueToDateTime(c.field), c.value) << c.value;
  }
}

class DataSetRecordOnEngine : public testing::ConnectedEngineTest {
 protected:
  void SetUp() override {
    ConnectedEngineTest::SetUp();
    ods_.SetSession(&session_);
    Run({"create table t (id number(4), n number(9), f number(5,2), code char(6), "
         "born date, note long)",
         "insert into t values (7, 123456, 2.5, 'abc', "
         "to_date('2001-02-03 04:05:06', 'YYYY-MM-DD HH24:MI:SS'), 'a long text')",
         "insert into t values (8, null, null, null, null, null)"});
  }
  void OpenWith(const std::string& sql) {
    ods_.Close();
    ods_.SQL().Clear();
    ods_.SQL().Add(sql);
    ods_.Open();
  }

  TOracleDataSet ods_;
};

TEST_F(DataSetRecordOnEngine, ARecordHoldsTheRowInTheBlockLayout) {
  session_.Preferences().SetSmallIntPrecision(4);  // NUMBER(4) becomes a 2-byte field
  OpenWith("select rowid, t.* from t order by id");
  ASSERT_EQ(ods_.FieldCount(), 6);  // no field for ROWID
  EXPECT_EQ(ods_.Field(0).DataType(), ftSmallint);
  EXPECT_EQ(ods_.Field(5).DataType(), ftMemo);

  const std::byte* block = ods_.CurrentRecord();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(rec::ReadInt32(block + rec::kIdOffset), 1);
  const std::string_view rowid = rec::ReadText(block + rec::kRowidOffset, 19);
  EXPECT_EQ(rowid.size(), 18u);
  // id: flag + 2, n: flag + 4, f: flag + 8, code: flag + 7, born: flag + 8, note: flag only.
  EXPECT_EQ(rec::ReadInt32(block + rec::kDataSizeOffset), 3 + 5 + 9 + 8 + 9 + 1);
  const std::byte* id = block + rec::kHeaderSize;
  EXPECT_EQ(id[0], std::byte{0});
  EXPECT_EQ(rec::ReadInt16(id + 1), 7);
  EXPECT_EQ(rec::ReadInt32(id + 4), 123456);
  EXPECT_EQ(rec::ReadDouble(id + 9), 2.5);
  EXPECT_EQ(rec::ReadText(id + 18, 7), "abc");  // trimmed under TrimStringFields
  EXPECT_NE(rec::ReadInt32(block + rec::kLargeValuesOffset), 0);
  EXPECT_EQ(ods_.FieldByName("BORN").AsString(),
            FormatDateTimeValue(PartsToDateTime({2001, 2, 3, 4, 5, 6})));
  EXPECT_EQ(ods_.FieldByName("NOTE").AsString(), "a long text");

  ods_.Next();
  block = ods_.CurrentRecord();
  EXPECT_EQ(rec::ReadInt32(block + rec::kIdOffset), 2);
  EXPECT_NE(rec::ReadText(block + rec::kRowidOffset, 19), rowid);
  for (const char* name : {"N", "F", "CODE", "BORN", "NOTE"})
    EXPECT_TRUE(ods_.FieldByName(name).IsNull()) << name;
}

TEST_F(DataSetRecordOnEngine, WithoutARowidColumnTheHeaderHoldsZeros) {
  OpenWith("select id from t");
  const std::byte* block = ods_.CurrentRecord();
  for (int b = 0; b < 19; ++b) EXPECT_EQ(block[rec::kRowidOffset + b], std::byte{0});
  EXPECT_EQ(rec::ReadInt32(block + rec::kLargeValuesOffset), 0);
}

}  // namespace
}  // namespace qm
