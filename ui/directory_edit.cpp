#include "ui/directory_edit.h"

#include <filesystem>

#include "platform/dialogs.h"

namespace qm {

void DirectoryEdit::Browse() {
  const std::string text = Text();
  std::error_code ec;
  const bool exists = !text.empty() && std::filesystem::is_directory(text, ec);
  if (const auto chosen = AppDialogs().SelectFolder("", exists ? text : std::string(1, '\\')))
    SetText(*chosen);
}

}  // namespace qm
