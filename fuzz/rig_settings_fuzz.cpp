// The per-rig settings line, the window position value and the key check
// of a rig selection, over arbitrary settings.ini values.
#include <string>

#include "base/errors.h"
#include "settings/rig_settings.h"
#include "fuzz_support.h"

using namespace varnek;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in = fuzz::AsText(data, size);

  RigSettings s;
  try {
    ApplyRigSettingsString(in, s);
  } catch (const EConvertError&) {
  }
  // Positions stay inside their lists or say "no selection".
  fuzz::Require(s.port >= -1 && s.port < static_cast<int>(PortItems().size()));
  fuzz::Require(s.baud >= -1 && s.baud < static_cast<int>(BaudItems().size()));
  fuzz::Require(s.dataBits >= -1 && s.dataBits < static_cast<int>(DataBitItems().size()));
  fuzz::Require(s.stopBits >= -1 && s.stopBits < static_cast<int>(StopBitItems().size()));
  fuzz::Require(s.parity >= -1 && s.parity < static_cast<int>(ParityItems().size()));
  fuzz::Require(s.flow >= -1 && s.flow < static_cast<int>(FlowItems().size()));
  (void)TimingOf(s);

  // A line the program wrote reads back as the settings it came from.
  const RigSettingsShown shown{true, true, true};
  const std::string line = RigSettingsString(s, shown);
  // (A '_' typed into a text field would shift every field after it; the
  // line format has no escape for it.)
  bool plain = true;
  for (const std::string* text : {&s.address, &s.channelInterval, &s.commandInterval, &s.loopWait})
    plain = plain && text->find('_') == std::string::npos;
  RigSettings back;
  ApplyRigSettingsString(line, back);
  if (plain) fuzz::Require(back == s);

  try {
    (void)ParseWindowPosition(in);
  } catch (const EConvertError&) {
  }
  (void)RigKeyProblem(in);
  (void)ModelCodeOf(in);
  (void)DefaultsFor(in);
  return 0;
}
