// Version texts and the server's version file: the input is the file, and
// its halves are compared with each other as version texts.
#include <string>

#include "base/profile.h"
#include "base/text.h"
#include "fuzz_support.h"
#include "temp_file.h"
#include "update/version.h"

using namespace varnek;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz::ScratchFile file("Varnek.ini");
  const std::string_view in = fuzz::AsText(data, size);

  (void)VersionNumber(in);
  const std::string_view a = in.substr(0, in.size() / 2);
  const std::string_view b = in.substr(in.size() / 2);
  // An order: never newer than itself, never both ways round.
  fuzz::Require(!IsNewerVersion(a, a));
  fuzz::Require(!(IsNewerVersion(a, b) && IsNewerVersion(b, a)));

  // The update check reads the first word of [Varnek] Version.
  file.Write(in);
  const Profile versionFile(file.Path());
  const std::string server = Piece(Trim(versionFile.ReadString("Varnek", "Version")), " ", 1, 1);
  (void)IsNewerVersion(server, ProgramVersion());
  return 0;
}
