#pragma once
// The core's texts are cp1252 byte strings; Qt's are Unicode.
#include <QString>
#include <string>

namespace varnek::gui {

QString ToQ(const std::string& cp1252);
// Characters cp1252 cannot hold become '?' (the edits' validator keeps the
// user from typing them in the first place).
std::string FromQ(const QString& text);

}  // namespace varnek::gui
