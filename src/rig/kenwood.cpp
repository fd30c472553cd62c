#include "rig/kenwood.h"

#include <optional>

#include "window/channel_window.h"
#include "base/text.h"
#include "rig/coverage.h"
#include "rig/freq.h"
#include "rig/modes.h"
#include "rig/record_schema.h"

namespace varnek {
namespace {

std::string Sub(const std::string& s, size_t pos, size_t len) {
  return pos < s.size() ? s.substr(pos, len) : std::string();
}

// Up to the model's name length of the row's name (blank-padded where the
// rig's write has a fixed length). A ";" would end the command inside the
// name and control characters have no place on the rig's display.
std::string RecordName(const std::string& name, const RecordSchema& schema) {
  std::string n = Trim(name).substr(0, schema.nameLength);
  for (char& c : n)
    if (c == ';' || static_cast<unsigned char>(c) < 0x20) c = ' ';
  if (schema.namePadded) n.resize(schema.nameLength, ' ');
  return n;
}

// The write of the models with names (the TS-2000's shape, which the
// TS-590 and TS-480 share): side, three channel digits, frequency, mode, the
// 23 kept characters, the name.
std::string NamedWrite(const std::string& cc, const std::string& digits, const std::string& mode,
                       const std::string& name, const RecordSchema& schema,
                       const std::string& fields, char side = '0') {
  return std::string("MW") + side + "0" + cc + digits + mode + fields + RecordName(name, schema) +
         ";";
}

// The TS-590 and TS-480 take their channel with a '0' in the hundreds place
// (the TS-480 refuses the blank the TS-2000 and TS-590 also take).
bool ZeroHundreds(std::string_view modelCode) {
  const RecordLayout layout = RecordLayoutOf(modelCode);
  return layout == RecordLayout::Ts590 || layout == RecordLayout::Ts480;
}

// The TS-480 counts its tuning steps per mode: 00-04 in SSB, CW and FSK,
// 00-09 in AM and FM. A step kept from an FM channel whose row is now USB
// gets the write refused; on a split whose sides differ in mode, only the
// MW1, after the MW0 has stored the channel as simplex.
std::string StepProblem(const std::string& modelCode, const std::string& fields,
                        const std::string& mode) {
  const RecordSchema* schema = SchemaOf(modelCode);
  const RecordField* step = schema ? schema->Field(FieldRole::Step) : nullptr;
  if (RecordLayoutOf(modelCode) != RecordLayout::Ts480 || !step || mode.empty() || mode == "4" ||
      mode == "5")
    return {};
  const std::string chars = FieldText(*step, fields);
  if (chars <= "04") return {};
  return "the kept step " + chars + " is beyond the 00-04 the " + modelCode + " takes in " +
         KenwoodModeName(mode[0]);
}

size_t KeptLength(const std::string& modelCode) {
  const RecordSchema* schema = SchemaOf(modelCode);
  return schema ? schema->KeptLength() : 0;
}

// Kept fields that go into this model's write: the same model's, checked by
// KeptFieldsProblem before anything is built.
bool Usable(const KeptFields& kept, const std::string& modelCode) {
  return !kept.Empty() && kept.model == modelCode && KeptLength(modelCode) > 0;
}

// A character as a message shows it: printable as it is, else its code.
std::string Shown(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u < 0x20 || u == 0x7F) return "0x" + HexByte(u);
  return std::string("'") + c + "'";
}

// "0123" as "0, 1, 2, 3".
std::string Listed(std::string_view codes) {
  std::string out;
  for (const char c : codes)
    out += std::string(out.empty() ? "" : ", ") + c;
  return out;
}

}  // namespace

std::string KeptFieldsProblem(const KeptFields& kept, const std::string& modelCode) {
  if (!Usable(kept, modelCode)) return {};
  const std::string& f = kept.fields;
  if (f.size() != KeptLength(modelCode))
    return "the kept fields \"" + f.substr(0, 30) + "\" are " + std::to_string(f.size()) +
           " characters long; the " + modelCode + " keeps " + std::to_string(KeptLength(modelCode));
  // Place by place first, so that the message names the character; then
  // each field's values (a tone number beyond the table, a choice the rig
  // lacks), which the rig would refuse or store as something else.
  const RecordSchema& schema = *SchemaOf(modelCode);
  for (const RecordField& field : schema.fields) {
    const std::string allowed = FieldCharacters(field);
    for (size_t i = field.at; i < field.at + field.length; ++i) {
      const bool ok = allowed.empty() ? (f[i] >= '0' && f[i] <= '9')
                                      : allowed.find(f[i]) != std::string::npos;
      if (!ok)
        return "the kept field's " + std::string(field.name) + " (" +
               (allowed.empty() ? std::string("digits") : "one of " + Listed(allowed)) +
               ") holds " + Shown(f[i]) + " at character " + std::to_string(i + 1);
    }
    const std::string problem = FieldProblem(schema, field, FieldText(field, f));
    if (!problem.empty()) return "the kept " + problem.substr(4);
  }
  // The transmit side: eleven frequency digits and the mode code.
  if (!kept.tx.empty() && (kept.tx.size() != 12 || !IsAllDigits(kept.tx)))
    return "the kept transmit side \"" + kept.tx.substr(0, 20) +
           "\" is not eleven frequency digits and a mode code";
  // The MW1 goes out after the MW0: a mode code the rig lacks (0, or the
  // unused 8) would have it refuse the transmit side only, leaving the
  // channel stored as simplex.
  if (!kept.tx.empty() &&
      KenwoodModeCode(KenwoodModeName(kept.tx[11]), modelCode) != kept.tx.substr(11))
    return "the kept transmit side's mode code '" + kept.tx.substr(11) + "' is none the " +
           modelCode + " takes";
  return {};
}

std::string NameCharactersRigCannotHold(std::string_view name, std::string_view modelCode) {
  const RecordSchema* schema = SchemaOf(modelCode);
  if (!schema || schema->nameLength == 0) return {};
  // Printable ASCII on every rig that keeps names; only an ASCII write
  // ends at a ';'.
  const bool ascii = IsAscii(FamilyOf(modelCode));
  std::string bad;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if ((u < 0x20 || u > 0x7E || (ascii && c == ';')) && bad.find(c) == std::string::npos)
      bad += c;
  }
  return bad;
}

namespace {

// Hertz read as the rig's answers are: leading blanks, then digits up to
// the first other character.
long long LeadingNumber(const std::string& field) {
  size_t i = 0;
  while (i < field.size() && field[i] == ' ')
    ++i;
  long long v = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i)
    v = v * 10 + (field[i] - '0');
  return v;
}

}  // namespace

std::string KenwoodReadCommand(const std::string& channel, const std::string& modelCode,
                               bool loadFinished) {
  std::string ch = rigops::TwoDigits(channel);
  if (FamilyOf(modelCode) == RigFamily::Ft2000) {
    if (ch.size() == 2) ch = "0" + ch;
    return "MC" + ch + ";MR" + ch + ";";
  }
  const std::string at = (ZeroHundreds(modelCode) ? "0" : " ") + ch;
  return loadFinished ? "MR0" + at + ";MC" + at + ";" : "MR0" + at + ";";
}

KeptFields KeptOfRecord(const std::string& record, const std::string& modelCode) {
  const RecordSchema* schema = SchemaOf(modelCode);
  const size_t closed = record.find(';');
  if (!schema || closed == std::string::npos) return {};
  KeptFields kept{modelCode, {}};
  for (const RecordSpan& s : schema->spans) {
    if (s.at + s.length > closed) return {};
    kept.fields += record.substr(s.at, s.length);
  }
  return kept;
}

RigCommand KenwoodWriteCommand(const std::string& channel, const std::string& freq,
                               const std::string& mode, const std::string& name,
                               const std::string& modelCode, const KeptFields& kept) {
  const std::string cc = rigops::TwoDigits(channel);
  const bool ft2000 = FamilyOf(modelCode) == RigFamily::Ft2000;
  const RowFreq f = CheckRowFreq(cc, freq, modelCode);
  if (!f.refusal.empty()) return {{}, f.refusal};
  const RecordSchema* schema = SchemaOf(modelCode);
  const bool named = schema && schema->nameLength > 0;
  if (f.empty) {
    if (ft2000) return {"MW" + (cc.size() == 2 ? "0" + cc : cc) + "00000000+000000000000;", {}};
    // The empty record: frequency, mode and every field zero, no name.
    if (named) return {NamedWrite(cc, "00000000000", "0", "", *schema, std::string(23, '0')), {}};
    return {"MW0 " + cc + "00000000000" + "0" + "0000 ;", {}};
  }
  const std::string code = KenwoodModeCode(rigops::ModeToSend(mode), modelCode);
  if (code.empty()) return {{}, rigops::ModeRefusal(cc, mode)};
  const std::string digits = KenwoodFreqDigits(f.hertz, modelCode);
  const bool keep = Usable(kept, modelCode);
  if (const std::string problem = KeptFieldsProblem(kept, modelCode); !problem.empty())
    return {{}, "Channel " + cc + ": " + problem + "; the channel was not written."};
  if (named) {
    const std::string bad = NameCharactersRigCannotHold(Trim(name), modelCode);
    if (!bad.empty()) {
      std::string shown;
      for (char c : bad)
        shown += (shown.empty() ? "" : " ") + Shown(c);
      return {{},
              "Channel " + cc + ": the name holds characters the " + modelCode + " cannot hold (" +
                  shown + "); the channel was not written."};
    }
  }
  const std::string fields = keep ? kept.fields : HandTypedKept(modelCode);
  if (ft2000) {
    const std::string before = fields.substr(0, 7);
    const std::string after = fields.substr(7);
    return {"MW" + (cc.size() == 2 ? "0" + cc : cc) + digits + before + code + after + ";", {}};
  }
  // A split's transmit side (or a scan pair's end) follows its receive
  // side: a receive-side write alone leaves the channel simplex.
  const bool split = keep && kept.tx.size() == 12 && IsAllDigits(kept.tx);
  const std::string txDigits = split ? kept.tx.substr(0, 11) : "", txCode = split ? kept.tx.substr(11) : "";
  if (split) {
    // Checked before anything goes out: a rig that refused only the
    // transmit side would be left with a channel half written.
    const long long txHertz = std::stoll(txDigits);
    const Coverage coverage = CoverageOf(modelCode);
    if (!Covers(coverage, txHertz))
      return {{},
              "Channel " + cc + ": the transmit side " + FreqText(txHertz) +
                  " is outside what the " + modelCode + " can store (" +
                  DescribeRanges(coverage) + "); the channel was not written."};
  }
  for (const std::string& side : {code, txCode})
    if (const std::string problem = StepProblem(modelCode, fields, side); !problem.empty())
      return {{}, "Channel " + cc + ": " + problem + "; the channel was not written."};
  std::string receive, transmit;
  if (named) {
    receive = NamedWrite(cc, digits, code, name, *schema, fields);
    if (split) transmit = NamedWrite(cc, txDigits, txCode, name, *schema, fields, '1');
  } else {
    receive = "MW0 " + cc + digits + code + fields + " ;";
    if (split) transmit = "MW1 " + cc + txDigits + txCode + fields + " ;";
  }
  return {receive + transmit, {}, transmit};
}

std::string HandTypedKept(const std::string& modelCode) {
  const RecordSchema* schema = SchemaOf(modelCode);
  return schema ? schema->HandTyped() : std::string();
}

std::string KenwoodClearCommand(int channel, const std::string& modelCode) {
  return KenwoodWriteCommand(ChannelText(channel), "", "", "", modelCode).text;
}

ChannelAnswer ParseKenwoodAnswer(const std::vector<std::string>& lines,
                                 const std::string& modelCode) {
  ChannelAnswer r;
  const std::string text = rigops::TranscriptText(lines);
  if (text.empty()) {
    r.status = ChannelAnswer::Status::NoTranscript;
    return r;
  }
  // The first answer since the transcript was cleared, up to the next one.
  // Each answer is a line of its own behind a "#"; a "#" inside a line is
  // the rig's data (a TS-2000 name may hold one) and ends nothing.
  const size_t start = text.find('#');
  if (start == std::string::npos) return r;
  const size_t next = text.find("\r\n#", start + 1);
  const std::string a =
      text.substr(start + 1, next == std::string::npos ? std::string::npos : next - start - 1);
  if (StartsWith(a, "OI")) {
    r.status = a.size() >= 22 && a[21] == '1' ? ChannelAnswer::Status::MemoryStatus
                                              : ChannelAnswer::Status::VfoStatus;
    return r;
  }
  const std::string first = Piece(a, ";", 1, 1);
  // How a model says a channel is empty: the FT-2000 refuses the read, a
  // TS-2000 unit may answer "N;". Elsewhere a "?;" is only a refusal (busy,
  // transmitting), and "E;" and "O;" are errors: no word on the channel.
  if ((first == "?" && FamilyOf(modelCode) == RigFamily::Ft2000) ||
      (first == "N" && IsTs2000(modelCode))) {
    r.status = ChannelAnswer::Status::Empty;
    return r;
  }
  if (first == "?") return r;

  // An answer cut by a cluster boundary would still give the digits before
  // the cut as a (wrong) frequency: only a record closed after its mode
  // code counts.
  const size_t closed = Piece(a, ";", 1, 1).size();
  std::string field;
  char code = 0;
  if (FamilyOf(modelCode) != RigFamily::Kenwood) {
    if (closed < 21 || closed == a.size()) return r;
    // Three channel digits (the FT-2000 has 001-117): one from 100 up, or
    // a field that is no number, is none of the table's rows. Taking the
    // last two digits alone put channel 105 into row 05.
    const std::string number = Sub(a, 2, 3);
    if (number.size() == 3 && number[0] == '0' && IsAllDigits(number)) r.channel = number.substr(1);
    field = Sub(a, 5, 8);
    code = a.size() > 20 ? a[20] : 0;
  } else if (StartsWith(a, "MR")) {
    if (closed < 18 || closed == a.size()) return r;
    // Offset 3 is a blank on the TS-570/870 and the hundreds digit on the
    // TS-2000; a channel from 100 up is none of the table's rows.
    if (a.size() > 3 && (a[3] == ' ' || a[3] == '0') && IsAllDigits(Sub(a, 4, 2)))
      r.channel = Sub(a, 4, 2);
    field = Sub(a, 6, 11);
    code = a.size() > 17 ? a[17] : 0;
    const RecordSchema* schema = SchemaOf(modelCode);
    if (schema && schema->nameLength > 0 && a.size() > 41) {
      // Padded to its length or not: the TS-590 and TS-480 units differ.
      const auto end = a.find(';', 41);
      if (end != std::string::npos) {
        r.hasName = true;
        r.name = Trim(a.substr(41, std::min<size_t>(end - 41, schema->nameLength)));
      }
    }
  } else if (StartsWith(a, "MD")) {
    const auto fa = a.find("FA");
    if (fa != std::string::npos && a.find(';', fa) != std::string::npos)
      field = a.substr(fa + 2, 11);
    code = a.size() > 2 ? a[2] : 0;
  } else {
    return r;
  }
  const long long hertz = LeadingNumber(field);
  if (hertz <= 0) {
    // A closed memory record of zeros is the TS rigs' empty channel; it
    // still names its channel.
    const std::string channel = r.channel;
    r = ChannelAnswer{};
    if (StartsWith(a, "MR") && field.find_first_not_of('0') == std::string::npos &&
        field.size() == (FamilyOf(modelCode) == RigFamily::Kenwood ? 11u : 8u)) {
      r.status = ChannelAnswer::Status::Empty;
      r.channel = channel;
    }
    return r;
  }
  r.status = ChannelAnswer::Status::Channel;
  r.freq = AsciiFreqDisplay(hertz);
  r.mode = code ? KenwoodModeName(code) : std::string();
  if (StartsWith(a, "MR")) r.kept = KeptOfRecord(a, modelCode);
  if (StartsWith(a, "MR") && FamilyOf(modelCode) == RigFamily::Kenwood) r.side = Sub(a, 6, 12);
  return r;
}

ChannelAnswer ParseKenwoodHeld(const std::vector<std::string>& lines,
                               const std::string& modelCode, const std::string& channel) {
  const std::string want = rigops::TwoDigits(channel);
  // Every answer of the transcript, one record each: a late record of the
  // read before may come first, alone or in the same cluster.
  std::optional<ChannelAnswer> unnamed;
  bool any = false;
  for (const std::string& line : lines) {
    if (!StartsWith(line, "#")) continue;
    const std::string cluster = line.substr(1);
    for (size_t at = 0; at < cluster.size();) {
      const size_t end = cluster.find(';', at);
      const std::string record =
          cluster.substr(at, end == std::string::npos ? std::string::npos : end - at + 1);
      at = end == std::string::npos ? cluster.size() : end + 1;
      any = true;
      ChannelAnswer a = ParseKenwoodAnswer({"#" + record}, modelCode);
      if (!a.channel.empty()) {
        if (a.channel == want) return a;
      } else if (!unnamed) {
        unnamed = a;
      }
    }
  }
  if (!any) return ParseKenwoodAnswer(lines, modelCode);
  // Only an answer that names no channel ("N;", "?;", a record cut short)
  // can be this read's; one naming another channel is not.
  return unnamed ? *unnamed : ChannelAnswer{};
}

namespace {

// The rig answers neither a memory write nor a clear; its identity query
// it always answers, and only after the commands before it. Other
// rig-control software syncs on it the same way.
constexpr const char* kIdentityQuery = "ID;";

// The identity answer is also the rig saying which model it is. A rig that
// answers as another model gets the selected model's records all the
// same (the choice is the user's), but not silently.
void TellIdentity(const RigContext& ctx) {
  const std::string model = ctx.form.shared.ModelCode.Get();
  const std::string_view want = IdentityOf(model);
  const std::string got = ctx.answers.tally.LastIdentity();
  if (want.empty() || got.empty() || got == want) return;
  if (!ctx.answers.FirstTime(model + " " + got)) return;
  const std::string_view other = ModelOfIdentity(got);
  ctx.notices.Remark(ctx.host, "The rig answers as " +
                                   (other.empty() ? std::string("another model")
                                                  : "a " + std::string(other)) +
                                   " (ID" + got + "), not the " + model + " selected.");
}

Exchange SendAndSync(const RigContext& ctx, const std::string& command) {
  const uint64_t before = ctx.answers.tally.IdAnswers();
  rigops::SendEcho(ctx, command + "\r\n", 1, command);
  rigops::OnGui(ctx, [&] { ctx.io.Send(kIdentityQuery); });
  const bool answered =
      rigops::AwaitAnswers(ctx, &AnswerTally::IdAnswers, before, ctx.form.shared.ChannelInterval);
  if (answered) TellIdentity(ctx);
  return rigops::Outcome(answered);
}

// A read request: its answer awaited when answer-paced, else one interval.
void SendRead(const RigContext& ctx, const std::string& command) {
  rigops::SendThenWait(
      ctx, [&] { rigops::SendEcho(ctx, command + "\r\n", 1, command); },
      [&] { ctx.host.Sleep(ctx.form.shared.ChannelInterval); });
}

}  // namespace

void KenwoodReadChannel(const RigContext& ctx, const std::string& channel) {
  SendRead(ctx,
           KenwoodReadCommand(channel, ctx.form.shared.ModelCode, ctx.form.shared.LoadFinished));
}

void KenwoodReadTransmitSide(const RigContext& ctx, const std::string& channel) {
  SendRead(ctx, std::string("MR1") + (ZeroHundreds(ctx.form.shared.ModelCode.Get()) ? "0" : " ") +
                    rigops::TwoDigits(channel) + ";");
}

Exchange KenwoodWriteChannel(const RigContext& ctx, const std::string& channel,
                             const std::string& freq, const std::string& mode,
                             const std::string& name, const KeptFields& kept) {
  const RigCommand command =
      KenwoodWriteCommand(channel, freq, mode, name, ctx.form.shared.ModelCode, kept);
  if (command.text.empty()) {
    ctx.notices.Report(ctx.host, command.refusal);
    return Exchange::NotSent;
  }
  const std::string cc = rigops::TwoDigits(channel);
  const AnswerTally& tally = ctx.answers.tally;
  if (rigops::Paced(ctx)) {
    // The rig answers the write only when it cannot take it: a "?;" before
    // the identity answer is this channel's refusal (a frequency or mode
    // it does not allow), not an answered write. A split's two sides are
    // synced one by one, so a refused transmit side is told apart.
    const std::string receive = command.text.substr(0, command.text.size() - command.transmit.size());
    uint64_t refusals = tally.Refusals();
    Exchange e = SendAndSync(ctx, receive);
    ctx.form.shared.ChannelSent = true;
    if (e == Exchange::Answered && tally.Refusals() > refusals) {
      ctx.notices.Report(ctx.host, "Channel " + cc + ": the rig refused the write; the channel was not written.");
      return Exchange::Refused;
    }
    if (command.transmit.empty() || e != Exchange::Answered) return e;
    refusals = tally.Refusals();
    e = SendAndSync(ctx, command.transmit);
    if (e == Exchange::Answered && tally.Refusals() > refusals) {
      ctx.notices.Report(ctx.host, "Channel " + cc +
                                       ": the receive side was written, but the rig refused the "
                                       "transmit side; the channel is simplex now.");
      return Exchange::Sent;  // changed, but not into what was meant
    }
    return e;
  }
  const uint64_t refusals = tally.Refusals();
  rigops::SendEcho(ctx, command.text + "\r\n", 1, command.text);
  ctx.form.shared.ChannelSent = true;
  ctx.host.Sleep(ctx.form.shared.ChannelInterval);
  // With fixed pacing a refusal that came while this channel was written is
  // this channel's; one arriving later goes unseen, as before.
  if (tally.Refusals() > refusals) {
    ctx.notices.Report(ctx.host, "Channel " + cc +
                                     ": the rig answered the write with a refusal (\"?;\"); it "
                                     "may not hold the channel.");
    return Exchange::Sent;  // which command it refused is not known
  }
  return Exchange::Sent;
}

namespace {

// The complete memory records of the cluster just received (the
// transcript's last line). An answer that came late arrives after the
// transcript was cleared for the next channel, alone or together with that
// channel's answer; each record names its channel, so each goes to its own
// row. Parsing only the transcript's first answer took the late one twice
// and lost the next.
std::vector<std::string> MemoryRecordsOfLastCluster(const std::vector<std::string>& lines) {
  std::vector<std::string> records;
  if (lines.empty() || !StartsWith(lines.back(), "#MR")) return records;
  const std::string cluster = lines.back().substr(1);
  size_t at = 0;
  while (at < cluster.size()) {
    const size_t end = cluster.find(';', at);
    if (end == std::string::npos) break;
    records.push_back(cluster.substr(at, end - at + 1));
    at = end + 1;
  }
  return records;
}

void StoreAnswer(const RigContext& ctx, const ChannelAnswer& a) {
  if (a.hasName)
    ctx.form.SetChannel(a.channel, a.freq, a.mode, a.name);
  else
    ctx.form.SetChannelFreqMode(a.channel, a.freq, a.mode);
  ctx.form.SetRowKept(a.channel, a.kept);
}

}  // namespace

ChannelAnswer KenwoodParseAnswer(const RigContext& ctx) {
  const std::vector<std::string> lines = ctx.io.TranscriptLines();
  const std::string& model = ctx.form.shared.ModelCode;
  ChannelAnswer a;
  std::vector<std::string> earlier;
  const std::vector<std::string> records = MemoryRecordsOfLastCluster(lines);
  for (const std::string& record : records) {
    if (a.status == ChannelAnswer::Status::Channel && !a.channel.empty()) {
      StoreAnswer(ctx, a);
      earlier.push_back(a.channel);
    }
    a = ParseKenwoodAnswer({"#" + record}, model);
  }
  // Anything else (a status answer, a record cut by a cluster boundary) is
  // the transcript's first answer.
  if (records.empty()) a = ParseKenwoodAnswer(lines, model);
  a.alsoNamed = std::move(earlier);
  using S = ChannelAnswer::Status;
  if (a.status == S::MemoryStatus || a.status == S::VfoStatus) {
    ctx.form.edStatus.SetText(a.status == S::MemoryStatus ? "MEMORY" : "VFO");
    return a;
  }
  if (a.status != S::Channel) return a;
  StoreAnswer(ctx, a);
  if (ctx.io.TerminalVisible()) {
    ctx.io.SetDecodedFreq(Trim(a.freq));
    ctx.io.SetDecodedMode(a.mode);
  }
  return a;
}

Exchange KenwoodClearChannel(const RigContext& ctx, int channel) {
  const std::string command = KenwoodClearCommand(channel, ctx.form.shared.ModelCode);
  if (rigops::Paced(ctx)) return SendAndSync(ctx, command);
  rigops::SendEcho(ctx, command + "\r\n", 1, command);
  return Exchange::Sent;
}

void KenwoodVfoA(const RigContext& ctx) {
  rigops::SendEcho(ctx, rigops::AddLf(ctx) ? "MA;\r\n" : "MA;", 1, "MA;");
  ctx.host.Sleep(2 * ctx.form.shared.ChannelInterval);
}

void KenwoodMemoryMode(const RigContext& ctx) {
  rigops::SendEcho(ctx, rigops::AddLf(ctx) ? "VM;\r\n" : "VM;", 1, "VM;");
  ctx.host.Sleep(4 * ctx.form.shared.ChannelInterval);
}

}  // namespace varnek
