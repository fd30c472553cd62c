// Yaesu five-byte CAT: FT-1000 family and FT-920. Every command is five
// bytes on the wire, P4 P3 P2 P1 and the opcode last, with no terminator and
// no answer unless it asks for data; there is nothing to refuse with.
#include <stdexcept>

#include "sim/protocol.h"

namespace varnek::sim {
namespace {

enum Model { kFt1000, kFt920 };

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

struct ModeRow {
  unsigned char set;     // the set-mode ("0C") code
  unsigned char record;  // mode byte of the memory record
  unsigned char filter;  // FT-1000: filter byte flags (bit 7 reverse / PKT-FM)
};

// The FT-1000 record folds the set-mode table into seven modes; the reverse
// side and PKT-FM are told apart by bit 7 of the filter byte only.
constexpr ModeRow kFt1000Modes[] = {
    {0x00, 0, 0x00}, {0x01, 1, 0x00}, {0x02, 2, 0x00}, {0x03, 2, 0x00},
    {0x04, 3, 0x00}, {0x05, 3, 0x00}, {0x06, 4, 0x00}, {0x08, 5, 0x00},
    {0x09, 5, 0x80}, {0x0A, 6, 0x00}, {0x0B, 6, 0x80},
};
// FT-920 record modes: 00 LSB, 01 CW-L, 02 AM, 03 FM, 04-06 data, 40 USB,
// 41 CW-U. DATA-USB is taken to be 05.
constexpr ModeRow kFt920Modes[] = {
    {0x00, 0x00, 0}, {0x01, 0x40, 0}, {0x02, 0x41, 0}, {0x03, 0x01, 0},
    {0x04, 0x02, 0}, {0x06, 0x03, 0}, {0x08, 0x04, 0}, {0x0A, 0x05, 0},
};

struct Vfo {
  std::int64_t hz = 14000000;
  unsigned char mode = 0x01;
};

class Yaesu5Rig : public Protocol {
 public:
  Yaesu5Rig(Model model, const Options& options) : model_(model), options_(options) {
    first_channel = 1;
    last_channel = 99;
  }

  std::optional<std::string> Extract(std::string& pending) override {
    if (pending.size() < 5) return std::nullopt;
    std::string cmd = pending.substr(0, 5);
    pending.erase(0, 5);
    return cmd;
  }

  std::string Handle(const std::string& cmd) override;

  std::string Refusal(const std::string&) const override { return ""; }
  int ByteGapMs() const override { return byte_gap_ms_; }

  std::string CheckChannel(int number, const Channel& ch) const override {
    if (number < first_channel || number > last_channel) return "channel out of range";
    if (!Row(HexByte(ch.mode))) return "mode is not a set-mode code of this rig";
    if (ch.hz <= 0 || ch.hz >= 100000000LL) return "frequency out of range";
    return "";
  }

 private:
  struct Args {
    unsigned char p1, p2, p3, p4;
    const std::string& raw;
  };
  using Handler = std::string (Yaesu5Rig::*)(const Args&);
  struct Entry {
    unsigned char op;
    Handler fn;
  };
  static const Entry kTable[];

  const ModeRow* Row(int set_code) const {
    if (model_ == kFt1000) {
      for (const ModeRow& r : kFt1000Modes)
        if (r.set == set_code) return &r;
    } else {
      for (const ModeRow& r : kFt920Modes)
        if (r.set == set_code) return &r;
    }
    return nullptr;
  }

  // Wire channel number to the rig's channel (1-99); 0 when out of range.
  int ChannelOf(unsigned char wire, int base) const {
    int n = wire - base + 1;
    return n >= first_channel && n <= last_channel ? n : 0;
  }
  int StatusBase() const { return model_ == kFt1000 ? 0 : 1; }
  int StoreBase() const { return model_ == kFt1000 ? options_.ft1000_store_base : 1; }

  std::string SetFreq(const Args& a) {
    long long v = 0;
    for (int i = 3; i >= 0; --i) {  // wire byte 0 holds the least significant pair
      unsigned char b = a.raw[i];
      if ((b >> 4) > 9 || (b & 15) > 9) return "";
      v = v * 100 + (b >> 4) * 10 + (b & 15);
    }
    // A frequency the rig cannot tune is ignored: the store after it puts
    // the VFO's old frequency into the channel.
    if (v <= 0 || !Tunes(v * 10)) return "";
    vfo_[active_].hz = v * 10;
    memory_mode_ = false;
    return "";
  }
  std::string SetMode(const Args& a) {
    if (Row(a.p1)) vfo_[active_].mode = a.p1;
    return "";
  }
  std::string Pacing(const Args& a) {
    byte_gap_ms_ = a.p1;
    return "";
  }
  std::string SelectVfo(const Args& a) {
    if (a.p1 <= 1) {
      active_ = a.p1;
      memory_mode_ = false;
    }
    return "";
  }
  std::string Recall(int n) {
    auto it = memory.find(n);
    if (it == memory.end() || it->second.masked) return "";
    channel_ = n;
    memory_mode_ = true;
    vfo_[active_].hz = it->second.hz;
    vfo_[active_].mode = static_cast<unsigned char>(HexByte(it->second.mode));
    return "";
  }
  std::string RecallMemory(const Args& a) {
    int n = ChannelOf(a.p1, StatusBase());
    return n ? Recall(n) : "";
  }
  std::string MemoryOp(const Args& a) {
    int n = ChannelOf(a.p1, StoreBase());
    if (!n) return "";
    auto it = memory.find(n);
    switch (a.p2) {
      case 0x00: {  // store the VFO
        varnek::sim::Channel& ch = memory[n];
        ch = {};
        ch.hz = vfo_[active_].hz;
        ch.mode = Hex(vfo_[active_].mode);
        break;
      }
      case 0x01:  // FT-920 clears; the FT-1000 family only hides the channel
        if (it == memory.end()) break;
        if (model_ == kFt920)
          memory.erase(it);
        else
          it->second.masked = true;
        break;
      case 0x02:
        if (it == memory.end()) break;
        if (model_ == kFt920) return Recall(n);
        it->second.masked = false;
        break;
      default:
        break;
    }
    return "";
  }
  std::string Status(const Args& a) {
    if (a.p1 != 0x04) return "";
    int n = ChannelOf(a.p4, StatusBase());
    if (!n) return "";
    auto it = memory.find(n);
    const varnek::sim::Channel* ch =
        it == memory.end() || it->second.masked ? nullptr : &it->second;
    return model_ == kFt1000 ? Ft1000Record(ch) : Ft920Record(ch);
  }

  static void PutBigEndian(std::string& s, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      s[at + i] = static_cast<char>(v >> (24 - 8 * i));
  }
  std::string Ft1000Record(const varnek::sim::Channel* ch) const {
    std::string r(16, '\0');
    if (!ch) {
      r[0] = static_cast<char>(0x90);
      return r;
    }
    // 0.625 Hz steps: sixteen to every 10 Hz.
    PutBigEndian(r, 1, static_cast<std::uint32_t>(ch->hz * 16 / 10));
    const ModeRow* row = Row(HexByte(ch->mode));
    r[7] = static_cast<char>(row->record);
    r[8] = static_cast<char>(row->filter);
    return r;
  }
  std::string Ft920Record(const varnek::sim::Channel* ch) const {
    std::string r(14, '\0');
    if (!ch) {
      r[0] = static_cast<char>(options_.ft920_empty_byte);
      return r;
    }
    PutBigEndian(r, 1, static_cast<std::uint32_t>(ch->hz));
    r[7] = static_cast<char>(Row(HexByte(ch->mode))->record);
    return r;
  }

  Model model_;
  Options options_;
  Vfo vfo_[2];
  int active_ = 0;
  bool memory_mode_ = false;
  int channel_ = 1;
  int byte_gap_ms_ = 0;
};

const Yaesu5Rig::Entry Yaesu5Rig::kTable[] = {
    {0x0A, &Yaesu5Rig::SetFreq},   {0x0C, &Yaesu5Rig::SetMode},      {0x0E, &Yaesu5Rig::Pacing},
    {0x05, &Yaesu5Rig::SelectVfo}, {0x02, &Yaesu5Rig::RecallMemory}, {0x03, &Yaesu5Rig::MemoryOp},
    {0x10, &Yaesu5Rig::Status},
};

std::string Yaesu5Rig::Handle(const std::string& cmd) {
  Args a{static_cast<unsigned char>(cmd[3]), static_cast<unsigned char>(cmd[2]),
         static_cast<unsigned char>(cmd[1]), static_cast<unsigned char>(cmd[0]), cmd};
  unsigned char op = cmd[4];
  for (const Entry& e : kTable) {
    if (e.op == op) return (this->*e.fn)(a);
  }
  return "";
}

}  // namespace

std::unique_ptr<Protocol> MakeYaesu5(const std::string& model, const Options& options) {
  if (model == "Yaesu FT-1000") return std::make_unique<Yaesu5Rig>(kFt1000, options);
  if (model == "Yaesu FT-920") return std::make_unique<Yaesu5Rig>(kFt920, options);
  throw std::invalid_argument("unknown five-byte Yaesu rig " + model);
}

}  // namespace varnek::sim
