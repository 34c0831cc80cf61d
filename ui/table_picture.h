#pragma once
// The small table picture of the preview button: a window frame with a blue title bar over a
// grid, with a greyed variant for the disabled state.

#include <QIcon>

namespace qm {

QIcon TablePictureIcon();

}  // namespace qm
