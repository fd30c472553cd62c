#pragma once
// What frequencies each rig model's memories can hold, and the check every
// writer makes of a row's frequency text before anything goes to the rig:
// a text that is no frequency, reads two ways on this rig, or names a
// frequency the rig cannot store is refused for that channel with the
// reason, instead of reaching the rig as something else.
#include <string>
#include <string_view>
#include <vector>

namespace varnek {

struct FreqRange {
  long long low = 0;   // hertz, inclusive
  long long high = 0;  // hertz, inclusive
};

struct Coverage {
  std::vector<FreqRange> ranges;  // empty: the model stores nothing
  long long stepHz = 1;           // finer digits are dropped
  bool known = false;             // from the model table, not only the wire form
};

// The model table where the code has a row (the union of the model's
// versions, so nothing a real unit holds is refused); otherwise what the
// family's wire form can carry.
Coverage CoverageOf(std::string_view modelCode);
// "0.500.000-60.000.000" and further ranges after a comma.
std::string DescribeRanges(const Coverage& coverage);
bool Covers(const Coverage& coverage, long long hertz);

// A row's frequency as a writer may send it.
struct RowFreq {
  bool empty = false;   // a blank text: the family decides what that means
  long long hertz = 0;  // at the rig's step
  std::string refusal;  // set: nothing is sent for the channel
};
RowFreq CheckRowFreq(const std::string& channel, std::string_view text, std::string_view modelCode);

}  // namespace varnek
