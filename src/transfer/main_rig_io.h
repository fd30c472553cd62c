#pragma once
// The command sets' view of the program: the main window's serial port, its
// port indicator and the terminal window.
#include "rig/rig_io.h"

namespace varnek {

class ChannelWindow;
class TRigForm;
class TSerialPort;

class MainRigIo : public RigIo {
 public:
  MainRigIo(ChannelWindow& form, TSerialPort& port, TRigForm& rig)
      : form_(form), port_(port), rig_(rig) {}

  bool PortActive() const override;
  double ByteTimeMs() const override;
  void OpenPort() override;
  void RefreshPortIndicator() override;
  void ShowPortImage(bool open) override;
  bool TerminalVisible() const override;
  void SetCommandLine(int line, const std::string& text) override;
  std::vector<std::string> TranscriptLines() const override;
  void AddTranscriptLine(const std::string& line) override;
  void SetDecodedFreq(const std::string& text) override;
  void SetDecodedMode(const std::string& text) override;

 protected:
  void SendText(const std::string& bytes) override;
  void DoClearTranscript() override;

 private:
  ChannelWindow& form_;
  TSerialPort& port_;
  TRigForm& rig_;
};

}  // namespace varnek
