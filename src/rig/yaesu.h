#pragma once
// The Yaesu five-byte CAT command set of the FT-1000 family ("FT-1…",
// channels counted from 0 on the wire) and the FT-920 ("FT-9…"). Other
// five-byte codes have no memory layout here: their reads, writes and clears
// send nothing and say so.
#include <string>
#include <vector>

#include "rig/channel_answer.h"
#include "rig/kenwood.h"
#include "rig/rig_io.h"

namespace varnek {

// Command bytes from their hex text, in sending order.
inline constexpr const char* kYaesuPacing = "00 00 00 12 0E";

// The rig's number of a table channel as two hex digits; empty when the rig
// has no such channel (the FT-1000 family has none below 1) or no layout.
std::string YaesuChannelByte(int channel, const std::string& modelCode);
// The 15-byte burst (set mode, set frequency, store) as hex text, or the
// refusal. Throws EConvertError for a frequency whose MHz group is no number.
RigCommand YaesuWriteBurst(const std::string& channel, const std::string& freq,
                           const std::string& mode, const std::string& modelCode);
// The memory record in the dump lines after the transcript's "#" line (the
// first eight bytes are used, and on the FT-1000 family the ninth). The
// channel is the one the "#" line names, empty when it names none.
ChannelAnswer ParseYaesuRecord(const std::vector<std::string>& lines, const std::string& modelCode);
// The record's mode on the FT-1000 family: low three bits of the mode byte,
// the filter byte's bit 7 for the reverse side (a negative filter: unknown).
std::string Ft1000RecordModeName(int modeByte, int filterByte);

// Answer-paced (rigops::Paced), a read goes on when the whole record has
// come; writes, clears and the pacing command, which these rigs never
// answer, take the line time of their bytes and the rig's time to carry
// them out.
// False when nothing was sent (no such channel, no layout for the model).
bool YaesuReadChannel(const RigContext& ctx, const std::string& channel);
Exchange YaesuWriteChannel(const RigContext& ctx, const std::string& channel,
                           const std::string& freq, const std::string& mode,
                           const std::string& name);
// Stores what the transcript answers and returns it.
ChannelAnswer YaesuParseAnswer(const RigContext& ctx);
// Once before the first channel of a clear run. False when the rig has no
// layout (already reported): the run should then clear nothing.
bool YaesuClearStart(const RigContext& ctx);
// False when nothing was sent for the channel (no such channel on the rig).
bool YaesuClearChannel(const RigContext& ctx, int channel);
void YaesuVfoA(const RigContext& ctx);
void YaesuMemoryMode(const RigContext& ctx);

}  // namespace varnek
