#include "platform/qt/qt_text.h"

#include "platform/codepage.h"

namespace qm {

QString ToQString(std::string_view cp1251) {
  QString out;
  out.reserve(static_cast<qsizetype>(cp1251.size()));
  for (char c : cp1251) out.append(QChar(static_cast<char16_t>(CodePointFromCp1251(c))));
  return out;
}

std::string FromQString(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (QChar c : text) out.push_back(Cp1251FromCodePoint(c.unicode()));
  return out;
}

}  // namespace qm
