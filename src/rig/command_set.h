#pragma once
// One interface over the three command sets. A flow takes the model code's
// command set once (CommandSetOf) and calls it; which family, dialect or
// variant is meant is decided here and in the families' own files, never by
// a flow testing the model code.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rig/channel_answer.h"
#include "rig/family.h"
#include "rig/rig_io.h"

namespace varnek {

class CommandSet {
 public:
  virtual ~CommandSet() = default;
  virtual RigFamily Family() const = 0;

  // --- one channel ---
  // Before the first read of a run or click (CI-V: into memory mode).
  virtual void BeforeReads(const RigContext&) const {}
  // After reads that come before writes (a backup): back to the state the
  // rig stores from (CI-V: the VFO, which the reads left for memory mode).
  virtual void AfterReadsBeforeWrites(const RigContext&) const {}
  // False when nothing was sent (the rig has no such channel).
  virtual bool ReadChannel(const RigContext& ctx, const std::string& channel) const = 0;
  // Asks for the transmit side of a split memory (the end of a scan pair),
  // where the rig keeps one apart; false when it keeps none.
  virtual bool ReadTransmitSide(const RigContext&, const std::string&) const { return false; }
  // `kept`: what a read of the rig kept with the row; the ASCII rigs write
  // it back when it came from the same model, the others cannot.
  virtual Exchange WriteChannel(const RigContext& ctx, const std::string& channel,
                                const std::string& freq, const std::string& mode,
                                const std::string& name, const KeptFields& kept = {}) const = 0;

  // Before a save's first write (the FT-1000's answer pacing).
  virtual void BeforeSave(const RigContext&) const {}

  // --- a clear run ---
  // Its start; false ends the run there (the five-byte rigs' pacing).
  virtual bool BeginClear(const RigContext&) const { return true; }
  // The first channel it may clear (CI-V never clears 00).
  virtual int FirstClearable() const { return 0; }
  // Nothing at all for a channel the rig does not have.
  virtual std::optional<Exchange> ClearChannel(const RigContext& ctx, int channel) const = 0;
  // How the run shows the channel it clears.
  virtual std::string ClearCaption(int channel) const;
  // Fixed pacing: channel intervals before "Empty" shows, and after it.
  virtual int ClearIntervalsBefore() const { return 1; }
  virtual int ClearIntervalsAfter() const { return 0; }

  // --- the receive path ---
  // The transcript lines of one received cluster.
  virtual std::vector<std::string> TranscriptLines(const std::string& cluster) const = 0;
  // Fixed pacing: a channel interval before a cluster is taken, a command
  // interval after it.
  virtual bool PausesBeforeClusters() const { return false; }
  virtual bool PausesAfterClusters() const { return false; }
  // The answer in the transcript, stored into its row.
  virtual ChannelAnswer ParseAnswer(const RigContext& ctx) const = 0;
  // The terminal's "&Read" decodes a status record instead (the FT-920).
  virtual bool ReadsStatusRecord(std::string_view) const { return false; }

  // --- the read-back after a save ---
  // What the rig holds for `channel` by the transcript's lines.
  virtual ChannelAnswer ParseHeld(const std::vector<std::string>& lines,
                                  const std::string& modelCode,
                                  const std::string& channel) const = 0;
  // ParseHeld for `channel` alone: an answer naming another channel (a
  // late answer to the read before) is no answer for this one.
  ChannelAnswer Held(const std::vector<std::string>& lines, const std::string& modelCode,
                     const std::string& channel) const;
  // The mode the rig keeps for the mode a row sends.
  virtual std::string HeldMode(const std::string& sent, std::string_view modelCode) const = 0;
};

// The command set of a model code; the silent one for a code of no family
// (it sends nothing and takes nothing).
const CommandSet& CommandSetOf(std::string_view modelCode);

}  // namespace varnek
