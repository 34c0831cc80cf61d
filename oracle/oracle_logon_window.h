#pragma once
// LogonWindow: what the logon dialog and the password dialog need of their window, so that the
// dialogs' logic runs without a screen. The Qt window (ui/logon_window.h) implements it; the
// program installs a factory for it with SetLogonWindowFactory, tests install a scripted one.
//
// A window starts with every row shown, the history button hidden, the Database row as a plain
// box and the connect-as list on "Normal". All texts are code page 1251.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "oracle/session_options.h"

namespace qm {

class LogonWindow {
 public:
  virtual ~LogonWindow() = default;

  virtual void SetTitle(const std::string& title) = 0;
  virtual void SetButtonCaptions(const std::string& ok, const std::string& cancel) = 0;
  // The labels of the user name, password, database and connect-as rows.
  virtual void SetLabels(const std::string& username, const std::string& password,
                         const std::string& database, const std::string& connectAs) = 0;
  // Replaces the Database box by an editable drop-down holding `aliases`, opening with
  // `dropDownCount` rows.
  virtual void UseAliasList(const std::vector<std::string>& aliases, int dropDownCount) = 0;
  // Shows the history button, enabled or not, with its hint; it offers the process-wide history.
  virtual void ShowHistoryButton(bool enabled, const std::string& hint) = 0;
  // Hide a row and shrink the window by its height.
  virtual void HideDatabaseRow() = 0;
  virtual void HideConnectAsRow() = 0;
  // The user name box shows "*" for each character (the password dialog's first box).
  virtual void MaskUsername() = 0;

  // The boxes. Database() is the drop-down's text when the alias list is used.
  virtual std::string Username() const = 0;
  virtual void SetUsername(const std::string& text) = 0;
  virtual std::string Password() const = 0;
  virtual void SetPassword(const std::string& text) = 0;
  virtual std::string Database() const = 0;
  virtual void SetDatabase(const std::string& text) = 0;
  virtual TConnectAsOption ConnectAs() const = 0;
  virtual void SetConnectAs(TConnectAsOption mode) = 0;

  // Shows the window modally: true when it closed with OK, and then `ctrlHeld` tells whether Ctrl
  // was held down at that moment.
  virtual bool ShowModal(bool& ctrlHeld) = 0;
};

using LogonWindowFactory = std::function<std::unique_ptr<LogonWindow>()>;

// Installs the factory the dialogs create their windows with; returns the previous one.
LogonWindowFactory SetLogonWindowFactory(LogonWindowFactory factory);
// A new window from the installed factory. Throws std::logic_error when none is installed.
std::unique_ptr<LogonWindow> CreateLogonWindow();

}  // namespace qm
