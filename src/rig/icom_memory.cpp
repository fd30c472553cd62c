#include "rig/icom_memory.h"

#include <algorithm>

#include "base/rig_family.h"
#include "base/text.h"
#include "rig/coverage.h"
#include "rig/family.h"
#include "rig/freq.h"
#include "rig/icom.h"
#include "rig/modes.h"
#include "rig/record_schema.h"
#include "window/channel_window.h"

namespace varnek {
namespace {

constexpr std::size_t kBlock = 14;  // frequency, mode, filter, data/tone, two tones
constexpr std::size_t kNameLength = 10;
constexpr std::size_t kFieldsLength = 17;
constexpr std::size_t kTxLength = 28;
constexpr unsigned char kController = 0xE0;
constexpr unsigned char kBlank = 0xFF;

// The rig's mode bytes: the CI-V modes without WFM (06), which it lacks.
bool RigHasMode(int code) {
  return code >= 0 && code <= 8 && code != 6;
}

// DATA belongs to LSB, USB, AM and FM; CW and RTTY have no data mode.
bool TakesData(int code) {
  return code == 0 || code == 1 || code == 2 || code == 5;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsHex(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return HexDigitValue(c) >= 0; });
}

std::string HexDigit(unsigned value) {
  return HexByte(value & 15u).substr(1);
}

std::string BytesHex(std::string_view bytes) {
  std::string s;
  for (const char c : bytes)
    s += HexByte(static_cast<unsigned char>(c));
  return s;
}

// Hex text without blanks to bytes; the caller has checked it.
std::string HexBytes(std::string_view hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(HexDigitValue(hex[i]) * 16 + HexDigitValue(hex[i + 1]));
  return bytes;
}

const RecordSchema& Schema() {
  return *SchemaOf("IC-7300");
}

// The channel bytes c1 c2 of "01".."99": packed BCD, high pair first.
std::string ChannelBytes(const std::string& channel) {
  std::string bytes(1, '\0');
  bytes += static_cast<char>(HexValue(rigops::TwoDigits(channel)) & 0xFFu);
  return bytes;
}

// Ten frequency digits as the record's five BCD bytes, least significant
// pair first.
std::string FreqBytes(long long hertz) {
  return HexTextToBytes(IcomFreqBytes(hertz, 5));
}

// The kept text of one block's filter, data/tone byte and tones.
std::string BlockTail(std::string_view block) {
  return BytesHex(block.substr(6, 1)) + HexDigit(static_cast<unsigned char>(block[7]) >> 4) +
         HexDigit(static_cast<unsigned char>(block[7])) + BytesHex(block.substr(8, 3)) +
         BytesHex(block.substr(11, 3));
}

// The ten decimal digits (most significant first) of a block's frequency
// bytes; empty when they are not BCD.
std::string FreqDigits(std::string_view block) {
  std::string d;
  for (std::size_t i = 5; i-- > 0;)
    d += HexByte(static_cast<unsigned char>(block[i]));
  return IsAllDigits(d) ? d : std::string();
}

// Why a kept text in the receive side's layout cannot be written: each
// field as the schema allows it, and a tone one of the rig's (its
// factory 88.5 Hz included, never "none").
std::string FieldsProblem(std::string_view f, const std::string& where) {
  const RecordSchema& schema = Schema();
  for (const RecordField& field : schema.fields) {
    const std::string chars = FieldText(field, f);
    std::string problem = FieldProblem(schema, field, chars);
    if (problem.empty() && field.coding == FieldCoding::BcdDeciHz &&
        FieldToneDeciHz(schema, field, chars) == 0)
      problem = "the " + std::string(field.name) + " (one of the rig's tones) is '" + chars + "'";
    if (!problem.empty()) return "the kept " + where + problem.substr(4);
  }
  return {};
}

}  // namespace

std::string Ic7300ReadBody(const std::string& channel) {
  return std::string("\x1A\x00", 2) + ChannelBytes(channel);
}

std::string Ic7300ClearBody(const std::string& channel) {
  return Ic7300ReadBody(channel) + static_cast<char>(kBlank);
}

std::string Ic7300KeptProblem(const KeptFields& kept, const std::string& modelCode) {
  if (kept.Empty() || kept.model != modelCode) return {};
  const std::string& f = kept.fields;
  if (f.size() != kFieldsLength || !IsHex(f))
    return "the kept fields \"" + f.substr(0, 30) + "\" are not the " + modelCode + "'s " +
           std::to_string(kFieldsLength) + " hex characters";
  if (std::string p = FieldsProblem(f, ""); !p.empty()) return p;
  if (kept.tx.empty()) return {};
  const std::string& t = kept.tx;
  if (t.size() != kTxLength || !IsAllDigits(t.substr(0, 10)) || !IsHex(t))
    return "the kept transmit side \"" + t.substr(0, 30) + "\" is not ten frequency digits and " +
           "the block's 18 hex characters";
  if (!RigHasMode(static_cast<int>(HexValue(t.substr(10, 2)))))
    return "the kept transmit mode \"" + t.substr(10, 2) + "\" is none the rig has";
  // The transmit block's filter, data/tone byte and tones, checked in the
  // receive side's layout (no group of its own).
  return FieldsProblem("0" + t.substr(12), "transmit side's ");
}

Ic7300Write Ic7300WriteBody(const std::string& channel, const std::string& freq,
                            const std::string& mode, const std::string& name,
                            const KeptFields& kept, const std::string& modelCode,
                            std::size_t length) {
  Ic7300Write w;
  const std::string ch = rigops::TwoDigits(channel);
  const auto refused = [&](const std::string& why) {
    w.refusal = "Channel " + ch + ": " + why + "; the channel was not written.";
    return w;
  };
  const RowFreq f = CheckRowFreq(ch, freq, modelCode);
  if (!f.refusal.empty()) {
    w.refusal = f.refusal;
    return w;
  }
  if (f.empty) {
    w.body = Ic7300ClearBody(ch);
    return w;
  }
  const std::string code = IcomModeCode(rigops::ModeToSend(mode), modelCode);
  const int modeByte = code.empty() ? -1 : static_cast<int>(HexValue(code));
  if (!RigHasMode(modeByte)) {
    w.refusal = rigops::ModeRefusal(ch, mode);
    return w;
  }
  if (const std::string problem = Ic7300KeptProblem(kept, modelCode); !problem.empty())
    return refused(problem);
  std::string n = Trim(name).substr(0, kNameLength);
  std::string bad;
  for (const char c : n) {
    const auto u = static_cast<unsigned char>(c);
    if ((u < 0x20 || u > 0x7E) && bad.find(c) == std::string::npos) bad += c;
  }
  if (!bad.empty()) {
    std::string shown;
    for (const char c : bad) {
      const auto u = static_cast<unsigned char>(c);
      shown += (shown.empty() ? "" : " ") +
               (u < 0x20 ? "0x" + HexByte(u) : std::string("'") + c + "'");
    }
    return refused("the name holds characters the " + modelCode + " cannot hold (" + shown + ")");
  }
  n.resize(kNameLength, ' ');

  const bool own = !kept.Empty() && kept.model == modelCode;
  const std::string fields = own ? kept.fields : Schema().HandTyped();
  w.split = own && !kept.tx.empty();
  if (w.split && length != kIc7300LongRecord)
    return refused("the rig's memory records have no transmit block (" + std::to_string(length) +
                   " bytes), so it cannot hold the split's transmit side");
  // The data nibble of a row whose mode was changed to CW or RTTY would
  // get the whole record refused: the row's mode wins.
  const auto block = [](long long hertz, int mode, std::string_view tail) {
    std::string b = FreqBytes(hertz) + static_cast<char>(mode);
    std::string t(tail);
    if (!TakesData(mode)) t[2] = '0';
    b += HexBytes(t.substr(0, 2));
    b += static_cast<char>(HexDigitValue(t[2]) * 16 + HexDigitValue(t[3]));
    b += HexBytes(t.substr(4));
    return b;
  };
  const std::string rx = block(f.hertz, modeByte, std::string_view(fields).substr(1));
  std::string tx = rx;
  if (w.split) {
    const long long txHertz = std::stoll(kept.tx.substr(0, 10));
    const Coverage coverage = CoverageOf(modelCode);
    if (!Covers(coverage, txHertz))
      return refused("the transmit side " + FreqText(txHertz) + " is outside what the " +
                     modelCode + " can store (" + DescribeRanges(coverage) + ")");
    const std::string& t = kept.tx;
    tx = block(txHertz, static_cast<int>(HexValue(t.substr(10, 2))),
               t.substr(12, 2) + t.substr(14, 2) + t.substr(16));
  }
  const char select = static_cast<char>((w.split ? 0x10 : 0x00) | HexDigitValue(fields[0]));
  w.body = Ic7300ReadBody(ch) + select + rx;
  // A channel without split sends a copy of its receive block, which is
  // what the rig shows there.
  if (length == kIc7300LongRecord) w.body += tx;
  w.body += n;
  return w;
}

std::vector<CivFrame> CivFrames(std::string_view bytes) {
  std::vector<CivFrame> frames;
  std::size_t at = 0;
  while ((at = bytes.find("\xFE\xFE", at)) != std::string_view::npos) {
    std::size_t p = at + 2;
    while (p < bytes.size() && static_cast<unsigned char>(bytes[p]) == 0xFE)
      ++p;
    const std::size_t end = bytes.find('\xFD', p);
    if (end == std::string_view::npos) break;
    // A preamble inside means the frame before it was cut: start there.
    const std::size_t cut = bytes.substr(p, end - p).find('\xFE');
    if (cut != std::string_view::npos) {
      at = p + cut;
      continue;
    }
    if (end - p >= 3) {
      CivFrame f;
      f.to = static_cast<unsigned char>(bytes[p]);
      f.from = static_cast<unsigned char>(bytes[p + 1]);
      f.body = std::string(bytes.substr(p + 2, end - p - 2));
      frames.push_back(std::move(f));
    }
    at = end + 1;
  }
  return frames;
}

std::string TranscriptBytes(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) {
    const std::size_t bar = line.find(" : ");
    if (bar == std::string::npos) continue;
    std::string part;
    bool dump = true;
    for (const std::string& w : Words(line.substr(0, bar))) {
      if (w.size() != 2 || !IsHex(w)) {
        dump = false;
        break;
      }
      part += static_cast<char>(HexValue(w));
    }
    if (dump) bytes += part;
  }
  return bytes;
}

std::vector<ChannelAnswer> ParseIc7300Answers(const std::vector<std::string>& lines,
                                              const std::string& modelCode) {
  std::vector<ChannelAnswer> answers;
  for (const CivFrame& f : CivFrames(TranscriptBytes(lines))) {
    // Our own frames come back as the echo (to the rig); transceive frames
    // go to 00; E0 to E0 is nobody's answer.
    if (f.to != kController || f.from == kController) continue;
    if (f.body.size() < 5 || f.body[0] != '\x1A' || f.body[1] != '\0') continue;
    const std::string_view d = std::string_view(f.body).substr(2);
    const std::string number = BytesHex(d.substr(0, 2));
    if (!IsAllDigits(number) || number[0] != '0' || number[1] != '0' || number == "0000") continue;
    ChannelAnswer a;
    a.channel = number.substr(2);
    if (d.size() == 3 && static_cast<unsigned char>(d[2]) == kBlank) {
      a.status = ChannelAnswer::Status::Empty;
      answers.push_back(a);
      continue;
    }
    const bool known = d.size() == kIc7300LongRecord || d.size() == kIc7300ShortRecord;
    const std::string digits = known ? BytesHex(d.substr(3, 5)) : std::string();
    if (!known || !IsAllDigits(digits) || digits.find_first_not_of('0') == std::string::npos) {
      answers.push_back(a);
      continue;
    }
    a.status = ChannelAnswer::Status::Channel;
    a.freq = IcomFreqDisplay(digits);
    const int mode = static_cast<unsigned char>(d[8]);
    a.mode = RigHasMode(mode) ? IcomModeName(mode) : BandPlanMode(a.freq, modelCode);
    a.hasName = true;
    a.name = Trim(d.substr(d.size() - kNameLength));
    const auto select = static_cast<unsigned char>(d[2]);
    a.kept.model = modelCode;
    a.kept.fields = HexDigit(select) + BlockTail(d.substr(3, kBlock));
    if (d.size() == kIc7300LongRecord && (select >> 4) == 1) {
      const std::string_view tx = d.substr(3 + kBlock, kBlock);
      const std::string txDigits = FreqDigits(tx);
      if (!txDigits.empty())
        a.kept.tx = txDigits + BytesHex(tx.substr(5, 1)) + BytesHex(tx.substr(6, 1)) +
                    BytesHex(tx.substr(7, 1)) + BytesHex(tx.substr(8, 3)) +
                    BytesHex(tx.substr(11, 3));
    }
    answers.push_back(a);
  }
  return answers;
}

ChannelAnswer ParseIc7300Held(const std::vector<std::string>& lines, const std::string& modelCode,
                              const std::string& channel) {
  const std::string want = rigops::TwoDigits(channel);
  ChannelAnswer held;
  for (const ChannelAnswer& a : ParseIc7300Answers(lines, modelCode))
    if (a.channel == want) held = a;
  return held;
}

namespace {

struct Ack {
  bool answered = false;  // the rig sent anything back
  bool refused = false;   // an NG came
};

std::string EchoText(const std::string& address, const std::string& body) {
  return "FE FE " + address + " E0 " + BytesToHexText(body) + " FD";
}

// The longest wait for the rig's verdict where the run needs it whatever
// the pacing (the record-length probe and trial).
int VerdictWait(const RigContext& ctx) {
  return std::max(2 * ctx.form.shared.ChannelInterval.load(), 500);
}

// One frame and the rig's FB or FA: answer-paced its arrival ends the
// wait; otherwise two channel intervals do, and an NG that came meanwhile
// is this frame's. `verdict`: wait for the answer in either pacing.
Ack SendAcknowledged(const RigContext& ctx, const std::string& body, bool verdict = false) {
  SharedValues& v = ctx.form.shared;
  const AnswerTally& tally = ctx.answers.tally;
  const std::string addr = v.CivAddress;
  rigops::Pump(ctx);
  const uint64_t refusals = tally.Refusals(), before = tally.Answers();
  const auto send = [&] {
    rigops::SendEcho(ctx, IcomFrame(CivAddressByte(addr), body, rigops::AddLf(ctx)), 1,
                     EchoText(addr, body));
  };
  if (verdict) {
    send();
    rigops::AwaitAnswers(ctx, &AnswerTally::Answers, before, VerdictWait(ctx));
  } else {
    rigops::SendThenWait(ctx, send, [&] { ctx.host.Sleep(2 * v.ChannelInterval); });
  }
  rigops::Pump(ctx);
  return {tally.Answers() > before, tally.Refusals() > refusals};
}

// Before the run's first write the rig shows which record it keeps: the
// channel about to be written is read, look-only (its answer must not
// overwrite the row on its way to the rig). A blank channel tells nothing.
void LearnRecordLength(const RigContext& ctx, const std::string& channel) {
  const bool wasLookOnly = ctx.answers.LookOnly();
  ctx.answers.SetLookOnly(true);
  const std::string addr = ctx.form.shared.CivAddress;
  const std::string body = Ic7300ReadBody(channel);
  const uint64_t before = ctx.answers.tally.Answers();
  rigops::SendEcho(ctx, IcomFrame(CivAddressByte(addr), body, rigops::AddLf(ctx)), 1,
                   EchoText(addr, body));
  rigops::AwaitAnswers(ctx, &AnswerTally::Answers, before, VerdictWait(ctx));
  rigops::Pump(ctx);
  ctx.answers.SetLookOnly(wasLookOnly);
}

}  // namespace

void Ic7300ReadChannel(const RigContext& ctx, const std::string& channel) {
  SharedValues& v = ctx.form.shared;
  const std::string addr = v.CivAddress;
  const std::string body = Ic7300ReadBody(channel);
  rigops::Pump(ctx);
  rigops::SendThenWait(
      ctx,
      [&] {
        rigops::OnGui(ctx, [&] {
          ctx.io.Send(IcomFrame(CivAddressByte(addr), body, rigops::AddLf(ctx)));
          ctx.io.SetOutstandingRead(rigops::TwoDigits(channel));
          if (ctx.io.TerminalVisible()) ctx.io.SetCommandLine(1, EchoText(addr, body));
        });
      },
      [&] { ctx.host.Sleep(2 * v.ChannelInterval); });
}

Exchange Ic7300WriteChannel(const RigContext& ctx, const std::string& channel,
                            const std::string& freq, const std::string& mode,
                            const std::string& name, const KeptFields& kept) {
  SharedValues& v = ctx.form.shared;
  const std::string model = v.ModelCode;
  const std::string ch = rigops::TwoDigits(channel);
  AnswerTally& tally = ctx.answers.tally;
  const auto notice = [&](const std::string& text) { ctx.notices.Report(ctx.host, text); };
  const bool paced = rigops::Paced(ctx);
  // Everything that does not depend on the record length is checked before
  // anything goes out, the length probe included.
  const Ic7300Write checked =
      Ic7300WriteBody(ch, freq, mode, name, kept, model, kIc7300LongRecord);
  if (!checked.refusal.empty()) {
    notice(checked.refusal);
    return Exchange::NotSent;
  }
  const auto outcome = [&](const Ack& a, const char* what) {
    v.ChannelSent = true;
    if (a.refused) {
      notice("Channel " + ch + ": the rig refused the " + what +
             " (NG); the channel was not written.");
      return Exchange::Refused;
    }
    if (a.answered) rigops::AppendStatus(ctx, " ok");
    return paced ? rigops::Outcome(a.answered) : Exchange::Sent;
  };
  if (Trim(freq).empty()) return outcome(SendAcknowledged(ctx, checked.body), "clear");

  std::size_t length = tally.MemoryRecordLength();
  if (length == 0) {
    LearnRecordLength(ctx, ch);
    length = tally.MemoryRecordLength();
  }
  if (length != 0 && length != kIc7300LongRecord && length != kIc7300ShortRecord) {
    notice("Channel " + ch + ": the rig answered a 1A 00 record of " + std::to_string(length) +
           " bytes; Varnek knows 41 and 27; the channel was not written.");
    return Exchange::NotSent;
  }
  if (length != 0) {
    const Ic7300Write w = Ic7300WriteBody(ch, freq, mode, name, kept, model, length);
    if (!w.refusal.empty()) {
      notice(w.refusal);
      return Exchange::NotSent;
    }
    return outcome(SendAcknowledged(ctx, w.body), "record");
  }
  // Every channel read so far was blank, so the rig has not shown its
  // record: the long form goes first (the IC-7300's own), and on an NG or
  // no answer the short one. Whichever the rig takes is its length for the
  // rest of the run. A split has no short form.
  const Ack longForm = SendAcknowledged(ctx, checked.body, true);
  v.ChannelSent = true;
  if (longForm.answered && !longForm.refused) {
    tally.NoteMemoryRecordLength(kIc7300LongRecord);
    return outcome(longForm, "record");
  }
  if (checked.split) {
    notice("Channel " + ch +
           ": the rig did not take the record with the transmit block (41 bytes), and without "
           "it (27 bytes) a split cannot be written; the channel was not written.");
    return longForm.refused ? Exchange::Refused : Exchange::NotSent;
  }
  const Ic7300Write shortForm =
      Ic7300WriteBody(ch, freq, mode, name, kept, model, kIc7300ShortRecord);
  const Ack a = SendAcknowledged(ctx, shortForm.body, true);
  if (a.answered && !a.refused) {
    tally.NoteMemoryRecordLength(kIc7300ShortRecord);
    return outcome(a, "record");
  }
  notice("Channel " + ch +
         ": the rig took the record neither with the transmit block (41 bytes) nor without it "
         "(27 bytes); the channel was not written.");
  return a.refused || longForm.refused ? Exchange::Refused : Exchange::Unanswered;
}

Exchange Ic7300ClearChannel(const RigContext& ctx, int channel) {
  const std::string ch = ChannelText(channel);
  const Ack a = SendAcknowledged(ctx, Ic7300ClearBody(ch));
  if (a.refused) {
    ctx.notices.Report(ctx.host, "Channel " + ch + ": the rig refused the clear (NG).");
    return Exchange::Refused;
  }
  if (!rigops::Paced(ctx)) return Exchange::Sent;
  return rigops::Outcome(a.answered);
}

ChannelAnswer Ic7300ParseAnswer(const RigContext& ctx) {
  const std::vector<std::string> lines = ctx.io.TranscriptLines();
  ChannelAnswer last;
  if (rigops::TranscriptText(lines).empty()) {
    last.status = ChannelAnswer::Status::NoTranscript;
    ctx.host.ShowMessage("No Rig Reaction");
    return last;
  }
  // The transcript is a read's while the read is the last thing sent;
  // after any other frame (a VFO command, a write, the terminal) its
  // records are old news, and stored again they would undo the user's
  // edits of those rows.
  if (!ctx.io.OutstandingRead()) return last;
  std::vector<std::string> earlier;
  using S = ChannelAnswer::Status;
  for (const ChannelAnswer& a : ParseIc7300Answers(lines, ctx.form.shared.ModelCode)) {
    if (last.status == S::Channel || last.status == S::Empty) earlier.push_back(last.channel);
    if (a.status == S::Channel) {
      ctx.form.SetChannel(a.channel, a.freq, a.mode, a.name);
      ctx.form.SetRowKept(a.channel, a.kept);
    }
    last = a;
  }
  last.alsoNamed = std::move(earlier);
  if (ctx.io.TerminalVisible() && last.status == S::Channel) {
    ctx.io.SetDecodedFreq(last.freq);
    ctx.io.SetDecodedMode(last.mode);
  }
  return last;
}

// --- the transmit side in other words -------------------------------------

long long Ic7300SplitHz(const KeptFields& kept) {
  if (!ReadsMemoryContents(kept.model) || kept.tx.size() != kTxLength ||
      !IsAllDigits(kept.tx.substr(0, 10)))
    return 0;
  return std::stoll(kept.tx.substr(0, 10));
}

bool Ic7300KeepSplit(KeptFields& kept, long long txHz, const std::string& mode) {
  const std::string code = IcomModeCode(rigops::ModeToSend(mode), kept.model);
  if (code.empty() || !RigHasMode(static_cast<int>(HexValue(code))) ||
      kept.fields.size() != kFieldsLength || txHz <= 0 || txHz > 9'999'999'999LL)
    return false;
  const std::string digits = std::to_string(txHz);
  const std::string& f = kept.fields;
  kept.tx = std::string(10 - digits.size(), '0') + digits + code + f.substr(1, 2) + f.substr(3, 2) +
            f.substr(5);
  return true;
}

std::string Ic7300TransmitHint(const KeptFields& kept) {
  const long long tx = Ic7300SplitHz(kept);
  if (tx <= 0 || !IsHex(kept.tx.substr(10, 2))) return {};
  return "transmit " + FreqText(tx) + " " +
         IcomModeName(static_cast<int>(HexValue(kept.tx.substr(10, 2))));
}

}  // namespace varnek
