#pragma once
// Carries an error from the GUI thread back to the thread that handed it the
// work. Only the message crosses, copied on the GUI thread, and the error is
// thrown anew on the caller's side: sharing the exception object itself
// between threads relies on reference counts inside the C++ runtime that the
// thread sanitizer cannot see.
#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "base/errors.h"

namespace varnek {

struct CrossThreadError {
  enum class Kind { None, Convert, Other } kind = Kind::None;
  std::string message;

  static CrossThreadError Run(const std::function<void()>& work) {
    try {
      work();
      return {};
    } catch (const EConvertError& e) {
      return {Kind::Convert, e.what()};
    } catch (const std::exception& e) {
      return {Kind::Other, e.what()};
    } catch (...) {
      return {Kind::Other, "Unknown error"};
    }
  }

  void Rethrow() const {
    if (kind == Kind::Convert) throw EConvertError(message);
    if (kind == Kind::Other) throw std::runtime_error(message);
  }
};

}  // namespace varnek
