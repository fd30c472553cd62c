#pragma once
// Answer-paced runs beside classic pacing, the line's own limit and Hamlib.

#include <string>

namespace varnek::bench {

// `classicStride`: the classic runs move every Nth channel only, their time
// scaled to the whole bank (classic pacing costs the same for every
// channel); 0 takes each rig's own. `only`: one rig label (ts570, icom, ...)
// or empty for all.
int Paced(int classicStride, const std::string& only);
// CPU seconds of one answer-paced read and write of channels 01-99 by
// varnek-cli, beside rigmem save and load of the same rig.
int Cpu(const std::string& only);

}  // namespace varnek::bench
