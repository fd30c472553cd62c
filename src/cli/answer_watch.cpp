#include "cli/answer_watch.h"

#include <algorithm>

namespace varnek::cli {
namespace {

// A rig that talks without being asked (auto-information) must not grow
// the record without bound; past this the rig has been heard anyway.
constexpr size_t kMaxUnechoed = 1 << 16;

}  // namespace

void AnswerWatch::Restart() {
  std::lock_guard lock(mutex_);
  unechoed_.clear();
  heard_ = false;
}

bool AnswerWatch::HeardRig() const {
  std::lock_guard lock(mutex_);
  return heard_;
}

uint32_t AnswerWatch::Read(char* buffer, size_t count, size_t& got) {
  const uint32_t r = inner_->Read(buffer, count, got);
  std::lock_guard lock(mutex_);
  for (size_t i = 0; i < got; ++i) {
    if (!unechoed_.empty() && unechoed_.front() == buffer[i])
      unechoed_.pop_front();
    else
      heard_ = true;
  }
  return r;
}

uint32_t AnswerWatch::Write(const char* data, size_t count, size_t& written) {
  // Recorded before the bytes go out: a bus echoes them at once, possibly
  // before this call has returned.
  {
    std::lock_guard lock(mutex_);
    unechoed_.insert(unechoed_.end(), data, data + count);
    while (unechoed_.size() > kMaxUnechoed)
      unechoed_.pop_front();
  }
  const uint32_t r = inner_->Write(data, count, written);
  std::lock_guard lock(mutex_);
  // What did not go out now is offered again by a later call.
  const size_t unsent = std::min(unechoed_.size(), count - std::min(written, count));
  unechoed_.erase(unechoed_.end() - static_cast<std::ptrdiff_t>(unsent), unechoed_.end());
  return r;
}

}  // namespace varnek::cli
