#include "ui/filename_edit.h"

#include <filesystem>

#include "platform/dialogs.h"

namespace qm {

void FilenameEdit::Browse() {
  FileDialogRequest request;
  request.title = "Browse";
  request.filter = filter_;
  request.initialName = Text();
  const std::filesystem::path current(request.initialName);
  std::error_code ec;
  if (current.has_parent_path() && std::filesystem::is_directory(current.parent_path(), ec))
    request.initialDir = current.parent_path().string();
  const auto chosen = AppDialogs().OpenFile(request);
  std::string name = chosen ? *chosen : Text();
  bool accept = chosen.has_value();
  if (OnAfterDialog) OnAfterDialog(name, accept);
  if (chosen && accept) SetText(name);
}

}  // namespace qm
