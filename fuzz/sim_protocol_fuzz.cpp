// The simulated rigs' command framing and answers: the input is what a
// client sends on the line, cut into commands by the rig's own Extract and
// answered one by one, as the serving thread does.
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "sim/protocol.h"

using namespace varnek;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in = fuzz::AsText(data, size);
  const auto& rigs = sim::Rigs();
  const sim::RigModel& model = rigs[fuzz::TakeChoice(in, rigs.size())];
  sim::Options options;
  options.rig = model.name;
  const size_t switches = fuzz::TakeChoice(in, 16);
  options.echo = switches & 1;
  options.ascii_control_refused = switches & 2;
  options.ts2000_strict_channel = switches & 4;
  options.ts2000_empty = (switches & 8) ? sim::Ts2000Empty::kZeroRecord : sim::Ts2000Empty::kNoData;
  std::unique_ptr<sim::Protocol> rig = model.make(options);
  // What it tunes, as the simulator gives every rig it serves.
  rig->tunable = sim::TunableRanges(model.name);

  // The bytes arrive in pieces of up to 16, so a command cut anywhere must
  // still be taken whole once its rest arrives.
  std::string pending;
  while (!in.empty()) {
    const size_t piece = 1 + fuzz::TakeChoice(in, 16);
    pending.append(in.substr(0, piece));
    in.remove_prefix(std::min(piece, in.size()));
    const size_t before = pending.size();
    while (auto command = rig->Extract(pending)) {
      (void)rig->Handle(*command);
      (void)rig->Refusal(*command);
    }
    fuzz::Require(pending.size() <= before);
  }
  // Whatever the line wrote, the memory holds only channels the rig takes.
  for (const auto& [number, channel] : rig->memory)
    fuzz::Require(rig->CheckChannel(number, channel).empty());
  return 0;
}
