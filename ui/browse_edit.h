#pragma once
// A one-line edit box with a browse button at its right end; subclasses say what the button does.

#include <QWidget>
#include <string>

class QLineEdit;
class QToolButton;

namespace qm {

class BrowseEdit : public QWidget {
  Q_OBJECT

 public:
  explicit BrowseEdit(QWidget* parent = nullptr);

  // Code page 1251 text of the box.
  std::string Text() const;
  void SetText(const std::string& text);

  // What the browse button does.
  virtual void Browse() = 0;

  QLineEdit* Edit() const { return edit_; }
  QToolButton* Button() const { return button_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QLineEdit* edit_;
  QToolButton* button_;
};

}  // namespace qm
