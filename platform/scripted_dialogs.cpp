#include "platform/scripted_dialogs.h"

namespace qm {
namespace {
template <typename T>
T Take(std::deque<T>& queue, T fallback) {
  if (queue.empty()) return fallback;
  T answer = std::move(queue.front());
  queue.pop_front();
  return answer;
}
}  // namespace

ScriptedDialogs::ScriptedDialogs() : previous_(SetAppDialogs(this)) {}
ScriptedDialogs::~ScriptedDialogs() { SetAppDialogs(previous_); }

MessageButton ScriptedDialogs::ShowMessage(const MessageBoxRequest& request) {
  messages.push_back(request);
  return Take(messageAnswers, kButtonOk);
}

std::optional<std::string> ScriptedDialogs::OpenFile(const FileDialogRequest& request) {
  openRequests.push_back(request);
  return Take<std::optional<std::string>>(fileAnswers, std::nullopt);
}

std::optional<std::string> ScriptedDialogs::SaveFile(const FileDialogRequest& request) {
  saveRequests.push_back(request);
  return Take<std::optional<std::string>>(fileAnswers, std::nullopt);
}

std::optional<std::string> ScriptedDialogs::SelectFolder(const std::string& title,
                                                         const std::string&) {
  folderRequests.push_back(title);
  return Take<std::optional<std::string>>(folderAnswers, std::nullopt);
}

}  // namespace qm
