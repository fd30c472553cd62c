// Icom CI-V: binary frames "FE FE to from cmd [sub] [data] FD" on a one-wire
// bus, so the computer hears its own bytes back before the rig answers.
#include <stdexcept>

#include "sim/protocol.h"

namespace varnek::sim {
namespace {

constexpr unsigned char kPreamble = 0xFE;
constexpr unsigned char kEnd = 0xFD;
constexpr unsigned char kOk = 0xFB;
constexpr unsigned char kNg = 0xFA;
constexpr unsigned char kBroadcast = 0x00;
constexpr size_t kMaxFrame = 64;  // longer without FD: noise, not a frame

struct Vfo {
  std::int64_t hz = 14000000;
  unsigned char mode = 0x01;
  unsigned char filter = 0x01;
};

int HexByte(const std::string& s) {
  if (s.size() != 2) return -1;
  try {
    size_t used = 0;
    int v = std::stoi(s, &used, 16);
    return used == 2 ? v : -1;
  } catch (const std::exception&) {
    return -1;
  }
}

std::string Hex(unsigned char b) {
  static const char* digits = "0123456789ABCDEF";
  return {digits[b >> 4], digits[b & 15]};
}

// Packed BCD, least significant pair first; -1 for a nibble above 9.
long long FromBcd(const std::string& data) {
  long long v = 0;
  for (size_t i = data.size(); i-- > 0;) {
    unsigned char b = data[i];
    if ((b >> 4) > 9 || (b & 15) > 9) return -1;
    v = v * 100 + (b >> 4) * 10 + (b & 15);
  }
  return v;
}

std::string ToBcd(long long v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) {
    int pair = static_cast<int>(v % 100);
    v /= 100;
    s += static_cast<char>(((pair / 10) << 4) | (pair % 10));
  }
  return s;
}

class IcomRig : public Protocol {
 public:
  IcomRig(int freq_bytes, const Options& options)
      : freq_bytes_(freq_bytes),
        address_(static_cast<unsigned char>(options.address)),
        echo_(options.echo),
        select_enters_memory_(options.civ_select_enters_memory),
        ng_channel_(options.civ_ng_channel) {
    first_channel = 1;
    last_channel = 101;  // 1-99 and the scan edges P1, P2
  }

  std::optional<std::string> Extract(std::string& pending) override {
    for (;;) {
      size_t start = pending.find(static_cast<char>(kPreamble));
      if (start == std::string::npos) {
        pending.clear();
        return std::nullopt;
      }
      pending.erase(0, start);
      size_t end = pending.find(static_cast<char>(kEnd));
      if (end == std::string::npos) {
        if (pending.size() <= kMaxFrame) return std::nullopt;
        // Only the tail can still become a frame; look for a preamble there.
        pending.erase(0, pending.size() - kMaxFrame);
        continue;
      }
      // FE never occurs inside a frame, so a preamble in the middle means the
      // earlier frame was cut off: start again from the last one.
      size_t begin = pending.rfind(static_cast<char>(kPreamble), end);
      while (begin > 0 && static_cast<unsigned char>(pending[begin - 1]) == kPreamble)
        --begin;
      std::string frame = pending.substr(begin, end + 1 - begin);
      pending.erase(0, end + 1);
      return frame;
    }
  }

  std::string Handle(const std::string& frame) override;

  std::string Refusal(const std::string& frame) const override {
    size_t i = 0;
    while (i < frame.size() && static_cast<unsigned char>(frame[i]) == kPreamble)
      ++i;
    unsigned char from = i + 1 < frame.size() ? frame[i + 1] : 0xE0;
    return Frame(from, std::string(1, static_cast<char>(kNg)));
  }

  bool Echoes() const override { return echo_; }

  std::string CheckChannel(int number, const Channel& ch) const override {
    if (number < first_channel || number > last_channel) return "channel out of range";
    int mode = HexByte(ch.mode);
    if (mode < 0 || mode > 0x08) return "mode must be two hex digits 00-08";
    if (!ch.extra.empty() && HexByte(ch.extra) < 0) return "extra must be the filter, 2 hex digits";
    long long limit = freq_bytes_ == 4 ? 100000000LL : 10000000000LL;
    if (ch.hz <= 0 || ch.hz >= limit) return "frequency out of range";
    return "";
  }

 private:
  using Handler = std::string (IcomRig::*)(const std::string&);
  struct Entry {
    unsigned char cmd;
    Handler fn;
  };
  static const Entry kTable[];

  std::string Frame(unsigned char to, const std::string& payload) const {
    std::string s = {static_cast<char>(kPreamble), static_cast<char>(kPreamble),
                     static_cast<char>(to), static_cast<char>(address_)};
    return s + payload + static_cast<char>(kEnd);
  }
  std::string Reply(const std::string& payload) const { return Frame(from_, payload); }
  std::string Ok() const { return Reply(std::string(1, static_cast<char>(kOk))); }
  std::string Ng() const { return Reply(std::string(1, static_cast<char>(kNg))); }

  // What the dial shows: the VFO, or in memory mode the working copy of the
  // selected channel (std::nullopt for a blank one). Tuning in memory mode
  // changes only that copy; "09" is what stores it.
  std::optional<Vfo> Working() const {
    if (!memory_mode_) return vfo_[active_];
    return work_;
  }
  void LoadWork() {
    auto it = memory.find(channel_);
    work_.reset();
    if (it == memory.end()) return;
    Vfo v;
    v.hz = it->second.hz;
    v.mode = static_cast<unsigned char>(HexByte(it->second.mode));
    if (!it->second.extra.empty()) v.filter = static_cast<unsigned char>(HexByte(it->second.extra));
    work_ = v;
  }
  Vfo* Tuned() { return memory_mode_ ? (work_ ? &*work_ : nullptr) : &vfo_[active_]; }

  std::string ReadFreq(const std::string& data) {
    if (!data.empty()) return Ng();
    auto w = Working();
    if (!w) return Reply("\x03\xFF");
    return Reply("\x03" + ToBcd(w->hz, freq_bytes_));
  }
  std::string ReadMode(const std::string& data) {
    if (!data.empty()) return Ng();
    auto w = Working();
    if (!w) return Ng();
    return Reply(std::string("\x04") + static_cast<char>(w->mode) + static_cast<char>(w->filter));
  }
  std::string SetFreq(const std::string& data) {
    long long hz = static_cast<int>(data.size()) == freq_bytes_ ? FromBcd(data) : -1;
    if (hz <= 0 || !Tunes(hz)) return Ng();
    if (ng_channel_ > 0 && channel_ == ng_channel_) return Ng();
    Vfo* v = Tuned();
    if (!v) return Ng();
    v->hz = hz;
    return Ok();
  }
  std::string SetMode(const std::string& data) {
    if (data.empty() || data.size() > 2) return Ng();
    unsigned char mode = data[0];
    unsigned char filter = data.size() == 2 ? data[1] : 0x01;
    if (mode > 0x08 || filter < 1 || filter > 3) return Ng();
    Vfo* v = Tuned();
    if (!v) return Ng();
    v->mode = mode;
    v->filter = filter;
    return Ok();
  }
  std::string SelectVfo(const std::string& data) {
    if (data.empty()) {
      memory_mode_ = false;
      return Ok();
    }
    if (data.size() != 1 || static_cast<unsigned char>(data[0]) > 1) return Ng();
    active_ = data[0];
    memory_mode_ = false;
    return Ok();
  }
  std::string SelectMemory(const std::string& data) {
    if (data.empty()) {
      memory_mode_ = true;
      LoadWork();
      return Ok();
    }
    if (data.size() > 2) return Ng();
    long long n = FromBcd(data.size() == 2 ? std::string{data[1], data[0]} : data);
    if (n < first_channel || n > last_channel) return Ng();
    // By default selecting a channel does not leave VFO mode ("08" alone
    // does that), so "07; 08 00 20; 09" stores the VFO into channel 20.
    // Other models switch to memory mode on the selected channel.
    channel_ = static_cast<int>(n);
    if (select_enters_memory_) memory_mode_ = true;
    if (memory_mode_) LoadWork();
    return Ok();
  }
  std::string VfoToMemory(const std::string& data) {
    if (!data.empty()) return Ng();
    auto w = Working();
    if (!w) return Ng();
    Channel& ch = memory[channel_];
    ch.hz = w->hz;
    ch.mode = Hex(w->mode);
    ch.extra = w->filter == 0x01 ? "" : Hex(w->filter);
    ch.tx_hz = 0;
    ch.tx_mode.clear();
    if (memory_mode_) LoadWork();
    return Ok();
  }
  std::string MemoryToVfo(const std::string& data) {
    if (!data.empty()) return Ng();
    if (!memory_mode_) LoadWork();
    if (!work_) return Ng();
    vfo_[active_] = *work_;
    memory_mode_ = false;
    return Ok();
  }
  std::string ClearMemory(const std::string& data) {
    if (!data.empty()) return Ng();
    memory.erase(channel_);
    work_.reset();
    return Ok();
  }
  std::string ReadId(const std::string& data) {  // "19 00": the rig's address
    if (data.size() != 1 || data[0] != 0) return Ng();
    return Reply(std::string("\x19", 1) + std::string(1, '\0') + static_cast<char>(address_));
  }

  int freq_bytes_;
  unsigned char address_;
  bool echo_;
  bool select_enters_memory_;
  int ng_channel_;
  unsigned char from_ = 0xE0;
  Vfo vfo_[2];
  int active_ = 0;
  bool memory_mode_ = false;
  int channel_ = 1;
  std::optional<Vfo> work_;
};

const IcomRig::Entry IcomRig::kTable[] = {
    {0x03, &IcomRig::ReadFreq},    {0x04, &IcomRig::ReadMode},    {0x05, &IcomRig::SetFreq},
    {0x06, &IcomRig::SetMode},     {0x07, &IcomRig::SelectVfo},   {0x08, &IcomRig::SelectMemory},
    {0x09, &IcomRig::VfoToMemory}, {0x0A, &IcomRig::MemoryToVfo}, {0x0B, &IcomRig::ClearMemory},
    {0x19, &IcomRig::ReadId},
};

std::string IcomRig::Handle(const std::string& frame) {
  // Any number of preamble bytes, then to, from, command.
  size_t i = 0;
  while (i < frame.size() && static_cast<unsigned char>(frame[i]) == kPreamble)
    ++i;
  if (i < 2 || frame.size() < i + 4) return "";
  unsigned char to = frame[i];
  unsigned char from = frame[i + 1];
  if (to != address_ && to != kBroadcast) return "";  // another rig on the bus
  from_ = from;
  unsigned char cmd = frame[i + 2];
  std::string data = frame.substr(i + 3, frame.size() - i - 4);
  for (const Entry& e : kTable) {
    if (e.cmd == cmd) return (this->*e.fn)(data);
  }
  return Reply(std::string(1, static_cast<char>(kNg)));
}

}  // namespace

std::unique_ptr<Protocol> MakeIcom(const std::string& model, const Options& options) {
  if (model == "Icom IC-CI-V") return std::make_unique<IcomRig>(5, options);
  if (model == "Icom IC-735") return std::make_unique<IcomRig>(4, options);
  throw std::invalid_argument("unknown Icom rig " + model);
}

}  // namespace varnek::sim
