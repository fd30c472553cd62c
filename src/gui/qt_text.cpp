#include "gui/qt_text.h"

#include "base/cp1252.h"

namespace varnek::gui {

QString ToQ(const std::string& cp1252) {
  return QString::fromStdString(Cp1252ToUtf8(cp1252));
}

std::string FromQ(const QString& text) {
  return Utf8ToCp1252(text.toStdString());
}

}  // namespace varnek::gui
