#include "rig/memory_extras.h"

#include <array>

#include "base/rig_family.h"
#include "base/text.h"
#include "rig/icom_memory.h"
#include "rig/record_schema.h"

namespace varnek {
namespace {

std::string Text(const RecordField* field, const std::string& fields) {
  return field ? FieldText(*field, fields) : std::string();
}

// The tone type's choice for a kind of tone; nullptr when the rig has none.
const FieldChoice* ChoiceFor(const RecordField& type, MemoryExtras::Squelch squelch) {
  using S = MemoryExtras::Squelch;
  const ToneKind kind = squelch == S::Tone   ? ToneKind::Tone
                        : squelch == S::Tsql ? ToneKind::Tsql
                        : squelch == S::Dtcs ? ToneKind::Dtcs
                                             : ToneKind::None;
  for (const FieldChoice& c : type.choices)
    if (c.tag == static_cast<int>(kind)) return &c;
  return nullptr;
}

// "the TS-570 keeps a tone, no tone squelch or DTCS".
std::string KindsKept(const RecordField& type, const std::string& model) {
  using S = MemoryExtras::Squelch;
  std::string kept, lacking;
  const std::pair<S, std::pair<const char*, const char*>> kinds[] = {
      {S::Tone, {"a tone", "tone"}}, {S::Tsql, {"a tone squelch", "tone squelch"}},
      {S::Dtcs, {"DTCS", "DTCS"}}};
  for (const auto& [squelch, words] : kinds) {
    const bool has = ChoiceFor(type, squelch) != nullptr;
    std::string& list = has ? kept : lacking;
    const char* joint = list.empty() ? "" : has ? " and " : " or ";
    list += joint + std::string(has ? words.first : words.second);
  }
  return "the " + model + " keeps " + kept + ", no " + lacking;
}

}  // namespace

bool HasExtras(std::string_view modelCode) {
  return SchemaOf(modelCode) != nullptr;
}

std::optional<MemoryExtras> ExtrasOf(const KeptFields& kept, std::vector<std::string>* notCarried) {
  const RecordSchema* schema = SchemaOf(kept.model);
  if (!schema || kept.fields.size() != schema->KeptLength()) return std::nullopt;
  const std::string& f = kept.fields;
  const auto note = [&](const std::string& what) {
    if (notCarried) notCarried->push_back(what);
  };
  MemoryExtras e;
  bool clarifier = false;
  for (const RecordField& field : schema->fields) {
    const std::string chars = FieldText(field, f);
    const bool changed = chars != field.handTyped;
    switch (field.role) {
      case FieldRole::Lockout:
        e.skip = chars == "1";
        break;
      case FieldRole::ToneType: {
        if (field.coding != FieldCoding::Choice) {
          // Codes of a table not confirmed here: told as they stand.
          if (changed)
            note(std::string(field.name) + " " + chars + ", tone no. " +
                 Text(schema->Field(FieldRole::Tone), f));
          break;
        }
        const FieldChoice* choice = ChoiceOf(field, chars);
        const auto kind = static_cast<ToneKind>(choice ? choice->tag : 0);
        const RecordField* tone = schema->Field(FieldRole::Tone);
        if (kind == ToneKind::Tone) {
          e.squelch = MemoryExtras::Squelch::Tone;
          if (tone && IsBurst(*schema, *tone, FieldText(*tone, f))) note("the 1750 Hz tone");
        } else if (kind == ToneKind::Tsql) {
          e.squelch = MemoryExtras::Squelch::Tsql;
        } else if (kind == ToneKind::Dtcs) {
          e.squelch = MemoryExtras::Squelch::Dtcs;
          if (const RecordField* dcs = schema->Field(FieldRole::Dcs))
            e.dtcsCode = FieldDcsCode(*dcs, FieldText(*dcs, f));
        } else if (kind == ToneKind::Cross) {
          // The words have no cross tone; both tones still go out.
          note("cross tone");
        }
        break;
      }
      // Both tone numbers are the record's whichever the tone type (even
      // with the tone off), and go out as CHIRP's two tone columns.
      case FieldRole::Tone:
        e.toneDeciHz = FieldToneDeciHz(*schema, field, chars);
        break;
      case FieldRole::Ctcss:
        e.ctcssDeciHz = FieldToneDeciHz(*schema, field, chars);
        break;
      case FieldRole::Reverse:
        if (changed) note("reverse");
        break;
      case FieldRole::Shift: {
        const FieldChoice* choice = ChoiceOf(field, chars);
        const int sign = choice ? choice->tag : 0;
        if (sign == '+' || sign == '-') e.duplex = static_cast<char>(sign);
        if (sign == '=') note("shift = (split by band)");
        break;
      }
      case FieldRole::Offset:
        if (IsAllDigits(chars)) e.offsetHz = std::stoll(chars);
        break;
      case FieldRole::Step:
        if (changed) note("step " + chars);
        break;
      case FieldRole::Group:
        if (changed) note("group " + chars);
        break;
      case FieldRole::Clarifier:
        if (changed && field.name != "clarifier sign" && !clarifier) {
          note("clarifier");
          clarifier = true;
        }
        break;
      case FieldRole::Filter:
      case FieldRole::DataMode:
      case FieldRole::FmNarrow:
        if (changed) note(FieldMeaning(*schema, field, chars));
        break;
      case FieldRole::Dcs:
      case FieldRole::Fixed:
      case FieldRole::Other:
        break;
    }
  }
  return e;
}

KeptFields KeptFor(const MemoryExtras& e, std::string_view modelCode,
                   std::vector<std::string>& notHeld) {
  const RecordSchema* schema = SchemaOf(modelCode);
  if (!schema) return {};
  const std::string model(modelCode);
  std::string f = schema->HandTyped();
  const auto put = [&](const RecordField& field, const std::string& chars) {
    f.replace(field.at, field.length, chars);
  };
  using S = MemoryExtras::Squelch;
  // What the record has no place for is told after what its fields refuse.
  std::vector<std::string> lacking;
  for (const RecordField& field : schema->fields) {
    switch (field.role) {
      case FieldRole::Lockout:
        put(field, e.skip ? "1" : "0");
        break;
      case FieldRole::ToneType: {
        if (field.coding != FieldCoding::Choice) {
          if (e.squelch != S::Off) lacking.push_back("tones are not carried over to the " + model);
          break;
        }
        if (e.squelch == S::Off) break;
        const FieldChoice* choice = ChoiceFor(field, e.squelch);
        if (!choice) {
          notHeld.push_back(KindsKept(field, model));
          break;
        }
        const RecordField* place = schema->Field(e.squelch == S::Tone   ? FieldRole::Tone
                                                 : e.squelch == S::Tsql ? FieldRole::Ctcss
                                                                        : FieldRole::Dcs);
        if (!place) break;
        if (e.squelch == S::Dtcs) {
          const std::string chars = DcsCharacters(*place, e.dtcsCode);
          if (chars.empty()) {
            notHeld.push_back("DTCS code " + DtcsText(e.dtcsCode) + " is not one of the " + model +
                              "'s codes");
            break;
          }
          put(*place, chars);
        } else {
          const int deciHz = e.squelch == S::Tone ? e.toneDeciHz : e.ctcssDeciHz;
          const std::string chars = ToneCharacters(*schema, *place, deciHz);
          if (chars.empty()) {
            notHeld.push_back("tone " + DeciHzText(deciHz) + " Hz is not one of the " + model +
                              "'s tones");
            break;
          }
          put(*place, chars);
        }
        put(field, std::string(choice->code));
        break;
      }
      case FieldRole::Shift: {
        if (!e.duplex) break;
        for (const FieldChoice& c : field.choices)
          if (c.tag == e.duplex) put(field, std::string(c.code));
        if (!schema->Field(FieldRole::Offset) && e.offsetHz != 0)
          notHeld.push_back("the " + model +
                            " takes its repeater offset from its menu, not the memory");
        break;
      }
      // A record that keeps both tones whatever the tone type gets the
      // other one back as well.
      case FieldRole::Tone:
      case FieldRole::Ctcss: {
        const std::string chars = ToneCharacters(
            *schema, field, field.role == FieldRole::Tone ? e.toneDeciHz : e.ctcssDeciHz);
        if (!chars.empty()) put(field, chars);
        break;
      }
      case FieldRole::Offset: {
        if (e.offsetHz >= field.low && e.offsetHz <= field.high && e.offsetHz % field.unit == 0)
          put(field, ZeroPadded(e.offsetHz, field.length));
        else if (e.duplex)
          notHeld.push_back("offset " + std::to_string(e.offsetHz) + " Hz is not one the " + model +
                            " keeps (" + FieldRange(field) + ")");
        break;
      }
      default:
        break;
    }
  }
  if (e.duplex && !schema->Field(FieldRole::Shift))
    lacking.push_back("the " + model + " keeps no repeater shift");
  if (e.skip && !schema->Field(FieldRole::Lockout))
    lacking.push_back("the " + model + " keeps no skip mark in the memory");
  notHeld.insert(notHeld.end(), lacking.begin(), lacking.end());
  return {model, f};
}

long long SplitTransmitHz(const KeptFields& kept) {
  if (ReadsMemoryContents(kept.model)) return Ic7300SplitHz(kept);
  return kept.tx.size() == 12 && IsAllDigits(kept.tx) ? std::stoll(kept.tx.substr(0, 11)) : 0;
}

std::string DtcsText(int code) {
  return ZeroPadded(code, 3);
}

std::string DeciHzText(int deciHz) {
  return std::to_string(deciHz / 10) + "." + std::to_string(deciHz % 10);
}

}  // namespace varnek
