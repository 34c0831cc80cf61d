#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include "app/application.h"
#include "app/link_addresses.h"
#include "platform/codepage.h"
#include "platform/scripted_dialogs.h"
#include "platform/testing/scratch_folder.h"
#include "ui/list_picker.h"
#include <QApplication>
#include <QListWidget>
#include <QTimer>
#include "platform/qt/qt_text.h"
#include "ui/field_link_grid.h"
#include "ui/filename_edit.h"
#include "ui/url_label.h"

namespace qm {
namespace {

TEST(MainWindow, CaptionCarriesTheFileVersion) {
  EXPECT_EQ(TForm1(VERSIONED_PROBE).windowTitle(), "Quillmove v1.0.0.1");
  EXPECT_EQ(TForm1(UNVERSIONED_PROBE).windowTitle(), "Quillmove v");
}

TEST(MainWindow, EveryControlStandsInItsPlaceWithItsText) {
  TForm1 form(VERSIONED_PROBE);
  const struct {
    const char* name;
    QRect geometry;
    QString text;
  } controls[] = {
      {"Button1", {8, 8, 57, 25}, "Connect"},
      {"Button4", {68, 8, 57, 25}, "Create"},
      {"Label4", {132, 4, 166, 13}, QString::fromUtf8("Обновления доступны по адресу")},
      {"RzURLLabel1", {300, 4, 104, 13}, {}},
      {"RzURLLabel2", {132, 20, 129, 13}, QString::fromUtf8("Помоги развитию пректа")},
      {"Label1", {8, 46, 75, 13}, "source DBF file "},
      {"FilenameEdit1", {86, 42, 295, 21}, {}},
      {"SpeedButton3", {382, 42, 23, 22}, ""},
      {"Label3", {10, 74, 49, 13}, "ORA table"},
      {"ComboBox1", {66, 70, 225, 21}, {}},
      {"SpeedButton4", {292, 70, 23, 22}, "+"},
      {"Label2", {8, 96, 43, 13}, "field links"},
      {"SpeedButton2", {334, 88, 43, 22}, "Save"},
      {"SpeedButton1", {380, 88, 23, 22}, "..."},
      {"SG", {8, 114, 397, 171}, {}},
      {"CheckBox1", {8, 294, 161, 17}, "Delete old data before insert"},
      {"CheckBox2", {8, 312, 163, 17}, "Seek old record"},
      {"Button2", {330, 290, 75, 25}, "Process data"},
      {"ProgressBar1", {10, 350, 311, 11}, {}},
      {"Label6", {12, 364, 17, 13}, "0\\0"},
      {"Button3", {332, 348, 75, 25}, "Close"},
  };
  for (const auto& c : controls) {
    auto* w = form.findChild<QWidget*>(QString::fromLatin1(c.name));
    ASSERT_NE(w, nullptr) << c.name;
    EXPECT_EQ(w->geometry(), c.geometry) << c.name;
    if (c.text.isNull()) continue;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      EXPECT_EQ(b->text(), c.text) << c.name;
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
      EXPECT_EQ(l->text(), c.text) << c.name;
    }
  }
  EXPECT_TRUE(form.Button4()->isHidden());
  EXPECT_FALSE(form.CheckBox1()->isChecked());
  EXPECT_TRUE(form.CheckBox2()->isChecked());
  EXPECT_FALSE(form.SpeedButton3()->icon().isNull());
  EXPECT_EQ(form.SpeedButton3()->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(form.ProgressBar1()->focusPolicy(), Qt::NoFocus);
  EXPECT_FALSE(form.Connected());
}

TEST(MainWindow, TabOrderFollowsTheLayout) {
  TForm1 form(VERSIONED_PROBE);
  // Walk the focus chain once round, noting each control of the window (not its inner parts).
  QStringList order;
  QWidget* w = form.Button1();
  do {
    QWidget* control = w;
    while (control->parentWidget() && control->parentWidget() != &form)
      control = control->parentWidget();
    if (control->parentWidget() == &form && (order.isEmpty() || order.back() != control->objectName()))
      order << control->objectName();
    w = w->nextInFocusChain();
  } while (w != form.Button1());
  // The progress bar has a place in the order but takes no focus, so Tab never stops there.
  const QStringList expected{"Button1", "FilenameEdit1", "SG",        "CheckBox1", "ComboBox1",
                             "Button2", "Button3",       "CheckBox2", "Button4"};
  QStringList focusable;
  for (const QString& name : order)
    if (expected.contains(name)) focusable << name;
  EXPECT_EQ(focusable.join(','), expected.join(','));
}

TEST(MainWindow, GridIsSetUpAndFillOneToOneWorksFromTheContextMenu) {
  TForm1 form(VERSIONED_PROBE);
  FieldLinkTable& links = form.Links();
  EXPECT_EQ(links.Cell(0, 0), "ORA field");
  EXPECT_EQ(links.Cell(5, 0), "Default value");
  const int widths[] = {59, 39, 19, 59, 59, 158};
  for (int c = 0; c < 6; ++c) EXPECT_EQ(form.SG()->columnWidth(c), widths[c]);

  links.SetRowCount(3);
  links.SetCell(0, 1, "ID");
  links.SetCell(0, 2, "NAME");
  ASSERT_EQ(form.SG()->ContextMenu()->actions().value(0), form.Fillonetoone1());
  EXPECT_EQ(form.Fillonetoone1()->text(), "Fill one to one");
  form.Fillonetoone1()->trigger();
  EXPECT_EQ(links.Cell(3, 1), "ID");
  EXPECT_EQ(links.Cell(3, 2), "NAME");
}

TEST(MainWindow, SelectingACellSelectsItsRow) {
  TForm1 form(VERSIONED_PROBE);
  form.Links().SetRowCount(4);
  EXPECT_EQ(form.Links().SelectedRow(), 0);
  form.SG()->setCurrentIndex(form.SG()->model()->index(1, 3));
  EXPECT_EQ(form.Links().SelectedRow(), 2);
}

TEST(MainWindow, LinkLabelsOpenTheirAddressesAndHideWithoutOne) {
  TForm1 form(VERSIONED_PROBE);
  // The program's own addresses come from the build; by default there are none, and nothing
  // of the machine that built it shows.
  EXPECT_EQ(form.RzURLLabel1()->isHidden(), QString::fromUtf8(kUpdateAddress).isEmpty());
  EXPECT_EQ(form.Label4()->isHidden(), QString::fromUtf8(kUpdateAddress).isEmpty());
  EXPECT_EQ(form.RzURLLabel2()->isHidden(), QString::fromUtf8(kDonateAddress).isEmpty());
  for (const QLabel* label : form.findChildren<QLabel*>())
    EXPECT_FALSE(label->text().contains(QStringLiteral("file:"))) << label->text().toStdString();

  form.SetLinkAddresses("https://example.org/updates", "https://example.org/donate");
  EXPECT_FALSE(form.Label4()->isHidden());
  EXPECT_FALSE(form.RzURLLabel1()->isHidden());
  EXPECT_FALSE(form.RzURLLabel2()->isHidden());
  QString opened;
  for (UrlLabel* label : {form.RzURLLabel1(), form.RzURLLabel2()})
    label->SetOpener([&](const QString& a) {
      opened = a;
      return true;
    });
  form.RzURLLabel1()->Open();
  EXPECT_EQ(opened, "https://example.org/updates");
  EXPECT_EQ(form.RzURLLabel1()->text(), "https://example.org/updates");
  form.RzURLLabel2()->Open();
  EXPECT_EQ(opened, "https://example.org/donate");

  form.SetLinkAddresses("", "");
  EXPECT_TRUE(form.Label4()->isHidden());
  EXPECT_TRUE(form.RzURLLabel1()->isHidden());
  EXPECT_TRUE(form.RzURLLabel2()->isHidden());
}

TEST(MainWindow, TheUpdateSentenceShowsWholeInItsDesignWidth) {
  const QFont platformFont = QApplication::font();
  QApplication::setFont(DesignFont(platformFont));
  TForm1 form(VERSIONED_PROBE);
  QApplication::setFont(platformFont);
  const QLabel* label = form.Label4();
  EXPECT_EQ(label->width(), 166);
  EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()),
            label->contentsRect().width());
}

TEST(MainWindow, ChoosingTheSourceFileSetsUpTheSourceTable) {
  ScriptedDialogs dialogs;
  TForm1 form(VERSIONED_PROBE);
  dialogs.fileAnswers.push_back("/home/u/My Data/people.dbf");
  form.FilenameEdit1()->Browse();
  EXPECT_EQ(form.FilenameEdit1()->Text(), "/home/u/My Data/people.dbf");
  EXPECT_EQ(form.dbf().DatabaseName(), "/home/u/My Data");
  EXPECT_EQ(form.dbf().TableName(), "people.dbf");
  // A cancelled dialog passes the box's text on.
  form.FilenameEdit1()->SetText("x.dbf");
  form.FilenameEdit1()->Browse();
  EXPECT_EQ(form.dbf().DatabaseName(), "");
  EXPECT_EQ(form.dbf().TableName(), "x.dbf");
}

TEST(MainWindow, FieldPickWritesThePickedNameIntoTheSelectedRow) {
  ScriptedDialogs dialogs;
  TForm1 form(VERSIONED_PROBE);
  form.Links().SetRowCount(3);
  form.SGDblClick();  // empty source file box: nothing is opened
  EXPECT_EQ(form.Links().Cell(3, 0), "DBF field");

  dialogs.fileAnswers.push_back(TESTDATA_DIR "/dbf/db3_cp1251.dbf");
  form.FilenameEdit1()->Browse();
  form.SG()->setCurrentIndex(form.SG()->model()->index(1, 0));
  QTimer::singleShot(0, [] {
    auto* picker = qobject_cast<TForm3*>(QApplication::activeModalWidget());
    ASSERT_NE(picker, nullptr);
    ASSERT_EQ(picker->ListBox1()->count(), 5);
    picker->ListBox1()->setCurrentRow(2);
    picker->ListBox1DblClick();
  });
  form.SGDblClick();
  EXPECT_EQ(form.Links().Cell(3, 2), "BORN");
  EXPECT_FALSE(form.dbf().Active());
}

TEST(MainWindow, PreviewOpensTheFileLastChosenNotATypedOne) {
  ScriptedDialogs dialogs;
  TForm1 form(VERSIONED_PROBE);
  dialogs.fileAnswers.push_back(TESTDATA_DIR "/dbf/db3_cp1251.dbf");
  form.FilenameEdit1()->Browse();
  form.FilenameEdit1()->SetText("/typed/but/never/chosen.dbf");
  int rows = -1;
  QTimer::singleShot(0, [&] {
    auto* preview = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(preview, nullptr);
    rows = preview->findChild<QTableView*>("DBGrid1")->model()->rowCount();
    preview->close();
  });
  form.SpeedButton3Click();
  EXPECT_EQ(rows, 3);
  EXPECT_FALSE(form.dbf().Active());
}

TEST(MainWindow, FieldLinksAreSavedAndLoadedThroughTheDialogs) {
  ScriptedDialogs dialogs;
  const testing::ScratchFolder scratch;
  const std::string path = scratch.PathOf("qm_links_test.ini");
  TForm1 form(VERSIONED_PROBE);
  form.Links().SetRowCount(2);
  form.Links().SetCell(0, 1, "ID");
  form.Links().SetCell(2, 1, "1");
  form.Links().SetCell(3, 1, "NUM");
  dialogs.fileAnswers.push_back(path);
  form.SpeedButton2Click();
  TForm1 other(VERSIONED_PROBE);
  dialogs.fileAnswers.push_back(path);
  other.SpeedButton1Click();
  EXPECT_EQ(other.Links().RowCount(), 2);
  EXPECT_EQ(other.Links().Cell(0, 1), "ID");
  EXPECT_EQ(other.Links().Cell(3, 1), "NUM");
}

}  // namespace
}  // namespace qm
