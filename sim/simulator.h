#pragma once
// A simulated transceiver on a pseudo-terminal. It behaves on the line like
// the real rig (Kenwood/Yaesu ASCII, Icom CI-V, Yaesu five-byte CAT) so that a
// client can be tested without hardware. Deliberately independent of the
// application's own rig code: nothing is shared, so a mistake in one shows up
// as a failing test instead of being mirrored in the other.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnek::sim {

// One memory channel. `mode` is the rig's own mode code as text: one
// character for the ASCII rigs ("2" USB on a Kenwood, "C" PKT-U on the
// FT-2000), two hex digits for Icom ("01" USB) and the five-byte Yaesus (the
// set-mode code, "04" AM wide on an FT-1000). `extra` holds the rest of the
// rig's record in the rig's own wire text (tones, shift, filter, ...); empty
// means the rig's defaults.
struct Channel {
  std::int64_t hz = 0;
  std::string mode;
  std::string name;
  std::string extra;
  // Transmit side of a split memory (Kenwood MW1); 0 means simplex.
  std::int64_t tx_hz = 0;
  std::string tx_mode;
  // FT-1000 family: a masked channel keeps its data but reads as empty.
  bool masked = false;
  bool operator==(const Channel&) const = default;
};
using Memory = std::map<int, Channel>;

struct Faults {
  bool silence = false;  // no answers at all (a CI-V bus still echoes)
  int garbage = 0;       // random bytes mixed into every answer
  int drop_every = 0;    // drop every Nth answer (1 drops all of them)
  int hangup_after = 0;  // close the line after N more commands; 0 never
  int flood = 0;         // random bytes sent once, in front of the next answer
  bool refuse_next = false;
  bool refuse_all = false;
  bool operator==(const Faults&) const = default;
};

// Behaviours the makers' documents leave open; each one is a switch.
enum class Ts2000Empty { kNoData, kZeroRecord };  // "N;" or an all-zero record

struct Options {
  std::string rig;  // a name from RigNames()
  // CI-V echo. Unset: the model's own default (the one-wire bus echoes; the
  // IC-7300's USB port leaves the factory with echo off). Test it with
  // value_or(), never as a bool: an engaged `false` is still "set".
  std::optional<bool> echo;
  int address = 0x00;    // CI-V address of the rig
  int baud = 0;          // 0: as fast as the pty takes the bytes
  std::string frame;     // e.g. "8N1", "8E2"; empty: the rig's default
  int latency_ms = 0;    // the rig's reaction time before every answer
  int split = 0;         // write answers in pieces of this many bytes
  int split_gap_ms = 3;  // pause between the pieces
  Faults faults;
  std::string log_file;                // hex log of everything received and sent
  std::string memory_file;             // memory image loaded at Start()
  std::string link;                    // symlink made to the slave device
  unsigned seed = 1;                   // for garbage and flood bytes
  bool ascii_control_refused = false;  // Kenwood: 00h-1Fh spoil the command
  bool ts2000_strict_channel = false;  // TS-2000: refuse "MR0 05;"
  Ts2000Empty ts2000_empty = Ts2000Empty::kNoData;
  bool ts2000_pad_names = false;          // names padded with blanks to 8
  int ft1000_store_base = 0;              // FT-1000 "03" channel numbering: 0 or 1
  int ft920_empty_byte = 0x90;            // first record byte of an empty FT-920 channel
  bool civ_select_enters_memory = false;  // CI-V "08 00 cc" also leaves VFO mode
  // A faulty ASCII rig: every memory write is stored this many hertz off.
  std::int64_t store_offset_hz = 0;
  // A CI-V rig that answers NG to a set frequency while this memory channel
  // is selected (as for a frequency it cannot take); 0: never.
  int civ_ng_channel = 0;
  // CI-V transceive: every Nth command the rig first sends an unrequested
  // frequency (00) or mode (01) frame to address 00, as when the dial turns;
  // 0: never.
  int civ_transceive = 0;

  // IC-7300 memory contents (1A 00) and the points the rig's documents leave open.
  int ic7300_record = 41;           // data bytes of a record: 41 (with the transmit block) or 27
  int ic7300_groups = 3;            // select groups 1..N in the low nibble of byte 2
  bool ic7300_extra_tones = false;  // also takes 60.0 and 120.0 Hz
  bool ic7300_wrong_length_silent = false;  // a record of the wrong length gets no answer, not NG
  bool ic7300_zero_tx_block = false;  // a channel stored without a transmit block reads zeros there
  bool ic7300_channel_zero_blank = false;  // channel 00 00 reads as blank instead of NG

  // TS-590S/SG and TS-480 memories and their open points.
  bool kenwood_pad_names = false;          // MR pads names to 8 with blanks
  bool ts590_echo_blank = false;           // "MR0 05;" answers with the blank, not 0
  int ts590_last_channel = 119;            // 119, or 109 when 110-119 are no memories
  bool kenwood_mw1_alone_ignored = false;  // MW1 on an empty channel: silently dropped, not ?;
  bool kenwood_clear_needs_name = false;   // a clear must carry the 8-blank name field
  int ts480_tones = 42;                    // tone table: 42 tones (+1750) or 50 tones (+1750)
  bool ts480_cross_tone = false;           // tone type 3 taken
  bool ts480_name_at_40 = false;  // short form (name at 40) stored minus its first letter, not ?;
  int ts480_low_khz = 50;         // lowest memory frequency, 50 or 100 kHz
};

class Simulator {
 public:
  explicit Simulator(Options options);  // throws std::invalid_argument for an unknown rig
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Opens the pty, loads the memory image and starts serving in a background
  // thread. Returns the slave device path. Throws std::runtime_error.
  std::string Start();
  void Stop();
  const std::string& DevicePath() const;
  bool Running() const;
  bool HungUp() const;

  Memory Channels() const;
  std::optional<Channel> GetChannel(int number) const;
  void SetChannel(int number, const Channel& channel);  // throws std::invalid_argument
  void ClearChannel(int number);
  int FirstChannel() const;
  int LastChannel() const;

  Faults GetFaults() const;
  void SetFaults(const Faults& faults);
  // One line of the control interface (the same commands varnek-rigsim reads
  // on stdin); returns the reply. Unknown commands reply with "error: ...".
  std::string Control(std::string_view line);

  long CommandsReceived() const;
  void DumpMemory(const std::string& path) const;  // throws std::runtime_error

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

std::vector<std::string> RigNames();
// Everything --help says beyond the switches: rigs, faults, control commands,
// the memory image format and the open behaviours.
std::string HelpText();

// Memory image: one channel a line, "# ..." comments, fields separated by
// blanks: channel, hertz, mode, "name" in double quotes (\" and \\ escaped),
// then optional key=value fields: extra=, tx=HZ/MODE, masked=1.
Memory ParseMemoryImage(std::string_view text);  // throws std::runtime_error
std::string FormatMemoryImage(const Memory& memory);

}  // namespace varnek::sim
