// The whole road through the main window against the embedded engine: table list, field links
// from the catalogue, Process data, table creation; rows checked through a second session.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/main_window.h"
#include "oracle/oracle_query.h"
#include "oracle/testing/connected_engine_test.h"
#include "platform/codepage.h"
#include "platform/regional_formats.h"
#include "platform/scripted_dialogs.h"
#include "platform/testing/scratch_folder.h"
#include "source/source_table.h"
#include "source/testing/test_tables.h"
#include "ui/filename_edit.h"
#include "ui/import_errors_window.h"

namespace qm {
namespace {

class MainWindowOnEngine : public testing::ConnectedEngineTest {
 protected:
  void SetUp() override {
    ConnectedEngineTest::SetUp();
    // The window's session exchanges code page 1251 and writes dates as the "D" code does.
    setenv("NLS_LANG", "AMERICAN_AMERICA.CL8MSWIN1251", 1);
    setenv("NLS_DATE_FORMAT", "DD.MM.RRRR", 1);
    // Day-first dates, which the "D" code reads.
    SetRegionalFormats({'.', "%d.%m.%Y", "%H:%M:%S"});
    Run({"create table PEOPLE (NAME varchar2(30), QTY number, BORN date, SRC varchar2(20))"});
    form_.SetErrorsWindow(&form2_);
    TOracleSession& s = form_.OracleSession1();
    s.SetLogonUsername("system");
    s.SetLogonPassword("manager");
    s.SetLogonDatabase("orcl");
    s.LogOn();
  }
  void TearDown() override {
    SetRegionalFormats({});
    form_.OracleSession1().SetConnected(false);
    ConnectedEngineTest::TearDown();
  }

  // The first column of the first row, through the fixture's own session.
  std::string Value(const std::string& sql) {
    TOracleQuery query;
    query.SetSession(&session_);
    query.SQL().Add(sql);
    query.Execute();
    return query.Eof() ? "<none>" : query.FieldAsString(0);
  }

  void ChooseTable(const QString& name) {
    form_.ComboBox1()->setCurrentIndex(form_.ComboBox1()->findText(name));
    form_.ComboBox1Change();
  }

  ScriptedDialogs dialogs_;
  TForm1 form_{VERSIONED_PROBE};
  TForm2 form2_;
};

TEST_F(MainWindowOnEngine, ImportsEveryRecordCommittedWhenTheSessionEnds) {
  form_.RefreshTableList();
  ASSERT_EQ(form_.ComboBox1()->count(), 1);
  EXPECT_EQ(form_.ComboBox1()->currentIndex(), -1);
  ChooseTable("PEOPLE");
  FieldLinkTable& links = form_.Links();
  ASSERT_EQ(links.RowCount(), 5);
  EXPECT_EQ(links.Cell(0, 3), "BORN");
  EXPECT_EQ(links.Cell(1, 3), "DATE");
  form_.Fillonetoone1Click();
  links.SetCell(3, 4, "");
  links.SetCell(4, 3, "D");
  links.SetCell(5, 4, "a'b,c");
  form_.FilenameEdit1()->SetText(TESTDATA_DIR "/dbf/db3_cp1251.dbf");

  form_.Button2Click();
  EXPECT_EQ(form_.Label6()->text(), "3/3/0/0");
  EXPECT_EQ(form_.ProgressBar1()->value(), 3);
  EXPECT_EQ(form_.ProgressBar1()->maximum(), 3);
  ASSERT_FALSE(dialogs_.messages.empty());
  EXPECT_EQ(dialogs_.messages.back().text, "Process finished\r\ninserted 3 record from 3 selected");
  EXPECT_EQ(dialogs_.messages.back().caption, "move data");
  EXPECT_TRUE(form2_.isVisible());
  EXPECT_EQ(form2_.Text(), "");
  EXPECT_EQ(Value("select count(*) from PEOPLE"), "0");  // nothing committed yet

  form_.OracleSession1().SetConnected(false);
  EXPECT_EQ(Value("select count(*) from PEOPLE"), "3");
  EXPECT_EQ(Value("select to_char(BORN, 'DD.MM.YYYY') from PEOPLE where NAME like '%' and QTY > 12"),
            "31.12.1999");
  EXPECT_EQ(Value("select SRC from PEOPLE where NAME like '%' and QTY > 12"), "a'b,c");

  // Again with "Seek old record": records equal in every column are skipped (a blank date went
  // in as 01.01.1900 through "D", so it matches), the one with an empty QTY as well, whose QTY is
  // looked for as NULL.
  form_.OracleSession1().LogOn();
  form_.Button2Click();
  EXPECT_EQ(dialogs_.messages.back().text, "Process finished\r\ninserted 0 record from 3 selected");
}

TEST_F(MainWindowOnEngine, AFailingInsertIsLoggedAndTheRunGoesOn) {
  form_.RefreshTableList();
  ChooseTable("PEOPLE");
  FieldLinkTable& links = form_.Links();
  links.SetCell(3, 1, "NAME");
  links.SetCell(3, 2, "NAME");  // text into a NUMBER column: ORA-01722
  links.SetCell(2, 3, "0");
  links.SetCell(2, 4, "0");
  form_.CheckBox2()->setChecked(false);
  form_.FilenameEdit1()->SetText(TESTDATA_DIR "/dbf/db3_cp1251.dbf");
  form_.Button2Click();
  EXPECT_EQ(dialogs_.messages.back().text.rfind("Process finished with errors", 0), 0u);
  EXPECT_EQ(form2_.Text().rfind("/1/insert into PEOPLE(NAME,QTY) values ('", 0), 0u);
  // The entry carries the server's reason, shown as its tool tip.
  const QTextBlock entry = form2_.Memo1()->document()->firstBlock();
  EXPECT_EQ(entry.begin().fragment().charFormat().toolTip().toStdString(),
            "ORA-01722: invalid number");

  // The errors window saves the run's rejected records as a table of the source's format.
  const testing::ScratchFolder scratch;
  dialogs_.fileAnswers.push_back(scratch.PathOf("rejected.dbf"));
  form2_.SaveRejectedClick();
  SourceTable bad;
  bad.SetTableName(scratch.PathOf("rejected.dbf"));
  bad.Open();
  EXPECT_EQ(bad.RecordCount(), 3);
  bad.SetRecNo(3);
  EXPECT_EQ(bad.FieldByName("NAME").AsString(), "ASCII only");
  bad.Close();
  EXPECT_TRUE(std::filesystem::exists(scratch.PathOf("rejected.dbt")));
  std::ifstream reasons(scratch.PathOf("rejected.reasons.txt"));
  std::string heading, first;
  std::getline(reasons, heading);
  std::getline(reasons, first);
  EXPECT_EQ(first, "1\t\t\tORA-01722: invalid number");
}

TEST_F(MainWindowOnEngine, WhileARunIsInProgressNothingElseCanStartAndTheWindowStays) {
  form_.RefreshTableList();
  ChooseTable("PEOPLE");
  form_.Fillonetoone1Click();
  form_.Links().SetCell(2, 3, "0");
  form_.Links().SetCell(2, 4, "0");
  form_.FilenameEdit1()->SetText(TESTDATA_DIR "/dbf/db3_cp1251.dbf");
  form_.show();
  bool enabledDuringRun = true, closedDuringRun = true;
  // Runs inside the run's event processing of its first record.
  QTimer::singleShot(0, [&] {
    enabledDuringRun = form_.Button2()->isEnabled() || form_.Button3()->isEnabled() ||
                       form_.ComboBox1()->isEnabled();
    closedDuringRun = form_.close();
  });
  form_.Button2Click();
  EXPECT_FALSE(enabledDuringRun);
  EXPECT_FALSE(closedDuringRun);
  EXPECT_TRUE(form_.isVisible());
  EXPECT_TRUE(form_.Button2()->isEnabled());
  EXPECT_FALSE(form_.Running());
}

TEST_F(MainWindowOnEngine, ProceedZeroEverywhereLogsEveryEmptyInsert) {
  form_.RefreshTableList();
  ChooseTable("PEOPLE");
  for (int r = 1; r < form_.Links().RowCount(); ++r) form_.Links().SetCell(2, r, "0");
  form_.CheckBox2()->setChecked(false);
  form_.FilenameEdit1()->SetText(TESTDATA_DIR "/dbf/db3_cp1251.dbf");
  form_.Button2Click();
  EXPECT_EQ(dialogs_.messages.back().text,
            "Process finished with errors \r\ninserted 0 record from 3 selected");
  EXPECT_EQ(form2_.Text().rfind("/1/insert into PEOPLE() values ()\r\n\r\n/2/", 0), 0u);
}

TEST_F(MainWindowOnEngine, WhatTheSourceCouldNotShowFollowsTheSummary) {
  testing::ScratchFolder dir;
  testing::TableLayout t;
  t.languageDriver = 0x01;  // code page 437
  t.columns = {{"NAME", 'C', 10}};
  t.records = {"Ivan", "Ol\xE1g"};
  t.recordCount = 3;
  const std::string source = dir.Write("cut.dbf", testing::TableImage(t));
  form_.RefreshTableList();
  ChooseTable("PEOPLE");
  form_.Links().SetCell(3, 1, "NAME");
  for (int r : {2, 3, 4}) form_.Links().SetCell(2, r, "0");
  form_.CheckBox2()->setChecked(false);
  form_.FilenameEdit1()->SetText(source);
  form_.Button2Click();
  ASSERT_GE(dialogs_.messages.size(), 2u);
  const auto& summary = dialogs_.messages[dialogs_.messages.size() - 2];
  EXPECT_EQ(summary.text, "Process finished\r\ninserted 2 record from 2 selected");
  EXPECT_EQ(dialogs_.messages.back().caption, "source file");
  EXPECT_EQ(dialogs_.messages.back().text,
            source +
                " is shorter than its header says: the header gives 3 records, the file "
                "holds 2; only those were read.\r\ncharacters with no equivalent in code page "
                "1251 became \"?\": 1, the first in record 2, field NAME.");
}

TEST_F(MainWindowOnEngine, TableCreationMakesTheTableAndRefreshesTheList) {
  testing::ScratchFolder dir;
  testing::TableLayout t;
  t.columns = {{"ID", 'N', 5}, {"NAME", 'C', 30}, {"BORN", 'D', 8}, {"AMOUNT", 'N', 10, 2}};
  t.records = {testing::Right("1", 5) + testing::Left("Ivan", 30) + "20030315" +
               testing::Right("12.50", 10)};
  form_.FilenameEdit1()->SetText(dir.Write("people2.dbf", testing::TableImage(t)));
  dialogs_.messageAnswers.push_back(kButtonYes);
  form_.SpeedButton4Click();
  EXPECT_EQ(form_.q().SQL().Text(),
            "create table people2 (ID Integer,NAME VarChar(31),BORN Date,AMOUNT VarChar(22))\r\n");
  EXPECT_NE(form_.ComboBox1()->findText("PEOPLE2"), -1);
  EXPECT_EQ(form2_.Text(), "");

  // The same again fails: the name is used; reported, logged, and the list still refreshed.
  dialogs_.messageAnswers.push_back(kButtonYes);
  form_.SpeedButton4Click();
  EXPECT_EQ(dialogs_.messages.back().text, "some error with created table");
  EXPECT_EQ(form2_.Text(), form_.q().SQL()[0] + "\r\n");
}

}  // namespace
}  // namespace qm
