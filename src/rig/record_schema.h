#pragma once
// Each model's memory record, described once: which of its fields the table
// does not show (tones, shift, lockout, filter, ...), where each sits in the
// kept-fields text (KeptFields::fields), how its characters are coded, which
// values it may take and what they mean, and what a row typed by hand
// writes there. The command sets build and check their writes from it, and
// the hint, the CSV mappings and the memory editor read the same table, so a
// new model is one description rather than a switch in every feature.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/kept_fields.h"

namespace varnek {

// What a field is, for the features that read fields by meaning (the
// words of other programs' channel lists, the hint, the editor's columns).
enum class FieldRole {
  Other,
  Lockout,     // "1": scans skip the channel
  ToneType,    // choices tagged with a ToneKind
  Tone,        // the tone sent with the transmission
  Ctcss,       // the tone squelch's tone
  Dcs,         // the DCS code
  Reverse,
  Shift,       // choices tagged '+', '-' or 0
  Offset,      // the repeater offset in hertz
  Step,
  Group,       // memory group / scan select group
  Filter,
  DataMode,
  FmNarrow,
  Clarifier,   // FT-2000: sign, offset, RX and TX switches
  Fixed,       // characters the rig keeps constant: kept, never shown
};

// How a tone-type choice reads in other programs' words.
enum class ToneKind { None, Tone, Tsql, Dtcs, Cross };

// How a field's characters are coded.
enum class FieldCoding {
  Choice,     // exactly one of `choices`
  Number,     // decimal digits, `low`..`high`
  ToneIndex,  // decimal index into the schema's tone table
  DcsIndex,   // decimal index into the standard DCS code list
  Hertz,      // decimal digits of hertz, `low`..`high`, a multiple of `unit`
  BcdDeciHz,  // BCD digits of tenths of a hertz ("000885" = 88.5 Hz), one of the tone table's tones
  AnyDigits,  // digits whose codes are not confirmed: kept as they are
};

struct FieldChoice {
  std::string_view code;     // the characters in the record
  std::string_view meaning;  // "CTCSS", "FIL2", "narrow"
  int tag = 0;               // a ToneKind for ToneType, the duplex sign for Shift
};

struct RecordField {
  std::string_view name;  // as messages and the editor say it: "tone type"
  FieldRole role;
  std::size_t at;         // place in the kept-fields text
  std::size_t length;
  FieldCoding coding;
  std::vector<FieldChoice> choices;  // Choice
  long long low = 0, high = 0, unit = 1;  // Number, Hertz
  std::string_view handTyped;             // what a row typed by hand holds here
};

// Where kept characters sit in the rig's memory answer and write, counted
// from the first letter of "MR"/"MW".
struct RecordSpan {
  std::size_t at, length;
};

struct RecordSchema {
  std::string_view layout;  // the model code the description is named by
  std::vector<RecordField> fields;  // in the order of the kept text, end to end
  // The record's places the kept text is cut from, in order.
  std::vector<RecordSpan> spans;
  // The model's tone table in tenths of a hertz, index `toneBase` first;
  // tone numbers beyond it (the 1750 Hz burst) are `burstIndex`.
  std::vector<int> tones;
  int toneBase = 0;
  int burstIndex = -1;
  // The name the memory holds: up to `nameLength` characters; 0 for none.
  std::size_t nameLength = 0;
  // Whether a write sends the name blank-padded to `nameLength`.
  bool namePadded = false;
  // Whether the memory keeps a split's transmit side with the channel.
  bool keepsTransmitSide = false;

  std::size_t KeptLength() const;
  std::string HandTyped() const;
  const RecordField* Field(FieldRole role) const;
};

// The record description of a model code; nullptr for a model whose
// memories keep nothing beyond frequency and mode.
const RecordSchema* SchemaOf(std::string_view modelCode);

// The identity a model's rig answers "ID;" with ("021"); empty where the
// program does not check it. The model a rig's identity stands for
// ("TS-480" for "020"); empty for one it does not know.
std::string_view IdentityOf(std::string_view modelCode);
std::string_view ModelOfIdentity(std::string_view identity);

// The characters a field's places may hold, for the place-by-place check
// of hand-edited text: a choice's characters in order ("0123", "+-");
// empty where the places hold decimal digits.
std::string FieldCharacters(const RecordField& field);
// A field's characters as a tone in tenths of a hertz: 0 for none, for the
// burst, or for a number outside the table.
int FieldToneDeciHz(const RecordSchema& schema, const RecordField& field,
                    std::string_view characters);
// Whether a tone field's characters name the 1750 Hz burst.
bool IsBurst(const RecordSchema& schema, const RecordField& field, std::string_view characters);
// The characters that name a tone in `field` (tenths of a hertz); empty
// when the model's table lacks it.
std::string ToneCharacters(const RecordSchema& schema, const RecordField& field, int deciHz);
// A DCS field's characters as the code's octal digits as written (23 for
// "023"); 0 for an index outside the standard list. And back: empty for a
// code not on the list.
int FieldDcsCode(const RecordField& field, std::string_view characters);
std::string DcsCharacters(const RecordField& field, int code);
// The choice a field's characters are; nullptr for none of them.
const FieldChoice* ChoiceOf(const RecordField& field, std::string_view characters);

// A field's characters in `fields` (empty when the text is too short).
std::string FieldText(const RecordField& field, std::string_view fields);
// What a field's characters mean, as the hint and the editor show them:
// "CTCSS", "88.5 Hz", "600 kHz", "023" for a DCS code; "no. 45" for a tone
// or DCS number outside the tables; the characters themselves when they
// mean nothing the schema knows.
std::string FieldMeaning(const RecordSchema& schema, const RecordField& field,
                         std::string_view characters);
// What a field may hold, as messages say it: "00-42", "one of 0, 1, 2",
// "0 to 59.95 MHz in 50 kHz steps", "digits".
std::string FieldRange(const RecordField& field);
// Why `characters` cannot stand in `field` ("the tone type (0-3) is 'Z'"),
// empty when they can.
std::string FieldProblem(const RecordSchema& schema, const RecordField& field,
                         std::string_view characters);

}  // namespace varnek
