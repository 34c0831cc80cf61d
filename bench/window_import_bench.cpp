// The window's import as a whole process, to time beside the batch program on the same file:
// the main window (offscreen) logs on, takes the table and the field links, and runs Process data
// as the user's click does; the summary box is answered as shown. The session then ends, which
// commits, as the batch program's does. Prints the summary and the time from the click to it.
//
//   window_import_bench [--no-seek] USER/PASSWORD@DATABASE TABLE LINKS.ini SOURCE.dbf
//                       [OCIDLL=library]
//
// "Seek old record" is ticked unless --no-seek is given, as in the batch program.
// Run with QT_QPA_PLATFORM=offscreen. The client library is found as the program finds it (the
// OCIDLL= argument among them). Exit status 1 when the run did not insert every record.

#include <QCheckBox>
#include <QComboBox>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <string>

#include "app/application.h"
#include "app/main_window.h"
#include "import/field_link_file.h"
#include "platform/regional_formats.h"
#include "platform/scripted_dialogs.h"
#include "ui/filename_edit.h"
#include "ui/import_errors_window.h"

int main(int argc, char** argv) {
  const bool seek = !(argc > 1 && std::string(argv[1]) == "--no-seek");
  const int first = seek ? 1 : 2;
  if (argc < first + 4) {
    std::fprintf(stderr,
                 "usage: window_import_bench [--no-seek] USER/PASSWORD@DATABASE TABLE LINKS.ini "
                 "SOURCE.dbf [OCIDLL=library]\n");
    return 2;
  }
  const std::string logon = argv[first], table = argv[first + 1], links = argv[first + 2],
                    source = argv[first + 3];
  const auto slash = logon.find('/'), at = logon.find('@');
  if (slash == std::string::npos || at == std::string::npos || at < slash) {
    std::fprintf(stderr, "window_import_bench: the logon is USER/PASSWORD@DATABASE\n");
    return 2;
  }
  std::setlocale(LC_ALL, "");
  qm::LoadRegionalFormats();
  qm::Application app(argc, argv);
  qm::ScriptedDialogs dialogs;
  qm::SetAppDialogs(&dialogs);

  qm::TForm1 form(argv[0]);
  form.show();
  qm::TForm2 errors;
  form.SetErrorsWindow(&errors);
  qm::TOracleSession& session = form.OracleSession1();
  session.SetLogonUsername(logon.substr(0, slash));
  session.SetLogonPassword(logon.substr(slash + 1, at - slash - 1));
  session.SetLogonDatabase(logon.substr(at + 1));
  session.LogOn();
  form.RefreshTableList();
  const int index =
      form.ComboBox1()->findText(QString::fromStdString(table), Qt::MatchFixedString);
  if (index < 0) {
    std::fprintf(stderr, "window_import_bench: the schema has no table %s\n", table.c_str());
    return 2;
  }
  form.ComboBox1()->setCurrentIndex(index);
  form.ComboBox1Change();
  qm::LoadFieldLinks(form.Links(), links);
  form.FilenameEdit1()->SetText(source);
  form.CheckBox2()->setChecked(seek);

  const auto start = std::chrono::steady_clock::now();
  form.Button2Click();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  session.LogOff();

  const std::string summary = dialogs.messages.empty() ? "" : dialogs.messages.back().text;
  std::printf("%s\n%.3f s from the click to the summary\n", summary.c_str(), seconds);
  return summary.rfind("Process finished\r\n", 0) == 0 ? 0 : 1;
}
