#pragma once
// A serial device that notices whether the rig has said anything. On a
// CI-V bus every request comes back as an echo, so "bytes arrived" does not
// mean the rig is there: what counts is anything beyond the echo of what
// was sent.
#include <deque>
#include <memory>
#include <mutex>

#include "serial/serial_device.h"

namespace varnek::cli {

class AnswerWatch : public SerialDevice {
 public:
  explicit AnswerWatch(std::unique_ptr<SerialDevice> inner) : inner_(std::move(inner)) {}

  // Forgets what was sent and heard so far.
  void Restart();
  // Since the last Restart, something arrived that was not the echo.
  bool HeardRig() const;

  uint32_t Open(const std::string& path) override { return inner_->Open(path); }
  uint32_t Close() override { return inner_->Close(); }
  bool IsOpen() const override { return inner_->IsOpen(); }
  uint32_t SetQueueSizes(uint32_t rx, uint32_t tx) override {
    return inner_->SetQueueSizes(rx, tx);
  }
  uint32_t GetLineSettings(LineSettings& s) override { return inner_->GetLineSettings(s); }
  uint32_t SetLineSettings(const LineSettings& s) override { return inner_->SetLineSettings(s); }
  uint32_t SetEventMask(uint32_t mask) override { return inner_->SetEventMask(mask); }
  uint32_t GetModemStatus(uint32_t& word) override { return inner_->GetModemStatus(word); }
  uint32_t ClearError(CommStatus& status) override { return inner_->ClearError(status); }
  uint32_t Read(char* buffer, size_t count, size_t& got) override;
  uint32_t Write(const char* data, size_t count, size_t& written) override;
  uint32_t Purge() override { return inner_->Purge(); }
  uint32_t SetDtr(bool on) override { return inner_->SetDtr(on); }
  uint32_t SetRts(bool on) override { return inner_->SetRts(on); }
  uint32_t SetBreak(bool on) override { return inner_->SetBreak(on); }
  WaitOutcome Wait(std::chrono::microseconds timeout, bool watchInput, bool watchOutput,
                   uint32_t& events, uint32_t& error) override {
    return inner_->Wait(timeout, watchInput, watchOutput, events, error);
  }
  void Wake() override { inner_->Wake(); }
  void IdleWait(int ms) override { inner_->IdleWait(ms); }

 private:
  std::unique_ptr<SerialDevice> inner_;
  mutable std::mutex mutex_;
  // Sent bytes whose echo has not come back (yet).
  std::deque<char> unechoed_;
  bool heard_ = false;
};

}  // namespace varnek::cli
