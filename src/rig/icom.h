#pragma once
// The CI-V command set: frames, the read, write and clear sequences with
// their acknowledgement waits, and the parser of the dump-line transcript.
//
// Frequency forms by model code: "IC-735" uses four BCD bytes (up to
// 99.999.999 Hz); every other "IC…" code five, as the present rigs do.
#include <cstdint>
#include <string>
#include <vector>

#include "rig/channel_answer.h"
#include "rig/rig_io.h"

namespace varnek {

// FE FE addr E0, the body, FD, and CR LF when `addLf`.
std::string IcomFrame(uint8_t address, const std::string& body, bool addLf);
// The frequency bytes of a set-frequency frame as hex text, least
// significant first; empty when the frequency does not fit the rig's form.
std::string IcomFrequencyText(long long hertz, const std::string& modelCode);
// What the rig's frequency answer means: data digits of the frame, least
// significant byte first (ten, or eight for the IC-735), to the display form.
std::string IcomAnswerFreqDisplay(const std::string& digits, const std::string& modelCode);

// The four frames of a memory write, and what each shows in the terminal.
struct IcomWrite {
  std::vector<std::string> frames;
  std::vector<std::string> echoes;
  std::string refusal;  // set when nothing may be sent
};
// Refused (nothing to send) for a row without a frequency, a frequency the
// rig cannot store or a mode it has no code for. Throws EConvertError for a
// malformed address.
IcomWrite IcomWriteFrames(const std::string& channel, const std::string& freq,
                          const std::string& mode, const std::string& modelCode,
                          const std::string& civAddress, bool addLf);

// `outstanding`: the channel of the read still waiting for its answer, used
// when the interface does not echo the select frame.
ChannelAnswer ParseIcomAnswer(const std::vector<std::string>& lines, const std::string& modelCode,
                              const std::string& outstanding);

// Answer-paced (rigops::Paced), every frame of a read, write or clear waits
// for the rig's answer (the acknowledgement, a refusal or the data), at most
// one channel interval, instead of the acknowledgement polls and pauses.
void IcomReadChannel(const RigContext& ctx, const std::string& channel);
Exchange IcomWriteChannel(const RigContext& ctx, const std::string& channel,
                          const std::string& freq, const std::string& mode,
                          const std::string& name);
// Stores what the transcript answers and returns it.
ChannelAnswer IcomParseAnswer(const RigContext& ctx);
// Select and clear one memory channel, with the acknowledgement wait between.
Exchange IcomClearChannel(const RigContext& ctx, int channel);
void IcomVfoA(const RigContext& ctx);
void IcomMemoryMode(const RigContext& ctx);

}  // namespace varnek
