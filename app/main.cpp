// Start-up: locale and regional formats, the application object, the main window, then the
// message loop until the main window closes.

#include <clocale>

#include "app/application.h"
#include "app/main_window.h"
#include "ui/import_errors_window.h"
#include "ui/logon_window.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/regional_formats.h"
#include "platform/version_record.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  qm::LoadRegionalFormats();
  // Qt switched LC_NUMERIC back to "C" is not an issue: the formats were read above.
  qm::Application app(argc, argv);
  qm::QtDialogs dialogs;
  qm::SetAppDialogs(&dialogs);
  qm::InstallLogonWindow();

  qm::TForm1 form1(qm::OwnExecutablePath());
  form1.show();
  qm::TForm2 form2;
  // The program ends when the main window closes, even with the error log still open.
  form2.setAttribute(Qt::WA_QuitOnClose, false);
  form1.SetErrorsWindow(&form2);
  return app.exec();
}
