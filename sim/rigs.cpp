// The models the simulator knows, and the reference text of --help.
#include "sim/protocol.h"

namespace varnek::sim {

const std::vector<RigModel>& Rigs() {
  auto kenwood = [](const char* name, const char* frame, const char* notes) {
    return RigModel{name, "kenwood", frame, notes,
                    [n = std::string(name)](const Options& o) { return MakeKenwood(n, o); }};
  };
  auto icom = [](const char* name, const char* notes) {
    return RigModel{name, "icom", "8N1", notes,
                    [n = std::string(name)](const Options& o) { return MakeIcom(n, o); }};
  };
  auto yaesu5 = [](const char* name, const char* notes) {
    return RigModel{name, "yaesu5", "8N2", notes,
                    [n = std::string(name)](const Options& o) { return MakeYaesu5(n, o); }};
  };
  static const std::vector<RigModel> rigs = {
      kenwood("Kenwood TS-570", "8N1", "ID018; channels 00-99, 24-byte MR/MW, MC 05;"),
      kenwood("Kenwood TS-570S", "8N1", "as the TS-570, ID018;"),
      kenwood("Kenwood TS-570D", "8N1", "as the TS-570, ID017;"),
      kenwood("Kenwood TS-870S", "8N1", "ID015; channels 00-99, 24-byte MR/MW"),
      kenwood("Kenwood TS-2000", "8N1",
              "ID019; channels 000-299, 50-byte MR/MW with names, MC005;, OI;"),
      kenwood("Yaesu FT-2000", "8N2",
              "ID0251; channels 001-117, 27-byte MR/MW, MC/VM/MA/AM, empty channel ?;"),
      icom("Icom IC-CI-V", "CI-V, 5-byte frequency, channels 1-101, --address (default 00)"),
      icom("Icom IC-735", "CI-V, 4-byte frequency, channels 1-101"),
      icom("Icom IC-7300",
           "CI-V address 94 (--address), no echo (USB; --echo), 1A 00 memory contents, "
           "41-byte record (--ic7300-record 27), channels 1-99, P1/P2 = 100/101"),
      kenwood("Kenwood TS-590S", "8N1",
              "ID021; channels 000-119 (100-109 P0-P9), 50-byte MR/MW with DATA, filter, "
              "FM narrow, names"),
      kenwood("Kenwood TS-590SG", "8N1", "as the TS-590S, ID023;"),
      kenwood("Kenwood TS-480", "8N1",
              "ID020; channels 000-109 (100-109 P0-P9), 50-byte MR/MW with step, names"),
      yaesu5("Yaesu FT-1000", "five-byte CAT, 16-byte record in 0.625 Hz steps, channels 1-99"),
      yaesu5("Yaesu FT-920", "five-byte CAT, 14-byte record in hertz, channels 1-99 (01h-63h)"),
  };
  return rigs;
}

const RigModel* FindRig(const std::string& name) {
  for (const RigModel& r : Rigs()) {
    if (r.name == name) return &r;
  }
  return nullptr;
}

std::vector<std::string> RigNames() {
  std::vector<std::string> names;
  for (const RigModel& r : Rigs())
    names.push_back(r.name);
  return names;
}

std::string HelpText() {
  std::string s = "Rigs (--rig NAME, quote the blank):\n";
  for (const RigModel& r : Rigs())
    s += "  " + r.name + "\n      " + r.notes + "\n";
  s += R"(
Kenwood TS-570/870/2000 answer ID FA FB MD IF FR FT MC MR MW PS (SL on the
TS-570, AI and OI on the TS-2000); everything else, VM; and MA; included, is
refused with ?;. A set command has no answer. A write of another layout's
length is refused. MW with frequency and mode all zero clears the channel.
MR1 of a simplex channel answers the receive side with P1 = 1.
FT-2000 also answers AI EX029 VS; VM toggles VFO/memory, MA copies memory to
VFO-A, AM VFO-A to memory; an MW with frequency 0 clears the channel.
Icom: 03 04 05 06 07 08 (one- and two-byte channel) 09 0A 0B 19, FB/FA
answers; a blank memory reads 03 FF and 04 is refused with FA. Frames to
other addresses are ignored (00 is broadcast). "07" alone is VFO mode, 07 00
and 07 01 pick VFO A or B, other sub-commands are refused. "08" alone enters
memory mode,
"08" with a channel only selects it; tuning in memory mode changes the
working copy only and 09 stores it.
IC-7300: also 1A 00 c1 c2 (channel, BCD high pair first; 01 00 P1, 01 01 P2):
read answers the record, or c1 c2 FF for a blank channel; a write of the
record answers FB, or FA for a wrong length, channel 00 00 or above 01 01,
bad BCD, mode 06 or above 08, filter outside 1-3, DATA/tone type outside
0-1/0-2, a tone that is not one of the 50 CTCSS tones, a select group above
3, a split flag above 1, a name byte outside 20h-7Eh, or a frequency outside
30 kHz-74.8 MHz (the transmit block's only when split is on); c1 c2 FF blanks
the channel. 06 refuses WFM. Record (41 bytes, 27 without 17-30): 0-1
channel, 2 split<<4|group, 3-7 frequency, 8 mode, 9 filter, 10 DATA<<4|tone
type, 11-13 repeater tone, 14-16 TSQL tone (BCD tenths of Hz), 17-30 the
transmit block laid out like 3-16, then a 10-character name padded with
blanks. --civ-transceive N: every Nth command is preceded by an unrequested
00 (frequency) or 01 (mode) frame to address 00.
TS-590S/SG and TS-480: ID FA FB MD IF FR FT MC MR MW PS AI. MR answers 41
characters plus the name; an empty channel is the full record of zeros. MW
refuses (?;) a field out of range, a non-zero fixed field, a frequency outside
coverage (TS-590 30 kHz-60 MHz, TS-480 50 kHz-60 MHz) or a name over 8.
TS-590 record from 17: mode, DATA, tone type 0-3, tone 00-42 (42: 1750 Hz),
CTCSS 00-41, 000, filter 0-1, 0, nine zeros, FM narrow 00-01, lockout, name.
TS-480 from 17: mode, lockout, tone type 0-2, tone, CTCSS, fourteen zeros,
step (00-04 SSB/CW/FSK, 00-09 AM/FM), 0, name. MW1 stores the transmit
frequency and mode of a split; MR1 answers them with the channel's other
fields. MW0 with frequency 0 and mode 0 clears the channel.
Five-byte Yaesu: 0A 0C 0E 05 02 03 10 (P1 04: record of channel P4); no
answers otherwise and nothing to refuse with, so a refusal is silence.
FT-1000: 03 P2 00 store, 01 mask, 02 unmask; status channels count from 00h.
FT-920: 03 P2 00 store, 01 clear, 02 recall; channels 01h-63h. The FT-1000
record's mode is the set-mode folded to 0 LSB 1 USB 2 CW 3 AM 4 FM 5 RTTY
6 PKT, filter bit 7 for RTTY-U and PKT-FM; FT-920 DATA-USB reads 05.

Behaviours left open by the makers, and the switch choosing the other way:
  control bytes 00h-1Fh inside an ASCII command are skipped (--ascii-ctl-refused)
  TS-2000 a blank hundreds digit in a channel ("MR0 05;") reads as 0 (--ts2000-strict-channel)
  TS-2000 empty channel answers N; (--ts2000-empty zero: an all-zero record)
  TS-2000 names are sent unpadded (--ts2000-pad-names: blanks to 8)
  FT-1000 "03" numbers channels from 00h (--ft1000-store-base 1)
  FT-920 empty record starts with 90h (--ft920-empty 8B)
  CI-V "08 00 cc" only selects the channel (--civ-select-enters-memory: it
    also switches to memory mode, as some models do)
  IC-7300 echo off, as its USB port leaves the factory (--echo: REMOTE jack)
  IC-7300 1A 00 record of 41 bytes (--ic7300-record 27: the form without the
    transmit block that other programs send)
  IC-7300 select groups 1-3 (--ic7300-groups N)
  IC-7300 tones 60.0 and 120.0 refused (--ic7300-extra-tones: taken)
  IC-7300 a record of the wrong length gets FA (--ic7300-wrong-length-silent)
  IC-7300 a channel with no transmit block of its own reads a copy of the
    receive block there (--ic7300-zero-tx-block: zeros); an all-zero
    transmit block written with split off means "none of its own"
  IC-7300 channel 00 00 gets FA (--ic7300-channel-zero-blank: reads blank)
  TS-590/TS-480 MR names unpadded (--kenwood-pad-names: blanks to 8)
  TS-590 takes "MR0 05;" and answers with 0 (--ts590-echo-blank: with the blank)
  TS-590 channels 110-119 are memories (--ts590-last-channel 109: refused)
  TS-590/TS-480 MW1 on an empty channel is refused with ?;
    (--kenwood-mw1-alone-ignored: dropped without an answer)
  TS-590/TS-480 a clear may leave out the name field
    (--kenwood-clear-needs-name: only with 8 blanks for the name)
  TS-480 tone table of 42 tones, 42 = 1750 Hz (--ts480-tones 50: 50 tones, 50 = 1750)
  TS-480 tone type 3 refused (--ts480-cross-tone: taken)
  TS-480 MW with the name at 40 (no fixed 0) refused (--ts480-name-at-40:
    the name is stored without its first letter)
  TS-480 memories from 50 kHz (--ts480-low-khz 100)

Frequencies outside a model's receive coverage are refused: ?; to MW on the
ASCII rigs, FA (NG) to 05 on CI-V (a following 09 stores the old VFO), and
silence on the five-byte Yaesus, which ignore the 0A.

Faults (switches at start, or control commands while running):
  silence          no answers at all (a CI-V bus still echoes)
  garbage N        N random bytes mixed into every answer
  drop N           drop every Nth answer (1: all)
  hangup N         close the pty after N more commands
  flood N          N random bytes in front of the next answer
  refuse next|all  refuse (?; / FA / silence) the next or every command

Control commands, one a line on stdin or on the --control socket (each
line gets a one-line reply; "channels" replies with the whole image):
  silence on|off   garbage N   drop N   hangup N   flood N
  refuse next|all|off   faults (show them)   clear (all faults off)
  channel N (show one)   channels   dump FILE   count (commands so far)
  help   quit

Memory image (--memory FILE at start, --dump FILE at exit and on SIGTERM):
  one channel a line, # comments, fields separated by blanks:
    channel hertz mode "name" [extra=TEXT] [tx=HZ/MODE] [masked=1]
  mode is the rig's own code: one character on the ASCII rigs (Kenwood 1-7, 9;
  FT-2000 1-9, A-D), two hex digits on Icom (00-08) and the five-byte Yaesus
  (their set-mode code). extra is the rest of the rig's record as it is sent
  (Kenwood lockout/tones, TS-2000/590/480 offsets 18-40, FT-2000 clarifier/
  tones, Icom filter); tx is the transmit side of a Kenwood split memory;
  masked hides an FT-1000 channel. IC-7300: extra is record bytes 2 and 9-16
  in hex (18 digits), then bytes 23-30 of a transmit block of its own (16
  more); tx=HZ/MODE is that block's frequency and mode where they differ from
  the receive side's.
  Example:   5 14074000 2 "FT8"
             12 14070000 01 "FT8 SPLIT" extra=1202120008850010000100000885000885 tx=14100000/01

Log (--log FILE): one line per transfer, "HH:MM:SS.mmm DIR hex bytes" with DIR
  RX (from the client), TX (answer), EC (bus echo), NZ (flood), or "--" notes.
)";
  return s;
}

}  // namespace varnek::sim
