#pragma once
// TForm2, the import-errors window: a text area collecting the statements that failed, across all
// runs, with Close (hides it) and Save (writes its text to a file chosen in the save dialog). It
// lives as long as the program; nothing clears it.

#include <QWidget>
#include <cstddef>
#include <functional>
#include <string>

#include "platform/dialogs.h"

class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace qm {

class TForm2 : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kDefaultLogName = "Quillmove_err.log";

  explicit TForm2(QWidget* parent = nullptr);

  // Appends `text` (code page 1251) as one line, or as several where it holds line breaks.
  void AppendLine(const std::string& text);
  // The same, and resting the pointer on any of those lines shows `reason` (code page 1251), why
  // the entry failed, as a tool tip. The text, and so a saved log, holds only `text`.
  void AppendLine(const std::string& text, const std::string& reason);
  // The whole text of the area, lines ended by CR LF as the area holds them.
  std::string Text() const;
  // Shows the window without taking the input from the main window.
  void ShowErrors();

  // Close: hides the window; its text stays.
  void Button1Click();
  // Save: asks for a file name and writes the text there, replacing an existing file. Throws
  // std::runtime_error «Cannot create file "<name>". <reason>» when the file cannot be written.
  void Button2Click();

  // The records the last run rejected, offered by "Save rejected records…" in the text area's
  // context menu: `count` of them, written by `save` to the path it is given (it throws the
  // error to show when it cannot). The entry is disabled while there are none.
  void SetRejectedRecords(std::size_t count, std::function<void(const std::string&)> save);
  // Save rejected records…: asks for a .dbf file name and has the records written there.
  void SaveRejectedClick();
  // The text area's context menu: its own entries, then "Save rejected records…". The caller
  // owns it.
  QMenu* ContextMenu();
  // The save dialog's settings of that entry; its initial name is the last confirmed one.
  const FileDialogRequest& RejectedDialog() const { return rejectedDialog_; }

  QPlainTextEdit* Memo1() const { return memo1_; }
  // The save dialog's settings; its initial name is the last confirmed one.
  const FileDialogRequest& SD() const { return sd_; }

 private:
  QPlainTextEdit* memo1_;
  QPushButton* button1_;
  QPushButton* button2_;
  FileDialogRequest sd_;
  FileDialogRequest rejectedDialog_;
  std::size_t rejectedCount_ = 0;
  std::function<void(const std::string&)> saveRejected_;
};

}  // namespace qm
