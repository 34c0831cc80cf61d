#pragma once
// A logon window for tests: it records what it held each time it was shown and answers from a
// queue of scripted user answers shared by all windows of a test (an empty queue cancels).

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "oracle/oracle_logon_window.h"

namespace qm {

// What a window held when it was shown.
struct Showing {
  std::string title;
  std::string username;
  std::string password;
  std::string database;
  bool databaseRow = true;
  bool connectAsRow = true;
  bool aliasList = false;
  bool historyButton = false;
  bool historyEnabled = false;
};

// A user's answer to one showing: fill the boxes, then OK (true) or Cancel (false).
struct Answer {
  bool ok = true;
  std::optional<std::string> username;
  std::optional<std::string> password;
  std::optional<std::string> database;
  TConnectAsOption connectAs = caNormal;
  bool ctrlHeld = false;
};

// Windows that answer from one queue shared by all windows of a test; an empty queue cancels.
struct WindowScript {
  std::deque<Answer> answers;
  std::vector<Showing> shown;
};

class ScriptedLogonWindow : public LogonWindow {
 public:
  explicit ScriptedLogonWindow(WindowScript& script) : script_(script) {}

  void SetTitle(const std::string& title) override { state_.title = title; }
  void SetButtonCaptions(const std::string&, const std::string&) override {}
  void SetLabels(const std::string&, const std::string&, const std::string&,
                 const std::string&) override {}
  void UseAliasList(const std::vector<std::string>&, int) override { state_.aliasList = true; }
  void ShowHistoryButton(bool enabled, const std::string&) override {
    state_.historyButton = true;
    state_.historyEnabled = enabled;
  }
  void HideDatabaseRow() override { state_.databaseRow = false; }
  void HideConnectAsRow() override { state_.connectAsRow = false; }
  void MaskUsername() override {}
  std::string Username() const override { return state_.username; }
  void SetUsername(const std::string& text) override { state_.username = text; }
  std::string Password() const override { return state_.password; }
  void SetPassword(const std::string& text) override { state_.password = text; }
  std::string Database() const override { return state_.database; }
  void SetDatabase(const std::string& text) override { state_.database = text; }
  TConnectAsOption ConnectAs() const override { return connectAs_; }
  void SetConnectAs(TConnectAsOption mode) override { connectAs_ = mode; }

  bool ShowModal(bool& ctrlHeld) override {
    script_.shown.push_back(state_);
    if (script_.answers.empty()) return false;
    const Answer answer = script_.answers.front();
    script_.answers.pop_front();
    if (answer.username) state_.username = *answer.username;
    if (answer.password) state_.password = *answer.password;
    if (answer.database) state_.database = *answer.database;
    connectAs_ = answer.connectAs;
    ctrlHeld = answer.ctrlHeld;
    return answer.ok;
  }

 private:
  WindowScript& script_;
  Showing state_;
  TConnectAsOption connectAs_ = caNormal;
};

inline Answer Ok(std::string user, std::string password, std::string database = "orcl") {
  Answer answer;
  answer.username = std::move(user);
  answer.password = std::move(password);
  answer.database = std::move(database);
  return answer;
}
inline Answer Cancel() {
  Answer answer;
  answer.ok = false;
  return answer;
}

}  // namespace qm
