// Imports against the embedded engine under faults and load: a server that goes away in the
// middle of the run (every record is logged, as the rows inserted before went with the
// connection; the run ends with its summary; the session can still be ended), a disk that fills
// up in the middle of the run (the same, as the engine loses its open transaction), and a long
// run whose memory stays flat.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

#include "app/database_adapters.h"
#include "app/internal/console_import_window.h"
#include "import/field_link_table.h"
#include "oracle/e_oracle_error.h"
#include "oracle/oracle_dataset.h"
#include "oracle/oracle_query.h"
#include "oracle/testing/connected_engine_test.h"
#include "platform/testing/file_size_limit.h"
#include "platform/testing/scratch_folder.h"
#include "source/source_table.h"
#include "source/testing/test_tables.h"

namespace qm {
namespace {

constexpr int kRecords = 10;
constexpr int kLastReachable = 4;  // the server goes away once record 5 is under way

// The engine's switch, taken from the library the session loaded.
void SetServerReachable(bool reachable) {
  void* library = dlopen(OCILITE_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(library, nullptr);
  auto* set = reinterpret_cast<void (*)(int)>(dlsym(library, "ocilite_set_server_reachable"));
  ASSERT_NE(set, nullptr);
  set(reachable ? 1 : 0);
  dlclose(library);
}

// The command line's window, with the server going away as a given record starts.
class FailingServerWindow : public ConsoleImportWindow {
 public:
  using ConsoleImportWindow::ConsoleImportWindow;
  void SetProgress(int position) override {
    if (position == kLastReachable + 1) SetServerReachable(false);
    ConsoleImportWindow::SetProgress(position);
  }
};

class LostServerImport : public testing::ConnectedEngineTest {
 protected:
  void SetUp() override {
    ConnectedEngineTest::SetUp();
    Run({"create table PEOPLE (NAME varchar2(10))"});
    session_.Commit();
    testing::TableLayout layout;
    layout.columns = {{"NAME", 'C', 10}};
    for (int i = 1; i <= kRecords; ++i)
      layout.records.push_back(testing::Left("N" + std::to_string(i), 10));
    source_ = dir_.Write("people.dbf", testing::TableImage(layout));
    links_.WriteHeader();
    links_.SetRowCount(2);
    links_.SetCell(0, 1, "NAME");
    links_.SetCell(1, 1, "VARCHAR2");
    links_.SetCell(2, 1, "1");
    links_.SetCell(3, 1, "NAME");
    ods1_.SetSession(&session_);
  }
  void TearDown() override {
    SetServerReachable(true);
    ConnectedEngineTest::TearDown();
  }

  std::string Log() const {
    std::ifstream in(options_.logPath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  testing::ScratchFolder dir_;
  std::string source_;
  FieldLinkTable links_;
  TOracleDataSet ods1_;
  ConsoleImportOptions options_;
};

TEST_F(LostServerImport, EveryLaterInsertIsLoggedAndTheRunEndsWithItsSummary) {
  options_ = {source_, "PEOPLE", dir_.Path() + "/err.log", false, false};
  std::FILE* out = std::tmpfile();
  FailingServerWindow window(options_, links_, out, out, false);
  SessionImportDatabase database(session_, ods1_);
  SourceTable dbf;

  const ImportRunResult result = RunImport(window, database, dbf);

  // The rows inserted before the connection went are gone with it: every record failed.
  EXPECT_EQ(result.total, kRecords);
  EXPECT_EQ(result.inserted, 0);
  EXPECT_TRUE(result.errors);
  EXPECT_EQ(window.LoggedEntries(), kRecords);
  const std::string log = Log();
  for (int i = 1; i <= kRecords; ++i)
    EXPECT_NE(log.find("/" + std::to_string(i) + "/insert into PEOPLE"), std::string::npos) << log;
  std::rewind(out);
  std::string printed(4096, '\0');
  printed.resize(std::fread(printed.data(), 1, printed.size(), out));
  std::fclose(out);
  EXPECT_NE(printed.find("inserted 0 record from 10 selected"), std::string::npos) << printed;

  // Ending the session reports the lost connection once; the next attempt lets it go.
  try {
    session_.LogOff();
    ADD_FAILURE() << "the session ended on a lost connection";
  } catch (const EOracleError& e) {
    EXPECT_EQ(e.ErrorCode(), 3114) << e.what();
  }
  EXPECT_NO_THROW(session_.LogOff());

  // The uncommitted rows went with the connection; the database itself is whole.
  SetServerReachable(true);
  session_.LogOn();
  TOracleQuery count;
  count.SetSession(&session_);
  count.SQL().Add("select count(*) from PEOPLE");
  count.Execute();
  EXPECT_EQ(count.FieldAsInteger(0), 0);
}

TEST_F(LostServerImport, AFailingExistenceCheckEndsTheRunWithTheServersError) {
  options_ = {source_, "PEOPLE", dir_.Path() + "/err.log", false, true};
  std::FILE* out = std::tmpfile();
  FailingServerWindow window(options_, links_, out, out, false);
  SessionImportDatabase database(session_, ods1_);
  SourceTable dbf;

  try {
    RunImport(window, database, dbf);
    ADD_FAILURE() << "the run went on without its existence check";
  } catch (const EOracleError& e) {
    EXPECT_EQ(e.ErrorCode(), 3113) << e.what();
  }
  std::fclose(out);
  EXPECT_FALSE(dbf.Active());
  EXPECT_FALSE(ods1_.Active());
  EXPECT_THROW(session_.LogOff(), EOracleError);
  EXPECT_NO_THROW(session_.LogOff());
}

// A log that fills up part-way says how many entries it holds, not how many were meant.
TEST(ConsoleErrorLog, ALogThatCouldNotBeWrittenInFullSaysHowManyEntriesItHolds) {
  testing::ScratchFolder dir;
  ConsoleImportOptions options;
  options.logPath = dir.Path() + "/err.log";
  FieldLinkTable links;
  std::FILE* out = std::tmpfile();
  ConsoleImportWindow window(options, links, out, out, false);
  const std::string entry = "/1/insert into T(A) values ('" + std::string(40, 'x') + "')\r\n";
  {
    testing::FileSizeLimit limit(3 * (entry.size() + 30));
    for (int i = 0; i < 10; ++i) window.AppendErrorLog(entry, "ORA-01722: invalid number\n");
  }
  window.ShowErrorLog();
  EXPECT_EQ(window.LoggedEntries(), 10);
  EXPECT_EQ(window.WrittenEntries(), 3);
  std::rewind(out);
  std::string printed(4096, '\0');
  printed.resize(std::fread(printed.data(), 1, printed.size(), out));
  std::fclose(out);
  EXPECT_EQ(printed, "cannot write the error log " + options.logPath + ": File too large\n10 " +
                         "failed statement(s); the error log " + options.logPath +
                         " holds only 3 of them\n");
  std::ifstream in(options.logPath, std::ios::binary);
  std::stringstream log;
  log << in.rdbuf();
  EXPECT_EQ(log.str().rfind(entry + "ORA-01722: invalid number\r\n\r\n" + entry, 0), 0u);
}

// The command line's window keeping its log in memory, as every file of the process is held
// to a size limit while the run goes on.
class MemoryLogWindow : public ConsoleImportWindow {
 public:
  using ConsoleImportWindow::ConsoleImportWindow;
  void AppendErrorLog(const std::string& entry, const std::string&) override {
    entries.push_back(entry);
  }
  std::vector<std::string> entries;
};

TEST_F(LostServerImport, OnAFillingDiskEveryLostRecordIsLoggedAndNoneIsClaimed) {
  constexpr int kMany = 12'000;  // more than the engine's page cache holds
  Run({"create table BIG (T varchar2(250))"});
  session_.Commit();
  testing::TableLayout layout;
  layout.columns = {{"T", 'C', 250}};
  for (int i = 1; i <= kMany; ++i)
    layout.records.push_back(testing::Left(std::string(240, 'x') + std::to_string(i), 250));
  links_.SetCell(0, 1, "T");
  links_.SetCell(3, 1, "T");
  options_ = {dir_.Write("big.dbf", testing::TableImage(layout)), "BIG", dir_.Path() + "/err.log",
              false, false};
  std::FILE* out = std::tmpfile();
  MemoryLogWindow window(options_, links_, out, out, false);
  SessionImportDatabase database(session_, ods1_);
  SourceTable dbf;
  std::uintmax_t largest = 0;
  for (const auto& entry : std::filesystem::directory_iterator(home_))
    largest = std::max(largest, entry.file_size());

  ImportRunResult result;
  {
    qm::testing::FileSizeLimit limit(largest + (1 << 20));
    result = RunImport(window, database, dbf);
  }

  EXPECT_EQ(result.inserted, 0);
  EXPECT_TRUE(result.errors);
  ASSERT_EQ(window.entries.size(), static_cast<std::size_t>(kMany));
  for (int i = 1; i <= kMany; ++i)
    ASSERT_EQ(window.entries[i - 1].rfind("/" + std::to_string(i) + "/insert into BIG", 0), 0u)
        << window.entries[i - 1];
  std::rewind(out);
  std::string printed(4096, '\0');
  printed.resize(std::fread(printed.data(), 1, printed.size(), out));
  std::fclose(out);
  EXPECT_NE(printed.find("inserted 0 record from 12000 selected"), std::string::npos) << printed;

  // The end of the session says once more that its transaction was rolled back.
  try {
    session_.LogOff();
    ADD_FAILURE() << "the session ended as if its work were stored";
  } catch (const EOracleError& e) {
    EXPECT_EQ(e.ErrorCode(), 2091) << e.what();
  }
  session_.LogOff();
  session_.LogOn();
  TOracleQuery count;
  count.SetSession(&session_);
  count.SQL().Add("select count(*) from BIG");
  count.Execute();
  EXPECT_EQ(count.FieldAsInteger(0), 0);
}

// The resident set of this process in bytes.
long ResidentBytes() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

// The command line's window, noting the resident set as given records start.
class MeasuringWindow : public ConsoleImportWindow {
 public:
  using ConsoleImportWindow::ConsoleImportWindow;
  void SetProgress(int position) override {
    if (position == 10'000) early = ResidentBytes();
    if (position == 100'000) late = ResidentBytes();
    ConsoleImportWindow::SetProgress(position);
  }
  long early = 0, late = 0;
};

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;  // freed memory is held back in quarantine
#else
constexpr bool kSanitized = false;
#endif

TEST_F(LostServerImport, AHundredThousandRecordsRunInFlatMemory) {
  if (kSanitized) GTEST_SKIP() << "the address sanitizer keeps freed memory";
  testing::TableLayout layout;
  layout.columns = {{"NAME", 'C', 10}};
  for (int i = 1; i <= 100'000; ++i)
    layout.records.push_back(testing::Left("N" + std::to_string(i), 10));
  options_ = {dir_.Write("many.dbf", testing::TableImage(layout)), "PEOPLE",
              dir_.Path() + "/err.log", false, false};
  std::FILE* out = std::tmpfile();
  MeasuringWindow window(options_, links_, out, out, false);
  SessionImportDatabase database(session_, ods1_);
  SourceTable dbf;

  const ImportRunResult result = RunImport(window, database, dbf);
  std::fclose(out);

  EXPECT_EQ(result.inserted, 100'000);
  TOracleQuery count;
  count.SetSession(&session_);
  count.SQL().Add("select count(*), max(NAME) from PEOPLE");
  count.Execute();
  EXPECT_EQ(count.FieldAsInteger(0), 100'000);
  EXPECT_EQ(count.FieldAsString(1), "N99999");
  ASSERT_GT(window.early, 0);
  // What grows is the engine's page cache, which is bounded; nothing is kept per record.
  EXPECT_LT(window.late - window.early, 8L << 20)
      << "from " << window.early << " to " << window.late << " bytes";
}

}  // namespace
}  // namespace qm
