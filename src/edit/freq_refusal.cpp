#include "edit/freq_refusal.h"

#include "base/rig_family.h"
#include "base/text.h"
#include "rig/coverage.h"

namespace varnek {

std::string FreqRefusal(const std::string& channel, std::string_view freq,
                        std::string_view modelCode) {
  if (Trim(freq).empty() || FamilyOf(modelCode) == RigFamily::None) return {};
  std::string refusal = CheckRowFreq(channel, freq, modelCode).refusal;
  // The save's wording ends in what it did about it; an edit is refused
  // before anything is written.
  constexpr std::string_view kSaveEnd = "; the channel was not written.";
  if (refusal.size() >= kSaveEnd.size() &&
      refusal.compare(refusal.size() - kSaveEnd.size(), kSaveEnd.size(), kSaveEnd) == 0)
    refusal.replace(refusal.size() - kSaveEnd.size(), kSaveEnd.size(), ".");
  return refusal;
}

}  // namespace varnek
