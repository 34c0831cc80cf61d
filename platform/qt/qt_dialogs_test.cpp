#include "platform/qt/qt_dialogs.h"

#include <xcb/xcb.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/qt/window_caption.h"

namespace qm {
namespace {

struct ShownBox {
  int width = 0;
  QString title;
  QString systemTitle;  // as the X server holds it; not read offscreen
};

// The title an X11 window has on the server.
QString ServerTitle(QWidget& window) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || QGuiApplication::platformName() != QStringLiteral("xcb"))
    return QStringLiteral("<offscreen>");
  xcb_connection_t* c = x11->connection();
  const char* name = "_NET_WM_NAME";
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  xcb_get_property_reply_t* reply = xcb_get_property_reply(
      c,
      xcb_get_property(c, 0, static_cast<xcb_window_t>(window.winId()), atom->atom,
                       XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
      nullptr);
  const QString title = QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply)),
                                          xcb_get_property_value_length(reply));
  std::free(reply);
  std::free(atom);
  return title;
}

// Shows a box through QtDialogs and notes how it looked once shown.
ShownBox Show(const std::string& text, const std::string& caption) {
  ShownBox shown;
  QTimer::singleShot(50, [&] {
    QMessageBox* box = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* b = qobject_cast<QMessageBox*>(w); b != nullptr && b->isVisible()) box = b;
    if (box == nullptr) {
      ADD_FAILURE() << "no box shown";
      QApplication::exit(1);
      return;
    }
    shown.width = box->width();
    shown.title = box->windowTitle();
    shown.systemTitle = ServerTitle(*box);
    box->accept();
  });
  QtDialogs().ShowMessage({text, caption, MessageIcon::Stop, kButtonOk});
  return shown;
}

TEST(QtDialogs, ABoxIsWideEnoughForItsCaptionInTheTitleBar) {
  QFont bold = QApplication::font();
  bold.setBold(true);
  const struct {
    std::string text, caption;
  } cases[] = {
      {"Not logged on.", "quillmove"},
      {"x", "a rather longer caption of a message box"},
      {std::string(120, 'w'), "short"},
  };
  for (const auto& c : cases) {
    const ShownBox shown = Show(c.text, c.caption);
    EXPECT_EQ(shown.title.toStdString(), c.caption);
    // The caption, the window icon and three title bar buttons.
    EXPECT_GE(shown.width,
              QFontMetrics(bold).horizontalAdvance(QString::fromStdString(c.caption)) + 100)
        << c.caption;
  }
}

TEST(QtDialogs, AnEmptyCaptionStaysEmptyOnTheWindowSystem) {
  const ShownBox shown = Show("", "");
  EXPECT_EQ(shown.title, QString());
  // Offscreen there is no window system title to look at; under X11 Qt alone would have put the
  // program's name there.
  if (shown.systemTitle != QStringLiteral("<offscreen>")) {
    EXPECT_EQ(shown.systemTitle.toStdString(), "");
  }
}

}  // namespace
}  // namespace qm
