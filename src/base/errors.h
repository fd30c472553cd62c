#pragma once
// The one error type of the core. Text-to-number conversions and hex parsing
// throw it; every entry point from a front end catches it and hands the
// message to the host's general error report, so no exception ever crosses a
// GUI event loop.
#include <stdexcept>
#include <string>

namespace varnek {

class EConvertError : public std::runtime_error {
 public:
  explicit EConvertError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace varnek
