#pragma once
// The terminal's ready-made commands: one click composes a command for the
// selected rig family from the channel, frequency and mode fields.
#include <string>
#include <vector>

namespace varnek {

enum class Sample {
  Status,      // lbStatus
  Freq,        // lbFreq
  Channel,     // lbChannel
  Mode,        // lbMode
  Memory,      // lbMemory
  MemSave,     // lbMemSave
  MemClear,    // lbMemClear
  ChanRecall,  // lbChanRecall
  Pacing,      // lbPacing
};

struct SampleFields {
  std::string channel, freq, mode;  // edChannel, edFreq, edMode
};

// The texts a sample puts into the command lines: usually one; two for the
// CI-V status (frequency and mode queries); none when the sample needs a
// channel and none is given. Throws EConvertError when the channel is not
// a decimal number and the sample converts it.
std::vector<std::string> SampleCommand(Sample sample, const std::string& modelCode,
                                       const SampleFields& fields);

}  // namespace varnek
