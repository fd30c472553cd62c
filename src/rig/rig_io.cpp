#include "rig/rig_io.h"

#include "window/channel_window.h"

namespace varnek {

void RigNotices::BeginCollecting() {
  std::lock_guard lock(mutex_);
  collecting_ = true;
  gathered_.clear();
  remarks_.clear();
}

std::string RigNotices::EndCollecting() {
  std::lock_guard lock(mutex_);
  collecting_ = false;
  if (gathered_.empty()) return {};
  std::string text = kNotTransferredHeading;
  for (const auto& g : gathered_)
    text += "\n" + g;
  gathered_.clear();
  return text;
}

bool RigNotices::Collecting() const {
  std::lock_guard lock(mutex_);
  return collecting_;
}

void RigNotices::Remark(Host& host, const std::string& text) {
  {
    std::lock_guard lock(mutex_);
    if (collecting_) {
      for (const auto& r : remarks_)
        if (r == text) return;
      remarks_.push_back(text);
      return;
    }
  }
  host.RunOnGuiThread([&] { host.ShowMessage(text); });
}

std::string RigNotices::TakeRemarks() {
  std::lock_guard lock(mutex_);
  std::string text;
  for (const auto& r : remarks_)
    text += (text.empty() ? "" : "\n") + r;
  remarks_.clear();
  return text;
}

bool RigAnswers::FirstTime(const std::string& what) {
  std::lock_guard lock(toldMutex_);
  if (told_ == what) return false;
  told_ = what;
  return true;
}

void RigAnswers::ForgetTold() {
  std::lock_guard lock(toldMutex_);
  told_.clear();
}

void RigNotices::Report(Host& host, const std::string& text) {
  {
    std::lock_guard lock(mutex_);
    if (collecting_) {
      for (const auto& g : gathered_)
        if (g == text) return;
      gathered_.push_back(text);
      return;
    }
  }
  host.RunOnGuiThread([&] { host.ShowMessage(text); });
}

namespace rigops {

void OnGui(const RigContext& ctx, const std::function<void()>& work) {
  ctx.host.RunOnGuiThread(work);
}

void Pump(const RigContext& ctx) {
  if (ctx.host.IsGuiThread()) ctx.host.ProcessMessages();
}

void SendEcho(const RigContext& ctx, const std::string& bytes, int line, const std::string& echo,
              bool keepRead) {
  OnGui(ctx, [&] {
    if (keepRead)
      ctx.io.SendWithinRead(bytes);
    else
      ctx.io.Send(bytes);
    if (ctx.io.TerminalVisible()) ctx.io.SetCommandLine(line, echo);
  });
}

void BlinkIndicator(const RigContext& ctx) {
  OnGui(ctx, [&] { ctx.io.ShowPortImage(false); });
  Pump(ctx);
  ctx.host.Sleep(ctx.form.shared.ChannelInterval);
  OnGui(ctx, [&] { ctx.io.ShowPortImage(true); });
}

void AppendStatus(const RigContext& ctx, const std::string& suffix) {
  OnGui(ctx, [&] { ctx.form.lbChan.SetCaption(ctx.form.lbChan.Caption() + suffix); });
}

bool AddLf(const RigContext& ctx) {
  bool on = false;
  OnGui(ctx, [&] { on = ctx.form.cbAddLf.Checked(); });
  return on;
}

std::vector<std::string> Transcript(const RigContext& ctx) {
  std::vector<std::string> lines;
  OnGui(ctx, [&] { lines = ctx.io.TranscriptLines(); });
  return lines;
}

std::string TranscriptText(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) text += "\r\n";
    text += lines[i];
  }
  return text;
}

std::string TwoDigits(const std::string& channel) {
  return channel.size() == 1 ? "0" + channel : channel;
}

std::string ModeRefusal(const std::string& channel, const std::string& mode) {
  if (mode.empty()) return "Channel " + channel + " has no mode; the channel was not written.";
  return "Channel " + channel + ": this rig has no mode \"" + mode +
         "\"; the channel was not written.";
}

std::string NoFreqRefusal(const std::string& channel) {
  return "Channel " + channel +
         " has no frequency; the channel was not written (use Clear > Checked Memory Channels "
         "to empty it).";
}

std::string NoLayoutNotice(const std::string& modelCode) {
  return "No memory layout for " + modelCode;
}

std::string ModeToSend(const std::string& mode) {
  return mode == "SSB" ? "USB" : mode;
}

bool Paced(const RigContext& ctx) {
  return ctx.form.shared.WaitForAnswers;
}

bool AwaitAnswers(const RigContext& ctx, uint64_t (AnswerTally::*count)() const, uint64_t before,
                  int timeoutMs) {
  const AnswerTally& tally = ctx.answers.tally;
  return ctx.host.WaitUntil([&] { return (tally.*count)() > before; }, timeoutMs);
}

bool AwaitAnswer(const RigContext& ctx, uint64_t before) {
  return AwaitAnswers(ctx, &AnswerTally::Answers, before, ctx.form.shared.ChannelInterval);
}

bool SendThenWait(const RigContext& ctx, const std::function<void()>& send,
                  const std::function<void()>& classicPause) {
  const uint64_t before = ctx.answers.tally.Answers();
  send();
  if (Paced(ctx)) return AwaitAnswer(ctx, before);
  if (classicPause) classicPause();
  return false;
}

void AwaitLine(const RigContext& ctx, size_t bytes, int settleMs) {
  const double ms = static_cast<double>(bytes) * ctx.io.ByteTimeMs() + settleMs;
  ctx.host.Sleep(static_cast<int>(ms + 0.999));
}

Exchange Outcome(bool answered) {
  return answered ? Exchange::Answered : Exchange::Unanswered;
}

}  // namespace rigops
}  // namespace varnek
