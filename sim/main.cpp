// varnek-rigsim: a simulated rig on a pseudo-terminal, driven from the
// command line; control commands arrive on stdin while it runs.
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "sim/simulator.h"

namespace {

std::atomic<bool> g_stop{false};
void OnSignal(int) {
  g_stop = true;
}

struct Source {
  int fd;
  std::string pending;
  bool is_stdin;
};

void Reply(const Source& src, const std::string& text) {
  if (src.is_stdin) {
    std::cout << text << std::endl;
    return;
  }
  std::string line = text + "\n";
  // A client that went away must not take the simulator with it (no SIGPIPE).
  [[maybe_unused]] ssize_t n = ::send(src.fd, line.data(), line.size(), MSG_NOSIGNAL);
}

// The control socket; a socket left over from an earlier run is replaced,
// anything else at that path is not.
int Listen(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) throw std::runtime_error(path + " exists and is not a socket");
    ::unlink(path.c_str());
  }
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) throw std::runtime_error("control path too long");
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(fd, 4) != 0)
    throw std::runtime_error("cannot listen on " + path);
  return fd;
}

}  // namespace

int main(int argc, char** argv) {
  using varnek::sim::Options;
  Options o;
  std::string address, ts2000_empty = "N", ft920_empty = "90", dump, control;
  bool no_echo = false, echo = false, list = false;
  CLI::App app{"Simulated amateur-radio transceiver on a pseudo-terminal."};
  app.footer(varnek::sim::HelpText());
  app.add_option("--rig", o.rig, "Model to simulate (see the list below)");
  app.add_flag("--list-rigs", list, "Print the model names and exit");
  app.add_option("--address", address,
                 "CI-V address of the rig, two hex digits (default 00; IC-7300: 94)");
  auto* no_echo_flag =
      app.add_flag("--no-echo", no_echo, "CI-V: no bus echo (USB interfaces without one)");
  app.add_flag("--echo", echo, "CI-V: echo every byte (the IC-7300's REMOTE jack, or USB echo on)")
      ->excludes(no_echo_flag);
  app.add_option("--civ-transceive", o.civ_transceive,
                 "CI-V: every Nth command, first send an unrequested 00/01 frame to address 00");
  app.add_option("--ic7300-record", o.ic7300_record, "IC-7300: 1A 00 record length, 41 or 27")
      ->check(CLI::IsMember({41, 27}));
  app.add_option("--ic7300-groups", o.ic7300_groups, "IC-7300: select groups 1..N (default 3)")
      ->check(CLI::Range(0, 15));
  app.add_flag("--ic7300-extra-tones", o.ic7300_extra_tones,
               "IC-7300: also take the tones 60.0 and 120.0 Hz");
  app.add_flag("--ic7300-wrong-length-silent", o.ic7300_wrong_length_silent,
               "IC-7300: no answer to a 1A 00 record of the wrong length (default NG)");
  app.add_flag("--ic7300-zero-tx-block", o.ic7300_zero_tx_block,
               "IC-7300: a channel with no transmit block of its own reads zeros there");
  app.add_flag("--ic7300-channel-zero-blank", o.ic7300_channel_zero_blank,
               "IC-7300: channel 00 00 reads as blank (default NG)");
  app.add_flag("--kenwood-pad-names", o.kenwood_pad_names,
               "TS-590/TS-480: MR pads names to 8 with blanks");
  app.add_flag("--ts590-echo-blank", o.ts590_echo_blank,
               "TS-590: MR0 05; answers with the blank, not 0");
  app.add_option("--ts590-last-channel", o.ts590_last_channel,
                 "TS-590: last memory channel, 119 or 109")
      ->check(CLI::IsMember({109, 119}));
  app.add_flag("--kenwood-mw1-alone-ignored", o.kenwood_mw1_alone_ignored,
               "TS-590/TS-480: MW1 on an empty channel is dropped silently (default ?;)");
  app.add_flag("--kenwood-clear-needs-name", o.kenwood_clear_needs_name,
               "TS-590/TS-480: a clear (MW with frequency 0) needs the 8-blank name field");
  app.add_option("--ts480-tones", o.ts480_tones, "TS-480: tone table of 42 or 50 tones")
      ->check(CLI::IsMember({42, 50}));
  app.add_flag("--ts480-cross-tone", o.ts480_cross_tone, "TS-480: take tone type 3");
  app.add_flag("--ts480-name-at-40", o.ts480_name_at_40,
               "TS-480: an MW with the name at 40 loses its first letter (default ?;)");
  app.add_option("--ts480-low-khz", o.ts480_low_khz, "TS-480: lowest memory frequency, 50 or 100")
      ->check(CLI::IsMember({50, 100}));
  app.add_option("--baud", o.baud, "Send no faster than this line rate (default: pty speed)");
  app.add_option("--frame", o.frame, "Data bits, parity, stop bits for pacing (default per rig)");
  app.add_option("--latency", o.latency_ms, "Rig reaction time before each answer, ms");
  app.add_option("--split", o.split, "Write answers in pieces of N bytes");
  app.add_option("--split-gap", o.split_gap_ms, "Pause between the pieces, ms (default 3)");
  app.add_option("--log", o.log_file, "Hex log of everything received and sent");
  app.add_option("--memory", o.memory_file, "Load the memory channels from this image");
  app.add_option("--dump", dump, "Write the memory image here at exit (also on SIGTERM)");
  app.add_option("--link", o.link, "Make a symlink with this name to the pty");
  app.add_option("--control", control,
                 "Also take control commands on this Unix socket, one a line");
  app.add_option("--seed", o.seed, "Seed for garbage and flood bytes");
  app.add_flag("--silence", o.faults.silence, "Fault: no answers at all");
  app.add_option("--garbage", o.faults.garbage, "Fault: N random bytes mixed into every answer");
  app.add_option("--drop", o.faults.drop_every, "Fault: drop every Nth answer");
  app.add_option("--hangup-after", o.faults.hangup_after, "Fault: close the pty after N commands");
  app.add_option("--flood", o.faults.flood, "Fault: N random bytes in front of the first answer");
  app.add_flag("--refuse-next", o.faults.refuse_next, "Fault: refuse the first command");
  app.add_flag("--refuse-all", o.faults.refuse_all, "Fault: refuse every command");
  app.add_flag("--ascii-ctl-refused", o.ascii_control_refused,
               "ASCII rigs: a control byte inside a command makes the rig answer ?;");
  app.add_flag("--ts2000-strict-channel", o.ts2000_strict_channel,
               "TS-2000: refuse a blank hundreds digit in a channel number");
  app.add_option("--ts2000-empty", ts2000_empty, "TS-2000 empty channel: N (N;) or zero")
      ->check(CLI::IsMember({"N", "zero"}));
  app.add_flag("--ts2000-pad-names", o.ts2000_pad_names, "TS-2000: pad names to 8 with blanks");
  app.add_option("--ft1000-store-base", o.ft1000_store_base,
                 "FT-1000 03 command: first channel is 0 (00h) or 1 (01h)")
      ->check(CLI::IsMember({0, 1}));
  app.add_option("--ft920-empty", ft920_empty, "FT-920: first byte of an empty record, 90 or 8B")
      ->check(CLI::IsMember({"90", "8B", "8b"}));
  app.add_flag("--civ-select-enters-memory", o.civ_select_enters_memory,
               "CI-V: selecting a channel (08 00 cc) also leaves VFO mode");
  app.add_option("--civ-ng-channel", o.civ_ng_channel,
                 "CI-V: answer NG to a set frequency while this channel is selected (a fault)");
  app.add_option("--store-offset", o.store_offset_hz,
                 "ASCII rigs: store every memory write this many hertz off (a faulty rig)");
  // The build gives the project's version; the simulator links nothing of
  // the program's own code.
  app.set_version_flag("--version", std::string("varnek-rigsim ") + VARNEK_VERSION,
                       "Print the version and exit");
  CLI11_PARSE(app, argc, argv);

  if (list) {
    for (const std::string& name : varnek::sim::RigNames())
      std::cout << name << "\n";
    return 0;
  }
  if (o.rig.empty()) {
    std::cerr << "--rig is required; --list-rigs shows the models\n";
    return 2;
  }
  if (address.empty()) address = o.rig == "Icom IC-7300" ? "94" : "00";
  try {
    size_t used = 0;
    o.address = std::stoi(address, &used, 16);
    if (used != address.size() || address.size() > 2) throw std::invalid_argument(address);
  } catch (const std::exception&) {
    std::cerr << "--address wants two hex digits, not '" << address << "'\n";
    return 2;
  }
  if (no_echo) o.echo = false;
  if (echo) o.echo = true;
  o.ts2000_empty = ts2000_empty == "zero" ? varnek::sim::Ts2000Empty::kZeroRecord
                                          : varnek::sim::Ts2000Empty::kNoData;
  o.ft920_empty_byte = std::stoi(ft920_empty, nullptr, 16);

  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
  // Output piped into a program that has finished must not end the rig.
  signal(SIGPIPE, SIG_IGN);

  int listener = -1;
  try {
    varnek::sim::Simulator sim(o);
    if (!control.empty()) listener = Listen(control);
    std::cout << sim.Start() << std::endl;
    // Control lines come from stdin and from clients of the control socket;
    // each reply goes back where its line came from.
    std::vector<Source> sources = {{0, "", true}};
    bool quit = false;
    while (!quit && !g_stop && sim.Running()) {
      std::vector<pollfd> p;
      for (const Source& src : sources)
        p.push_back({src.fd, POLLIN, 0});
      if (listener >= 0) p.push_back({listener, POLLIN, 0});
      if (poll(p.data(), p.size(), 200) <= 0) continue;
      if (listener >= 0 && (p.back().revents & POLLIN)) {
        int client = ::accept(listener, nullptr, nullptr);
        if (client >= 0) sources.push_back({client, "", false});
      }
      for (size_t k = 0; k < p.size() - (listener >= 0 ? 1 : 0) && !quit; ++k) {
        Source& src = sources[k];
        if (!(p[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        char buf[512];
        ssize_t n = ::read(src.fd, buf, sizeof buf);
        // stdin may be /dev/null when run in the background: its end is not
        // the end of the run, only a signal, "quit" or a hang-up is.
        if (n <= 0 || src.pending.size() > 4096) {
          if (!src.is_stdin) ::close(src.fd);
          src.fd = -1;
          continue;
        }
        src.pending.append(buf, static_cast<size_t>(n));
        for (size_t eol; !quit && (eol = src.pending.find('\n')) != std::string::npos;) {
          std::string line = src.pending.substr(0, eol);
          src.pending.erase(0, eol + 1);
          if (!line.empty() && line.back() == '\r') line.pop_back();
          if (line == "quit" || line == "exit") {
            quit = true;
          } else if (line.find_first_not_of(" \t") != std::string::npos) {
            Reply(src, sim.Control(line));
          }
        }
      }
      std::erase_if(sources, [](const Source& src) { return src.fd < 0; });
    }
    for (const Source& src : sources)
      if (!src.is_stdin) ::close(src.fd);
    if (listener >= 0) {
      ::close(listener);
      ::unlink(control.c_str());
    }
    sim.Stop();
    if (!dump.empty()) sim.DumpMemory(dump);
  } catch (const std::exception& e) {
    std::cerr << "varnek-rigsim: " << e.what() << "\n";
    if (listener >= 0) ::unlink(control.c_str());  // ours only: Listen() succeeded
    return 1;
  }
  return 0;
}
