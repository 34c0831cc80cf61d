#pragma once
// Code page 1251 text to and from Qt's Unicode strings, where core text meets a window.

#include <QString>
#include <string>
#include <string_view>

namespace qm {

QString ToQString(std::string_view cp1251);
// Characters the code page lacks become '?'.
std::string FromQString(const QString& text);

}  // namespace qm
