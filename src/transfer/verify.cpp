#include "transfer/verify.h"

#include "base/rig_family.h"
#include "base/text.h"
#include "rig/command_set.h"
#include "rig/coverage.h"
#include "rig/family.h"
#include "rig/freq.h"
#include "rig/modes.h"
#include "rig/kept_hint.h"
#include "rig/record_schema.h"
#include "rig/rig_io.h"

namespace varnek {

std::string HeldMode(std::string_view mode, std::string_view modelCode) {
  const std::string sent = rigops::ModeToSend(std::string(mode));
  return CommandSetOf(modelCode).HeldMode(sent, modelCode);
}

std::string VerifyDifference(const std::string& channel, const std::string& freq,
                             const std::string& mode, const ChannelAnswer& rig,
                             const std::string& modelCode) {
  using S = ChannelAnswer::Status;
  const std::optional<long long> want = FreqHertz(freq);
  // 0: the rig holds nothing there (an empty record, a refusal, 0 Hz).
  const long long got = rig.status == S::Channel ? FreqHertz(rig.freq).value_or(0) : 0;
  const bool rigEmpty = got == 0;
  const std::string table = want ? Trim(freq) + " " + Trim(mode) : std::string("an empty channel");
  const std::string line = channel + ": the table has " + table + ", the rig ";
  if (!want) return rigEmpty ? std::string() : line + "holds " + Trim(rig.freq) + " " + rig.mode;
  if (rigEmpty) return line + "holds it empty";
  const long long step = CoverageOf(modelCode).stepHz;
  const long long diff = *want > got ? *want - got : got - *want;
  const bool freqOk = diff < step;
  const bool modeOk = Trim(mode).empty() || rig.mode == HeldMode(Trim(mode), modelCode);
  if (freqOk && modeOk) return {};
  return line + "holds " + Trim(rig.freq) + " " + rig.mode;
}

HeldChannel HeldOf(const ChannelAnswer& rig, const ChannelAnswer* tx) {
  HeldChannel h;
  if (rig.status != ChannelAnswer::Status::Channel || FreqHertz(rig.freq).value_or(0) == 0) return h;
  h.empty = false;
  h.freq = Trim(rig.freq);
  h.mode = rig.mode;
  h.hasName = rig.hasName;
  h.name = rig.hasName ? Trim(rig.name) : std::string();
  h.kept = rig.kept;
  h.kept.tx.clear();
  if (tx && tx->status == ChannelAnswer::Status::Channel && tx->side.size() == rig.side.size() &&
      tx->side != rig.side)
    h.kept.tx = tx->side;
  return h;
}

HeldChannel HeldOfRow(const std::string& freq, const std::string& mode, const std::string& name,
                      const KeptFields& kept, const std::string& modelCode) {
  HeldChannel h;
  if (!FreqHertz(freq)) return h;
  h.empty = false;
  h.freq = Trim(freq);
  h.mode = Trim(mode).empty() ? std::string() : HeldMode(Trim(mode), modelCode);
  const RecordSchema* schema = SchemaOf(modelCode);
  h.hasName = schema && schema->nameLength > 0;
  if (h.hasName) h.name = Trim(Trim(name).substr(0, schema->nameLength));
  if (kept.model == modelCode) h.kept = kept;
  return h;
}

namespace {

// A name as a model with names stores it: without blanks around it, at most
// as long as the rig keeps (eight characters on the TS-2000).
std::string StoredName(const std::string& name) {
  return Trim(Trim(name).substr(0, 8));
}

}  // namespace

std::vector<std::string> RowDifferences(const std::string& freq, const std::string& mode,
                                        const std::string& name, const KeptFields& kept,
                                        const HeldChannel& rig, const std::string& modelCode) {
  const std::optional<long long> want = FreqHertz(freq);
  if (!want) return rig.empty ? std::vector<std::string>{} : std::vector<std::string>{"empty in the table"};
  if (rig.empty) return {"empty in the rig"};
  std::vector<std::string> fields;
  const long long got = FreqHertz(rig.freq).value_or(0);
  const long long step = CoverageOf(modelCode).stepHz;
  if ((*want > got ? *want - got : got - *want) >= step) fields.push_back("frequency");
  if (!Trim(mode).empty() && !rig.mode.empty() && HeldMode(Trim(mode), modelCode) != rig.mode)
    fields.push_back("mode");
  if (rig.hasName && StoredName(name) != StoredName(rig.name)) fields.push_back("name");
  const bool bothKept = kept.model == modelCode && rig.kept.model == modelCode &&
                        !kept.fields.empty() && !rig.kept.fields.empty();
  if (bothKept && kept.fields != rig.kept.fields) fields.push_back("kept fields");
  // A row that carries no transmit side (typed, or read by a load, which
  // reads the receive side only) says nothing about the rig's.
  if (kept.model == modelCode && !kept.tx.empty() && kept.tx != rig.kept.tx)
    fields.push_back("transmit side");
  return fields;
}

std::string HeldText(const HeldChannel& rig) {
  if (rig.empty) return "empty";
  std::string text = rig.freq + (rig.mode.empty() ? "" : " " + rig.mode);
  if (rig.hasName && !rig.name.empty()) text += " '" + rig.name + "'";
  const std::string kept = KeptFieldsHint(rig.kept);
  if (!kept.empty()) text += " \xB7 " + kept;
  return text;
}

}  // namespace varnek
