#include "transfer/verify.h"

#include "base/text.h"
#include "rig/command_set.h"
#include "rig/coverage.h"
#include "rig/family.h"
#include "rig/freq.h"
#include "rig/modes.h"
#include "rig/rig_io.h"

namespace varnek {

std::string HeldMode(std::string_view mode, std::string_view modelCode) {
  const std::string sent = rigops::ModeToSend(std::string(mode));
  return CommandSetOf(modelCode).HeldMode(sent, modelCode);
}

std::string VerifyDifference(const std::string& channel, const std::string& freq,
                             const std::string& mode, const ChannelAnswer& rig,
                             const std::string& modelCode) {
  using S = ChannelAnswer::Status;
  const std::optional<long long> want = FreqHertz(freq);
  // 0: the rig holds nothing there (an empty record, a refusal, 0 Hz).
  const long long got = rig.status == S::Channel ? FreqHertz(rig.freq).value_or(0) : 0;
  const bool rigEmpty = got == 0;
  const std::string table = want ? Trim(freq) + " " + Trim(mode) : std::string("an empty channel");
  const std::string line = channel + ": the table has " + table + ", the rig ";
  if (!want) return rigEmpty ? std::string() : line + "holds " + Trim(rig.freq) + " " + rig.mode;
  if (rigEmpty) return line + "holds it empty";
  const long long step = CoverageOf(modelCode).stepHz;
  const long long diff = *want > got ? *want - got : got - *want;
  const bool freqOk = diff < step;
  const bool modeOk = Trim(mode).empty() || rig.mode == HeldMode(Trim(mode), modelCode);
  if (freqOk && modeOk) return {};
  return line + "holds " + Trim(rig.freq) + " " + rig.mode;
}

}  // namespace varnek
