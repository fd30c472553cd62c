// Who answered: the channels a run asked for, the answers that named them,
// and the report of those that got none.
#include "transfer/transfers.h"

#include <chrono>
#include <mutex>

#include "base/finally.h"
#include "base/folders.h"
#include "base/text.h"
#include "rig/answer_framing.h"
#include "rig/command_set.h"
#include "serial/serial_port.h"
#include "terminal/rig_form.h"
#include "transfer/verify.h"
#include "window/channel_window.h"

namespace varnek {
// --- who answered -------------------------------------------------------------

void Transfers::ApplyAnswerFraming() {
  const AnswerFraming framing = FramingFor(form_.shared.ModelCode.Get());
  answers_.tally.Restart(framing);
  answers_.ForgetTold();
  if (form_.shared.WaitForAnswers && framing.kind != AnswerFraming::Kind::None)
    port_.SetAnswerFramer(
        [framing](std::string_view bytes) { return CompleteAnswersLength(framing, bytes); },
        [framing](std::string_view pending) { return AnswerShortfall(framing, pending); });
  else
    port_.SetAnswerFramer(nullptr);
}

void Transfers::BeginReport() {
  std::lock_guard lock(answeredMutex_);
  answered_.clear();
  watched_.clear();
  asked_.clear();
  unanswered_.clear();
  differences_.clear();
}

void Transfers::WatchRead(const std::string& channel) {
  std::lock_guard lock(answeredMutex_);
  watched_ = rigops::TwoDigits(channel);
}

bool Transfers::EndWatch(Asked asked) {
  std::lock_guard lock(answeredMutex_);
  if (watched_.empty()) return true;
  asked_.push_back({asked, watched_});
  const bool answered = answered_.count(watched_) > 0;
  watched_.clear();
  return answered;
}

void Transfers::JudgeReads() {
  const auto allHeard = [&] {
    std::lock_guard lock(answeredMutex_);
    for (const auto& [asked, channel] : asked_)
      if (!answered_.count(channel)) return false;
    return true;
  };
  // With fixed pacing the last answers may still be on their way (the
  // cluster rule hands them over only after the line has been quiet).
  if (!allHeard() && !form_.shared.WaitForAnswers)
    host_.WaitUntil(allHeard, port_.RTOExtraDelayTime() + form_.shared.ChannelInterval);
  std::lock_guard lock(answeredMutex_);
  for (const auto& [asked, channel] : asked_)
    if (!answered_.count(channel)) unanswered_.push_back({asked, channel});
  asked_.clear();
}

void Transfers::NoteExchange(Exchange e, const std::string& channel, Asked asked) {
  if (e != Exchange::Unanswered) return;
  std::lock_guard lock(answeredMutex_);
  unanswered_.push_back({asked, rigops::TwoDigits(channel)});
}

std::vector<std::string> Transfers::Unanswered() const {
  std::lock_guard lock(answeredMutex_);
  std::vector<std::string> channels;
  for (const auto& [asked, channel] : unanswered_)
    channels.push_back(channel);
  return channels;
}

std::vector<std::string> Transfers::VerifyDifferences() const {
  std::lock_guard lock(answeredMutex_);
  return differences_;
}

std::string Transfers::NoAnswerReport() const {
  struct Kind {
    Asked asked;
    const char* one;
    const char* many;
  };
  static constexpr Kind kKinds[] = {
      {Asked::Read, "No answer from the rig for channel %s; its row is as it was.",
       "No answer from the rig for channels %s; their rows are as they were."},
      {Asked::Write, "No answer from the rig after writing channel %s; it may not hold it.",
       "No answer from the rig after writing channels %s; it may not hold them."},
      {Asked::Clear, "No answer from the rig after clearing channel %s; it may not be empty.",
       "No answer from the rig after clearing channels %s; they may not be empty."},
      {Asked::ReadBack, "No answer from the rig when reading back channel %s; it is not verified.",
       "No answer from the rig when reading back channels %s; they are not verified."},
  };
  std::lock_guard lock(answeredMutex_);
  std::string text;
  for (const Kind& k : kKinds) {
    std::vector<std::string> channels;
    for (const auto& [asked, channel] : unanswered_)
      if (asked == k.asked) channels.push_back(channel);
    if (channels.empty()) continue;
    const std::string pattern = channels.size() == 1 ? k.one : k.many;
    const size_t at = pattern.find("%s");
    if (!text.empty()) text += "\n";
    text += pattern.substr(0, at) + CommaSeparated(channels) + pattern.substr(at + 2);
  }
  return text;
}

}  // namespace varnek
