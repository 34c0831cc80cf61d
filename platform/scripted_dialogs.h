#pragma once
// A Dialogs fake for tests: records every request and answers from queues the test fills.
// An empty queue answers OK / cancel. Installs itself for its lifetime.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace qm {

class ScriptedDialogs : public Dialogs {
 public:
  ScriptedDialogs();
  ~ScriptedDialogs() override;
  ScriptedDialogs(const ScriptedDialogs&) = delete;
  ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

  MessageButton ShowMessage(const MessageBoxRequest& request) override;
  std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
  std::optional<std::string> SelectFolder(const std::string& title,
                                          const std::string& initialDir) override;

  std::deque<MessageButton> messageAnswers;
  std::deque<std::optional<std::string>> fileAnswers;    // open and save dialogs
  std::deque<std::optional<std::string>> folderAnswers;

  std::vector<MessageBoxRequest> messages;
  std::vector<FileDialogRequest> openRequests;
  std::vector<FileDialogRequest> saveRequests;
  std::vector<std::string> folderRequests;

 private:
  Dialogs* previous_;
};

}  // namespace qm
