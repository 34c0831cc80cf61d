#pragma once
// The Dialogs interface on Qt's standard message box and file dialogs.

#include "platform/dialogs.h"

class QString;

namespace qm {

class QtDialogs : public Dialogs {
 public:
  MessageButton ShowMessage(const MessageBoxRequest& request) override;
  std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
  std::optional<std::string> SelectFolder(const std::string& title,
                                          const std::string& initialDir) override;
};

// "Text files (*.txt)|*.txt|All files (*.*)|*.*" in Qt's form "Text files (*.txt);;All files (*.*)".
QString QtFilter(const std::string& filter);

}  // namespace qm
