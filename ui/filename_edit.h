#pragma once
// A file-name box. Its button opens the open-file dialog (title "Browse", the box's filter, the
// box's text as the initial name and its folder as the initial one); afterwards OnAfterDialog
// receives the chosen path after OK, else the box's text. After OK, and unless the handler clears
// `accept`, the box's text becomes the chosen path exactly as chosen.

#include <functional>

#include "ui/browse_edit.h"

namespace qm {

class FilenameEdit : public BrowseEdit {
  Q_OBJECT

 public:
  static constexpr const char* kAllFilesFilter = "All files (*.*)|*.*";

  explicit FilenameEdit(QWidget* parent = nullptr) : BrowseEdit(parent) {}

  void SetFilter(std::string filter) { filter_ = std::move(filter); }
  void Browse() override;

  std::function<void(std::string& name, bool& accept)> OnAfterDialog;

 private:
  std::string filter_ = kAllFilesFilter;
};

}  // namespace qm
