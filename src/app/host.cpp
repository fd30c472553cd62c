#include "app/host.h"

#include <exception>

namespace varnek {

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
