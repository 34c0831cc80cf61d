#pragma once
// TLogOnForm: the logon window, and the password dialog's window, of the logon component
// (oracle/oracle_logon.h). It is the Qt side of LogonWindow: the component fills it, shows it and
// reads it back; the window itself only offers the history pop-up, puts the focus and takes
// Ctrl+Enter as OK. Places are those of a 120 pixels-per-inch design, scaled to the screen.
//
// InstallLogonWindow makes the logon component create these windows.

#include <QDialog>

#include "oracle/oracle_logon_window.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

namespace qm {

class TLogOnForm : public QDialog, public LogonWindow {
  Q_OBJECT

 public:
  explicit TLogOnForm(QWidget* parent = nullptr);

  void SetTitle(const std::string& title) override;
  void SetButtonCaptions(const std::string& ok, const std::string& cancel) override;
  void SetLabels(const std::string& username, const std::string& password,
                 const std::string& database, const std::string& connectAs) override;
  void UseAliasList(const std::vector<std::string>& aliases, int dropDownCount) override;
  void ShowHistoryButton(bool enabled, const std::string& hint) override;
  void HideDatabaseRow() override;
  void HideConnectAsRow() override;
  void MaskUsername() override;
  std::string Username() const override;
  void SetUsername(const std::string& text) override;
  std::string Password() const override;
  void SetPassword(const std::string& text) override;
  std::string Database() const override;
  void SetDatabase(const std::string& text) override;
  TConnectAsOption ConnectAs() const override;
  void SetConnectAs(TConnectAsOption mode) override;
  bool ShowModal(bool& ctrlHeld) override;

  // Rebuilds HistoryPopup from the process-wide history and opens it below HistoryBtn.
  void HistoryBtnClick();
  // Fills the boxes from the history entry at `index`.
  void HistoryClick(int index);

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void accept() override;

 private:
  // A length of the 120 pixels-per-inch design on this screen.
  int Scaled(int pixels) const;
  void Place(QWidget* widget, int left, int top, int width, int height) const;
  void Relayout();

  QFrame* buttonPanel_;
  QPushButton* okBtn_;
  QPushButton* cancelBtn_;
  QFrame* groupBox_;
  QLabel* label1_;
  QLineEdit* usernameEdit_;
  QToolButton* historyBtn_;
  QLabel* label2_;
  QLineEdit* passwordEdit_;
  QFrame* dbPanel_;
  QLabel* label3_;
  QLineEdit* databaseEdit_;
  QComboBox* aliasList_;
  QFrame* caPanel_;
  QLabel* label4_;
  QComboBox* connectAsList_;
  QMenu* historyPopup_;
  bool aliasListUsed_ = false;
  bool dbPanelShown_ = true;
  bool caPanelShown_ = true;
  bool ctrlHeld_ = false;
};

// Makes the logon component create TLogOnForm windows.
void InstallLogonWindow();

}  // namespace qm
