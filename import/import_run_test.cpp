#include "import/import_run.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <stdexcept>
#include <vector>

#include "import/field_link_table.h"
#include "platform/codepage.h"
#include "platform/regional_formats.h"
#include "platform/testing/error_text.h"
#include "platform/testing/scratch_folder.h"
#include "source/source_table.h"
#include "source/testing/test_tables.h"

namespace qm {
namespace {

const std::string kSource = TESTDATA_DIR "/dbf/db3_cp1251.dbf";  // 3 records: NAME QTY BORN ...

struct FakeWindow : ImportRunWindow {
  FieldLinkTable links;
  std::string table = "T", source = kSource;
  bool deleteOld = false, seek = false;
  std::vector<std::string> labels, log, reasons, events;
  std::vector<MessageBoxRequest> boxes;
  int progressMax = -1, progress = -1;

  const FieldLinkTable& Links() override { return links; }
  std::string TableName() override { return table; }
  std::string SourcePath() override { return source; }
  bool DeleteOldData() override { return deleteOld; }
  bool SeekOldRecord() override { return seek; }
  void SetProgressMax(int max) override { progressMax = max; }
  void SetProgress(int position) override { progress = position; }
  void SetCounterLabel(const std::string& text) override { labels.push_back(text); }
  void ProcessEvents() override {}
  void AppendErrorLog(const std::string& entry, const std::string& reason) override {
    log.push_back(entry);
    reasons.push_back(reason);
  }
  void ShowErrorLog() override { events.push_back("log shown"); }
  MessageButton ShowMessage(const MessageBoxRequest& r) override {
    boxes.push_back(r);
    events.push_back("box");
    return kButtonOk;
  }
  void ShowBusy(const std::string& message) override { events.push_back("busy " + message); }
  void RunBlocking(const std::function<void()>& call) override { call(); }
  void HideBusy() override { events.push_back("busy hidden"); }
  void RunStarted() override { events.push_back("started"); }
  void RunEnded() override { events.push_back("ended"); }
};

// A database that records statements, fails those containing a marker and counts rows of a
// table held as a set of existence queries already answered.
struct FakeDatabase : ImportDatabase {
  std::vector<std::string> executed;
  std::string failWhenContains = "\x01";
  std::string loseWorkWhenContains = "\x01";  // fails and takes the open work with it
  std::string valueFaultWhenContains = "\x01";  // an existence query the record's values fail
  std::map<std::string, int> rows;              // existence query -> count

  struct LostWork : std::runtime_error {
    using std::runtime_error::runtime_error;
  };
  struct ValueFault : std::runtime_error {
    using std::runtime_error::runtime_error;
  };

  struct Statement : ImportStatement {
    FakeDatabase& db;
    std::string sql;
    explicit Statement(FakeDatabase& d) : db(d) {}
    void Execute(const std::string& text) override {
      sql = text;
      db.executed.push_back(text);
      if (text.find(db.failWhenContains) != std::string::npos)
        throw std::runtime_error("ORA-00942: table or view does not exist");
      if (text.find(db.loseWorkWhenContains) != std::string::npos)
        throw LostWork("ORA-02091: transaction rolled back");
    }
    std::string SqlText() const override { return sql + "\r\n"; }
  };
  std::unique_ptr<ImportStatement> NewStatement() override {
    return std::make_unique<Statement>(*this);
  }
  std::int32_t CountRows(const std::string& query) override {
    executed.push_back(query);
    if (query.find(valueFaultWhenContains) != std::string::npos)
      throw ValueFault("ORA-01704: string literal too long");
    return rows.count(query) ? rows[query] : 0;
  }
  bool LostOpenWork(const std::exception& error) const override {
    return dynamic_cast<const LostWork*>(&error) != nullptr;
  }
  bool RecordFault(const std::exception& error) const override {
    return dynamic_cast<const ValueFault*>(&error) != nullptr;
  }
  void Commit() override { executed.push_back("commit"); }
};

void Link(FieldLinkTable& links, int row, const std::string& column, const std::string& field,
          const std::string& proceed = "1") {
  if (links.RowCount() <= row) links.SetRowCount(row + 1);
  links.SetCell(0, row, column);
  links.SetCell(2, row, proceed);
  links.SetCell(3, row, field);
}

TEST(ImportRun, InsertsEveryRecordWithCountersAndSummary) {
  FakeWindow w;
  w.links.WriteHeader();
  Link(w.links, 1, "N", "name");
  Link(w.links, 2, "Q", "QTY");
  FakeDatabase db;
  SourceTable dbf;
  const auto result = RunImport(w, db, dbf);
  EXPECT_EQ(result.inserted, 3);
  EXPECT_EQ(w.labels, (std::vector<std::string>{"1/3/0/0", "2/3/0/0", "3/3/0/0"}));
  EXPECT_EQ(w.progressMax, 3);
  EXPECT_EQ(w.progress, 3);
  ASSERT_EQ(db.executed.size(), 3u);
  EXPECT_EQ(db.executed[2], "insert into T(N,Q) values ('ASCII only','')");
  ASSERT_EQ(w.boxes.size(), 1u);
  EXPECT_EQ(w.boxes[0].text, "Process finished\r\ninserted 3 record from 3 selected");
  EXPECT_EQ(w.events, (std::vector<std::string>{"started", "log shown", "box", "ended"}));
  EXPECT_FALSE(dbf.Active());
}

TEST(ImportRun, SeekOldRecordSkipsExistingRowsAndFailedInsertsAreLogged) {
  FakeWindow w;
  w.links.WriteHeader();
  Link(w.links, 1, "N", "NAME");
  w.seek = true;
  FakeDatabase db;
  db.rows["select * from T Where N='ASCII only'"] = 1;
  db.failWhenContains = Cp1251("Ёлкина");
  SourceTable dbf;
  const auto result = RunImport(w, db, dbf);
  EXPECT_EQ(result.inserted, 1);
  EXPECT_TRUE(result.errors);
  ASSERT_EQ(w.log.size(), 1u);
  EXPECT_EQ(w.log[0], "/2/insert into T(N) values ('" + Cp1251("Ёлкина").str() + "')\r\n");
  EXPECT_EQ(w.reasons, std::vector<std::string>{"ORA-00942: table or view does not exist"});
  EXPECT_EQ(w.boxes.back().text.rfind("Process finished with errors", 0), 0u);
}

// An existence query that the record's own values fail costs that record only; any other error
// of the query ends the run.
TEST(ImportRun, AnExistenceQueryFailingForTheRecordsValuesFailsThatRecordOnly) {
  FakeWindow w;
  w.links.WriteHeader();
  Link(w.links, 1, "N", "NAME");
  w.seek = true;
  FakeDatabase db;
  db.valueFaultWhenContains = Cp1251("Ёлкина");
  SourceTable dbf;
  const auto result = RunImport(w, db, dbf);
  EXPECT_EQ(result.inserted, 2);
  EXPECT_TRUE(result.errors);
  EXPECT_EQ(w.log, std::vector<std::string>{"/2/select * from T Where N='" +
                                            Cp1251("Ёлкина").str() + "'\r\n"});
  EXPECT_EQ(w.reasons, std::vector<std::string>{"ORA-01704: string literal too long"});
  EXPECT_EQ(db.executed.back(), "insert into T(N) values ('ASCII only')");

  FakeWindow ended;
  ended.links = w.links;
  ended.seek = true;
  struct Missing : FakeDatabase {
    std::int32_t CountRows(const std::string&) override {
      throw std::runtime_error("ORA-00942: table or view does not exist");
    }
  } missing;
  EXPECT_THROW(RunImport(ended, missing, dbf), std::runtime_error);
  EXPECT_TRUE(ended.log.empty());
}

// Values are shown in the regional formats but reach the server in the forms its session reads,
// numbers digit for digit: neither a decimal comma nor a month-first date changes what is stored.
TEST(ImportRun, ValuesGoInTheSessionsFormsWhateverTheRegionalSettings) {
  struct Case {
    std::string source;
    std::vector<std::string> fields;
    std::string firstInsert;
  };
  const Case cases[] = {
      {kSource,
       {"NAME", "QTY", "BORN"},
       "insert into T(F1,F2,F3) values ('" + Cp1251("Иванов Пётр").str() +
           "','12.5','31.12.1999')"},
      {TESTDATA_DIR "/dbf/vfp_cp1251.dbf",
       {"ID", "PRICE", "RATIO", "STAMP"},
       "insert into T(F1,F2,F3,F4) values ('1','1234.5678','3.14159','15.03.2024 13:45:30')"},
      {TESTDATA_DIR "/dbf/db3_numbers.dbf",
       {"WIDE", "HUGE", "MONEY"},
       "insert into T(F1,F2,F3) values ('123456789012345680','1234567890123456768','1234.5')"},
  };
  const RegionalFormats regional[] = {
      {',', "%d.%m.%Y", "%H:%M:%S"},
      {'.', "%m/%d/%Y", "%I:%M:%S %p"},
      {'\'', "%Y-%m-%d", "%H.%M.%S"},
  };
  for (const RegionalFormats& formats : regional) {
    SetRegionalFormats(formats);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.source + " with " + formats.shortDate);
      FakeWindow w;
      w.source = c.source;
      w.links.WriteHeader();
      for (std::size_t i = 0; i < c.fields.size(); ++i)
        Link(w.links, static_cast<int>(i) + 1, "F" + std::to_string(i + 1), c.fields[i]);
      FakeDatabase db;
      SourceTable dbf;
      RunImport(w, db, dbf);
      ASSERT_FALSE(db.executed.empty());
      EXPECT_EQ(db.executed[0], c.firstInsert);
      // Once the run is over the table shows its values for the eye again.
      dbf.Open();
      if (c.fields[2] == "BORN") {
        EXPECT_EQ(dbf.FieldByName("BORN").AsString(), FormatShortDate(1999, 12, 31));
      }
      dbf.Close();
    }
  }
  SetRegionalFormats({});
}

TEST(ImportRun, AFailureThatLosesTheOpenWorkFailsTheRecordsInsertedBeforeIt) {
  FakeWindow w;
  w.links.WriteHeader();
  Link(w.links, 1, "N", "NAME");
  w.seek = true;
  FakeDatabase db;
  db.rows["select * from T Where N='" + Cp1251("Ёлкина").str() + "'"] = 1;  // record 2 is there
  db.loseWorkWhenContains = "ASCII only";                                   // record 3
  SourceTable dbf;
  const auto result = RunImport(w, db, dbf);
  EXPECT_EQ(result.inserted, 0);
  EXPECT_TRUE(result.errors);
  // Record 1 went in and is gone with record 3; record 2 was never inserted by this run.
  ASSERT_EQ(w.log.size(), 2u);
  EXPECT_EQ(w.log[0], "/1/" + db.executed[1] + "\r\n");
  EXPECT_EQ(w.log[1], "/3/insert into T(N) values ('ASCII only')\r\n");
  EXPECT_EQ(w.boxes.back().text,
            "Process finished with errors \r\ninserted 0 record from 3 selected");
}

TEST(ImportRun, ValidationStopsBeforeAnythingHappens) {
  FakeWindow w;
  w.links.WriteHeader();
  Link(w.links, 1, "N", "NAME", "");
  w.deleteOld = true;
  FakeDatabase db;
  SourceTable dbf;
  EXPECT_FALSE(RunImport(w, db, dbf).started);
  EXPECT_TRUE(db.executed.empty());
  ASSERT_EQ(w.boxes.size(), 1u);
  EXPECT_EQ(w.events, std::vector<std::string>{"box"});
}

TEST(ImportRun, DeletionTriesTwiceThenReportsAndAnUnreadableSourceEndsTheRun) {
  FakeWindow w;
  w.links.WriteHeader();
  Link(w.links, 1, "N", "NAME");
  w.deleteOld = true;
  w.source = "/no/such/dir/x.dbf";
  FakeDatabase db;
  db.failWhenContains = "delete";
  SourceTable dbf;
  EXPECT_EQ(testing::ErrorText<std::runtime_error>([&] { RunImport(w, db, dbf); }),
            "not connect to /no/such/dir/x.dbf\r\ndbf: /no/such/dir: directory not found");
  EXPECT_EQ(db.executed, (std::vector<std::string>{"delete from T", "delete from \"T\""}));
  ASSERT_EQ(w.boxes.size(), 1u);
  EXPECT_EQ(w.boxes[0].text, "not executed query: delete from \"T\"\r\n");
  EXPECT_EQ(w.events.back(), "ended");
}

TEST(ImportRun, AnUnknownSourceFieldEndsTheRunAtThatRecord) {
  FakeWindow w;
  w.links.WriteHeader();
  Link(w.links, 1, "N", "NOPE");
  FakeDatabase db;
  SourceTable dbf;
  EXPECT_THROW(RunImport(w, db, dbf), std::runtime_error);
  EXPECT_TRUE(db.executed.empty());
  EXPECT_EQ(w.labels, std::vector<std::string>{"1/3/0/0"});
  EXPECT_EQ(w.events, (std::vector<std::string>{"started", "ended"}));
  EXPECT_FALSE(dbf.Active());
}

// A value that cannot be read fails its own record, logged with the field and the reason, before
// any statement is built for it; the other records go in.
TEST(ImportRun, AnUnreadableValueFailsItsOwnRecordAndTheRunGoesOn) {
  testing::TableLayout layout;
  layout.columns = {{"NAME", 'C', 5}, {"BORN", 'D', 8}};
  layout.records = {"Ann  20240101", "Bob  20031340", "Cid  20240103"};
  testing::ScratchFolder dir;
  for (bool seek : {false, true}) {
    FakeWindow w;
    w.seek = seek;
    w.source = dir.Write("dates.dbf", testing::TableImage(layout));
    w.links.WriteHeader();
    Link(w.links, 1, "N", "NAME");
    Link(w.links, 2, "B", "BORN");
    FakeDatabase db;
    SourceTable dbf;
    const auto result = RunImport(w, db, dbf);
    EXPECT_EQ(result.inserted, 2);
    EXPECT_TRUE(result.errors);
    EXPECT_EQ(w.log,
              std::vector<std::string>{"/2/not read: " + w.source +
                                       ": record 2, field BORN: invalid date '20031340'\r\n"});
    EXPECT_EQ(db.executed.size(), seek ? 4u : 2u);
    for (const std::string& sql : db.executed) EXPECT_EQ(sql.find("Bob"), std::string::npos);
    EXPECT_EQ(w.boxes.back().text,
              "Process finished with errors \r\ninserted 2 record from 3 selected");
  }
}

// A file shorter than its header says is read as far as it goes; a warning box after the summary
// says how many records the header gave and how many the file held.
TEST(ImportRun, AShortSourceIsImportedAsFarAsItGoesAndSaysSo) {
  testing::TableLayout layout;
  layout.columns = {{"NAME", 'C', 5}};
  layout.records = {"Ann", "Bob", "Cid"};
  layout.recordCount = 5;
  testing::ScratchFolder dir;
  FakeWindow w;
  w.source = dir.Write("short.dbf", testing::TableImage(layout));
  w.links.WriteHeader();
  Link(w.links, 1, "N", "NAME");
  FakeDatabase db;
  SourceTable dbf;
  const auto result = RunImport(w, db, dbf);
  EXPECT_EQ(result.inserted, 3);
  EXPECT_EQ(w.events, (std::vector<std::string>{"started", "log shown", "box", "box", "ended"}));
  ASSERT_EQ(w.boxes.size(), 2u);
  EXPECT_EQ(w.boxes[0].text, "Process finished\r\ninserted 3 record from 3 selected");
  EXPECT_EQ(w.boxes[1].text, w.source +
                                 " is shorter than its header says: the header gives 5 records, "
                                 "the file holds 3; only those were read.");
  EXPECT_EQ(w.boxes[1].caption, "source file");
  EXPECT_EQ(w.boxes[1].icon, MessageIcon::Warning);
}

// Characters code page 1251 lacks are counted and named by their first record and field, on a
// line of their own in the same box.
TEST(ImportRun, CharactersCodePage1251LacksAreReportedAfterTheRun) {
  testing::TableLayout layout;
  layout.languageDriver = 0x01;  // code page 437, where 0xE1 is a sharp s
  layout.columns = {{"NAME", 'C', 5}};
  layout.records = {"Ann", "B\xE1\xE1", "Cid", "\xE1"};
  layout.recordCount = 6;
  testing::ScratchFolder dir;
  FakeWindow w;
  w.seek = true;  // every value is read twice, and counted once
  w.source = dir.Write("sharp.dbf", testing::TableImage(layout));
  w.links.WriteHeader();
  Link(w.links, 1, "N", "NAME");
  Link(w.links, 2, "M", "NAME");
  FakeDatabase db;
  SourceTable dbf;
  RunImport(w, db, dbf);
  EXPECT_EQ(db.executed[3], "insert into T(N,M) values ('B\?\?','B\?\?')");
  ASSERT_EQ(w.boxes.size(), 2u);
  EXPECT_EQ(w.boxes[1].text, w.source +
                                 " is shorter than its header says: the header gives 6 records, "
                                 "the file holds 4; only those were read.\r\n"
                                 "characters with no equivalent in code page 1251 became \"?\": "
                                 "3, the first in record 2, field NAME.");
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

// The fixture's live records are Иванов (position 1), Ёлкина (3) and "ASCII only" (4); position 2
// carries the deletion mark.
TEST(ImportRun, LimitsChooseTheRecordsReadAndWhereTheRunStops) {
  const std::string ivanov = Cp1251("Иванов Пётр"), yolkina = Cp1251("Ёлкина");
  const std::string deleted = Cp1251("Удалённая запись");
  struct Case {
    const char* name;
    ImportRunLimits limits;
    std::string failOn, loseOn;
    bool stopAtOnce;
    std::vector<std::string> executed;  // the names inserted, and "commit"
    RunStop stop;
    std::int32_t skipped, read, inserted, rejected, deletedSkipped, notRead, committedThrough;
  };
  auto limits = [](std::int32_t skip, std::int32_t load, std::int32_t errors, std::int32_t every,
                   bool deleted = false) {
    ImportRunLimits l;
    l.skip = skip;
    l.load = load;
    l.errorLimit = errors;
    l.commitEvery = every;
    l.includeDeleted = deleted;
    l.stopWhenWorkLost = true;
    return l;
  };
  const Case cases[] = {
      {"all",
       limits(0, -1, -1, 0),
       "",
       "",
       false,
       {ivanov, yolkina, "ASCII only"},
       RunStop::kNone,
       0,
       3,
       3,
       0,
       1,
       0,
       0},
      {"deleted included",
       limits(0, -1, -1, 0, true),
       "",
       "",
       false,
       {ivanov, deleted, yolkina, "ASCII only"},
       RunStop::kNone,
       0,
       4,
       4,
       0,
       0,
       0,
       0},
      {"skip and load",
       limits(1, 1, -1, 0),
       "",
       "",
       false,
       {yolkina},
       RunStop::kNone,
       1,
       1,
       1,
       0,
       1,
       0,
       1},
      {"skip past the end",
       limits(5, -1, -1, 0),
       "",
       "",
       false,
       {},
       RunStop::kNone,
       3,
       0,
       0,
       0,
       1,
       0,
       3},
      {"error limit",
       limits(0, -1, 0, 0),
       ivanov,
       "",
       false,
       {ivanov},
       RunStop::kErrorLimit,
       0,
       1,
       0,
       1,
       1,
       2,
       0},
      {"error limit passed by the last record",
       limits(0, -1, 0, 0),
       "ASCII",
       "",
       false,
       {ivanov, yolkina, "ASCII only"},
       RunStop::kNone,
       0,
       3,
       2,
       1,
       1,
       0,
       0},
      {"commits, no error allowed and none made",
       limits(0, -1, 0, 2),
       "",
       "",
       false,
       {ivanov, yolkina, "commit", "ASCII only"},
       RunStop::kNone,
       0,
       3,
       3,
       0,
       1,
       0,
       2},
      {"work lost after a commit",
       limits(0, -1, -1, 1),
       "",
       "ASCII",
       false,
       {ivanov, "commit", yolkina, "commit", "ASCII only"},
       RunStop::kWorkLost,
       0,
       2,
       2,
       0,
       1,
       1,
       2},
      {"work lost before any commit",
       limits(0, -1, -1, 5),
       "",
       "ASCII",
       false,
       {ivanov, yolkina, "ASCII only"},
       RunStop::kWorkLost,
       0,
       2,
       0,
       0,
       1,
       1,
       0},
      {"interrupted",
       limits(1, -1, -1, 0),
       "",
       "",
       true,
       {},
       RunStop::kInterrupted,
       1,
       0,
       0,
       0,
       1,
       2,
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeWindow w;
    w.links.WriteHeader();
    Link(w.links, 1, "N", "NAME");
    FakeDatabase db;
    if (!c.failOn.empty()) db.failWhenContains = c.failOn;
    if (!c.loseOn.empty()) db.loseWorkWhenContains = c.loseOn;
    const std::atomic<bool> stop{c.stopAtOnce};
    ImportRunLimits l = c.limits;
    l.stop = &stop;
    SourceTable dbf;
    const ImportRunResult result = RunImport(w, db, dbf, l);
    std::vector<std::string> executed;
    for (const std::string& sql : db.executed) {
      const std::size_t quote = sql.find('\'');
      executed.push_back(quote == std::string::npos
                             ? sql
                             : sql.substr(quote + 1, sql.find('\'', quote + 1) - quote - 1));
    }
    EXPECT_EQ(executed, c.executed);
    EXPECT_EQ(result.stop, c.stop);
    EXPECT_EQ(
        (std::vector<std::int32_t>{result.skipped, result.read, result.inserted, result.rejected,
                                   result.deletedSkipped, result.notRead, result.committedThrough}),
        (std::vector<std::int32_t>{c.skipped, c.read, c.inserted, c.rejected, c.deletedSkipped,
                                   c.notRead, c.committedThrough}));
    EXPECT_EQ(w.events.back(), "ended");
  }
}

// Each rejected record is known by its position in the file, the column and value the message
// is about, and the message; records inserted and then lost with the open work count too.
TEST(ImportRun, RejectedRecordsAreKeptWithTheirPositionsAndReasons) {
  FakeWindow w;
  w.links.WriteHeader();
  Link(w.links, 1, "N", "NAME");
  w.seek = true;
  FakeDatabase db;
  db.rows["select * from T Where N='" + Cp1251("Иванов Пётр").str() + "'"] = 1;
  db.valueFaultWhenContains = Cp1251("Ёлкина");
  db.loseWorkWhenContains = "ASCII";
  SourceTable dbf;
  const ImportRunResult result = RunImport(w, db, dbf);
  EXPECT_EQ(result.present, 1);
  EXPECT_EQ(result.rejected, 2);
  ASSERT_EQ(result.rejectedRecords.size(), 2u);
  EXPECT_EQ(result.rejectedRecords[0].position, 3);
  EXPECT_EQ(result.rejectedRecords[0].message, "ORA-01704: string literal too long");
  EXPECT_EQ(result.rejectedRecords[1].position, 4);
  EXPECT_EQ(result.rejectedRecords[1].message, "ORA-02091: transaction rolled back");
}

}  // namespace
}  // namespace qm
