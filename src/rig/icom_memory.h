#pragma once
// The IC-7300's memory channels through its memory-contents command 1A 00:
// one frame reads or writes a whole channel (frequency, mode, filter, data
// mode, tones, the split with its transmit block, the name, the select
// group), and neither the VFO nor the memory mode is touched. The first half
// builds and parses records without I/O; the second sends them through a
// RigContext and waits for the rig's FB or FA.
//
// The kept fields (KeptFields::fields, 17 characters) are described in the
// record schema (SchemaOf("IC-7300")): the select group, the filter (01-03),
// the data-mode nibble, the tone-type nibble (0 off, 1 TONE, 2 TSQL), the
// repeater tone and the TSQL tone (six BCD digits each, tenths of a hertz:
// "000885"). A split channel keeps its transmit block in KeptFields::tx (28
// characters): ten frequency digits, most significant first, then the mode,
// filter and data/tone bytes in hex and the two tones as above.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/kept_fields.h"
#include "rig/channel_answer.h"
#include "rig/rig_io.h"

namespace varnek {

// The record lengths the rig answers (data bytes after "1A 00", the two
// channel bytes included): with the transmit block, and without it.
inline constexpr std::size_t kIc7300LongRecord = 41;
inline constexpr std::size_t kIc7300ShortRecord = 27;

// "1A 00 c1 c2": the read of channel "01".."99", as frame body bytes.
std::string Ic7300ReadBody(const std::string& channel);
// "1A 00 c1 c2 FF": the blank of a channel.
std::string Ic7300ClearBody(const std::string& channel);

// The write of a row as frame body bytes in the record length `length`;
// `refusal` names why nothing may be sent (a frequency outside the rig, a
// mode it lacks, a tone not in its table, a name character it cannot
// show, kept fields that do not fit, a split for a rig without the
// transmit block). An empty frequency blanks the channel.
struct Ic7300Write {
  std::string body;
  std::string refusal;
  bool split = false;
};
Ic7300Write Ic7300WriteBody(const std::string& channel, const std::string& freq,
                            const std::string& mode, const std::string& name,
                            const KeptFields& kept, const std::string& modelCode,
                            std::size_t length);
// Why kept fields of the IC-7300 cannot go into its write, empty when they
// can (or when they belong to another model: those are left out).
std::string Ic7300KeptProblem(const KeptFields& kept, const std::string& modelCode);

// One CI-V frame: addresses, command and data, without preamble and FD.
struct CivFrame {
  unsigned char to = 0, from = 0;
  std::string body;  // command, sub-command and data
};
// The complete frames in a byte stream; noise between them is skipped.
std::vector<CivFrame> CivFrames(std::string_view bytes);
// The bytes of the transcript's dump lines, in order.
std::string TranscriptBytes(const std::vector<std::string>& lines);

// The rig's memory-contents answers in the transcript, in order: frames the
// rig addressed to the controller only (not our own echo, not the
// transceive frames to 00), each naming its channel. A record becomes
// Status::Channel, a blank Status::Empty; a record of a length Varnek does
// not know names its channel with Status::Nothing.
std::vector<ChannelAnswer> ParseIc7300Answers(const std::vector<std::string>& lines,
                                              const std::string& modelCode);
// What the rig holds for `channel`: the answer naming it; Status::Nothing
// when none does (an NG, a late answer for another channel).
ChannelAnswer ParseIc7300Held(const std::vector<std::string>& lines, const std::string& modelCode,
                              const std::string& channel);

// Answer-paced, each frame waits for its answer; otherwise for two channel
// intervals, the way the CI-V reads always paused.
void Ic7300ReadChannel(const RigContext& ctx, const std::string& channel);
Exchange Ic7300WriteChannel(const RigContext& ctx, const std::string& channel,
                            const std::string& freq, const std::string& mode,
                            const std::string& name, const KeptFields& kept);
Exchange Ic7300ClearChannel(const RigContext& ctx, int channel);
// Stores every answer of the transcript into its row and returns the last.
ChannelAnswer Ic7300ParseAnswer(const RigContext& ctx);

// The transmit frequency of a kept split; 0 for none.
long long Ic7300SplitHz(const KeptFields& kept);
// The transmit block of a split at `txHz` in the row's mode `mode`, with the
// receive side's filter, data mode and tones; false for a mode the rig lacks.
bool Ic7300KeepSplit(KeptFields& kept, long long txHz, const std::string& mode);
// A split's transmit side for the hint: "transmit 29.520.000 FM"; empty for
// none.
std::string Ic7300TransmitHint(const KeptFields& kept);

}  // namespace varnek
