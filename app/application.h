#pragma once
// The application object. Its title is the executable's name without extension. An exception
// that escapes any event handler is shown in the standard error box and the event loop goes on.

#include <QApplication>
#include <QFont>

#include "oracle/busy_cursor.h"

namespace qm {

// The database's busy cursor as the screen's override cursor. Calls from other threads (a long
// call run behind the busy window) show nothing, since only the user-interface thread may touch
// the screen.
class QtBusyCursor : public BusyCursor {
 public:
  void Show(TCursor cursor) override;
  void Restore() override;
};

// The font every window is laid out for, built on `base` (the platform's default): a narrow
// sans serif of 11 pixels.
QFont DesignFont(const QFont& base);

// Also installs the busy cursor for its lifetime.
class Application : public QApplication {
 public:
  Application(int& argc, char** argv);
  ~Application() override;
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  QtBusyCursor busyCursor_;
};

}  // namespace qm
