#pragma once
// What every simulated rig family implements; the transport around it (pty,
// pacing, faults, log) is the same for all of them.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/simulator.h"

namespace varnek::sim {

struct Range {
  std::int64_t low = 0, high = 0;  // hertz, inclusive
};
// The frequencies a rig model can tune and store (sim/coverage.cpp).
std::vector<Range> TunableRanges(const std::string& rig);

class Protocol {
 public:
  virtual ~Protocol() = default;
  // Takes the next complete command off the front of `pending` (dropping any
  // noise that can never start one). nullopt while the command is incomplete.
  virtual std::optional<std::string> Extract(std::string& pending) = 0;
  // The answer to one command; empty when the rig stays silent.
  virtual std::string Handle(const std::string& command) = 0;
  // What the rig sends when it refuses the command (may be empty).
  virtual std::string Refusal(const std::string& command) const = 0;
  // A one-wire bus returns every byte the computer sends.
  virtual bool Echoes() const { return false; }
  // Extra gap between answer bytes the client asked for (Yaesu "0E").
  virtual int ByteGapMs() const { return 0; }
  // Empty when the channel is acceptable to this rig, else the reason.
  virtual std::string CheckChannel(int number, const Channel& channel) const = 0;

  // Whether the rig takes this frequency into its VFO or a memory.
  bool Tunes(std::int64_t hz) const;

  Memory memory;
  std::vector<Range> tunable;
  int first_channel = 0;
  int last_channel = 0;
};

struct RigModel {
  std::string name;
  std::string family;  // "kenwood", "ft2000", "icom", "yaesu5"
  std::string frame;   // default serial framing
  std::string notes;   // one line for --help
  std::function<std::unique_ptr<Protocol>(const Options&)> make;
};

const std::vector<RigModel>& Rigs();
const RigModel* FindRig(const std::string& name);

std::unique_ptr<Protocol> MakeKenwood(const std::string& model, const Options& options);
std::unique_ptr<Protocol> MakeIcom(const std::string& model, const Options& options);
std::unique_ptr<Protocol> MakeYaesu5(const std::string& model, const Options& options);

}  // namespace varnek::sim
