#include "base/host.h"

#include <exception>

namespace varnek {

void Host::ShowReport(const std::string& summary, const std::vector<std::string>& lines) {
  std::string text = summary;
  for (const std::string& line : lines)
    text += "\r" + line;
  ShowMessage(text);
}

bool Guarded(Host& host, const std::function<void()>& handler) {
  try {
    handler();
    return true;
  } catch (const std::exception& e) {
    host.ReportError(e.what());
  } catch (...) {
    host.ReportError("Unknown error");
  }
  return false;
}

}  // namespace varnek
