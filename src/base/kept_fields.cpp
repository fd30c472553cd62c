#include "base/kept_fields.h"

namespace varnek {

std::string KeptFieldsText(const KeptFields& kept) {
  if (kept.Empty()) return {};
  return kept.model + ":" + kept.fields + (kept.tx.empty() ? "" : ":" + kept.tx);
}

std::optional<KeptFields> KeptFieldsFromText(std::string_view text) {
  if (text.empty()) return KeptFields{};
  const size_t colon = text.find(':');
  if (colon == 0 || colon == std::string_view::npos || colon + 1 == text.size())
    return std::nullopt;
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == ';') return std::nullopt;
  const std::string_view rest = text.substr(colon + 1);
  const size_t second = rest.find(':');
  if (second == 0 || (second != std::string_view::npos && second + 1 == rest.size()))
    return std::nullopt;
  if (second == std::string_view::npos)
    return KeptFields{std::string(text.substr(0, colon)), std::string(rest), {}};
  return KeptFields{std::string(text.substr(0, colon)), std::string(rest.substr(0, second)),
                    std::string(rest.substr(second + 1))};
}

}  // namespace varnek
