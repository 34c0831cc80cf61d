#include "platform/qt/window_caption.h"

#include <xcb/xcb.h>

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <cstring>

namespace qm {
namespace {

// Room the usual title bar takes besides the text: the window icon at the left and the minimise,
// maximise and close buttons at the right, with their spacing.
constexpr int kTitleBarDecoration = 110;

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection,
      xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  if (reply == nullptr) return XCB_ATOM_NONE;
  const xcb_atom_t atom = reply->atom;
  std::free(reply);
  return atom;
}

}  // namespace

bool ClearWindowSystemCaption(QWidget& window) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  // The offscreen platform offers the interface too, on a connection of its own.
  if (x11 == nullptr || QGuiApplication::platformName() != QStringLiteral("xcb") ||
      !window.isWindow() || !window.windowTitle().isEmpty())
    return false;
  xcb_connection_t* connection = x11->connection();
  const auto id = static_cast<xcb_window_t>(window.winId());
  const xcb_atom_t netName = Atom(connection, "_NET_WM_NAME");
  const xcb_atom_t utf8 = Atom(connection, "UTF8_STRING");
  if (netName != XCB_ATOM_NONE && utf8 != XCB_ATOM_NONE)
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, netName, utf8, 8, 0, "");
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      0, "");
  xcb_flush(connection);
  return true;
}

int CaptionWidth(const QWidget& window) {
  QFont font = window.font();
  font.setBold(true);
  return QFontMetrics(font).horizontalAdvance(window.windowTitle()) + kTitleBarDecoration;
}

}  // namespace qm
