#include "serial/port_paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/text.h"
#include "serial/serial_device.h"

namespace varnek {

std::string PortPathMap::Resolve(const std::string& commPort) const {
  if (!commPort.empty() && commPort[0] == '/') return commPort;
  const auto it = entries_.find(UpperCase(commPort));
  if (it != entries_.end()) return it->second;
  return DefaultPortPath(commPort);
}

void PortPathMap::Set(const std::string& commPort, const std::string& path) {
  const std::string key = UpperCase(commPort);
  const std::string value = Trim(path);
  if (value.empty())
    entries_.erase(key);
  else
    entries_[key] = value;
}

std::vector<std::string> ListSerialDevices(const std::string& devRoot) {
  namespace fs = std::filesystem;
  std::vector<std::string> found;
  auto collect = [&](const fs::path& dir, const std::string& prefix) {
    std::vector<std::string> group;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (StartsWith(name, prefix)) group.push_back(it->path().string());
    }
    // ttyS10 after ttyS9: by length, then by text.
    std::sort(group.begin(), group.end(), [](const std::string& a, const std::string& b) {
      return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    found.insert(found.end(), group.begin(), group.end());
  };
  const fs::path root(devRoot);
  collect(root / "serial" / "by-id", "");
  collect(root, "ttyUSB");
  collect(root, "ttyACM");
  collect(root, "ttyS");
  return found;
}

}  // namespace varnek
