#include "rig/icom.h"

#include "window/channel_window.h"
#include "base/text.h"
#include "rig/coverage.h"
#include "rig/family.h"
#include "rig/freq.h"
#include "rig/modes.h"

namespace varnek {
namespace {

std::string Joined(const std::vector<std::string>& items, size_t from, size_t count) {
  std::string s;
  for (size_t i = from; i < from + count && i < items.size(); ++i)
    s += items[i];
  return s;
}

uint8_t ChannelByte(const std::string& twoDigits) {
  // The decimal digits read as hex are the channel's packed-BCD byte.
  return static_cast<uint8_t>(HexValue(twoDigits) & 0xFFu);
}

std::string Header(const std::string& civAddress) {
  return "FE FE " + civAddress + " E0 ";
}

// Polls the transcript for an acknowledgement ("FB") at most six times.
// Returns without a word when none came: the sequence goes on regardless.
void AckWait(const RigContext& ctx, int pollMs, bool withoutPreambles) {
  for (int poll = 0; poll < 6; ++poll) {
    ctx.host.Sleep(pollMs);
    std::string text = rigops::TranscriptText(rigops::Transcript(ctx));
    if (withoutPreambles) text = Piece(text, "FE FE ", 1, 99);
    if (text.find("FB") != std::string::npos) return;
  }
}

// Selects memory channel `ch` ("00".."99").
std::string SelectFrame(uint8_t address, const std::string& ch, bool addLf);

}  // namespace

std::string IcomFrame(uint8_t address, const std::string& body, bool addLf) {
  std::string f = "\xFE\xFE";
  f += static_cast<char>(address);
  f += '\xE0';
  f += body;
  f += '\xFD';
  if (addLf) f += "\r\n";
  return f;
}

namespace {
std::string SelectFrame(uint8_t address, const std::string& ch, bool addLf) {
  return IcomFrame(address, std::string("\x08\x00", 2) + static_cast<char>(ChannelByte(ch)), addLf);
}
}  // namespace

std::string IcomFrequencyText(long long hertz, const std::string& modelCode) {
  if (FamilyOf(modelCode) != RigFamily::Icom) return {};
  // Codes other than the generic one name real rigs that take the same
  // five bytes; only the IC-735 is known to use four.
  return IcomFreqBytes(hertz, TakesFourFreqBytes(modelCode) ? 4 : 5);
}

std::string IcomAnswerFreqDisplay(const std::string& digits, const std::string& modelCode) {
  // Four bytes end at the 10 MHz digit: a zero fifth byte gives the same
  // display as the five-byte answers.
  return IcomFreqDisplay(TakesFourFreqBytes(modelCode) ? digits + "00" : digits);
}

IcomWrite IcomWriteFrames(const std::string& channel, const std::string& freq,
                          const std::string& mode, const std::string& modelCode,
                          const std::string& civAddress, bool addLf) {
  IcomWrite w;
  const std::string ch = rigops::TwoDigits(channel);
  // A memory is written from the VFO: a row without a frequency would
  // store whatever the VFO holds, not an empty channel.
  const RowFreq freqCheck = CheckRowFreq(ch, freq, modelCode);
  if (!freqCheck.refusal.empty() || freqCheck.empty) {
    w.refusal = freqCheck.empty ? rigops::NoFreqRefusal(ch) : freqCheck.refusal;
    return w;
  }
  const std::string m = IcomModeCode(rigops::ModeToSend(mode), modelCode);
  if (m.empty()) {
    w.refusal = rigops::ModeRefusal(ch, mode);
    return w;
  }
  const std::string f = IcomFrequencyText(freqCheck.hertz, modelCode);
  const uint8_t a = CivAddressByte(civAddress);
  const std::string head = Header(civAddress);
  w.frames = {SelectFrame(a, ch, addLf),
              IcomFrame(a, "\x05" + HexTextToBytes(f), addLf),
              IcomFrame(a, std::string("\x06") + static_cast<char>(HexValue(m) & 0xFFu), addLf),
              IcomFrame(a, "\x09", addLf)};
  w.echoes = {head + "08 00 " + ch + " FD", head + "05 " + f + " FD", head + "06 " + m + " FD",
              head + "09 FD"};
  return w;
}

ChannelAnswer ParseIcomAnswer(const std::vector<std::string>& lines, const std::string& modelCode,
                              const std::string& outstanding) {
  ChannelAnswer r;
  if (rigops::TranscriptText(lines).empty()) {
    r.status = ChannelAnswer::Status::NoTranscript;
    return r;
  }
  // The hex parts of the dump lines as one blank-separated byte list.
  std::string h;
  for (const auto& line : lines) {
    if (line.empty()) break;
    if (StartsWith(line, "Rec")) continue;
    const std::string hex = Piece(line, ":", 1, 1);
    if (hex.empty()) break;
    h += Trim(hex) + " ";
  }
  if (h.size() <= 1) return r;

  // The controller's own select frame, echoed back by the bus: FE FE, the
  // rig's address, E0 08 00, the channel, FD. Only a whole frame names the
  // channel: noise that happens to hold "E0 08" would otherwise put the
  // answer into any row. What the rig sent before it answers the read
  // before (a late frequency would pass for this channel's).
  size_t from = 0;
  for (size_t p = h.find("E0 08 "); p != std::string::npos; p = h.find("E0 08 ", p + 1)) {
    if (p < 9 || h.compare(p - 9, 6, "FE FE ") != 0) continue;
    const auto items = Words(h.substr(p + 6, 9));
    if (items.size() == 3 && items[0] == "00" && items[2] == "FD" && items[1].size() == 2 &&
        IsAllDigits(items[1])) {
      r.channel = items[1];
      from = p + 6 + 9;
      break;
    }
  }
  if (r.channel.empty()) r.channel = outstanding;

  const bool four = TakesFourFreqBytes(modelCode);
  std::string freq, mode;
  bool blank = false;  // "03 FF": the rig's word for an empty memory
  // Every frame the rig addressed to us, not only the first three: a late
  // acknowledgement from the request before would otherwise push the mode
  // answer out of sight, and the band plan's guess would stand for it.
  // One pass over the frames: a save's transcript grows to thousands of
  // lines and is parsed again after every cluster.
  static const std::string kToUs = "FE FE E0 ";
  for (size_t at = h.find(kToUs, from); at != std::string::npos && (freq.empty() || mode.empty());) {
    const size_t body = at + kToUs.size();
    const size_t next = h.find(kToUs, body);
    const auto p = Words(Trim(h.substr(body, next == std::string::npos ? next : next - body)));
    at = next;
    if (p.size() < 2) continue;
    if (freq.empty() && p[1] == "03") {
      if (p.size() > 3 && p[2] == "FF" && p[3] == "FD") blank = true;
      const std::string d = Joined(p, 2, four ? 4 : 5);
      const bool closed = !four || (p.size() > 6 && p[6] == "FD");
      if (closed && d.size() == (four ? 8u : 10u) && IsAllDigits(d))
        freq = IcomAnswerFreqDisplay(d, modelCode);
    }
    if (mode.empty() && p[1] == "04" && p.size() > 2) {
      int value;
      if (TryStrToInt(p[2], value) && value >= 0 && value <= 11) mode = IcomModeName(value);
    }
  }
  if (!freq.empty() && mode.empty()) mode = BandPlanMode(freq, modelCode);
  r.freq = freq;
  r.mode = mode;
  if (!freq.empty())
    r.status = ChannelAnswer::Status::Channel;
  else if (blank)
    r.status = ChannelAnswer::Status::Empty;
  return r;
}

void IcomReadChannel(const RigContext& ctx, const std::string& channel) {
  SharedValues& v = ctx.form.shared;
  const std::string ch = rigops::TwoDigits(channel);
  const std::string addr = v.CivAddress;
  const uint8_t a = CivAddressByte(addr);
  const bool lf = rigops::AddLf(ctx);
  const std::string head = Header(addr);

  rigops::Pump(ctx);
  rigops::SendThenWait(
      ctx,
      [&] {
        rigops::OnGui(ctx, [&] {
          ctx.io.Send(SelectFrame(a, ch, lf));
          ctx.io.SetOutstandingRead(ch);
          if (ctx.io.TerminalVisible()) ctx.io.SetCommandLine(1, head + "08 00 " + ch + " FD");
        });
      },
      [&] { AckWait(ctx, v.IcomLoopWait, false); });

  rigops::Pump(ctx);
  rigops::SendThenWait(
      ctx, [&] { rigops::SendEcho(ctx, IcomFrame(a, "\x03", lf), 2, head + "03 FD", true); },
      [&] { ctx.host.Sleep(v.CommandInterval); });
  rigops::OnGui(ctx, [&] { ctx.io.RefreshPortIndicator(); });

  rigops::Pump(ctx);
  rigops::SendThenWait(
      ctx, [&] { rigops::SendEcho(ctx, IcomFrame(a, "\x04", lf), 3, head + "04 FD", true); },
      [&] { ctx.host.Sleep(2 * v.ChannelInterval); });
}

Exchange IcomWriteChannel(const RigContext& ctx, const std::string& channel,
                          const std::string& freq, const std::string& mode,
                          const std::string& /*name*/) {
  SharedValues& v = ctx.form.shared;
  const IcomWrite w =
      IcomWriteFrames(channel, freq, mode, v.ModelCode, v.CivAddress, rigops::AddLf(ctx));
  if (!w.refusal.empty()) {
    ctx.notices.Report(ctx.host, w.refusal);
    return Exchange::NotSent;
  }
  const bool paced = rigops::Paced(ctx);
  const AnswerTally& tally = ctx.answers.tally;
  // An NG to the select, the frequency or the mode means the store would
  // put the VFO as it was into the channel: the channel is refused there,
  // and so is one whose store itself got an NG. Answer-paced, each NG is
  // the answer to its own frame; with fixed pacing it may come during the
  // next one, and is looked for before the store.
  static constexpr const char* kWhat[] = {"channel select", "frequency", "mode", "store"};
  const auto refused = [&](const char* what) {
    v.ChannelSent = true;
    ctx.notices.Report(ctx.host, "Channel " + rigops::TwoDigits(channel) + ": the rig refused the " +
                                     what + " (NG); the channel was not written.");
    return Exchange::Refused;
  };
  // An NG seen only once the store has gone out may be a late one to the
  // frequency or mode: the store may then have put the VFO's old contents
  // into the channel. Nobody can say what it holds now.
  const auto refusedAfterStore = [&] {
    ctx.notices.Report(ctx.host, "Channel " + rigops::TwoDigits(channel) +
                                     ": the rig answered NG to the write; the channel may hold "
                                     "something else than was written.");
    return Exchange::Sent;
  };
  rigops::Pump(ctx);
  const uint64_t refusals = tally.Refusals();
  for (size_t i = 0; i < 3; ++i) {
    if (i > 0) rigops::Pump(ctx);
    if (tally.Refusals() > refusals) return refused(paced ? kWhat[i - 1] : "write");
    rigops::SendThenWait(
        ctx, [&] { rigops::SendEcho(ctx, w.frames[i], static_cast<int>(i) + 1, w.echoes[i]); },
        [&] {
          AckWait(ctx, v.IcomLoopWait, false);
          ctx.host.Sleep(v.CommandInterval);
        });
  }
  rigops::Pump(ctx);
  if (tally.Refusals() > refusals) return refused(paced ? kWhat[2] : "write");
  const uint64_t before = tally.Answers();
  rigops::SendEcho(ctx, w.frames[3], 4, w.echoes[3]);
  v.ChannelSent = true;
  if (paced) {
    // The store's acknowledgement is the exchange's answer; the blink and
    // the pauses after it only paced the rig.
    const bool answered = rigops::AwaitAnswer(ctx, before);
    if (tally.Refusals() > refusals) return refusedAfterStore();
    if (answered) rigops::AppendStatus(ctx, " ok");
    return rigops::Outcome(answered);
  }
  rigops::BlinkIndicator(ctx);
  rigops::AppendStatus(ctx, " ok");
  rigops::Pump(ctx);
  ctx.host.Sleep(2 * v.ChannelInterval);
  rigops::Pump(ctx);
  if (tally.Refusals() > refusals) return refusedAfterStore();
  return Exchange::Sent;
}

ChannelAnswer IcomParseAnswer(const RigContext& ctx) {
  const ChannelAnswer a = ParseIcomAnswer(ctx.io.TranscriptLines(), ctx.form.shared.ModelCode,
                                          ctx.io.OutstandingRead().value_or(""));
  if (a.status == ChannelAnswer::Status::NoTranscript) {
    ctx.host.ShowMessage("No Rig Reaction");
    return a;
  }
  if (a.status == ChannelAnswer::Status::Channel) {
    ctx.form.SetChannelFreqMode(a.channel, a.freq, a.mode);
    // The rig's answer replaces the row; fields kept from another rig's
    // read no longer describe it.
    ctx.form.SetRowKept(a.channel, {});
  }
  if (ctx.io.TerminalVisible()) {
    ctx.io.SetDecodedFreq(a.freq);
    ctx.io.SetDecodedMode(a.mode);
  }
  return a;
}

Exchange IcomClearChannel(const RigContext& ctx, int channel) {
  SharedValues& v = ctx.form.shared;
  const std::string ch = ChannelText(channel);
  const std::string addr = v.CivAddress;
  const uint8_t a = CivAddressByte(addr);
  const bool lf = rigops::AddLf(ctx);
  const std::string head = Header(addr);
  rigops::SendThenWait(
      ctx, [&] { rigops::SendEcho(ctx, SelectFrame(a, ch, lf), 1, head + "08 00 " + ch + " FD"); },
      [&] {
        AckWait(ctx, 2 * v.CommandInterval, true);
        ctx.host.Sleep(2 * v.CommandInterval);
      });
  const bool answered = rigops::SendThenWait(
      ctx, [&] { rigops::SendEcho(ctx, IcomFrame(a, "\x0B", lf), 2, head + "0B FD"); }, {});
  if (!rigops::Paced(ctx)) return Exchange::Sent;
  return rigops::Outcome(answered);
}

namespace {

// A command the rig acknowledges: answer-paced, its acknowledgement ends the
// wait; otherwise `intervals` channel intervals do.
void SendAcknowledged(const RigContext& ctx, const char* body, const char* echo, int intervals) {
  const std::string addr = ctx.form.shared.CivAddress;
  rigops::SendThenWait(
      ctx,
      [&] {
        rigops::SendEcho(ctx, IcomFrame(CivAddressByte(addr), body, rigops::AddLf(ctx)), 1,
                         Header(addr) + echo);
      },
      [&] { ctx.host.Sleep(intervals * ctx.form.shared.ChannelInterval); });
}

}  // namespace

void IcomVfoA(const RigContext& ctx) {
  SendAcknowledged(ctx, "\x07", "07 FD", 2);
}

void IcomMemoryMode(const RigContext& ctx) {
  SendAcknowledged(ctx, "\x08", "08 FD", 4);
}

}  // namespace varnek
