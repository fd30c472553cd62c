#pragma once
// The ASCII command set: the Kenwood dialect (model codes "TS…", two-digit
// channels) and the FT-2000 dialect ("FT-2…", three-digit channels). The
// first half builds commands and parses answers without any I/O; the second
// sends, paces and stores through a RigContext.
#include <string>
#include <string_view>
#include <vector>

#include "base/kept_fields.h"
#include "rig/channel_answer.h"
#include "base/rig_family.h"
#include "rig/rig_io.h"

namespace varnek {

// A command ready to send, or the reason it is not sent (then `text` is empty).
struct RigCommand {
  std::string text;
  std::string refusal;
  // A split's transmit-side write ("MW1…;"), the tail of `text`.
  std::string transmit;
};

// Read request without CR LF. The Kenwood dialect also selects the channel
// outside a load; during a load it only reads.
std::string KenwoodReadCommand(const std::string& channel, const std::string& modelCode,
                               bool loadFinished);
// Memory write without CR LF. An empty frequency writes the empty channel.
// Refused when the frequency text is no frequency, reads two ways or lies
// outside what the model stores, or the dialect has no code for the mode.
// Fields kept from a read of the same model go back as they were (a kept
// field with a character its place does not allow refuses the row, and so
// does a TS-2000 name the rig cannot hold); without them the record's other
// fields are zeros (no tone, no shift, no lockout).
RigCommand KenwoodWriteCommand(const std::string& channel, const std::string& freq,
                               const std::string& mode, const std::string& name,
                               const std::string& modelCode, const KeptFields& kept = {});
// Why kept fields of `modelCode` cannot go into its write ("the tone type
// (0-3) is 'Z'"), empty when each character is what its place of the
// record allows, or when they belong to another model (those are left out,
// as for a row typed by hand). A split's transmit side must be eleven
// frequency digits and a mode code.
std::string KeptFieldsProblem(const KeptFields& kept, const std::string& modelCode);
// The characters of `name` (cp1252) that the model's memory cannot hold,
// each once, in order; empty when it holds them all or keeps no names. The
// TS-2000 shows printable ASCII; a ';' would end its write command.
std::string NameCharactersRigCannotHold(std::string_view name, std::string_view modelCode);
// The record's fields the table does not show, as a read of `modelCode`
// keeps them, from one complete memory answer ("MR…;"); empty when the
// answer is too short to hold them.
KeptFields KeptOfRecord(const std::string& record, const std::string& modelCode);
// The record's other fields as a row typed by hand writes them (no tone,
// no shift, not locked out); empty for a model whose record keeps none.
std::string HandTypedKept(const std::string& modelCode);
// The memory write of an empty channel, for channel 0..99.
std::string KenwoodClearCommand(int channel, const std::string& modelCode);
// The first answer recorded in the transcript ("#" lines).
ChannelAnswer ParseKenwoodAnswer(const std::vector<std::string>& lines,
                                 const std::string& modelCode);

// What the rig holds for `channel` by a look-only read's transcript: the
// answer naming that channel, else the first that names none; a record of
// another channel is no answer for this one (Status::Nothing).
ChannelAnswer ParseKenwoodHeld(const std::vector<std::string>& lines,
                               const std::string& modelCode, const std::string& channel);

// Answer-paced (rigops::Paced), a read goes on at the answer and a write or
// clear at the answer to the identity query sent after it, each at most one
// channel interval; otherwise each pauses as the rig family always did.
void KenwoodReadChannel(const RigContext& ctx, const std::string& channel);
// Asks a TS rig for a memory's transmit side (MR1): a split's transmit
// frequency and mode, a scan pair's end, or the receive side again.
void KenwoodReadTransmitSide(const RigContext& ctx, const std::string& channel);
Exchange KenwoodWriteChannel(const RigContext& ctx, const std::string& channel,
                             const std::string& freq, const std::string& mode,
                             const std::string& name, const KeptFields& kept = {});
// Stores what the transcript answers and returns it.
ChannelAnswer KenwoodParseAnswer(const RigContext& ctx);
// Sends the clear of channel 0..99; the pause and status belong to the clear run.
Exchange KenwoodClearChannel(const RigContext& ctx, int channel);
void KenwoodVfoA(const RigContext& ctx);
void KenwoodMemoryMode(const RigContext& ctx);

}  // namespace varnek
