#include "app/application.h"

#include <QFont>
#include <QThread>

#include "platform/qt/standard_error_box.h"

namespace qm {

namespace {
// Every control is laid out for a narrow 8-point sans serif font of 11 pixels. Liberation Sans
// has the narrow metrics the layout needs; where it is missing, the platform's default family
// stands in.
constexpr int kFontPixelSize = 11;
constexpr const char* kFontFamily = "Liberation Sans";
}  // namespace

QFont DesignFont(const QFont& base) {
  QFont f = base;
  f.setFamilies({QString::fromLatin1(kFontFamily), base.family()});
  f.setPixelSize(kFontPixelSize);
  return f;
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  setFont(DesignFont(font()));
  SetAppBusyCursor(&busyCursor_);
}

Application::~Application() { SetAppBusyCursor(nullptr); }

namespace {
bool OnUiThread() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }
}  // namespace

void QtBusyCursor::Show(TCursor cursor) {
  if (!OnUiThread()) return;
  QGuiApplication::setOverrideCursor(cursor == crDefault ? Qt::ArrowCursor : Qt::WaitCursor);
}

void QtBusyCursor::Restore() {
  if (OnUiThread()) QGuiApplication::restoreOverrideCursor();
}

bool Application::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  RunHandler([&] { handled = QApplication::notify(receiver, event); });
  return handled;
}

}  // namespace qm
