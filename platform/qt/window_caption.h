#pragma once
// Captions of top-level windows exactly as set. Qt's X11 window system integration never hands
// an empty title to the window manager: it puts the application name there instead. A window
// whose caption is designed to be empty gets an empty title on the X server after it is shown.

class QWidget;

namespace qm {

// Makes the title of the shown top-level window `window` empty on the window system as well.
// On platforms other than X11 Qt's own handling of the empty title is left alone. Returns whether
// the title was written.
bool ClearWindowSystemCaption(QWidget& window);

// The width a message box needs so that the window manager's title bar shows `caption` whole:
// the caption in the bold title font, plus room for the title bar's icon and buttons.
int CaptionWidth(const QWidget& window);

}  // namespace qm
