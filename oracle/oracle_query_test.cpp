#include "oracle/oracle_query.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

#include "oracle/e_oracle_error.h"
#include "oracle/main_thread_calls.h"
#include "oracle/testing/connected_engine_test.h"
#include "platform/codepage.h"
#include "platform/regional_formats.h"
#include "platform/testing/error_text.h"
#include "platform/testing/service_scope.h"

namespace qm {
namespace {

class QueryTest : public testing::ConnectedEngineInterfaceTest {
 protected:
  void SetUp() override {
    ConnectedEngineInterfaceTest::SetUp();
    query_.SetSession(&session_);
    query_.BeforeQuery = [this](TOracleQuery&) { ++beforeQuery_; };
    query_.AfterQuery = [this](TOracleQuery&) { ++afterQuery_; };
  }

  // Replaces the text by `sql` and executes it.
  void Exec(const std::string& sql) {
    query_.SQL().Clear();
    query_.SQL().Add(sql);
    query_.Execute();
  }

  // Executes a select and reads its first column of every row.
  std::vector<std::string> Column(const std::string& sql) {
    Exec(sql);
    std::vector<std::string> values;
    for (; !query_.Eof(); query_.Next()) values.push_back(query_.FieldAsString(0));
    return values;
  }

  TOracleQuery query_;
  int beforeQuery_ = 0;
  int afterQuery_ = 0;
};

using testing::ErrorText;

TEST(QueryWithoutSession, RaisesBeforeSendingAnything) {
  TOracleQuery query;
  query.SQL().Add("select * from dual");
  EXPECT_EQ(ErrorText([&] { query.Execute(); }), "Session undefined");
  TOracleSession session;
  query.SetSession(&session);
  EXPECT_EQ(ErrorText([&] { query.Execute(); }), "Not logged on");
  EXPECT_EQ(query.ParseCount(), 0);
}

TEST_P(QueryTest, AnEmptyTextSendsOneBlankAndTheServersErrorComesBack) {
  EXPECT_THROW(query_.Execute(), EOracleError);
  EXPECT_EQ(query_.ParseCount(), 1);
  EXPECT_EQ(beforeQuery_, 1);
  EXPECT_EQ(afterQuery_, 1);
}

TEST_P(QueryTest, AnErrorOnTheThirdLineGivesItsLineAndColumn) {
  query_.SQL().Add("select dummy");
  query_.SQL().Add("from dual");
  query_.SQL().Add("where nosuch = 1");
  try {
    query_.Execute();
    FAIL() << "no error";
  } catch (const EOracleError& e) {
    EXPECT_EQ(e.ErrorCode(), 904);
  }
  EXPECT_EQ(query_.ErrorLine(), 3);
  EXPECT_EQ(query_.ErrorPosition(), 7);
  EXPECT_EQ(afterQuery_, 1);
}

TEST_P(QueryTest, AnInsertWithAColonInALiteralIsSentUnchanged) {
  Run({"create table t (s varchar2(20))"});
  Exec("insert into t values ('10:15:00 :x')");
  EXPECT_EQ(query_.SQL().Text(), "insert into t values ('10:15:00 :x')\r\n");
  EXPECT_EQ(query_.RowsProcessed(), 1);
  EXPECT_EQ(query_.FunctionCode(), kFunctionInsert);
  EXPECT_TRUE(query_.Eof());
  EXPECT_EQ(afterQuery_, 1);
  EXPECT_EQ(Column("select s from t"), std::vector<std::string>{"10:15:00 :x"});

  Exec("delete from t where s = 'nothing'");  // no row: no error
  EXPECT_EQ(query_.RowsProcessed(), 0);
  EXPECT_EQ(query_.FunctionCode(), kFunctionDelete);
}

TEST_P(QueryTest, OptimizeReusesTheParsedTextUntilAnExecutionFails) {
  Run({"create table u (n number(9) primary key)"});
  Exec("insert into u values (1)");
  EXPECT_THROW(query_.Execute(), EOracleError);  // the same parsed text, failing on the key
  EXPECT_EQ(query_.ParseCount(), 1);
  Exec("delete from u");
  Exec("insert into u values (1)");
  EXPECT_EQ(query_.ParseCount(), 3);  // the failure forgot the parsed text

  query_.SetOptimize(false);
  Exec("delete from u");
  query_.Execute();
  EXPECT_EQ(query_.ParseCount(), 5);

  query_.SetOptimize(true);
  EXPECT_EQ(Column("select n from u"), std::vector<std::string>{});
  EXPECT_EQ(Column("select n from u"), std::vector<std::string>{});
  EXPECT_EQ(query_.ParseCount(), 6);
}

TEST_P(QueryTest, OneObjectRunsTextAfterTextWithEachErrorWhereItWas) {
  Run({"create table h (s varchar2(5))"});
  Exec("insert into h values ('a')");
  const auto failure = [&](const std::string& sql) {
    try {
      Exec(sql);
    } catch (const EOracleError& e) {
      return std::to_string(e.ErrorCode()) + " at " + std::to_string(query_.ErrorLine()) + ":" +
             std::to_string(query_.ErrorPosition());
    }
    return std::string("no error");
  };
  EXPECT_EQ(failure("insert into nosuch values ('b')"), "942 at 1:13");
  EXPECT_EQ(failure("insert into h values ('toolong')"), "12899 at 1:1");
  Exec("insert into h values ('c')");
  query_.DeclareVariable("v", kVariableString);
  query_.SetVariable("v", std::string("d"));
  Exec("insert into h values (:v)");
  query_.DeleteVariable("v");
  // Nothing of the earlier binds is left to the next text on a statement handle.
  if (!UseOCI7()) {
    EXPECT_EQ(failure("insert into h values (:v)"), "1008 at 1:1");
  }
  EXPECT_EQ(Column("select s from h order by s"), (std::vector<std::string>{"a", "c", "d"}));
  Exec("insert into h values ('e')");
  EXPECT_EQ(query_.RowsProcessed(), 1);
  EXPECT_EQ(query_.FunctionCode(), kFunctionInsert);
  EXPECT_EQ(Column("select count(*) from h"), std::vector<std::string>{"4"});
  // A refusal of the client's own, before the server saw the statement, ends the query as well.
  query_.DeclareVariable("l", kVariableCLOB);
  EXPECT_EQ(ErrorText([&] { Exec("insert into h values (:l)"); }), "LOB variable :L cannot be nil");
  query_.DeleteVariable("l");
  EXPECT_EQ(beforeQuery_, afterQuery_);
}

TEST_P(QueryTest, SelectsOfOneShapeGiveEachTheirOwnRowsColumnsAndErrors) {
  Run({"create table k (n number(9), s varchar2(10))", "insert into k values (1, 'one')",
       "insert into k values (2, 'two')", "insert into k values (3, 'seventeen')"});
  const auto row = [&](const std::string& sql) {
    Exec(sql);
    if (query_.Eof()) return std::to_string(query_.FieldCount()) + " columns, no row";
    std::string text;
    for (int i = 0; i < query_.FieldCount(); ++i)
      text += (i ? "|" : "") + query_.FieldName(i) + "=" + query_.FieldAsString(i);
    return text;
  };
  EXPECT_EQ(row("select * from k Where S='seventeen'"), "N=3|S=seventeen");
  // A shorter text in the kept buffer ends where it ends.
  EXPECT_EQ(row("select * from k Where S='one'"), "N=1|S=one");
  EXPECT_EQ(row("select * from k Where S='two'"), "N=2|S=two");
  EXPECT_EQ(row("select * from k Where S='three'"), "2 columns, no row");
  try {
    Exec("select * from k Where N='x'");
    ADD_FAILURE() << "no error";
  } catch (const EOracleError& e) {
    EXPECT_EQ(e.ErrorCode(), 1722);
  }
  EXPECT_EQ(row("select * from k Where N='2'"), "N=2|S=two");
  Run({"alter table k add (e varchar2(5))"});
  EXPECT_EQ(row("select * from k Where N='1'"), "N=1|S=one|E=");
  EXPECT_EQ(row("select * from k Where N IS NULL"), "3 columns, no row");
}

TEST_P(QueryTest, RowsArriveInBatchesOfReadBuffer) {
  Run({"create table r (n number(9))"});
  int inserted = 0;
  for (const int rows : {24, 25, 26}) {
    for (; inserted < rows; ++inserted)
      session_.ExecInternal("insert into r values (" + std::to_string(inserted) + ")");
    const int fetchesBefore = query_.FetchCalls();
    afterQuery_ = 0;
    const std::vector<std::string> values = Column("select n from r order by n");
    ASSERT_EQ(values.size(), static_cast<size_t>(rows));
    EXPECT_EQ(values.back(), std::to_string(rows - 1));
    EXPECT_EQ(query_.FetchCalls() - fetchesBefore, rows == 24 ? 1 : 2) << rows << " rows";
    EXPECT_EQ(query_.RowsProcessed(), rows);
    EXPECT_EQ(afterQuery_, 1);
    query_.Next();  // at Eof: nothing
    EXPECT_EQ(afterQuery_, 1);
  }
}

TEST_P(QueryTest, ASelectWithoutRowsIsAtEofWithAfterQueryCalled) {
  Exec("select * from dual where 1 = 0");
  EXPECT_TRUE(query_.Eof());
  EXPECT_EQ(query_.RowsProcessed(), 0);
  EXPECT_EQ(afterQuery_, 1);
  EXPECT_EQ(ErrorText([&] { query_.FieldAsString(0); }), "You cannot access field data beyond Eof");
  EXPECT_EQ(ErrorText([&] { query_.FieldAsString(1); }), "Field 1 does not exist");
}

TEST_P(QueryTest, ALongColumnFetchesOneRowPerCall) {
  Run({"create table t (a number, b varchar2(5), c date)"});
  const int fetchesBefore = query_.FetchCalls();
  const std::vector<std::string> names =
      Column("select column_name, data_default from user_tab_columns where table_name='T'");
  EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(query_.FieldType(1), SQLT_LNG);
  EXPECT_EQ(query_.FetchCalls() - fetchesBefore, 4);
}

TEST_P(QueryTest, LongValuesArriveInGrowingPieces) {
  Run({"create table l (txt long)"});
  const std::string value(70000, 'x');
  // Longer than a text literal may be: the value goes in through a variable.
  query_.DeclareVariable("v", kVariableLong);
  query_.SetVariable("v", value.substr(0, 69999) + "y");
  Exec("insert into l values (:v)");
  query_.Clear();
  Exec("select txt from l");
  const std::string read = query_.LongValue(0);
  ASSERT_EQ(read.size(), value.size());
  EXPECT_EQ(read.back(), 'y');
  char tail[10] = {};
  EXPECT_EQ(query_.ReadLongPiece(0, tail, 10, 69995), 5);
  EXPECT_EQ(std::string(tail, 5), "xxxxy");
  std::string whole(80000, '-');  // more than one read of the server may give at once
  ASSERT_EQ(query_.ReadLongPiece(0, whole.data(), 80000, 0), 70000);
  EXPECT_EQ(whole.substr(0, 70000), read);
  EXPECT_EQ(ErrorText([&] { query_.FieldAsString(0); }), "Cannot convert field TXT to a String");
}

TEST_P(QueryTest, LobColumnsGiveTheirWholeValueOnlyOnTheReleaseEightInterface) {
  const std::string text = Utf8ToCp1251("Привет, world");
  const std::string big(70000, 'z');
  Run({"create table d (id number(9), c clob, b blob)",
       "insert into d values (2, empty_clob(), empty_blob())",
       "insert into d values (3, null, null)"});
  query_.DeclareVariable("c", kVariableLong);
  query_.DeclareVariable("b", kVariableLongRaw);
  query_.SetVariable("b", std::string("\0\xFF", 2));
  for (const auto& [id, value] : {std::pair{1, text}, std::pair{4, big}}) {
    query_.SetVariable("c", value);
    Exec("insert into d (id, c, b) values (" + std::to_string(id) + ", :c, :b)");
  }
  query_.Clear();
  query_.SetReadBuffer(2);  // the second batch refills the same locators
  if (UseOCI7()) {
    EXPECT_EQ(ErrorText([&] { Exec("select c from d"); }),
              "A query with LOB's requires OCI8 mode, but OCI7 mode is used.");
    return;
  }
  int parses = 0;
  for (int round = 0; round < 2; ++round) {  // the second time without a new parse
    Exec("select id, c, b from d order by id");
    if (round == 1) {
      EXPECT_EQ(query_.ParseCount(), parses);
    }
    parses = query_.ParseCount();
    ASSERT_EQ(query_.FieldType(1), SQLT_CLOB);
    ASSERT_EQ(query_.FieldType(2), SQLT_BLOB);
    EXPECT_EQ(std::get<std::string>(query_.Field(1)), text);
    EXPECT_EQ(query_.LOBField(1).Size(), 13);
    EXPECT_EQ(query_.LOBField(1).Read(8, 5), "world");
    EXPECT_EQ(std::get<std::string>(query_.Field(2)), std::string("\0\xFF", 2));
    EXPECT_EQ(ErrorText([&] { query_.FieldAsString(1); }), "Cannot convert field C to a String");
    EXPECT_EQ(ErrorText([&] { query_.LOBField(0); }), "Field ID is not a LOB");
    query_.Next();  // empty LOBs: a value, read as NULL
    EXPECT_FALSE(query_.FieldIsNull(1));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(query_.Field(1)));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(query_.Field(2)));
    query_.Next();
    EXPECT_TRUE(query_.FieldIsNull(1));
    EXPECT_TRUE(query_.LOBField(1).IsNull());
    EXPECT_EQ(query_.LOBField(2).Size(), 0);
    query_.Next();
    EXPECT_TRUE(std::get<std::string>(query_.Field(1)) == big);
    query_.Next();
    EXPECT_TRUE(query_.Eof());
    EXPECT_EQ(ErrorText([&] { query_.LOBField(1); }), "You cannot access field data beyond Eof");
  }
  // The statement's locators go with the session's handles at LogOff.
  session_.LogOff();
  EXPECT_EQ(query_.FieldCount(), 0);
}

TEST_P(QueryTest, NumberColumnsFetchAsIntegerOrFloatByPrecisionAndScale) {
  Run({"create table n (a number(9), b number(10), c number(5,2), d number)",
       "insert into n values (123456789, 1234567890, 123.45, 0.5)"});
  Exec("select * from n");
  EXPECT_EQ(query_.FieldType(0), SQLT_INT);
  EXPECT_EQ(query_.FieldType(1), SQLT_FLT);
  EXPECT_EQ(query_.FieldType(2), SQLT_FLT);
  EXPECT_EQ(query_.FieldType(3), SQLT_FLT);
  EXPECT_EQ(query_.FieldPrecision(0), 9);
  EXPECT_EQ(query_.FieldScale(2), 2);
  EXPECT_EQ(query_.FieldAsString(0), "123456789");
  EXPECT_EQ(query_.FieldAsString(1), "1234567890");
  EXPECT_EQ(query_.FieldAsString(2), "123.45");
  EXPECT_EQ(query_.FieldAsInteger(2), 123);
  EXPECT_EQ(query_.FieldAsString(3), "0.5");
}

TEST_P(QueryTest, LineFeedsReadBackAsCrLfUnderConvertCRLF) {
  Run({"create table t (s varchar2(30))"});
  Exec("insert into t values ('a\nb')");
  // Written with CHR, as the client would change line breaks inside the statement's own text.
  Exec("insert into t values (chr(13) || 'c' || chr(13) || chr(10) || 'd' || chr(10) || chr(13) "
       "|| 'e' || chr(13))");
  EXPECT_EQ(Column("select s from t order by s"),
            (std::vector<std::string>{"\r\nc\r\nd\r\n\r\ne\r\n", "a\r\nb"}));
  session_.Preferences().SetConvertCRLF(false);
  EXPECT_EQ(Column("select s from t order by s"),
            (std::vector<std::string>{"\rc\r\nd\n\re\r", "a\nb"}));
}

TEST_P(QueryTest, DatesShowTheTimeOnlyWhenItIsNotMidnight) {
  const RegionalFormats saved = CurrentRegionalFormats();
  RegionalFormats formats;
  formats.shortDate = "%d.%m.%Y";
  formats.longTime = "%H:%M:%S";
  SetRegionalFormats(formats);
  Run({"create table d (n number(9), v date)",
       "insert into d values (1, to_date('2020-03-05', 'YYYY-MM-DD'))",
       "insert into d values (2, to_date('2020-03-05 10:15:00', 'YYYY-MM-DD HH24:MI:SS'))"});
  EXPECT_EQ(Column("select v from d order by n"),
            (std::vector<std::string>{"05.03.2020", "05.03.2020 10:15:00"}));
  EXPECT_EQ(query_.FieldType(0), SQLT_DAT);

  Run({"create table s (v varchar2(20))", "insert into s values ('05.03.2020 10:15:00')",
       "insert into s values ('5.3.2020')", "insert into s values ('x')"});
  Exec("select v from s");
  EXPECT_DOUBLE_EQ(query_.FieldAsDate(0), 43895.0 + 10.25 / 24);
  query_.Next();
  EXPECT_DOUBLE_EQ(query_.FieldAsDate(0), 43895.0);
  query_.Next();
  EXPECT_EQ(ErrorText([&] { query_.FieldAsDate(0); }), "'x' is not a valid date");
  SetRegionalFormats(saved);
}

TEST_P(QueryTest, DescribeGivesTheColumnsWithoutRows) {
  Run({"create table t (a number(9), b varchar2(7))", "insert into t values (1, 'x')"});
  query_.SQL().Add("select * from t");
  query_.Describe();
  EXPECT_TRUE(query_.Eof());
  ASSERT_EQ(query_.FieldCount(), 2);
  EXPECT_EQ(query_.FieldName(1), "B");
  EXPECT_EQ(query_.FieldSize(1), 7);
  EXPECT_EQ(query_.FetchCalls(), 0);
  query_.Execute();  // the described statement executes without a new parse
  EXPECT_EQ(query_.ParseCount(), 1);
  EXPECT_EQ(std::get<int>(query_.Field("a")), 1);
  EXPECT_EQ(std::get<std::string>(query_.Field(1)), "x");
  EXPECT_EQ(ErrorText([&] { query_.Field("nosuch"); }), "Field nosuch does not exist");
}

TEST_P(QueryTest, StringFieldsOnlyFetchesEveryColumnAsText) {
  Run({"create table t (a number(9), d date)",
       "insert into t values (5, to_date('2020-03-05', 'YYYY-MM-DD'))"});
  query_.SetStringFieldsOnly(true);
  Exec("select * from t");
  EXPECT_EQ(query_.FieldType(0), SQLT_STR);
  EXPECT_EQ(query_.FieldType(1), SQLT_STR);
  EXPECT_EQ(query_.FieldAsString(0), "5");
  EXPECT_EQ(query_.FieldAsInteger(0), 5);
  const std::string dateText = query_.FieldAsString(1);
  query_.SetStringFieldsOnly(false);
  EXPECT_EQ(Column("select to_char(d) from t"), std::vector<std::string>{dateText});
  EXPECT_NE(dateText.find("20"), std::string::npos);
}

// Records which notifications went through the main-thread hook.
class RecordingMainThreadCalls : public MainThreadCalls {
 public:
  void Call(const std::function<void()>& call) override {
    ++calls;
    call();
  }
  std::atomic<int> calls{0};

 private:
  testing::ServiceScope<SetAppMainThreadCalls> installed_{this};
};

TEST_P(QueryTest, AThreadedSelectReportsItsRowsThroughItsEvents) {
  Run({"create table r (n number(9))", "insert into r values (1)", "insert into r values (2)"});
  RecordingMainThreadCalls mainThread;
  std::vector<std::string> events;
  query_.SetThreaded(true);
  query_.OnThreadExecuted = [&](TOracleQuery&) { events.push_back("executed"); };
  query_.OnThreadRecord = [&](TOracleQuery& q) { events.push_back(q.FieldAsString(0)); };
  query_.OnThreadFinished = [&](TOracleQuery&) { events.push_back("finished"); };
  query_.OnThreadError = [&](TOracleQuery&, int code, const std::string&) {
    events.push_back("error " + std::to_string(code));
  };
  query_.SQL().Add("select n from r order by n");
  query_.Execute();
  query_.WaitForThread();
  EXPECT_EQ(events, (std::vector<std::string>{"executed", "1", "2", "finished"}));
  EXPECT_EQ(mainThread.calls, 4);
  EXPECT_EQ(afterQuery_, 1);

  events.clear();
  query_.SetThreadSynchronized(false);
  query_.SQL().Clear();
  query_.SQL().Add("select n from nosuch");
  query_.Execute();
  query_.WaitForThread();
  EXPECT_EQ(events, (std::vector<std::string>{"error 942", "finished"}));
  EXPECT_EQ(mainThread.calls, 4);
}

TEST_P(QueryTest, ASecondThreadedExecuteWhileOneRunsIsRefused) {
  std::atomic<bool> release{false};
  query_.SetThreaded(true);
  query_.SetThreadSynchronized(false);
  query_.OnThreadExecuted = [&](TOracleQuery&) {
    while (!release) std::this_thread::yield();
  };
  query_.SQL().Add("select * from dual");
  query_.Execute();
  EXPECT_EQ(ErrorText([&] { query_.Execute(); }), "Query thread is still in progress");
  EXPECT_EQ(ErrorText([&] { query_.Describe(); }), "Query thread is still in progress");
  release = true;
  query_.WaitForThread();
  EXPECT_FALSE(query_.ThreadRunning());
}

TEST_P(QueryTest, AColumnNameIsCutToThirtyCharacters) {
  Exec("select 1234567890 + 1234567890 + 1234567890 + 1 from dual");
  EXPECT_EQ(query_.FieldName(0).size(), 30u);
  EXPECT_EQ(query_.FieldIndex(query_.FieldName(0)), 0);
  EXPECT_EQ(query_.FieldIndex("nosuch"), -1);
}

TEST_P(QueryTest, FieldIndexAndFieldByNameIgnoreTheCaseOfLatinAndCyrillicNames) {
  Exec(Utf8ToCp1251("select 7 \"Сумма\", 'x' \"Name\", 8 \"ЁЖИК\" from dual"));
  const std::pair<const char*, int> cases[] = {
      {"СУММА", 0}, {"сумма", 0}, {"сУмМа", 0}, {"NAME", 1}, {"name", 1},
      {"ёжик", 2},  {"ЁЖИК", 2},  {"ежик", -1}, {"Сумм", -1},
  };
  for (const auto& [name, index] : cases)
    EXPECT_EQ(query_.FieldIndex(Utf8ToCp1251(name)), index) << name;
  EXPECT_EQ(query_.Field(Utf8ToCp1251("сумма")), query_.Field(0));
  EXPECT_EQ(ErrorText([&] { query_.Field(Utf8ToCp1251("ежик")); }),
            Utf8ToCp1251("Field ежик does not exist"));
}

TEST_P(QueryTest, LogOffClosesTheStatementAndTheNextExecuteParsesAgain) {
  Exec("select * from dual");
  session_.LogOff();
  EXPECT_EQ(ErrorText([&] { query_.Execute(); }), "Not logged on");
  session_.LogOn();
  EXPECT_EQ(Column("select * from dual"), std::vector<std::string>{"X"});
  EXPECT_EQ(query_.ParseCount(), 2);
}

TEST_P(QueryTest, ACursorVariableNeedsTheReleaseEightInterface) {
  // The engine runs no PL/SQL: the result set itself is shown on the scripted client.
  if (!UseOCI7()) return;
  TOracleQuery cursor;
  query_.DeclareVariable("c", kVariableCursor);
  query_.SetComplexVariable("c", cursor);
  EXPECT_EQ(ErrorText([&] { Exec("begin open :c for select 1 from dual; end;"); }),
            "Cursor variable :C requires OCI8 mode, but OCI7 mode is used.");
}

INSTANTIATE_TEST_SUITE_P(Interfaces, QueryTest, testing::BothInterfaces(), testing::InterfaceName);

}  // namespace
}  // namespace qm
