#pragma once
// A RigIo that records what the command sets do, in one trace with the
// host's pauses and message-processing points, and lets a test play the rig
// by adding answer lines to the transcript.
#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "base/headless_host.h"
#include "app/main_form.h"
#include "rig/family.h"
#include "rig/command_set.h"
#include "rig/rig_io.h"

namespace varnek::testing {

class FakeRigIo : public RigIo {
 public:
  explicit FakeRigIo(HeadlessHost& host) : host_(host) {}

  bool active = true;
  bool visible = true;
  std::vector<std::string> lines;
  std::array<std::string, 5> edit;  // Edit1..Edit4 at 1..4
  std::string decodedFreq = "-", decodedMode = "-";
  std::vector<std::string> sent;  // hex text of each send
  // Set when the serial line or the transcript was touched off the GUI thread.
  std::atomic<bool> offGui{false};
  // Called after each send with its hex text: a test's rig answers here.
  std::function<void(const std::string&)> onSend;

  bool PortActive() const override { return active; }
  void OpenPort() override {
    active = true;
    Mark("open");
  }
  void RefreshPortIndicator() override { Mark("refresh"); }
  void ShowPortImage(bool open) override { Mark(open ? "image open" : "image closed"); }
  bool TerminalVisible() const override { return visible; }
  void SetCommandLine(int line, const std::string& text) override { edit.at(line) = text; }
  std::vector<std::string> TranscriptLines() const override {
    Check();
    return lines;
  }
  void AddTranscriptLine(const std::string& line) override {
    Check();
    lines.push_back(line);
  }
  void SetDecodedFreq(const std::string& text) override { decodedFreq = text; }
  void SetDecodedMode(const std::string& text) override { decodedMode = text; }

  // What the receive path records for a cluster of the CI-V and Yaesu
  // five-byte families, and for the ASCII family.
  void ReceiveBytes(const std::string& bytes) { HexDumpLines(bytes, lines); }
  void ReceiveText(const std::string& text) { lines.push_back("#" + text); }

  // Sends, indicator changes, pauses ("sleep N"), message points ("pm") and
  // messages ("msg ...") in the order they happened.
  std::vector<std::string> Trace() const {
    std::vector<std::string> out;
    const auto events = host_.Events();
    size_t m = 0;
    for (size_t i = 0; i <= events.size(); ++i) {
      while (m < marks_.size() && marks_[m].first == i)
        out.push_back(marks_[m++].second);
      if (i == events.size()) break;
      const auto& e = events[i];
      switch (e.kind) {
        case HeadlessHost::Event::Sleep:
          out.push_back("sleep " + std::to_string(e.ms));
          break;
        case HeadlessHost::Event::ProcessMessages:
          out.push_back("pm");
          break;
        default:
          out.push_back("msg " + e.text);
          break;
      }
    }
    return out;
  }

 protected:
  void SendText(const std::string& bytes) override {
    Check();
    const std::string hex = BytesToHexText(bytes);
    sent.push_back(hex);
    Mark("send " + hex);
    if (onSend) onSend(hex);
  }
  void DoClearTranscript() override { lines.clear(); }

 private:
  void Check() const {
    if (!host_.IsGuiThread()) const_cast<std::atomic<bool>&>(offGui) = true;
  }
  void Mark(std::string what) { marks_.emplace_back(host_.Events().size(), std::move(what)); }

  HeadlessHost& host_;
  std::vector<std::pair<size_t, std::string>> marks_;
};

// A main window, the fake and the notices, wired as the operations want them.
struct RigBench {
  explicit RigBench(const std::string& model, int channelMs = 100, int commandMs = 10,
                    int loopMs = 5)
      : host(HeadlessHost::Time::Simulated), form(host), io(host) {
    form.shared.ModelCode = model;
    form.shared.CivAddress = "00";
    form.shared.ChannelInterval = channelMs;
    form.shared.CommandInterval = commandMs;
    form.shared.IcomLoopWait = loopMs;
    form.shared.LoadFinished = true;
    host.ClearEvents();
  }
  RigContext ctx() { return {host, form, io, notices, answers}; }
  // The operations are reached as the flows reach them: through the model
  // code's command set.
  const CommandSet& set() const { return CommandSetOf(form.shared.ModelCode.Get()); }

  HeadlessHost host;
  TMainForm form;
  FakeRigIo io;
  RigNotices notices;
  RigAnswers answers;
};

}  // namespace varnek::testing
