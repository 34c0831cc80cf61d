#pragma once
// The system's message boxes and common file dialogs, behind one small interface so that the
// logic that asks questions runs and is tested without a screen. All texts are code page 1251.
// Boxes have no owner window.

#include <optional>
#include <string>

namespace qm {

enum class MessageIcon { None, Information, Warning, Stop, Question };

// Buttons of a message box; also the answer it returns.
enum MessageButton : unsigned {
  kButtonOk = 1,
  kButtonCancel = 2,
  kButtonYes = 4,
  kButtonNo = 8,
};

struct MessageBoxRequest {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::None;
  unsigned buttons = kButtonOk;
};

struct FileDialogRequest {
  std::string title;
  std::string filter;  // "Description|pattern|Description|pattern", as the system writes filters
  std::string initialName;
  std::string initialDir;
  std::string defaultExt;  // without the dot; added to a name typed without an extension
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Shows a modal box and returns the button pressed (kButtonCancel when the box was closed
  // without one, where it has a Cancel button).
  virtual MessageButton ShowMessage(const MessageBoxRequest& request) = 0;
  // The chosen full path, or nothing when the user cancelled.
  virtual std::optional<std::string> OpenFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> SaveFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> SelectFolder(const std::string& title,
                                                  const std::string& initialDir) = 0;
};

// The dialogs the application uses: the Qt ones in the program, a scripted fake in tests.
// Never null once the program or a test has installed one.
Dialogs& AppDialogs();
// Installs `dialogs` (not owned) and returns the previous one.
Dialogs* SetAppDialogs(Dialogs* dialogs);

// Shorthand for a box with one OK button.
MessageButton ShowMessage(const std::string& text, const std::string& caption,
                          MessageIcon icon = MessageIcon::None, unsigned buttons = kButtonOk);

}  // namespace qm
