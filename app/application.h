#pragma once
// The application object. Its title is the executable's name without extension. An exception
// that escapes any event handler is shown in the standard error box and the event loop goes on.

#include <QApplication>

namespace qm {

class Application : public QApplication {
 public:
  Application(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace qm
