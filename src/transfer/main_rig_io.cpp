#include "transfer/main_rig_io.h"

#include "window/channel_window.h"
#include "serial/serial_port.h"
#include "terminal/rig_form.h"

namespace varnek {

bool MainRigIo::PortActive() const {
  return port_.Active();
}
double MainRigIo::ByteTimeMs() const {
  return LineByteTimeMs(port_.BaudRate(), port_.DataBits(), port_.ParityType(), port_.StopBits());
}

void MainRigIo::OpenPort() {
  port_.SetActive(true);
}

void MainRigIo::RefreshPortIndicator() {
  ShowPortImage(port_.Active());
}

void MainRigIo::ShowPortImage(bool open) {
  // Show first, then hide: exactly one lamp is visible at any moment.
  (open ? form_.Led : form_.NoLed).SetVisible(true);
  (open ? form_.NoLed : form_.Led).SetVisible(false);
}

bool MainRigIo::TerminalVisible() const {
  return rig_.visible;
}

void MainRigIo::SetCommandLine(int line, const std::string& text) {
  rig_.EchoCommand(line - 1, text);
}

std::vector<std::string> MainRigIo::TranscriptLines() const {
  return rig_.Terminal.Lines();
}

void MainRigIo::AddTranscriptLine(const std::string& line) {
  rig_.Terminal.Add(line);
}

void MainRigIo::SetDecodedFreq(const std::string& text) {
  if (rig_.visible) rig_.edFreq.SetText(text);
}

void MainRigIo::SetDecodedMode(const std::string& text) {
  if (rig_.visible) rig_.edMode.SetText(text);
}

void MainRigIo::SendText(const std::string& bytes) {
  port_.SendText(bytes);
}

void MainRigIo::DoClearTranscript() {
  rig_.Terminal.Clear();
}

}  // namespace varnek
