#include "base/kept_fields.h"

namespace varnek {

std::string KeptFieldsText(const KeptFields& kept) {
  if (kept.Empty()) return {};
  return kept.model + ":" + kept.fields;
}

std::optional<KeptFields> KeptFieldsFromText(std::string_view text) {
  if (text.empty()) return KeptFields{};
  const size_t colon = text.find(':');
  if (colon == 0 || colon == std::string_view::npos || colon + 1 == text.size())
    return std::nullopt;
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == ';') return std::nullopt;
  return KeptFields{std::string(text.substr(0, colon)), std::string(text.substr(colon + 1))};
}

}  // namespace varnek
