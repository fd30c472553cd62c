#pragma once
#include <string>
#include <string_view>

namespace varnek {

// Why the selected model cannot hold `freq` in a row, as the save would
// refuse it, worded for an edit ("Channel 05: ... can store (...)."); empty
// when it can, when the text is blank, or when no rig is selected.
std::string FreqRefusal(const std::string& channel, std::string_view freq,
                        std::string_view modelCode);

}  // namespace varnek
