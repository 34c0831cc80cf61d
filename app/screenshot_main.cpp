// quillmove-screenshot OUT.png: draws the main window offscreen and saves it as a picture, for
// the README.

#include <QPixmap>
#include <cstdio>
#include <cstdlib>

#include "app/application.h"
#include "app/main_window.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/version_record.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quillmove-screenshot OUT.png\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qm::Application app(argc, argv);
  qm::QtDialogs dialogs;
  qm::SetAppDialogs(&dialogs);
  // The caption comes from the program's own record; this tool carries the same one.
  qm::TForm1 form1(qm::OwnExecutablePath());
  form1.show();
  app.processEvents();
  QPixmap shot = form1.grab();
  if (!shot.save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("%s: %s\n", argv[1], qPrintable(form1.windowTitle()));
  return 0;
}
