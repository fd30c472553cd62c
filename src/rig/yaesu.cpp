#include "rig/yaesu.h"

#include <cstdio>

#include "window/channel_window.h"
#include "base/text.h"
#include "rig/coverage.h"
#include "rig/family.h"
#include "rig/freq.h"
#include "rig/modes.h"

namespace varnek {
namespace {

std::string Hex2(int value) {
  return HexByte(static_cast<unsigned>(value));
}

// What an unanswered command costs answer-paced: its line time and the
// time the rig needs to carry it out before the next one. The makers give no
// figure. Other rig-control software allows the FT-920 some 60 ms a command
// (it waits 80), and the FT-1000 family a few milliseconds after each.
constexpr size_t kCommandBytes = 5;
int CommandSettleMs(const std::string& modelCode) {
  return YaesuVariantOf(modelCode) == YaesuVariant::Ft920 ? 60 : 10;
}
void AwaitCommands(const RigContext& ctx, size_t commands) {
  rigops::AwaitLine(ctx, commands * kCommandBytes,
                    static_cast<int>(commands) * CommandSettleMs(ctx.form.shared.ModelCode));
}

bool IsHex(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

}  // namespace

std::string YaesuChannelByte(int channel, const std::string& modelCode) {
  switch (YaesuVariantOf(modelCode)) {
    case YaesuVariant::Ft1000:
      return channel >= 1 ? Hex2(channel - 1) : std::string();
    case YaesuVariant::Ft920:
      return channel >= 0 ? Hex2(channel) : std::string();
    case YaesuVariant::None:
      break;
  }
  return {};
}

RigCommand YaesuWriteBurst(const std::string& channel, const std::string& freq,
                           const std::string& mode, const std::string& modelCode) {
  if (YaesuVariantOf(modelCode) == YaesuVariant::None)
    return {{}, rigops::NoLayoutNotice(modelCode)};
  const std::string ch = rigops::TwoDigits(channel);
  const std::string cc = YaesuChannelByte(StrToInt(ch), modelCode);
  if (cc.empty()) return {};  // no such channel on the rig: skipped
  // A memory is stored from the VFO: a row without a frequency would store
  // whatever the VFO holds.
  const RowFreq checked = CheckRowFreq(ch, freq, modelCode);
  if (checked.empty) return {{}, rigops::NoFreqRefusal(ch)};
  if (!checked.refusal.empty()) return {{}, checked.refusal};
  const bool below10 = checked.hertz < 10'000'000;
  const std::string m = YaesuModeCode(rigops::ModeToSend(mode), below10, modelCode);
  if (m.empty() || m == "?") return {{}, rigops::ModeRefusal(ch, mode)};
  const std::string f = YaesuFreqBytes(checked.hertz);
  return {"00 00 00 " + m + " 0C " + f + " 0A" + " 00 00 00 " + cc + " 03", {}};
}

std::string Ft1000RecordModeName(int modeByte, int filterByte) {
  if (modeByte < 0) return "DIGI";
  switch (modeByte & 0x07) {
    case 0:
      return "LSB";
    case 1:
      return "USB";
    case 2:
      return filterByte >= 0 && (filterByte & 0x80) ? "CW-R" : "CW";
    case 3:
      return "AM";
    case 4:
      return "FM";
    default:
      return "DIGI";
  }
}

ChannelAnswer ParseYaesuRecord(const std::vector<std::string>& lines,
                               const std::string& modelCode) {
  ChannelAnswer r;
  if (rigops::TranscriptText(lines).empty()) {
    r.status = ChannelAnswer::Status::NoTranscript;
    return r;
  }
  // The read wrote the channel it asked for as the first line. A record's
  // tail that arrives after the next request has named its channel in the
  // status label still belongs to this one.
  if (StartsWith(lines[0], "#")) {
    const std::string ch = Trim(lines[0].substr(1));
    if (ch.size() <= 2 && IsAllDigits(ch)) r.channel = rigops::TwoDigits(ch);
  }
  // The record's bytes from the dump lines after the "#" line. A paced rig
  // sends them slowly enough to be cut into several clusters, so the record
  // may span lines of fewer than eight bytes.
  std::vector<std::string> b;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty() || line[0] != ' ' || line.find(" : ") == std::string::npos) break;
    for (auto& item : Words(Piece(line, ":", 1, 1)))
      b.push_back(std::move(item));
  }
  if (b.empty()) return r;  // the read's own line, and no record yet
  if (b[0] == "8B" || b[0] == "90") {
    r.status = ChannelAnswer::Status::Empty;
    return r;
  }
  if (b.size() < 8) return r;  // the rest is still on its way
  std::string x;
  for (size_t i = 1; i <= 4; ++i)
    x += b[i];
  if (!IsHex(x)) return r;
  const unsigned long long v = HexValue(x);
  if (v == 0) return r;  // no frequency: nothing worth storing
  const std::string& modeHex = b[7];
  std::string digits;
  switch (YaesuVariantOf(modelCode)) {
    case YaesuVariant::Ft1000: {
      // Counts of 0.625 Hz: sixteen of them make the 10 Hz the display ends at.
      char s[24];
      std::snprintf(s, sizeof s, "%09llu", v / 16 * 10);
      digits = s;
      if (digits.size() > 9) return r;
      const int filter = b.size() > 8 && IsHex(b[8]) ? static_cast<int>(HexValue(b[8])) : -1;
      r.mode =
          Ft1000RecordModeName(IsHex(modeHex) ? static_cast<int>(HexValue(modeHex)) : -1, filter);
      break;
    }
    case YaesuVariant::Ft920: {
      // Nine digits of hertz; a short count (a damaged record) is padded
      // rather than cut at a negative offset.
      char s[24];
      std::snprintf(s, sizeof s, "%09llu", v);
      digits = std::string(s).substr(std::string(s).size() - 9);
      r.mode = Ft920ModeName(modeHex);
      break;
    }
    case YaesuVariant::None:
      return r;
  }
  r.freq = YaesuFreqDisplay(digits);
  r.status = ChannelAnswer::Status::Channel;
  return r;
}

bool YaesuReadChannel(const RigContext& ctx, const std::string& channel) {
  SharedValues& v = ctx.form.shared;
  const std::string code = v.ModelCode;
  const YaesuVariant variant = YaesuVariantOf(code);
  if (variant == YaesuVariant::None) {
    ctx.notices.Report(ctx.host, rigops::NoLayoutNotice(code));
    return false;
  }
  const int n = StrToInt(rigops::TwoDigits(channel));
  const std::string cc = YaesuChannelByte(n, code);
  if (cc.empty()) return false;  // the FT-1000 family has no channel 0
  const bool paced = rigops::Paced(ctx);
  // The pacing command has no answer: paced, it takes only its line time.
  const auto afterPacing = [&] {
    if (paced)
      AwaitCommands(ctx, 1);
    else
      ctx.host.Sleep(v.CommandInterval);
  };
  const std::string request = cc + " 00 00 04 10";
  const uint64_t before = ctx.answers.tally.Answers();
  if (variant == YaesuVariant::Ft920) {
    rigops::OnGui(ctx, [&] { ctx.io.AddTranscriptLine("#" + channel); });
    rigops::SendEcho(ctx, HexTextToBytes(kYaesuPacing), 1, kYaesuPacing);
    afterPacing();
    rigops::SendEcho(ctx, HexTextToBytes(request), 2, request);
  } else {
    rigops::OnGui(ctx, [&] { ctx.io.Send(HexTextToBytes(kYaesuPacing)); });
    afterPacing();
    rigops::OnGui(ctx, [&] { ctx.io.AddTranscriptLine("#" + channel); });
    rigops::SendEcho(ctx, HexTextToBytes(request), 1, request);
  }
  if (paced) {
    // The rig sends its record at the pace set above, byte by byte; the
    // classic read below allows it up to five channel intervals as well.
    rigops::AwaitAnswers(ctx, &AnswerTally::Answers, before, 5 * v.ChannelInterval);
    return true;
  }
  // The record's first line becomes line 2 of the transcript.
  for (int pause = 1;; ++pause) {
    ctx.host.Sleep(v.ChannelInterval);
    if (pause == 5) break;
    const auto lines = rigops::Transcript(ctx);
    if (lines.size() > 1 && !lines[1].empty()) break;
  }
  ctx.host.Sleep(v.ChannelInterval);
  return true;
}

Exchange YaesuWriteChannel(const RigContext& ctx, const std::string& channel,
                           const std::string& freq, const std::string& mode,
                           const std::string& /*name*/) {
  SharedValues& v = ctx.form.shared;
  const RigCommand burst = YaesuWriteBurst(channel, freq, mode, v.ModelCode);
  if (burst.text.empty()) {
    if (!burst.refusal.empty()) ctx.notices.Report(ctx.host, burst.refusal);
    return Exchange::NotSent;
  }
  const std::string bytes = HexTextToBytes(burst.text);
  rigops::SendEcho(ctx, bytes, 1, burst.text);
  rigops::AppendStatus(ctx, " ok");
  rigops::Pump(ctx);
  if (rigops::Paced(ctx)) {
    // These rigs answer no command that changes something, and every answer
    // they give comes at the slow pace the run has set: the burst's three
    // commands take their line time and the rig's time to carry them out.
    AwaitCommands(ctx, bytes.size() / kCommandBytes);
    v.ChannelSent = true;
    return Exchange::Sent;
  }
  ctx.host.Sleep(v.ChannelInterval);
  v.ChannelSent = true;
  rigops::BlinkIndicator(ctx);
  rigops::Pump(ctx);
  return Exchange::Sent;
}

ChannelAnswer YaesuParseAnswer(const RigContext& ctx) {
  const ChannelAnswer a = ParseYaesuRecord(ctx.io.TranscriptLines(), ctx.form.shared.ModelCode);
  switch (a.status) {
    case ChannelAnswer::Status::NoTranscript:
      ctx.host.ShowMessage("No Rig Connection");
      return a;
    case ChannelAnswer::Status::Empty:
      ctx.form.lbChan.SetCaption("Empty");
      ctx.form.lbChan.SetVisible(true);
      return a;
    case ChannelAnswer::Status::Channel:
      // Without the read's own line, the channel is the one the status
      // label shows.
    {
      const std::string channel = a.channel.empty() ? ctx.form.lbChan.Caption() : a.channel;
      ctx.form.SetChannelFreqMode(channel, a.freq, a.mode);
      // The record replaces the row; fields kept from another rig's read
      // no longer describe it.
      ctx.form.SetRowKept(channel, {});
    }
      if (ctx.io.TerminalVisible()) {
        ctx.io.SetDecodedFreq(Trim(a.freq));
        ctx.io.SetDecodedMode(a.mode);
      }
      return a;
    default:
      return a;
  }
  return a;
}

bool YaesuClearStart(const RigContext& ctx) {
  const std::string code = ctx.form.shared.ModelCode;
  if (YaesuVariantOf(code) == YaesuVariant::None) {
    ctx.notices.Report(ctx.host, rigops::NoLayoutNotice(code));
    return false;
  }
  rigops::SendEcho(ctx, HexTextToBytes(kYaesuPacing), 1, kYaesuPacing);
  if (rigops::Paced(ctx))
    AwaitCommands(ctx, 1);
  else
    ctx.host.Sleep(ctx.form.shared.CommandInterval);
  return true;
}

bool YaesuClearChannel(const RigContext& ctx, int channel) {
  const std::string cc = YaesuChannelByte(channel, ctx.form.shared.ModelCode);
  if (cc.empty()) return false;
  const std::string command = "00 00 01 " + cc + " 03";
  rigops::SendEcho(ctx, HexTextToBytes(command), 2, command);
  if (rigops::Paced(ctx)) AwaitCommands(ctx, 1);
  return true;
}

void YaesuVfoA(const RigContext& ctx) {
  rigops::SendEcho(ctx, HexTextToBytes("00 00 00 00 05"), 1, "00 00 00 00 05");
  ctx.host.Sleep(2 * ctx.form.shared.ChannelInterval);
}

void YaesuMemoryMode(const RigContext& ctx) {
  rigops::SendEcho(ctx, HexTextToBytes("00 00 00 01 02"), 1, "00 00 00 01 02");
  ctx.host.Sleep(4 * ctx.form.shared.ChannelInterval);
}

}  // namespace varnek
