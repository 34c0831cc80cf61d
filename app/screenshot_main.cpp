// quillmove-screenshot OUTDIR [SAMPLE.dbf]: shows the program's windows and saves them as
// pictures for the README and the notes under doc/: taken from the X server when run on one
// (QT_QPA_PLATFORM=xcb), drawn offscreen otherwise.

#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <chrono>

#include "app/application.h"
#include "app/main_window.h"
#include "import/import_statements.h"
#include "oracle/logon_texts.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/version_record.h"
#include "ui/busy_window.h"
#include "ui/create_window.h"
#include "ui/filename_edit.h"
#include "ui/import_errors_window.h"
#include "ui/list_picker.h"
#include "ui/logon_window.h"
#include "ui/preview_window.h"

namespace {

// On an X server the picture is what the server shows of the window; offscreen the window draws
// itself into it.
QPixmap Picture(QWidget& window) {
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) return window.grab();
  for (int i = 0; i < 20; ++i) {
    QApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return window.screen()->grabWindow(window.winId());
}

bool Save(QWidget& window, const std::string& dir, const char* name) {
  window.show();
  QApplication::processEvents();
  const std::string path = dir + "/" + name;
  if (!Picture(window).save(QString::fromStdString(path))) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("%s\n", path.c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: quillmove-screenshot OUTDIR [SAMPLE.dbf]\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qm::Application app(argc, argv);
  qm::QtDialogs dialogs;
  qm::SetAppDialogs(&dialogs);
  const std::string dir = argv[1];
  bool ok = true;

  qm::TForm1 form1(qm::OwnExecutablePath());
  ok &= Save(form1, dir, "main-window.png");

  qm::TForm2 form2;
  form2.resize(520, 200);
  form2.AppendLine("/2/insert into PEOPLE(ID,NAME) values ('2','x')\r\n");
  ok &= Save(form2, dir, "import-errors-window.png");

  qm::TForm3 form3;
  form3.SetItems({"ID", "NAME", "CITY", "BORN"});
  ok &= Save(form3, dir, "list-picker.png");

  // Filled in as the logon component fills it.
  qm::TLogOnForm logon;
  const qm::TLogonTexts& texts = qm::LogonTexts();
  logon.SetButtonCaptions(texts.ok, texts.cancel);
  logon.SetTitle("Logon");
  logon.SetLabels(texts.username, texts.password, texts.database, texts.connectAs);
  logon.SetUsername("demo");
  logon.SetDatabase("DEMO");
  ok &= Save(logon, dir, "logon-window.png");

  qm::TCreateForm create;
  ok &= Save(create, dir, "create-window.png");

  qm::ShowBusyWindow(qm::DeletionMessage("PEOPLE"), true);
  qm::RunWhileBusy([] { std::this_thread::sleep_for(std::chrono::seconds(2)); });
  ok &= Save(*qm::CurrentBusyWindow(), dir, "busy-window.png");
  qm::HideBusyWindow();

  if (argc == 3) {
    form1.FilenameEdit1()->SetText(argv[2]);
    std::string name = argv[2];
    bool accept = true;
    form1.FilenameEdit1AfterDialog(name, accept);
    form1.dbf().Open();
    qm::TForm4 preview(form1.dbf());
    preview.resize(640, 200);
    ok &= Save(preview, dir, "preview-window.png");
  }
  return ok ? 0 : 1;
}
