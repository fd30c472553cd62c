#pragma once
// The fields of a rig's memory record that the table does not show (tones,
// shift, lockout, ...), kept with a row so that writing the row back to the
// same model leaves them as the rig held them. They are the record's own
// characters, in the model's layout, named by the model code they came from.
#include <optional>
#include <string>
#include <string_view>

namespace varnek {

struct KeptFields {
  std::string model;   // the model code of the rig that answered
  std::string fields;  // the record's characters, in that model's layout
  // The transmit side of a split memory (or the end of a scan pair), as
  // the rig's transmit-side record gave it: frequency digits and mode
  // code. Empty for a simplex channel or one whose transmit side was not
  // read.
  std::string tx;

  bool Empty() const { return model.empty() || fields.empty(); }
  bool operator==(const KeptFields&) const = default;
};

// The channel file's form: "MODEL:fields" ("TS-570:1108"), with ":tx"
// after it for a split ("TS-570:0000:000142500002"); empty for none.
std::string KeptFieldsText(const KeptFields& kept);
// The form read back; nullopt for a text that is not one (no model, no
// colon, a control character).
std::optional<KeptFields> KeptFieldsFromText(std::string_view text);

}  // namespace varnek
