#pragma once
// A one-line file-name box with a browse button at its right end. The button opens the open-file
// dialog (title "Browse", all files, the box's text as the initial name and its folder as the
// initial one); afterwards OnAfterDialog receives the chosen path after OK, else the box's text.
// After OK, and unless the handler clears `accept`, the box's text becomes the chosen path as it
// was chosen.

#include <QWidget>
#include <functional>
#include <string>

class QLineEdit;
class QToolButton;

namespace qm {

class FilenameEdit : public QWidget {
  Q_OBJECT

 public:
  explicit FilenameEdit(QWidget* parent = nullptr);

  // Code page 1251 text of the box.
  std::string Text() const;
  void SetText(const std::string& text);

  // Runs the browse button's dialog.
  void Browse();

  std::function<void(std::string& name, bool& accept)> OnAfterDialog;

  QLineEdit* Edit() const { return edit_; }
  QToolButton* Button() const { return button_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QLineEdit* edit_;
  QToolButton* button_;
};

}  // namespace qm
