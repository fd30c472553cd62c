#pragma once
// Which device each port name of the settings stands for. The settings keep
// "COM1".."COM25" (a settings line stores positions in that list); here each
// name can be given a device path, and a name without one falls back to
// DefaultPortPath. The settings file loads and stores the entries.
#include <map>
#include <string>
#include <vector>

namespace varnek {

class PortPathMap {
 public:
  // An absolute name stays as it is; a mapped name gives its path; the rest
  // DefaultPortPath.
  std::string Resolve(const std::string& commPort) const;
  // An empty path removes the entry (back to the default).
  void Set(const std::string& commPort, const std::string& path);
  const std::map<std::string, std::string>& Entries() const { return entries_; }

 private:
  std::map<std::string, std::string> entries_;
};

// The serial devices present under `devRoot`: the stable by-id names first,
// then USB adapters, CDC-ACM devices and built-in ports, each group sorted.
std::vector<std::string> ListSerialDevices(const std::string& devRoot = "/dev");

}  // namespace varnek
