#include "oracle/oracle_dataset.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/database_error.h"
#include "oracle/e_oracle_error.h"
#include "oracle/testing/connected_engine_test.h"

namespace qm {
namespace {

class DataSetTest : public testing::ConnectedEngineInterfaceTest {
 protected:
  void SetUp() override {
    ConnectedEngineInterfaceTest::SetUp();
    ods_.SetName("ods1");
    ods_.SetSession(&session_);
    Run(
        {"create table t (id number(9) not null, name varchar2(20), code char(10), "
         "amount number(7,2), born date)",
         "insert into t values (1, 'one', 'ab', 1.5, to_date('2001-02-03', 'YYYY-MM-DD'))",
         "insert into t values (2, 'two', null, null, null)",
         "insert into t values (3, 'three', 'cd', 3, null)"});
  }

  // Closes, replaces the text and opens, as the catalogue and the import do.
  void OpenWith(const std::string& sql) {
    ods_.Close();
    ods_.SQL().Clear();
    ods_.SQL().Add(sql);
    ods_.Open();
  }

  std::vector<std::string> Walk(const std::string& field) {
    std::vector<std::string> values;
    for (ods_.First(); !ods_.Eof(); ods_.Next())
      values.push_back(ods_.FieldByName(field).AsString());
    return values;
  }

  TOracleDataSet ods_;
};

TEST_P(DataSetTest, OpenFetchesEveryRowIntoFieldsReadByName) {
  ods_.SetReadBuffer(2);  // rows cross fetch batches
  OpenWith("select * from t order by id");
  EXPECT_TRUE(ods_.Active());
  EXPECT_EQ(ods_.RecordCount(), 3);
  ASSERT_EQ(ods_.FieldCount(), 5);
  const std::vector<std::pair<std::string, TFieldType>> fields = {{"ID", ftInteger},
                                                                  {"NAME", ftString},
                                                                  {"CODE", ftString},
                                                                  {"AMOUNT", ftFloat},
                                                                  {"BORN", ftDateTime}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(ods_.Field(i).FieldName(), fields[i].first);
    EXPECT_EQ(ods_.Field(i).DataType(), fields[i].second);
  }
  EXPECT_EQ(ods_.Field(1).Size(), 20);
  EXPECT_TRUE(ods_.Field(0).Required());
  EXPECT_FALSE(ods_.Field(1).Required());
  EXPECT_EQ(Walk("name"), (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(Walk("AMOUNT"), (std::vector<std::string>{"1.5", "", "3"}));
  EXPECT_EQ(Walk("id"), (std::vector<std::string>{"1", "2", "3"}));
  ods_.First();
  EXPECT_FALSE(ods_.FieldByName("BORN").AsString().empty());
  EXPECT_TRUE(ods_.FieldByName("CODE").IsNull() == false);
  ods_.Next();
  EXPECT_TRUE(ods_.FieldByName("BORN").IsNull());
}

// Each open describes its own fields, however alike the query before was: a field of the same
// name may come with another type, size or nullability.
TEST_P(DataSetTest, EachOpenHasTheFieldsOfItsOwnQuery) {
  const struct {
    const char* sql;
    TFieldType kind;
    int size;
    bool required;
    const char* first;
  } cases[] = {
      {"select id as f from t order by id", ftInteger, 0, true, "1"},
      {"select id as f from t order by id", ftInteger, 0, true, "1"},
      {"select name as f from t order by id", ftString, 20, false, "one"},
      {"select code as f from t order by id", ftString, 10, false, "ab"},
      {"select amount as f from t order by id", ftFloat, 0, false, "1.5"},
  };
  for (const auto& c : cases) {
    OpenWith(c.sql);
    ASSERT_EQ(ods_.FieldCount(), 1) << c.sql;
    EXPECT_EQ(ods_.Field(0).FieldName(), "F") << c.sql;
    EXPECT_EQ(ods_.Field(0).DataType(), c.kind) << c.sql;
    EXPECT_EQ(ods_.Field(0).Size(), c.size) << c.sql;
    EXPECT_EQ(ods_.Field(0).Required(), c.required) << c.sql;
    EXPECT_EQ(ods_.FieldByName("F").AsString(), c.first) << c.sql;
  }
}

TEST_P(DataSetTest, CatalogueQueriesGiveNamesAndTypes) {
  OpenWith("select * from user_tables");
  EXPECT_EQ(Walk("TABLE_NAME"), std::vector<std::string>{"T"});
  OpenWith("select * from user_tab_columns where table_name='T'");
  EXPECT_EQ(Walk("COLUMN_NAME"),
            (std::vector<std::string>{"ID", "NAME", "CODE", "AMOUNT", "BORN"}));
  EXPECT_EQ(Walk("DATA_TYPE"),
            (std::vector<std::string>{"NUMBER", "VARCHAR2", "CHAR", "NUMBER", "DATE"}));
  OpenWith("select * from user_tab_columns where table_name='NOSUCH'");
  EXPECT_EQ(ods_.RecordCount(), 0);
  EXPECT_EQ(ods_.FieldByName("COLUMN_NAME").AsString(), "");
}

TEST_P(DataSetTest, ExistenceQueriesCountTheMatchingRows) {
  OpenWith("select * from t Where id = 7");
  EXPECT_EQ(ods_.RecordCount(), 0);
  EXPECT_TRUE(ods_.Eof());
  OpenWith("select * from t Where id > 1");
  EXPECT_EQ(ods_.RecordCount(), 2);
  ods_.Close();
  ods_.SQL().Clear();
  ods_.SQL().Add("select * from nosuch Where id = 1");
  EXPECT_THROW(ods_.Open(), EOracleError);
  EXPECT_FALSE(ods_.Active());
}

TEST_P(DataSetTest, CharValuesAreTrimmedOnlyUnderTrimStringFields) {
  OpenWith("select code from t where id = 1");
  EXPECT_EQ(ods_.FieldByName("CODE").AsString(), "ab");
  session_.Preferences().SetTrimStringFields(false);
  OpenWith("select code from t where id = 1");
  EXPECT_EQ(ods_.FieldByName("CODE").AsString(), "ab        ");
}

TEST_P(DataSetTest, RepeatedColumnNamesGetANumberedSuffix) {
  // Opened again, and after a text whose own names take the suffixes' places.
  for (const char* sql :
       {"select id a, name a, code a from t where id = 1",
        "select id a, name a, code a from t where id = 1",
        "select id a_1, name a, code a from t where id = 1",
        "select id a, name a, code a from t where id = 1"}) {
    OpenWith(sql);
    ASSERT_EQ(ods_.FieldCount(), 3);
    const bool named = std::string(sql).starts_with("select id a_1");
    EXPECT_EQ(ods_.Field(0).FieldName(), named ? "A_1" : "A") << sql;
    EXPECT_EQ(ods_.Field(1).FieldName(), named ? "A" : "A_1") << sql;
    EXPECT_EQ(ods_.Field(2).FieldName(), "A_2") << sql;
    EXPECT_EQ(ods_.FieldByName("a_1").AsString(), named ? "1" : "one") << sql;
  }
}

TEST_P(DataSetTest, ReopeningTheSameTextParsesNothingAndAnotherTextParsesAnew) {
  OpenWith("select * from t");
  const int parses = ods_.MainQuery().ParseCount();
  OpenWith("select * from t");
  EXPECT_EQ(ods_.MainQuery().ParseCount(), parses);
  OpenWith("select * from t where id = 1");
  EXPECT_EQ(ods_.MainQuery().ParseCount(), parses + 1);
}

TEST_P(DataSetTest, NewSqlOfAnOpenDataSetWaitsForTheNextClose) {
  OpenWith("select * from t");
  ods_.SQL().Clear();
  ods_.SQL().Add("select * from t where id = 1");
  ods_.Open();
  EXPECT_EQ(ods_.RecordCount(), 3);
  EXPECT_EQ(Walk("NAME").size(), 3u);
  ods_.Close();
  ods_.Open();
  EXPECT_EQ(ods_.RecordCount(), 1);
}

TEST_P(DataSetTest, MisuseRaisesTheDataSetErrors) {
  try {
    ods_.RecordCount();
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "ods1: Cannot perform this operation on a closed dataset");
  }
  OpenWith("select * from t");
  try {
    ods_.FieldByName("NOSUCH");
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "ods1: Field 'NOSUCH' not found");
  }
}

TEST_P(DataSetTest, LobColumnsBecomeOracleLobFieldsHoldingTheWholeValue) {
  std::filesystem::create_directory(home_ + "/files");
  std::ofstream(home_ + "/files/a.txt") << "attached";
  Run({"create directory files as 'files'",
       "create table docs (id number(9), body clob, scan blob, attachment bfile)",
       "insert into docs values (2, empty_clob(), null, null)"});
  TOracleQuery insert;
  insert.SetSession(&session_);
  insert.SQL().Add("insert into docs values (1, 'text', :scan, bfilename('FILES', 'a.txt'))");
  insert.DeclareVariable("scan", kVariableLongRaw);
  insert.SetVariable("scan", std::string("\1\2"));
  insert.Execute();
  ods_.SQL().Add("select * from docs order by id");
  if (UseOCI7()) {
    EXPECT_THROW(ods_.Open(), std::runtime_error);
    EXPECT_FALSE(ods_.Active());
    return;
  }
  ods_.Open();
  ASSERT_EQ(ods_.FieldCount(), 4);
  EXPECT_EQ(ods_.Field(1).DataType(), ftOraClob);
  EXPECT_EQ(ods_.Field(2).DataType(), ftOraBlob);
  EXPECT_EQ(ods_.Field(3).DataType(), ftOraBlob);
  EXPECT_EQ(Walk("ATTACHMENT"), (std::vector<std::string>{"attached", ""}));
  EXPECT_EQ(Walk("BODY"), (std::vector<std::string>{"text", ""}));
  EXPECT_EQ(Walk("SCAN"), (std::vector<std::string>{std::string("\1\2"), ""}));
  ods_.First();
  ods_.Next();
  EXPECT_TRUE(ods_.FieldByName("BODY").IsNull());  // the empty LOB
  EXPECT_TRUE(ods_.FieldByName("SCAN").IsNull());
}

TEST_P(DataSetTest, WithoutQueryAllRecordsRowsAreFetchedAsTheWalkNeedsThem) {
  ods_.SetQueryAllRecords(false);
  ods_.SetReadBuffer(2);
  OpenWith("select * from t order by id");
  EXPECT_EQ(ods_.RecordCount(), 1);
  EXPECT_EQ(ods_.FieldByName("ID").AsString(), "1");
  ods_.Next();
  EXPECT_EQ(ods_.RecordCount(), 2);
  EXPECT_EQ(ods_.FieldByName("NAME").AsString(), "two");
  ods_.Last();
  EXPECT_EQ(ods_.RecordCount(), 3);
  EXPECT_EQ(ods_.FieldByName("NAME").AsString(), "three");
  EXPECT_EQ(Walk("ID"), (std::vector<std::string>{"1", "2", "3"}));

  // A walk from the start fetches the rest on its way.
  OpenWith("select name from t order by id desc");
  EXPECT_EQ(Walk("NAME"), (std::vector<std::string>{"three", "two", "one"}));
  EXPECT_EQ(ods_.RecordCount(), 3);
}

TEST_P(DataSetTest, CountAllRecordsCountsTheQueryHitsOnTheServer) {
  ods_.SetQueryAllRecords(false);
  ods_.SetCountAllRecords(true);
  ods_.SQL().Add("select * from t -- every row\r\nwhere id >= :low and name <> :name");
  ods_.SQL().Add("/* : in a comment */ order by name");
  ods_.MainQuery().DeclareVariable("low", kVariableInteger);
  ods_.MainQuery().DeclareVariable("name", kVariableString);
  ods_.MainQuery().DeclareVariable("unused", kVariableString);
  ods_.MainQuery().SetVariable("low", 2);
  ods_.MainQuery().SetVariable("name", std::string("two"));
  ods_.Open();
  EXPECT_EQ(ods_.FieldByName("NAME").AsString(), "three");
  EXPECT_EQ(ods_.RecordCount(), 1);  // one row matches, one is held
  EXPECT_EQ(ods_.CountQueryHits(), 1);
  ods_.Close();
  ods_.MainQuery().SetVariable("low", 1);
  ods_.Open();
  EXPECT_EQ(ods_.RecordCount(), 2);

  TOracleDataSet cursorSet;
  cursorSet.SetName("ods2");
  cursorSet.SetSession(&session_);
  cursorSet.SQL().Add("begin open :c for select * from t; end;");
  cursorSet.MainQuery().DeclareVariable("c", kVariableCursor);
  try {
    cursorSet.CountQueryHits();
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "ods2: Cannot count query hits for cursor dataset");
  }
}

TEST_P(DataSetTest, TheDataSetsOwnQueryEventsFrameItsOpen) {
  std::vector<std::string> events;
  ods_.BeforeQuery = [&](TOracleDataSet& sender) {
    events.push_back("dataset before, active " + std::to_string(sender.Active()));
  };
  ods_.AfterQuery = [&](TOracleDataSet& sender) {
    events.push_back("dataset after, " + std::to_string(sender.RecordCount()) + " records");
  };
  ods_.MainQuery().BeforeQuery = [&](TOracleQuery&) { events.push_back("query before"); };
  ods_.MainQuery().AfterQuery = [&](TOracleQuery&) { events.push_back("query after"); };
  OpenWith("select * from t");
  EXPECT_EQ(events, (std::vector<std::string>{"dataset before, active 0", "query before",
                                              "query after", "dataset after, 3 records"}));
  events.clear();
  ods_.Open();  // already open
  EXPECT_TRUE(events.empty());
}

TEST_P(DataSetTest, AskingForTheCurrentRecordOfAnEmptyResultRaisesNoRecords) {
  OpenWith("select * from t where id = 0");
  try {
    ods_.Resync();
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "ods1: No Records");
  }
  EXPECT_EQ(ods_.FieldByName("NAME").AsString(), "");  // a plain read gives NULL
  ods_.SetQueryAllRecords(false);
  OpenWith("select * from t order by id");
  EXPECT_EQ(ods_.Resync(), ods_.CurrentRecord());
  EXPECT_NE(ods_.Resync(), nullptr);
}

TEST_P(DataSetTest, LogOffClosesTheDataSet) {
  OpenWith("select * from t");
  session_.LogOff();
  EXPECT_FALSE(ods_.Active());
  session_.LogOn();
  OpenWith("select * from t");
  EXPECT_EQ(ods_.RecordCount(), 3);
}

INSTANTIATE_TEST_SUITE_P(Interfaces, DataSetTest, testing::BothInterfaces(),
                         testing::InterfaceName);

}  // namespace
}  // namespace qm
