#include "platform/dialogs.h"

#include <stdexcept>

namespace qm {
namespace {
Dialogs* g_dialogs = nullptr;
}

Dialogs& AppDialogs() {
  if (!g_dialogs) throw std::logic_error("no dialogs installed");
  return *g_dialogs;
}

Dialogs* SetAppDialogs(Dialogs* dialogs) {
  Dialogs* previous = g_dialogs;
  g_dialogs = dialogs;
  return previous;
}

MessageButton ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                          unsigned buttons) {
  return AppDialogs().ShowMessage({text, caption, icon, buttons});
}

}  // namespace qm
