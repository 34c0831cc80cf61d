// The window's dry run ("Check data" in Process data's context menu) and the code page picked in
// the preview, on the embedded engine.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>
#include <cstdlib>
#include <set>

#include "app/main_window.h"
#include "oracle/oracle_query.h"
#include "oracle/testing/connected_engine_test.h"
#include "platform/codepage.h"
#include "platform/scripted_dialogs.h"
#include "platform/testing/scratch_folder.h"
#include "source/testing/test_tables.h"
#include "ui/filename_edit.h"
#include "ui/import_errors_window.h"
#include "ui/preview_window.h"

namespace qm {
namespace {

class WindowCheck : public testing::ConnectedEngineTest {
 protected:
  void SetUp() override {
    ConnectedEngineTest::SetUp();
    setenv("NLS_LANG", "AMERICAN_AMERICA.CL8MSWIN1251", 1);
    setenv("NLS_DATE_FORMAT", "DD.MM.RRRR", 1);
    Run({"create table CHK (NAME varchar2(6) not null)"});
    form_.SetErrorsWindow(&form2_);
    TOracleSession& s = form_.OracleSession1();
    s.SetLogonUsername("system");
    s.SetLogonPassword("manager");
    s.SetLogonDatabase("orcl");
    s.LogOn();
    form_.RefreshTableList();
    form_.ComboBox1()->setCurrentIndex(form_.ComboBox1()->findText("CHK"));
    form_.ComboBox1Change();
    form_.Fillonetoone1Click();
    form_.CheckBox2()->setChecked(false);
  }
  void TearDown() override {
    form_.OracleSession1().SetConnected(false);
    ConnectedEngineTest::TearDown();
  }

  // The records named by the check's entries of the import-errors window, or by the run's, with
  // the reason each carries.
  std::set<std::pair<int, std::string>> Entries(bool check) {
    std::set<std::pair<int, std::string>> entries;
    for (QTextBlock b = form2_.Memo1()->document()->firstBlock(); b.isValid(); b = b.next()) {
      const std::string text = b.text().toStdString();
      if (text.size() < 3 || text[0] != '/') continue;
      if ((text.find("/check ") != std::string::npos) != check) continue;
      entries.insert({std::stoi(text.substr(1)),
                      b.begin().fragment().charFormat().toolTip().toStdString()});
    }
    return entries;
  }

  ScriptedDialogs dialogs_;
  TForm1 form_{VERSIONED_PROBE};
  TForm2 form2_;
};

TEST_F(WindowCheck, ChecksDataAsTheRunWouldFindItAndWritesNothing) {
  EXPECT_EQ(form_.Button2()->contextMenuPolicy(), Qt::CustomContextMenu);
  EXPECT_EQ(form_.CheckData1()->text(), "Check data");
  form_.FilenameEdit1()->SetText(TESTDATA_DIR "/dbf/db3_cp1251.dbf");

  form_.CheckData1()->trigger();
  ASSERT_FALSE(dialogs_.messages.empty());
  EXPECT_EQ(dialogs_.messages.back().caption, "check data");
  EXPECT_EQ(dialogs_.messages.back().text.rfind(
                "3 records checked, 2 would be rejected, 1 would be loaded\r\n", 0),
            0u)
      << dialogs_.messages.back().text;
  EXPECT_EQ(form2_.Text().rfind(Cp1251("/1/check column NAME, value 'Иванов Пётр': ORA-12899: "
                                       "value too large for column \"SYSTEM\".\"CHK\".\"NAME\" "
                                       "(actual: 11, maximum: 6)\r\n")
                                    .str(),
                                0),
            0u)
      << Cp1251ToUtf8(form2_.Text());
  const auto predicted = Entries(true);
  EXPECT_EQ(predicted.size(), 2u);
  EXPECT_FALSE(form_.Running());

  form_.Button2Click();
  EXPECT_EQ(dialogs_.messages.back().text,
            "Process finished with errors \r\ninserted 1 record from 3 selected");
  std::set<std::pair<int, std::string>> got;
  for (const auto& [record, reason] : Entries(false)) {
    std::string trimmed = reason;
    while (!trimmed.empty() && (trimmed.back() == '\n' || trimmed.back() == '\r'))
      trimmed.pop_back();
    got.insert({record, trimmed});
  }
  EXPECT_EQ(predicted, got);
}

TEST_F(WindowCheck, TheCodePagePickedInThePreviewIsTheNextImports) {
  testing::ScratchFolder dir;
  testing::TableLayout t;
  t.languageDriver = 0x00;  // no code page named; the text is code page 866
  t.columns = {{"NAME", 'C', 6}};
  t.records = {"\x88\xA2\xA0\xAD\xAE\xA2"};  // "Иванов"
  const std::string source = dir.Write("ru.dbf", testing::TableImage(t));
  form_.FilenameEdit1()->SetText(source);
  std::string name = source;
  bool accept = true;
  form_.FilenameEdit1AfterDialog(name, accept);

  QTimer::singleShot(0, [] {
    auto* preview = qobject_cast<TForm4*>(QApplication::activeModalWidget());
    ASSERT_NE(preview, nullptr);
    preview->ChangeCodePage("CP866");
    preview->close();
  });
  form_.SpeedButton3Click();
  EXPECT_EQ(form_.ChosenCodePage(), "CP866");
  EXPECT_FALSE(form_.dbf().Active());

  form_.CheckData1()->trigger();
  EXPECT_EQ(dialogs_.messages.back().text.rfind("1 records checked, 0 would be rejected", 0), 0u)
      << dialogs_.messages.back().text;
  form_.Button2Click();
  EXPECT_EQ(dialogs_.messages.back().text, "Process finished\r\ninserted 1 record from 1 selected");
  TOracleQuery query;
  query.SetSession(&form_.OracleSession1());
  query.SQL().Add("select NAME from CHK");
  query.Execute();
  EXPECT_EQ(Cp1251ToUtf8(query.FieldAsString(0)), "Иванов");

  // Another file is read as it says.
  form_.FilenameEdit1()->SetText(TESTDATA_DIR "/dbf/db3_cp1251.dbf");
  form_.CheckData1()->trigger();
  EXPECT_EQ(form_.dbf().CodePageInUse().reason.rfind("the language driver", 0), 0u)
      << form_.dbf().CodePageInUse().reason;
}

}  // namespace
}  // namespace qm
