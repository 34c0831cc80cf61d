#pragma once
// TCreateForm, the create window: the input of the tablespace-and-user script (tablespace name and
// folder, user name and password, script file), with Create and Cancel. Shown modally; Cancel
// closes it. What Create does is given to it by its owner through OnCreate.

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;

namespace qm {

class DirectoryEdit;
class FilenameEdit;

class TCreateForm : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kScriptFilter = "All files (*.*)|*.*|Script file |*.sql";

  explicit TCreateForm(QWidget* parent = nullptr);

  QLineEdit* Edit3() const { return edit3_; }  // tablespace name
  QLineEdit* Edit4() const { return edit4_; }  // user name
  QLineEdit* Edit5() const { return edit5_; }  // user password, shown in clear
  DirectoryEdit* DirectoryEdit1() const { return directoryEdit1_; }
  FilenameEdit* FilenameEdit1() const { return filenameEdit1_; }
  QPushButton* Button1() const { return button1_; }
  QPushButton* Button2() const { return button2_; }

  void Button1Click() { close(); }
  std::function<void(TCreateForm&)> OnCreate;

 private:
  QLineEdit* edit3_;
  QLineEdit* edit4_;
  QLineEdit* edit5_;
  DirectoryEdit* directoryEdit1_;
  FilenameEdit* filenameEdit1_;
  QPushButton* button1_;
  QPushButton* button2_;
};

}  // namespace qm
