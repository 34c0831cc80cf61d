#pragma once
// Naming and placing the controls of a window as they were designed: every control carries its
// component name as objectName (tests and the screenshot find it by that name), and a window laid
// out in pixels puts it at its design position and size, unscaled.

#include <QString>

namespace qm {

// Gives `widget` the object name `name` (Latin-1) and returns it.
template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// Names `widget` and sets its geometry to the design pixels; returns it.
template <typename W>
W* Place(W* widget, const char* name, int left, int top, int width, int height) {
  Named(widget, name)->setGeometry(left, top, width, height);
  return widget;
}

}  // namespace qm
