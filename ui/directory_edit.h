#pragma once
// A folder box: its button opens the folder dialog at the box's text (a lone backslash when that
// names no existing folder); after OK the box holds the chosen folder.

#include "ui/browse_edit.h"

namespace qm {

class DirectoryEdit : public BrowseEdit {
  Q_OBJECT

 public:
  explicit DirectoryEdit(QWidget* parent = nullptr) : BrowseEdit(parent) {}
  void Browse() override;
};

}  // namespace qm
