#pragma once
// The VFO-A and memory-mode commands, in the form the model code's
// single-command rule picks ("IC" CI-V; "FT-1", "FT-8", "FT-9" five-byte;
// anything else ASCII), each with its pause.
#include "rig/rig_io.h"

namespace varnek {

void SendVfoA(const RigContext& ctx);
void SendMemoryModeCommand(const RigContext& ctx);

}  // namespace varnek
