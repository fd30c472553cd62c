#include "rig/kept_hint.h"

#include <vector>

#include "base/text.h"
#include "rig/freq.h"
#include "rig/modes.h"
#include "rig/record_schema.h"

namespace varnek {
namespace {

std::string Join(const std::vector<std::string>& parts) {
  std::string s;
  for (const std::string& p : parts)
    if (!p.empty()) s += (s.empty() ? "" : " \xB7 ") + p;
  return s;
}

std::string At(const RecordSchema& schema, FieldRole role, const std::string& f) {
  const RecordField* field = schema.Field(role);
  return field ? FieldMeaning(schema, *field, FieldText(*field, f)) : std::string();
}

// The clarifier's fields in the record's order: sign, offset, RX, TX.
std::string ClarifierHint(const RecordSchema& schema, const std::string& f) {
  std::vector<const RecordField*> c;
  for (const RecordField& field : schema.fields)
    if (field.role == FieldRole::Clarifier) c.push_back(&field);
  if (c.size() != 4) return {};
  const std::string offset = FieldText(*c[0], f) + FieldText(*c[1], f);
  const bool rx = FieldText(*c[2], f) == "1", tx = FieldText(*c[3], f) == "1";
  if (!rx && !tx && FieldText(*c[1], f) == c[1]->handTyped) return {};
  return "clarifier " + offset + " Hz" + (rx ? " RX" : "") + (tx ? " TX" : "");
}

std::string ToneHint(const RecordSchema& schema, const RecordField& type, const std::string& f) {
  const std::string chars = FieldText(type, f);
  if (chars == type.handTyped) return {};
  if (type.coding != FieldCoding::Choice) {
    // Codes of a table not confirmed here: told as they stand.
    const RecordField* tone = schema.Field(FieldRole::Tone);
    return std::string(type.name) + " " + chars + ", tone no. " + (tone ? FieldText(*tone, f) : "");
  }
  const FieldChoice* choice = ChoiceOf(type, chars);
  switch (static_cast<ToneKind>(choice ? choice->tag : 0)) {
    case ToneKind::Tone:
      return "tone " + At(schema, FieldRole::Tone, f);
    case ToneKind::Tsql:
      return "CTCSS " + At(schema, FieldRole::Ctcss, f);
    case ToneKind::Dtcs:
      return "DCS " + At(schema, FieldRole::Dcs, f);
    case ToneKind::Cross:
      return "cross tone " + At(schema, FieldRole::Tone, f) + " / " +
             At(schema, FieldRole::Ctcss, f);
    case ToneKind::None:
      break;
  }
  return {};
}

// The fields that differ from a row typed by hand, in words: the
// clarifier, the tone, reverse, shift and offset, step, group, filter,
// data mode, FM narrow, and the lockout last.
std::string FieldsHint(const KeptFields& kept) {
  const RecordSchema* schema = SchemaOf(kept.model);
  const std::string& f = kept.fields;
  if (!schema || f.size() != schema->KeptLength()) return {};
  std::vector<std::string> parts{ClarifierHint(*schema, f)};
  if (const RecordField* type = schema->Field(FieldRole::ToneType))
    parts.push_back(ToneHint(*schema, *type, f));
  // A choice counts only as one of its codes: characters the rig never
  // sends mean nothing to tell.
  const auto changed = [&](FieldRole role) {
    const RecordField* field = schema->Field(role);
    if (!field) return false;
    const std::string chars = FieldText(*field, f);
    return chars != field->handTyped &&
           (field->coding != FieldCoding::Choice || ChoiceOf(*field, chars) != nullptr);
  };
  if (changed(FieldRole::Reverse)) parts.push_back(At(*schema, FieldRole::Reverse, f));
  if (changed(FieldRole::Shift)) {
    const std::string offset = At(*schema, FieldRole::Offset, f);
    parts.push_back("shift " + At(*schema, FieldRole::Shift, f) +
                    (offset.empty() ? "" : " " + offset));
  }
  if (changed(FieldRole::Step))
    parts.push_back("step " + FieldText(*schema->Field(FieldRole::Step), f));
  if (changed(FieldRole::Group)) parts.push_back("group " + At(*schema, FieldRole::Group, f));
  for (const FieldRole role :
       {FieldRole::Filter, FieldRole::DataMode, FieldRole::FmNarrow, FieldRole::Lockout})
    if (changed(role)) parts.push_back(At(*schema, role, f));
  return Join(parts);
}

// A split's transmit side: "transmit 14.300.000 USB".
std::string TxHint(const std::string& tx) {
  if (tx.size() != 12 || !IsAllDigits(tx)) return {};
  return "transmit " + Trim(AsciiFreqDisplay(std::stoll(tx.substr(0, 11)))) + " " +
         KenwoodModeName(tx[11]);
}

}  // namespace

std::string KeptFieldsHint(const KeptFields& kept) {
  if (kept.Empty()) return {};
  const std::string fields = FieldsHint(kept), tx = TxHint(kept.tx);
  return Join({tx, fields});
}

}  // namespace varnek
