// Icom CI-V: binary frames "FE FE to from cmd [sub] [data] FD" on a one-wire
// bus, so the computer hears its own bytes back before the rig answers. The
// IC-7300 also reads and writes whole memory records with "1A 00", usually
// over its USB port, which echoes nothing unless told to.
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

// Packed BCD, most significant pair first (channel numbers, tones).
long long FromBcdBigEndian(const std::string& data) {
  return FromBcd(std::string(data.rbegin(), data.rend()));
}
std::string ToBcdBigEndian(long long v, int bytes) {
  std::string s = ToBcd(v, bytes);
  return {s.rbegin(), s.rend()};
}

std::string Hex(const std::string& bytes) {
  std::string s;
  for (unsigned char b : bytes)
    s += Hex(b);
  return s;
}
// Two hex digits a byte; nullopt for anything else.
std::optional<std::string> Unhex(const std::string& text) {
  if (text.size() % 2) return std::nullopt;
  std::string out;
  for (size_t i = 0; i < text.size(); i += 2) {
    int b = HexByte(text.substr(i, 2));
    if (b < 0) return std::nullopt;
    out += static_cast<char>(b);
  }
  return out;
}

// The 50 standard CTCSS tones in tenths of a hertz; the IC-7300 may also
// take 60.0 and 120.0, which Hamlib lists for it.
bool StandardTone(long long tenths, bool extra_tones) {
  static const int kTones[] = {670,  693,  719,  744,  770,  797,  825,  854,  885,  915,
                               948,  974,  1000, 1035, 1072, 1109, 1148, 1188, 1230, 1273,
                               1318, 1365, 1413, 1462, 1514, 1567, 1598, 1622, 1655, 1679,
                               1713, 1738, 1773, 1799, 1835, 1862, 1899, 1928, 1966, 1995,
                               2035, 2065, 2107, 2181, 2257, 2291, 2336, 2418, 2503, 2541};
  if (extra_tones && (tenths == 600 || tenths == 1200)) return true;
  for (int t : kTones)
    if (t == tenths) return true;
  return false;
}

enum class Model { kGeneric, kIc735, kIc7300 };

// IC-7300 memory record, offsets from the first data byte after "1A 00":
//   0-1 channel (BCD, high pair first)  2 split<<4 | select group
//   3-16 receive block: 3-7 frequency (BCD, low pair first), 8 mode,
//        9 filter, 10 data<<4 | tone type, 11-13 repeater tone, 14-16 TSQL
//        tone (BCD tenths of a hertz, high pair first)
//   17-30 transmit block, laid out like 3-16 (41-byte form only)
//   then the name, 10 characters padded with blanks.
// In the memory image, `extra` holds bytes 2 and 9-16 as hex (18 digits),
// then bytes 23-30 of a transmit block of its own (16 more digits); `tx`
// holds that block's frequency and mode when they differ from the receive
// side's.
constexpr int kBlock = 14;
constexpr int kNameLength = 10;
const std::string kDefaultTail = std::string("\x01\x00\x00\x08\x85\x00\x08\x85", 8);

class IcomRig : public Protocol {
 public:
  IcomRig(Model model, const Options& options)
      : model_(model),
        freq_bytes_(model == Model::kIc735 ? 4 : 5),
        address_(static_cast<unsigned char>(options.address)),
        echo_(options.echo.value_or(model != Model::kIc7300)),
        select_enters_memory_(options.civ_select_enters_memory),
        ng_channel_(options.civ_ng_channel),
        transceive_(options.civ_transceive),
        options_(options) {
    if (model == Model::kIc7300 && options.ic7300_record != 41 && options.ic7300_record != 27)
      throw std::invalid_argument("IC-7300 record length must be 41 or 27");
    if (options.ic7300_groups < 0 || options.ic7300_groups > 15)
      throw std::invalid_argument("IC-7300 select groups must be 0-15");
    if (options.civ_transceive < 0) throw std::invalid_argument("transceive must not be negative");
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
    if (model_ == Model::kIc7300) {
      if (!ch.tx_mode.empty() && HexByte(ch.tx_mode) < 0) return "tx mode must be two hex digits";
      auto extra = Unhex(ch.extra);
      if (!extra || (!extra->empty() && extra->size() != 9 && extra->size() != 17))
        return "extra must be 18 or 34 hex digits (record bytes 2, 9-16 [, 23-30])";
      std::string record = Record(number, ch);
      std::string why = CheckRecord(record.substr(2));
      if (!why.empty()) return why;
      if (ch.name.size() > kNameLength) return "name longer than 10 characters";
      return "";
    }
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
    v.filter = FilterOf(it->second);
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
    if (model_ == Model::kIc7300 && mode == 0x06) return Ng();  // no WFM
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
    if (model_ == Model::kIc7300) {
      // The channel keeps its name, select group and tones; frequency, mode
      // and filter come from the VFO, and a split is undone.
      std::string tail = Unhex(ch.extra).value_or("");
      if (tail.size() < 9) tail = std::string(1, '\0') + kDefaultTail;
      tail.resize(9);
      tail[0] = static_cast<char>(tail[0] & 0x0F);
      tail[1] = static_cast<char>(w->filter);
      ch.extra = tail == std::string(1, '\0') + kDefaultTail ? "" : Hex(tail);
    } else {
      ch.extra = w->filter == 0x01 ? "" : Hex(w->filter);
    }
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

  unsigned char FilterOf(const Channel& ch) const {
    if (model_ != Model::kIc7300) return ch.extra.empty() ? 0x01 : HexByte(ch.extra);
    return ch.extra.size() >= 4 ? HexByte(ch.extra.substr(2, 2)) : 0x01;
  }

  // The record of a stored channel, from the channel bytes to the name, in
  // the length this rig uses.
  std::string Record(int number, const Channel& ch) const {
    std::string tail = Unhex(ch.extra).value_or("");
    if (tail.size() < 9) tail = std::string(1, '\0') + kDefaultTail;
    std::string rx = ToBcd(ch.hz, 5) + static_cast<char>(HexByte(ch.mode)) + tail.substr(1, 8);
    std::string r = ToBcdBigEndian(number, 2) + tail[0] + rx;
    if (options_.ic7300_record == 41) {
      bool own = tail.size() == 17 || ch.tx_hz > 0;
      if (!own && options_.ic7300_zero_tx_block) {
        r += std::string(kBlock, '\0');
      } else {
        std::string tx = ch.tx_hz > 0 ? ToBcd(ch.tx_hz, 5) + static_cast<char>(HexByte(ch.tx_mode))
                                      : rx.substr(0, 6);
        r += tx + (tail.size() == 17 ? tail.substr(9) : tail.substr(1, 8));
      }
    }
    std::string name = ch.name;
    name.resize(kNameLength, ' ');
    return r + name;
  }

  // Why a block (frequency to TSQL tone) is out of range; empty when fine.
  std::string CheckBlock(const std::string& b, bool tuned) const {
    long long hz = FromBcd(b.substr(0, 5));
    if (hz < 0) return "frequency is not BCD";
    if (tuned && !Tunes(hz)) return "frequency outside coverage";
    unsigned char mode = b[5], filter = b[6], dt = b[7];
    if (mode > 0x08 || mode == 0x06) return "no such mode";
    if (filter < 1 || filter > 3) return "no such filter";
    if ((dt >> 4) > 1 || (dt & 15) > 2) return "bad data mode or tone type";
    for (size_t at : {8u, 11u}) {
      long long tone = FromBcdBigEndian(b.substr(at, 3));
      if (tone < 0 || !StandardTone(tone, options_.ic7300_extra_tones)) return "no such tone";
    }
    return "";
  }
  // Record from byte 2 to the end of the name.
  std::string CheckRecord(const std::string& r) const {
    if (static_cast<int>(r.size()) + 2 != options_.ic7300_record) return "wrong record length";
    unsigned char select = r[0];
    if ((select >> 4) > 1 || (select & 15) > options_.ic7300_groups)
      return "bad split or select group";
    bool split = (select >> 4) == 1;
    std::string why = CheckBlock(r.substr(1, kBlock), true);
    // Without split the transmit block is kept, but no frequency is tuned.
    if (why.empty() && options_.ic7300_record == 41) {
      std::string tx = r.substr(1 + kBlock, kBlock);
      if (split || tx != std::string(kBlock, '\0')) why = CheckBlock(tx, split);
    }
    if (!why.empty()) return why;
    for (unsigned char c : r.substr(r.size() - kNameLength))
      if (c < 0x20 || c > 0x7E) return "name holds a character the rig lacks";
    return "";
  }

  // "1A 00": read, write or blank a whole memory channel.
  std::string MemoryContents(const std::string& data) {
    if (model_ != Model::kIc7300 || data.empty() || data[0] != 0) return Ng();
    if (data.size() < 3) return Ng();
    std::string body = data.substr(1);
    long long n = FromBcdBigEndian(body.substr(0, 2));
    bool zero_blank = n == 0 && options_.ic7300_channel_zero_blank;
    if (!zero_blank && (n < first_channel || n > last_channel)) return Ng();
    std::string head = std::string("\x1A\x00", 2) + body.substr(0, 2);
    if (body.size() == 2) {  // read
      auto it = memory.find(static_cast<int>(n));
      if (it == memory.end()) return Reply(head + "\xFF");
      return Reply(std::string("\x1A\x00", 2) + Record(static_cast<int>(n), it->second));
    }
    if (zero_blank) return Ng();
    if (body.size() == 3 && static_cast<unsigned char>(body[2]) == 0xFF) {
      memory.erase(static_cast<int>(n));
      if (memory_mode_ && channel_ == n) work_.reset();
      return Ok();
    }
    if (static_cast<int>(body.size()) != options_.ic7300_record)
      return options_.ic7300_wrong_length_silent ? "" : Ng();
    if (!CheckRecord(body.substr(2)).empty()) return Ng();
    Channel ch;
    ch.hz = FromBcd(body.substr(3, 5));
    ch.mode = Hex(static_cast<unsigned char>(body[8]));
    std::string tail = body.substr(2, 1) + body.substr(9, 8);
    if (options_.ic7300_record == 41) {
      std::string tx = body.substr(17, kBlock);
      if (tx != std::string(kBlock, '\0')) {
        if (tx.substr(0, 6) != body.substr(3, 6)) {
          ch.tx_hz = FromBcd(tx.substr(0, 5));
          ch.tx_mode = Hex(static_cast<unsigned char>(tx[5]));
        }
        if (ch.tx_hz > 0 || tx.substr(6) != tail.substr(1)) tail += tx.substr(6);
      }
    }
    ch.extra = tail == std::string(1, '\0') + kDefaultTail ? "" : Hex(tail);
    ch.name = body.substr(body.size() - kNameLength);
    while (!ch.name.empty() && ch.name.back() == ' ')
      ch.name.pop_back();
    memory[static_cast<int>(n)] = ch;
    if (memory_mode_ && channel_ == n) LoadWork();
    return Ok();
  }

  // What the rig says on its own when the dial turns: frequency and mode
  // frames to everyone (address 00), taking turns.
  std::string Transceive() {
    if (transceive_ <= 0 || ++since_transceive_ < transceive_) return "";
    since_transceive_ = 0;
    auto w = Working();
    if (!w) return "";
    sent_frequency_ = !sent_frequency_;
    if (sent_frequency_) return Frame(kBroadcast, std::string(1, '\0') + ToBcd(w->hz, freq_bytes_));
    return Frame(kBroadcast,
                 std::string("\x01") + static_cast<char>(w->mode) + static_cast<char>(w->filter));
  }

  Model model_;
  int freq_bytes_;
  unsigned char address_;
  bool echo_;
  bool select_enters_memory_;
  int ng_channel_;
  int transceive_;
  Options options_;
  int since_transceive_ = 0;
  bool sent_frequency_ = false;
  unsigned char from_ = 0xE0;
  Vfo vfo_[2];
  int active_ = 0;
  bool memory_mode_ = false;
  int channel_ = 1;
  std::optional<Vfo> work_;
};

const IcomRig::Entry IcomRig::kTable[] = {
    {0x03, &IcomRig::ReadFreq},    {0x04, &IcomRig::ReadMode},       {0x05, &IcomRig::SetFreq},
    {0x06, &IcomRig::SetMode},     {0x07, &IcomRig::SelectVfo},      {0x08, &IcomRig::SelectMemory},
    {0x09, &IcomRig::VfoToMemory}, {0x0A, &IcomRig::MemoryToVfo},    {0x0B, &IcomRig::ClearMemory},
    {0x19, &IcomRig::ReadId},      {0x1A, &IcomRig::MemoryContents},
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
  std::string unsolicited = Transceive();
  for (const Entry& e : kTable) {
    if (e.cmd == cmd) return unsolicited + (this->*e.fn)(data);
  }
  return unsolicited + Ng();
}

}  // namespace

std::unique_ptr<Protocol> MakeIcom(const std::string& model, const Options& options) {
  if (model == "Icom IC-CI-V") return std::make_unique<IcomRig>(Model::kGeneric, options);
  if (model == "Icom IC-735") return std::make_unique<IcomRig>(Model::kIc735, options);
  if (model == "Icom IC-7300") return std::make_unique<IcomRig>(Model::kIc7300, options);
  throw std::invalid_argument("unknown Icom rig " + model);
}

}  // namespace varnek::sim
