#pragma once
// Program versions as the update check compares them.
#include <string>
#include <string_view>
#include <vector>

namespace varnek {

// The numeric parts of a version text: only digits and points count
// ("Version: 1.2.3.4" gives 1, 2, 3, 4; "1.10.0 beta" gives 1, 10, 0). An
// empty part is 0; a part too long for 64 bits saturates.
std::vector<unsigned long long> VersionNumber(std::string_view text);
// The first three parts, part by part as numbers, missing parts counting as
// 0: 1.10.0 is newer than 1.9.0.0, and 1.2.3.5 is not newer than 1.2.3.4
// (the fourth part counts builds, not releases). (Joining the digits, as the
// first check did, offered 1.10.0 as an update to 2.0.0.0.)
bool IsNewerVersion(std::string_view candidate, std::string_view running);
// True for a release's version text: one to four parts of at most nine
// digits joined by points ("1.4.0", "2.0.0.17"). Anything else in a version
// file (an HTML page a server sends instead, a typo) is no version, and a
// check that finds it has failed: it must not report "no new version".
bool IsVersionText(std::string_view text);
// The running program's version, "major.minor.patch.tweak", from the build.
std::string ProgramVersion();

}  // namespace varnek
