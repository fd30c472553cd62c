#include "rig/command_set.h"

#include "base/rig_family.h"
#include "base/text.h"
#include "rig/icom.h"
#include "rig/icom_memory.h"
#include "rig/kenwood.h"
#include "rig/modes.h"
#include "rig/yaesu.h"
#include "window/channel_window.h"

namespace varnek {

std::string CommandSet::ClearCaption(int channel) const {
  return ChannelText(channel);
}

ChannelAnswer CommandSet::Held(const std::vector<std::string>& lines,
                               const std::string& modelCode, const std::string& channel) const {
  ChannelAnswer a = ParseHeld(lines, modelCode, channel);
  if (!a.channel.empty() && a.channel != rigops::TwoDigits(channel)) return {};
  return a;
}

namespace {

// Kenwood ASCII and its FT-2000 dialect.
class AsciiSet : public CommandSet {
 public:
  explicit AsciiSet(RigFamily family) : family_(family) {}
  RigFamily Family() const override { return family_; }
  bool ReadChannel(const RigContext& ctx, const std::string& channel) const override {
    KenwoodReadChannel(ctx, channel);
    return true;
  }
  bool ReadTransmitSide(const RigContext& ctx, const std::string& channel) const override {
    if (family_ != RigFamily::Kenwood) return false;
    KenwoodReadTransmitSide(ctx, channel);
    return true;
  }
  Exchange WriteChannel(const RigContext& ctx, const std::string& channel,
                        const std::string& freq, const std::string& mode,
                        const std::string& name, const KeptFields& kept) const override {
    return KenwoodWriteChannel(ctx, channel, freq, mode, name, kept);
  }
  std::optional<Exchange> ClearChannel(const RigContext& ctx, int channel) const override {
    return KenwoodClearChannel(ctx, channel);
  }
  // The FT-2000 numbers its memories with three digits.
  std::string ClearCaption(int channel) const override {
    return (family_ == RigFamily::Ft2000 ? "0" : "") + ChannelText(channel);
  }
  std::vector<std::string> TranscriptLines(const std::string& cluster) const override {
    return {"#" + cluster};
  }
  ChannelAnswer ParseAnswer(const RigContext& ctx) const override {
    return KenwoodParseAnswer(ctx);
  }
  ChannelAnswer ParseHeld(const std::vector<std::string>& lines, const std::string& modelCode,
                          const std::string& channel) const override {
    return ParseKenwoodHeld(lines, modelCode, channel);
  }
  std::string HeldMode(const std::string& sent, std::string_view modelCode) const override {
    const std::string code = KenwoodModeCode(sent, modelCode);
    return code.empty() ? sent : KenwoodModeName(code[0]);
  }

 private:
  RigFamily family_;
};

// Binary answers go into the transcript as dump lines.
std::vector<std::string> DumpLines(const std::string& cluster) {
  std::vector<std::string> lines;
  HexDumpLines(cluster, lines);
  return lines;
}

// The CI-V rigs; the IC-7300 reads and writes whole memory records (1A 00)
// and leaves VFO and memory mode alone.
class CivSet : public CommandSet {
 public:
  RigFamily Family() const override { return RigFamily::Icom; }
  // A channel select leaves some models on the VFO, and a read there
  // answers the VFO for every channel; in memory mode the select changes
  // the channel on every model.
  void BeforeReads(const RigContext& ctx) const override {
    if (!Contents(ctx)) IcomMemoryMode(ctx);
  }
  void AfterReadsBeforeWrites(const RigContext& ctx) const override {
    if (!Contents(ctx)) IcomVfoA(ctx);
  }
  bool ReadChannel(const RigContext& ctx, const std::string& channel) const override {
    if (Contents(ctx))
      Ic7300ReadChannel(ctx, channel);
    else
      IcomReadChannel(ctx, channel);
    return true;
  }
  Exchange WriteChannel(const RigContext& ctx, const std::string& channel,
                        const std::string& freq, const std::string& mode,
                        const std::string& name, const KeptFields& kept) const override {
    if (Contents(ctx)) return Ic7300WriteChannel(ctx, channel, freq, mode, name, kept);
    return IcomWriteChannel(ctx, channel, freq, mode, name);
  }
  int FirstClearable() const override { return 1; }
  std::optional<Exchange> ClearChannel(const RigContext& ctx, int channel) const override {
    if (Contents(ctx)) return channel < 1 ? std::nullopt : std::optional(Ic7300ClearChannel(ctx, channel));
    return IcomClearChannel(ctx, channel);
  }
  int ClearIntervalsBefore() const override { return 4; }
  std::vector<std::string> TranscriptLines(const std::string& cluster) const override {
    return DumpLines(cluster);
  }
  bool PausesAfterClusters() const override { return true; }
  bool PausesBeforeClusters() const override { return true; }
  ChannelAnswer ParseAnswer(const RigContext& ctx) const override {
    return Contents(ctx) ? Ic7300ParseAnswer(ctx) : IcomParseAnswer(ctx);
  }
  ChannelAnswer ParseHeld(const std::vector<std::string>& lines, const std::string& modelCode,
                          const std::string& channel) const override {
    if (ReadsMemoryContents(modelCode)) return ParseIc7300Held(lines, modelCode, channel);
    return ParseIcomAnswer(lines, modelCode, channel);
  }
  std::string HeldMode(const std::string& sent, std::string_view modelCode) const override {
    const std::string code = IcomModeCode(sent, modelCode);
    return code.empty() ? sent : IcomModeName(static_cast<int>(HexValue(code)));
  }

 private:
  static bool Contents(const RigContext& ctx) {
    return ReadsMemoryContents(ctx.form.shared.ModelCode.Get());
  }
};

class FiveByteSet : public CommandSet {
 public:
  RigFamily Family() const override { return RigFamily::Yaesu; }
  bool ReadChannel(const RigContext& ctx, const std::string& channel) const override {
    return YaesuReadChannel(ctx, channel);
  }
  Exchange WriteChannel(const RigContext& ctx, const std::string& channel,
                        const std::string& freq, const std::string& mode,
                        const std::string& name, const KeptFields&) const override {
    return YaesuWriteChannel(ctx, channel, freq, mode, name);
  }
  // The FT-1000 paces its answers by this command; it is not echoed.
  void BeforeSave(const RigContext& ctx) const override {
    if (YaesuVariantOf(ctx.form.shared.ModelCode.Get()) != YaesuVariant::Ft1000) return;
    ctx.io.Send(HexTextToBytes(kYaesuPacing));
    ctx.host.Sleep(ctx.form.shared.CommandInterval);
  }
  bool BeginClear(const RigContext& ctx) const override { return YaesuClearStart(ctx); }
  // The FT-1000 family has no channel 00: nothing is sent for it.
  std::optional<Exchange> ClearChannel(const RigContext& ctx, int channel) const override {
    if (!YaesuClearChannel(ctx, channel)) return std::nullopt;
    return Exchange::Sent;
  }
  std::string ClearCaption(int channel) const override { return std::to_string(channel); }
  int ClearIntervalsAfter() const override { return 1; }
  std::vector<std::string> TranscriptLines(const std::string& cluster) const override {
    return DumpLines(cluster);
  }
  bool PausesAfterClusters() const override { return true; }
  ChannelAnswer ParseAnswer(const RigContext& ctx) const override { return YaesuParseAnswer(ctx); }
  bool ReadsStatusRecord(std::string_view modelCode) const override {
    return YaesuVariantOf(modelCode) == YaesuVariant::Ft920;
  }
  ChannelAnswer ParseHeld(const std::vector<std::string>& lines, const std::string& modelCode,
                          const std::string&) const override {
    return ParseYaesuRecord(lines, modelCode);
  }
  // The records keep the plain modes; everything else reads back as data.
  std::string HeldMode(const std::string& sent, std::string_view) const override {
    if (sent == "LSB" || sent == "USB" || sent == "CW" || sent == "AM" || sent == "FM") return sent;
    return "DIGI";
  }
};

// A model code of no family: nothing goes out, nothing is taken.
class SilentSet : public CommandSet {
 public:
  RigFamily Family() const override { return RigFamily::None; }
  bool ReadChannel(const RigContext&, const std::string&) const override { return false; }
  Exchange WriteChannel(const RigContext&, const std::string&, const std::string&,
                        const std::string&, const std::string&,
                        const KeptFields&) const override {
    return Exchange::NotSent;
  }
  bool BeginClear(const RigContext&) const override { return false; }
  std::optional<Exchange> ClearChannel(const RigContext&, int) const override {
    return std::nullopt;
  }
  std::vector<std::string> TranscriptLines(const std::string&) const override { return {}; }
  ChannelAnswer ParseAnswer(const RigContext&) const override { return {}; }
  ChannelAnswer ParseHeld(const std::vector<std::string>&, const std::string&,
                          const std::string&) const override {
    return {};
  }
  std::string HeldMode(const std::string& sent, std::string_view) const override { return sent; }
};

}  // namespace

const CommandSet& CommandSetOf(std::string_view modelCode) {
  static const AsciiSet kenwood(RigFamily::Kenwood), ft2000(RigFamily::Ft2000);
  static const CivSet civ;
  static const FiveByteSet fiveByte;
  static const SilentSet silent;
  switch (FamilyOf(modelCode)) {
    case RigFamily::Kenwood:
      return kenwood;
    case RigFamily::Ft2000:
      return ft2000;
    case RigFamily::Icom:
      return civ;
    case RigFamily::Yaesu:
      return fiveByte;
    case RigFamily::None:
      break;
  }
  return silent;
}

}  // namespace varnek
