// The INI layer over arbitrary file contents: the first two lines of the
// input name a section and a key, the rest is the file. Reads must not
// fail, and a write must read back without disturbing another key.
#include <string>

#include "base/profile.h"
#include "base/text.h"
#include "fuzz_support.h"
#include "temp_file.h"

using namespace varnek;

namespace {

std::string TakeLine(std::string_view& in) {
  const size_t end = in.find('\n');
  const std::string line(in.substr(0, end));
  in.remove_prefix(end == std::string_view::npos ? in.size() : end + 1);
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz::ScratchFile file("settings.ini");
  std::string_view in = fuzz::AsText(data, size);
  const std::string section = TakeLine(in);
  const std::string key = TakeLine(in);
  file.Write(in);

  Profile profile(file.Path());
  (void)profile.ReadString(section, key, "def");
  (void)profile.ReadInteger(section, key, -7);
  (void)ProfileInteger(in);
  const std::string rig = profile.ReadString("MainForm", "Rig");
  const std::string fMain = profile.ReadString("MainForm", "fMain");

  const FileResult written = profile.WriteString(section, key, "fuzz-value");
  if (written.ok) {
    fuzz::Require(profile.ReadString(section, key) == "fuzz-value");
    // Another key keeps its value (unless it is the one just written).
    const bool sameSection = UpperCase(section) == "MAINFORM";
    if (!sameSection || UpperCase(key) != "RIG")
      fuzz::Require(profile.ReadString("MainForm", "Rig") == rig);
    if (!sameSection || UpperCase(key) != "FMAIN")
      fuzz::Require(profile.ReadString("MainForm", "fMain") == fMain);
  }
  return 0;
}
