#pragma once
// TForm3, the list picker, and PickFromList. Only a double-click on an item picks; the window has
// no buttons, and Enter and Escape do nothing. Closing it by its title bar picks nothing.

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;

namespace qm {

class TForm3 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm3(QWidget* parent = nullptr);

  void SetItems(const std::vector<std::string>& items);
  // The picked index, or -1.
  int PickResult() const { return pickResult_; }
  void ListBox1DblClick();

  QListWidget* ListBox1() const { return listBox1_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QListWidget* listBox1_;
  int pickResult_ = -1;
};

// Shows a new list picker modally with `items` (code page 1251) and returns the 0-based index of
// the item double-clicked, or -1 when the window was closed without a pick.
int PickFromList(const std::vector<std::string>& items);

}  // namespace qm
