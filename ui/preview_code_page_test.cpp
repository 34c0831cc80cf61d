// The preview's code-page box: it says which code page the text is read in and why, and reads
// the table again at once in the one the user picks.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QTableView>

#include "platform/testing/scratch_folder.h"
#include "source/source_table.h"
#include "source/testing/test_tables.h"
#include "ui/preview_window.h"

namespace qm {
namespace {

TEST(PreviewCodePage, ShowsTheChoiceAndRereadsInThePickedOne) {
  testing::ScratchFolder dir;
  testing::TableLayout t;
  t.languageDriver = 0x00;
  t.columns = {{"NAME", 'C', 12}};
  t.records = {testing::Left("\x88\xA2\xA0\xAD\xAE\xA2", 12)};  // "Иванов" in code page 866
  dir.Write("ru.dbf", testing::TableImage(t));
  SourceTable dbf;
  dbf.SetDatabaseName(dir.Path());
  dbf.SetTableName("ru.dbf");
  dbf.Open();
  TForm4 form(dbf);
  std::vector<std::string> told;
  form.OnCodePageChange = [&](const std::string& codePage) { told.push_back(codePage); };
  auto cell = [&] {
    QAbstractItemModel* model = form.DBGrid1()->model();
    return model->data(model->index(0, 0), Qt::DisplayRole).toString();
  };
  EXPECT_EQ(form.CodePage1()->currentText(), "as the file says");
  EXPECT_EQ(form.CodePageReason1()->text(),
            "code page CP1251: nothing names a code page (language driver 0x00, no .cpg file): "
            "code page 1251");
  EXPECT_NE(cell(), QString::fromUtf8("Иванов"));

  form.CodePage1()->setCurrentIndex(form.CodePage1()->findText("CP866"));
  emit form.CodePage1()->activated(form.CodePage1()->currentIndex());
  EXPECT_EQ(cell(), QString::fromUtf8("Иванов"));
  EXPECT_EQ(form.CodePageReason1()->text(), "code page CP866: given by the user");
  EXPECT_EQ(told, std::vector<std::string>{"CP866"});
  EXPECT_TRUE(dbf.Active());

  form.ChangeCodePage("");
  EXPECT_EQ(form.CodePage1()->currentText(), "as the file says");
  EXPECT_EQ(told.back(), "");
}

}  // namespace
}  // namespace qm
