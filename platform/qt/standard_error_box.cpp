#include "platform/qt/standard_error_box.h"

#include <QCoreApplication>

#include "platform/dialogs.h"
#include "platform/qt/qt_text.h"

namespace qm {

std::string StandardErrorBoxText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

void ShowStandardErrorBox(std::string_view message) {
  ShowMessage(StandardErrorBoxText(message), FromQString(QCoreApplication::applicationName()),
              MessageIcon::Stop, kButtonOk);
}

}  // namespace qm
