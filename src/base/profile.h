#pragma once
// One INI file (settings.ini, terminal.ini) read and written key by key, the
// way every window of the program uses it: reads go to the file each time,
// so what one window wrote the next read sees; a write changes one key and
// keeps every other line of the file.
//
// Section and key names compare without regard to ASCII case. Values are
// kept as bytes (cp1252 in practice); nothing is converted. Blanks around
// keys and values are not kept, as in every INI reader.
#include <string>
#include <string_view>
#include <vector>

#include "base/file_io.h"

namespace varnek {

struct ProfileEntry {
  std::string section, key, value;
};

class Profile {
 public:
  explicit Profile(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const { return path_; }

  // A missing or unreadable file, section or key reads as `def`; so does a
  // key whose value is empty.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def = {}) const;
  // The leading integer of the value: blanks, an optional sign, then decimal
  // digits or 0x and hex digits, up to the first other character, wrapping
  // in 32 bits. A value with no digits reads as 0, a missing or empty one as
  // `def`.
  int ReadInteger(std::string_view section, std::string_view key, int def) const;

  // Writes the keys in one go (one rename). The file is replaced only when
  // it could be read first: an unreadable file is never overwritten with a
  // fresh one that lost its other keys. Refused without touching the file:
  // empty section or key names, names that would not read back as written,
  // and values holding a line break or a NUL byte.
  FileResult Write(const std::vector<ProfileEntry>& entries);
  FileResult WriteString(std::string_view section, std::string_view key, std::string_view value);
  FileResult WriteInteger(std::string_view section, std::string_view key, int value);

 private:
  std::string path_;
};

// Parses an integer as the profile's ReadInteger does.
int ProfileInteger(std::string_view text);

}  // namespace varnek
