#pragma once
// Runs a function when a scope ends, however it ends.

namespace varnek {

template <class F>
struct Finally {
  F f;
  ~Finally() { f(); }
};
template <class F>
Finally(F) -> Finally<F>;

}  // namespace varnek
