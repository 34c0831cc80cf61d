#include "ui/create_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/qt/standard_error_box.h"
#include "ui/directory_edit.h"
#include "ui/filename_edit.h"
#include "ui/widget_placement.h"

namespace qm {
namespace {

void AddLabel(QWidget* parent, const char* name, const char* text, int left, int top, int width) {
  // Labels size themselves to their text, keeping their place.
  Place(new QLabel(QString::fromLatin1(text), parent), name, left, top, width, 13)->adjustSize();
}

}  // namespace

TCreateForm::TCreateForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("CreateForm"));
  setWindowTitle(QStringLiteral("Create new"));
  resize(258, 199);  // outer 266 x 226
  AddLabel(this, "Label3", "New Tablespace name", 6, 10, 110);
  edit3_ = Place(new QLineEdit(this), "Edit3", 122, 6, 129, 21);
  AddLabel(this, "Label7", "New Tablepace path", 6, 32, 100);
  directoryEdit1_ = Place(new DirectoryEdit(this), "DirectoryEdit1", 18, 50, 233, 21);
  AddLabel(this, "Label4", "New User name", 6, 80, 76);
  edit4_ = Place(new QLineEdit(this), "Edit4", 86, 76, 121, 21);
  AddLabel(this, "Label5", "New User psw", 6, 104, 69);
  edit5_ = Place(new QLineEdit(this), "Edit5", 86, 100, 121, 21);
  AddLabel(this, "Label6", "Script file", 6, 130, 43);
  filenameEdit1_ = Place(new FilenameEdit(this), "FilenameEdit1", 58, 126, 191, 21);
  filenameEdit1_->SetFilter(kScriptFilter);
  filenameEdit1_->SetText("create.sql");
  button2_ = Place(new QPushButton(QStringLiteral("Create"), this), "Button2", 90, 160, 75, 25);
  button1_ = Place(new QPushButton(QStringLiteral("Cancel"), this), "Button1", 174, 160, 75, 25);
  button2_->setAutoDefault(false);
  button1_->setAutoDefault(false);

  QWidget* order[] = {edit3_, edit4_, edit5_, filenameEdit1_, button1_, button2_, directoryEdit1_};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

  connect(button1_, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(button2_, &QPushButton::clicked, this, Guarded([this](bool) {
            if (OnCreate) OnCreate(*this);
          }));
}

}  // namespace qm
