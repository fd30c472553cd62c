#pragma once
// import and export: CSV files of other programs to and from a channel file.
// They need no rig on the line: the rig only chooses the mode names and what
// the rig can hold.
#include <iosfwd>

#include "cli/options.h"

namespace varnek::cli {

int ExchangeCsv(const Options& o, bool import, std::ostream& out, std::ostream& err);

}  // namespace varnek::cli
