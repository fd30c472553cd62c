#include "cli/cli_app.h"

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>

#include "base/cp1252.h"
#include "base/folders.h"
#include "base/headless_host.h"
#include "base/profile.h"
#include "app/program.h"
#include "settings/rig_settings.h"
#include "app/startup.h"
#include "base/text.h"
#include "cli/answer_watch.h"
#include "files/channel_file.h"
#include "files/chirp_csv.h"
#include "files/rigmem_csv.h"
#include "rig/family.h"
#include "rig/rig_io.h"

namespace varnek::cli {
namespace {

using Clock = std::chrono::steady_clock;

std::atomic<bool> g_stopRequested{false};

void OnInterrupt(int) {
  g_stopRequested.store(true);
}

// Ctrl-C stops the run once; with SA_RESETHAND a second Ctrl-C ends the
// program the usual way, for a rig that never lets the run finish.
class InterruptGuard {
 public:
  explicit InterruptGuard(bool install) : installed_(install) {
    if (!installed_) return;
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &sa, &previous_);
  }
  ~InterruptGuard() {
    if (installed_) sigaction(SIGINT, &previous_, nullptr);
  }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  bool installed_;
  struct sigaction previous_ {};
};

// The channel files' folder for the length of the run when no settings
// folder of its own was named: the save run logs the transcript to
// terminal.ini there, and the GUI user's log must stay as it is.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "varnek-cli-XXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) != nullptr) path_ = std::string(buf.data()) + "/";
  }
  ~ScratchFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Both folders are `dir`: with no variables and the program file inside
// it, the folder lookup falls back to the program's folder.
FolderEnvironment DirEnvironment(const std::string& dir) {
  FolderEnvironment env;
  env.getEnv = [](const std::string&) -> std::optional<std::string> { return std::nullopt; };
  std::string d = std::filesystem::absolute(dir).lexically_normal().string();
  if (d.empty() || d.back() != '/') d += '/';
  env.programFile = d + "varnek-cli";
  return env;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// The headless host with the terminal's answers and Ctrl-C.
class CliHost : public HeadlessHost {
 public:
  CliHost(const Console& console, std::ostream& err)
      : HeadlessHost(Time::Real), console_(console), err_(err) {}

  void ProcessMessages() override {
    PollStop();
    HeadlessHost::ProcessMessages();
  }

  bool Confirm(const std::string& text, MessageIcon icon) override {
    HeadlessHost::Confirm(text, icon);
    declined = !Ask(text);
    return !declined;
  }

  // Turns a pending Ctrl-C into "Stop"; GUI thread only.
  bool PollStop() {
    if (!IsGuiThread() || !g_stopRequested.exchange(false)) return stopped;
    stopped = true;
    if (onStop) onStop();
    return true;
  }

  bool assumeYes = false;
  bool declined = false;
  bool stopped = false;
  std::function<void()> onStop;

 private:
  bool Ask(const std::string& text) {
    if (assumeYes) return true;
    if (!console_.stdinTerminal || console_.in == nullptr) return false;
    err_ << text << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(*console_.in, answer)) return false;
    answer = Lower(Trim(answer));
    return answer == "y" || answer == "yes";
  }

  const Console& console_;
  std::ostream& err_;
};

// The heading of the runs' notice of refused channels.
constexpr std::string_view kNotTransferred = kNotTransferredHeading;

// Everything the run prints on standard error, from whichever thread.
class Reporter {
 public:
  explicit Reporter(std::ostream& err) : err_(err) {}
  void Message(const std::string& text) {
    // The runs gather the rig's refusals into one notice: data that did not
    // reach the rig or the table is a failed transfer for a script.
    if (StartsWith(text, kNotTransferred))
      Error(text);
    else
      Line(text);
  }
  void Error(const std::string& text) {
    Line("error: " + text);
    std::lock_guard lock(mutex_);
    if (counting_) ++errors_;
  }
  void Progress(const std::string& channel, int done, int total) {
    std::lock_guard lock(mutex_);
    err_ << "\rchannel " << channel << "  " << done << " of " << total << "   " << std::flush;
    progressShown_ = true;
  }
  void EndProgress() {
    std::lock_guard lock(mutex_);
    if (progressShown_) err_ << '\n';
    progressShown_ = false;
  }
  void CountErrors(bool on) {
    std::lock_guard lock(mutex_);
    counting_ = on;
  }
  int Errors() const {
    std::lock_guard lock(mutex_);
    return errors_;
  }

 private:
  void Line(const std::string& text) {
    std::lock_guard lock(mutex_);
    if (progressShown_) err_ << '\n';
    progressShown_ = false;
    err_ << "varnek-cli: " << text << '\n' << std::flush;
  }

  std::ostream& err_;
  mutable std::mutex mutex_;
  bool counting_ = false;
  bool progressShown_ = false;
  int errors_ = 0;
};

struct UsageError {
  std::string text;
};

// The subcommands, named once: everything after the parse asks the verb,
// never the command's text.
enum class Verb { Read, Write, Clear, Click, VfoA, Memory, Send, Rigs, Import, Export };

struct VerbName {
  Verb verb;
  const char* name;
};
constexpr VerbName kVerbs[] = {
    {Verb::Read, "read"},     {Verb::Write, "write"},   {Verb::Clear, "clear"},
    {Verb::Click, "click"},   {Verb::VfoA, "vfo-a"},    {Verb::Memory, "memory"},
    {Verb::Send, "send"},     {Verb::Rigs, "rigs"},     {Verb::Import, "import"},
    {Verb::Export, "export"},
};

Verb VerbOf(const std::string& name) {
  for (const VerbName& v : kVerbs)
    if (name == v.name) return v.verb;
  throw UsageError{"unknown command " + name};
}

const char* NameOf(Verb verb) {
  for (const VerbName& v : kVerbs)
    if (v.verb == verb) return v.name;
  return "";
}

// A load, save or clear run over a channel list.
bool IsRun(Verb v) {
  return v == Verb::Read || v == Verb::Write || v == Verb::Clear;
}

// --- option values ---------------------------------------------------------

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The rig list's own spelling of a selection; letter case does not matter.
std::optional<std::string> RigSelection(const std::string& text) {
  for (const std::string& rig : RigList())
    if (Lower(rig) == Lower(Trim(text))) return rig;
  return std::nullopt;
}

// The refusal of a --rig text that is not in the list, with the list.
UsageError UnknownRig(const std::string& text) {
  std::string all;
  for (const std::string& rig : RigList())
    all += (all.empty() ? "" : ", ") + rig;
  return UsageError{"--rig: \"" + text + "\" is not in the rig list; the rigs are: " + all};
}

// "COM1".."COM25" (any letter case) as the list spells it.
std::optional<std::string> PortName(const std::string& text) {
  const std::string upper = UpperCase(text);
  if (!StartsWith(upper, "COM") || !AllDigits(std::string_view(upper).substr(3)))
    return std::nullopt;
  return upper;
}

struct PortChoice {
  std::string name;  // a list name, or empty
  std::string path;  // a device path, or empty
};

PortChoice ResolvePortOption(const std::string& text) {
  if (text.empty()) throw UsageError{"--port: empty device"};
  if (auto name = PortName(text)) {
    if (ItemPosition(PortItems(), *name) < 0)
      throw UsageError{"--port: " + text + " is not one of COM1..COM25"};
    return {*name, {}};
  }
  if (text[0] == '/') return {{}, text};
  // A bare name that names nothing here is a device under /dev ("ttyUSB0");
  // one that exists in the current folder (a simulator's link) is that file.
  std::error_code ec;
  if (text.find('/') == std::string::npos && !std::filesystem::exists(text, ec))
    return {{}, "/dev/" + text};
  return {{}, std::filesystem::absolute(text).lexically_normal().string()};
}

int BaudPosition(int baud) {
  // The list's 115000 is set as 115200, so that is the value to give.
  const std::string text = baud == 115200 ? std::string("115000") : IntToStr(baud);
  if (baud == 115000) return -1;
  return ItemPosition(BaudItems(), text);
}

int Position(const std::vector<std::string>& names, const std::string& value) {
  return static_cast<int>(std::find(names.begin(), names.end(), value) - names.begin());
}

const std::vector<std::string> kStopBits = {"1", "1.5", "2"};
const std::vector<std::string> kParities = {"none", "odd", "even", "mark", "space"};
const std::vector<std::string> kFlows = {"none", "xonxoff", "rtscts", "dsrdtr"};
const std::vector<std::string> kNotations = {"points", "point", "comma"};

// --- the parsed command line -----------------------------------------------

struct Options {
  std::string rig, port, parity, flow, dtr, rts, address, notation, table, out, transcript,
      settingsDir, stopBits, waitAnswers;
  int baud = 0, dataBits = 0, channelInterval = 0, commandInterval = 0, loopWait = 0, settle = 600;
  CLI::Option *oRig = nullptr, *oPort = nullptr, *oBaud = nullptr, *oData = nullptr,
              *oStop = nullptr, *oParity = nullptr, *oFlow = nullptr, *oDtr = nullptr,
              *oRts = nullptr, *oAddress = nullptr, *oChannel = nullptr, *oCommand = nullptr,
              *oLoop = nullptr, *oNotation = nullptr, *oTable = nullptr, *oOut = nullptr,
              *oTranscript = nullptr, *oSettings = nullptr, *oWaitAnswers = nullptr;

  std::string channels, click, file, format;
  bool yes = false, toRig = false, worm = false, addLf = false, verify = false;
  int waitMs = 1000;
  std::vector<std::string> lines;

  // Checked after parsing.
  std::vector<int> channelList;
  int clickChannel = -1;
};

const char* const kFooter = R"(Command lines:
  read CHANNELS              load run over CHANNELS (e.g. 1-10,15,90-99); then print the table
  write CHANNELS [--verify]  save run over CHANNELS of the --table file; --verify reads the
                             written channels back and compares them with the table
  clear CHANNELS [--yes]     clear run; asks on a terminal unless --yes, refuses without a
                             terminal unless --yes
  click NN [--to-rig]        one channel click; --to-rig checks "Click to Rig" first (the row
                             needs a frequency from --table); then print the table
  vfo-a | memory             the single commands
  send [--worm] [--add-lf] [--wait MS] LINE...
                             the terminal's send of up to four lines, then wait MS (default
                             1000) and print the transcript
  rigs                       list the rig selection texts
  import FILE --format chirp|rigmem
                             a CHIRP or Hamlib rigmem CSV file into the table given with
                             --table (default: an empty table); the table goes to --out or
                             standard output, what was not taken to standard error
  export FILE --format chirp|rigmem
                             the --table file as a CHIRP or Hamlib rigmem CSV file; what the
                             format cannot hold is listed on standard error

Channels are 00 to 99; 00 exists only on the Kenwood TS rigs (a range such
as 0-99 skips it on the others). A checked row without a frequency: on the
Kenwood TS rigs and the FT-2000, write empties that channel in the rig; on
CI-V and the five-byte Yaesus (FT-1000, FT-920), which store a channel from
the VFO, write refuses it (use clear). Frequencies: kHz (14250, 14250.5), MHz
(14.25) or MHz.kHz.Hz (14.250.000); a row whose frequency is none of these,
reads two ways on the rig (1296.2 on a TS-2000) or lies outside what the rig
stores is refused by name, and write ends with 1. The table is
written as a channel file (number, frequency, mode and name separated by TAB,
CR LF line ends) to --out or standard output; write, clear, vfo-a and memory
write it only when --out is given.

Settings: options not given take the values the rig's saved settings give
(settings.ini in the settings folder, or in --settings-dir DIR), as the GUI
would; options given win over them, and --port survives the reset and the rig
change that selecting --rig runs. settings.ini is read, never written.
terminal.ini is left alone unless --settings-dir names a folder of its own;
there it is treated as the GUI does (deleted at start, the save run's log).

The rig's answers arrive after the request that asked for them: after its
command varnek-cli goes on taking and parsing what the rig sends until the
line has been quiet for --settle MS, and only then prints.

Progress (the channel in transfer, n of m) goes to standard error when it is
a terminal. Ctrl-C is "Stop": the run ends at its next stop point (a second
Ctrl-C ends the program at once).

Exit status:
  0  success
  1  a transfer ended by an error, or was stopped (the message on standard error)
  2  usage error (with the usage text)
  3  the port cannot be opened (with the reason; for a permission error, how to
     join the group that owns the device, typically dialout)
  4  the run finished, but some channels got no answer from the rig (listed on
     standard error): reads that nothing answered, and with --wait-for-answers
     on, writes and clears whose sync query went unanswered; a CI-V rig that
     acknowledged nothing of a write, clear, vfo-a or memory (off, or another
     address). The Kenwoods, the FT-2000 and the five-byte Yaesus answer no
     memory write: a write there is only confirmed by --verify (or, on the
     ASCII rigs, --wait-for-answers on), and standard error says so.
)";

// The intervals are milliseconds; a day is more than any rig needs.
const CLI::Range kMs(0, 86400000);

void AddOptions(CLI::App& app, Options& o) {
  o.oRig = app.add_option("--rig", o.rig,
                          "rig selection text, as in the GUI's list (\"Kenwood TS-570\", "
                          "\"Icom IC-CI-V\", \"Yaesu FT-920\", ...; see the rigs command)");
  o.oPort = app.add_option("--port", o.port,
                           "COM1..COM25, a device path, or a bare name: a file of that name in "
                           "the current folder, else the device /dev/NAME")
                ->type_name("DEVICE");
  o.oBaud = app.add_option("--baud", o.baud, "baud rate, one of the settings dialog's list")
                ->type_name("N");
  o.oData = app.add_option("--data-bits", o.dataBits, "data bits")
                ->type_name("N")
                ->check(CLI::Range(4, 8));
  o.oStop = app.add_option("--stop-bits", o.stopBits, "stop bits")->check(CLI::IsMember(kStopBits));
  o.oParity = app.add_option("--parity", o.parity, "parity")->check(CLI::IsMember(kParities));
  o.oFlow = app.add_option("--flow", o.flow, "flow control")->check(CLI::IsMember(kFlows));
  o.oDtr = app.add_option("--dtr", o.dtr, "DTR line")->check(CLI::IsMember({"on", "off"}));
  o.oRts = app.add_option("--rts", o.rts, "RTS line")->check(CLI::IsMember({"on", "off"}));
  o.oAddress = app.add_option("--address", o.address, "CI-V address (two hex digits)")
                   ->type_name("HH")
                   ->check(CLI::Validator(
                       [](std::string& v) -> std::string {
                         if (v.size() == 2 && std::isxdigit(static_cast<unsigned char>(v[0])) &&
                             std::isxdigit(static_cast<unsigned char>(v[1])))
                           return {};
                         return "the CI-V address is two hex digits, e.g. 5C";
                       },
                       "HH"));
  o.oChannel =
      app.add_option("--channel-interval", o.channelInterval, "pause per channel in a run (ms)")
          ->type_name("MS")
          ->check(kMs);
  o.oCommand = app.add_option("--command-interval", o.commandInterval,
                              "pause between the commands of one channel (ms)")
                   ->type_name("MS")
                   ->check(kMs);
  o.oLoop =
      app.add_option("--loop-wait", o.loopWait, "Icom loop wait (ms)")->type_name("MS")->check(kMs);
  o.oWaitAnswers = app.add_option("--wait-for-answers", o.waitAnswers,
                                  "on: every request waits for the rig's answer instead of a "
                                  "fixed pause, the channel interval is the longest wait (default: "
                                  "the rig's saved \"Wait for answers\")")
                       ->check(CLI::IsMember({"on", "off"}));
  o.oNotation = app.add_option("--notation", o.notation,
                               "frequency notation of channel files: points 14.267.000, "
                               "point 14267.00, comma 14267,00")
                    ->check(CLI::IsMember(kNotations));
  o.oTable =
      app.add_option("--table", o.table, "start from this channel file (default: an empty table)")
          ->type_name("FILE")
          ->check(CLI::ExistingFile);
  o.oOut = app.add_option("--out", o.out,
                          "write the resulting table as a channel file here (default: standard "
                          "output)")
               ->type_name("FILE");
  o.oTranscript = app.add_option("--transcript", o.transcript,
                                 "write the answer transcript (the terminal memo) here at the end")
                      ->type_name("FILE");
  o.oSettings = app.add_option("--settings-dir", o.settingsDir,
                               "read and write settings.ini and terminal.ini in DIR")
                    ->type_name("DIR")
                    ->check([](const std::string& dir) -> std::string {
                      // Made when missing, as the GUI makes its settings folder.
                      std::error_code ec;
                      std::filesystem::create_directories(dir, ec);
                      if (std::filesystem::is_directory(dir, ec)) return {};
                      return "cannot make the folder " + dir + (ec ? ": " + ec.message() : "");
                    });
  app.add_option("--settle", o.settle,
                 "after the command, wait until the line has been quiet this long (ms)")
      ->type_name("MS")
      ->check(kMs)
      ->capture_default_str();
}

// --- the run -----------------------------------------------------------------

class Run {
 public:
  Run(const Options& o, Verb verb, std::ostream& out, std::ostream& err, const Console& console)
      : o_(o),
        verb_(verb),
        out_(out),
        console_(console),
        reporter_(err),
        host_(console, err) {}

  int Execute();

 private:
  void Setup();
  void ApplyOverrides();
  int OpenPort();
  void CheckChannels(const std::vector<int>& channels);
  void WaitUntilIdle();
  void Pause(int ms);
  void Settle();
  int Command();
  void ReadRun();
  void WriteRun();
  bool ClearRun();  // false: the user said No
  void Click();
  void Send();
  void CheckReaction();
  bool WriteTable(bool toStdoutByDefault);
  void WriteTranscript();

  const Options& o_;
  const Verb verb_;
  std::ostream& out_;
  const Console& console_;
  Reporter reporter_;
  CliHost host_;
  std::unique_ptr<ScratchFolder> scratch_;
  std::unique_ptr<Program> program_;
  Clock::time_point lastCluster_ = Clock::now();
  AnswerWatch* watch_ = nullptr;  // owned by the program's port
  bool portReports_ = false;
  std::string openFailure_;
  bool silentRig_ = false;  // a CI-V rig acknowledged nothing of the command
};

void Run::Setup() {
  host_.SetMessageSink([this](const std::string& t) { reporter_.Message(t); },
                       [this](const std::string& t) { reporter_.Error(t); });
  const bool ownFolder = o_.oSettings->count() > 0;
  auto device = std::make_unique<AnswerWatch>(MakePosixSerialDevice());
  watch_ = device.get();
  program_ = std::make_unique<Program>(
      host_, ownFolder ? DirEnvironment(o_.settingsDir) : SystemFolderEnvironment(),
      std::move(device));
  Program& p = *program_;
  p.persistSettings = false;
  // Before the user's port is open, the saved settings open other ports
  // on the way; what they report says nothing about the port that counts.
  p.SerialPort1.OnProcessError = [this](TSerialPort&, uint32_t place, uint32_t code,
                                        const std::string& msg, uint8_t noise) {
    if (noise != 0) return;
    const std::string text = SerialReportText(code, msg);
    program_->MainForm.ShowStatus(text);
    if (place == 112) openFailure_ = text;
    if (portReports_) reporter_.Error(text);
  };
  auto received = p.SerialPort1.OnRxClusterEvent;
  p.SerialPort1.OnRxClusterEvent = [this, received](TSerialPort& port) {
    lastCluster_ = Clock::now();
    if (received) received(port);
    lastCluster_ = Clock::now();
  };
  p.transfers.OnProgress = [this](const std::string& channel, int done, int total) {
    if (console_.stderrTerminal) reporter_.Progress(channel, done, total);
  };
  host_.onStop = [this] { program_->transfers.Cancel1Click(); };

  p.FormCreate();
  if (!ownFolder) {
    scratch_ = std::make_unique<ScratchFolder>();
    if (!scratch_->Path().empty()) p.MainForm.shared.DocumentsFolder = scratch_->Path();
  }
  p.FormShow(ownFolder);
  if (o_.oRig->count()) {
    const std::optional<std::string> rig = RigSelection(o_.rig);
    if (!rig) throw UnknownRig(o_.rig);
    Guarded(host_, [&] { p.MainForm.cbxRig.UserInput(*rig); });
  }
  if (FamilyOf(p.MainForm.shared.ModelCode.Get()) == RigFamily::None)
    throw UsageError{"no rig selected: give --rig (see: rigs)"};
}

void Run::ApplyOverrides() {
  Program& p = *program_;
  TSetDLG& d = p.SetDLG;
  TMainForm& f = p.MainForm;
  if (o_.oBaud->count()) d.CBBaud.SetItemIndex(BaudPosition(o_.baud));
  if (o_.oData->count())
    d.CBData.SetItemIndex(ItemPosition(DataBitItems(), IntToStr(o_.dataBits) + " Bit"));
  if (o_.oStop->count()) d.CBStop.SetItemIndex(Position(kStopBits, o_.stopBits));
  if (o_.oParity->count()) d.CBParity.SetItemIndex(Position(kParities, o_.parity));
  if (o_.oFlow->count()) d.CBFlow.SetItemIndex(Position(kFlows, o_.flow));
  if (o_.oDtr->count()) d.chkDtr.SetChecked(o_.dtr == "on");
  if (o_.oRts->count()) d.chkRTS.SetChecked(o_.rts == "on");
  if (o_.oAddress->count()) {
    f.edAddr.SetText(UpperCase(o_.address));
    f.edAddrExit();
  }
  if (o_.oChannel->count()) {
    f.edIntval.SetText(IntToStr(o_.channelInterval));
    f.shared.ChannelInterval = o_.channelInterval;
  }
  if (o_.oCommand->count()) {
    f.edWait.SetText(IntToStr(o_.commandInterval));
    f.shared.CommandInterval = o_.commandInterval;
  }
  if (o_.oLoop->count()) {
    d.edLoopWait.SetText(IntToStr(o_.loopWait));
    f.shared.IcomLoopWait = o_.loopWait;
  }
  if (o_.oWaitAnswers->count() || o_.verify) {
    RigOptions options = d.Options();
    if (o_.oWaitAnswers->count()) options.waitForAnswers = o_.waitAnswers == "on";
    if (o_.verify) options.verifyAfterWrite = true;
    d.SetOptions(options);
  }
  if (o_.oNotation->count()) {
    TRadioButton* chosen[] = {&d.rbTwoPnts, &d.rbPoint, &d.rbComma};
    const int n = Position(kNotations, o_.notation);
    for (int i = 0; i < 3; ++i)
      chosen[i]->SetChecked(i == n);
  }
  if (o_.oPort->count()) {
    const PortChoice port = ResolvePortOption(o_.port);
    if (!port.name.empty()) {
      d.CBPort.SetItemIndex(ItemPosition(PortItems(), port.name));
    } else {
      // The device stands in for the selected port name for this run only;
      // settings.ini is never written.
      if (d.CBPort.ItemIndex() < 0) d.CBPort.SetItemIndex(0);
      d.portPaths.Set(d.CBPort.Items()[static_cast<size_t>(d.CBPort.ItemIndex())], port.path);
    }
    d.CBPortChange();
  }
}

int Run::OpenPort() {
  Program& p = *program_;
  openFailure_.clear();
  p.SetDLG.ApplyDialogToPort(p.SerialPort1);
  p.SetDLG.RefreshPortIndicator();
  if (!p.SerialPort1.Active()) {
    portReports_ = false;
    const std::string device = p.SerialPort1.DevicePath();
    reporter_.Message(
        "cannot open the port " + p.SerialPort1.CommPort() +
        (device.empty() || device == p.SerialPort1.CommPort() ? "" : " (" + device + ")") +
        (openFailure_.empty() ? "" : ": " + openFailure_));
    return kExitPort;
  }
  portReports_ = true;
  // Answers are cut into one cluster after the line has been quiet for a
  // while; with a channel interval shorter than that wait, the next request
  // would go out before the last answer was parsed and rows would mix.
  if (o_.oChannel->count() && o_.channelInterval < 500)
    p.SerialPort1.SetRTOExtraDelayTime(
        static_cast<uint16_t>(std::clamp(o_.channelInterval / 2, 10, 250)));
  return kExitOk;
}

void Run::WaitUntilIdle() {
  while (!host_.WaitFor([this] { return !program_->transfers.Busy(); }, 50))
    host_.PollStop();
  program_->transfers.WaitForLoad(60000);
}

void Run::Pause(int ms) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (Clock::now() < end && !host_.PollStop())
    host_.WaitFor(
        [] { return false; },
        static_cast<int>(std::min<long long>(
            20, std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count() +
                    1)));
}

void Run::Settle() {
  const auto start = Clock::now();
  const auto quiet = std::chrono::milliseconds(o_.settle);
  // A rig that never falls silent (an auto-information mode, a fault)
  // must not keep the command from ending.
  const auto limit = start + std::max(std::chrono::milliseconds(10000), 10 * quiet);
  lastCluster_ = std::max(lastCluster_, start);
  for (;;) {
    host_.WaitFor([] { return false; }, 20);
    if (host_.PollStop()) return;
    const auto now = Clock::now();
    if (program_->SerialPort1.FirstClusterSize() >= 0) lastCluster_ = now;
    if (now - lastCluster_ >= quiet) return;
    if (now >= limit) {
      reporter_.Message("the line did not fall quiet; printing what has arrived");
      return;
    }
  }
}

bool Run::WriteTable(bool toStdoutByDefault) {
  Program& p = *program_;
  if (o_.oOut->count()) {
    const ChannelFileResult r = SaveChannelFile(o_.out, p.MainForm, p.SetDLG.Notation());
    if (!r.ok) reporter_.Error(r.message);
    return r.ok;
  }
  if (toStdoutByDefault)
    out_ << ChannelFileText(TableOf(p.MainForm), p.SetDLG.Notation()) << std::flush;
  return true;
}

void Run::WriteTranscript() {
  if (!o_.oTranscript->count()) return;
  std::ofstream file(o_.transcript, std::ios::binary | std::ios::trunc);
  for (const std::string& line : program_->RigForm.Terminal.Lines())
    file << line << '\n';
  file.flush();
  if (!file) reporter_.Error("cannot write the transcript to " + o_.transcript);
}

// Whether the list names channel 00 on its own, not as the start of a
// range ("0-99" means every channel the rig has).
bool NamesZeroAlone(std::string_view list) {
  size_t pos = 0;
  while (pos <= list.size()) {
    size_t end = list.find(',', pos);
    if (end == std::string_view::npos) end = list.size();
    const std::string item = Trim(list.substr(pos, end - pos));
    pos = end + 1;
    if (item.find('-') == std::string::npos && AllDigits(item) && StrToInt(item) == 0) return true;
  }
  return false;
}

void Run::CheckChannels(const std::vector<int>& channels) {
  TMainForm& f = program_->MainForm;
  if (!f.cb[0].Enabled() && NamesZeroAlone(o_.channels))
    throw UsageError{"channel 00 does not exist on the " + f.cbxRig.Text() +
                     " (only the Kenwood TS rigs have it)"};
  for (int n = 0; n < TMainForm::kChannels; ++n)
    f.cb[static_cast<size_t>(n)].SetChecked(false);
  for (int n : channels)
    if (f.cb[static_cast<size_t>(n)].Enabled()) f.cb[static_cast<size_t>(n)].SetChecked(true);
}

int Run::Command() {
  Program& p = *program_;
  Transfers& t = p.transfers;
  // The runs gather the rig's refusals themselves; a single command would
  // show each as a plain message, so its refusals are gathered here.
  const bool single = !IsRun(verb_);
  if (single) t.Notices().BeginCollecting();
  watch_->Restart();
  switch (verb_) {
    case Verb::Read:
      ReadRun();
      break;
    case Verb::Write:
      WriteRun();
      break;
    case Verb::Clear:
      if (!ClearRun()) return kExitOk;
      break;
    case Verb::Click:
      Click();
      break;
    case Verb::VfoA:
      Guarded(host_, [&] { t.VfoA1Click(); });
      break;
    case Verb::Memory:
      Guarded(host_, [&] { t.Memory1Click(); });
      break;
    case Verb::Send:
      Send();
      break;
    case Verb::Rigs:
    case Verb::Import:
    case Verb::Export:
      break;  // these need no rig
  }
  Settle();
  reporter_.EndProgress();
  if (single) {
    const std::string refused = t.Notices().EndCollecting();
    if (!refused.empty()) reporter_.Error(refused);
  }
  // A read that nothing answered leaves the table as it was; a wrong port,
  // baud rate or address must not pass for an empty rig.
  const bool reads = verb_ == Verb::Read || (verb_ == Verb::Click && !o_.toRig);
  if (reads && !watch_->HeardRig() && !host_.stopped)
    reporter_.Error("no answer from the rig on " + p.SerialPort1.DevicePath() +
                    "; check the rig, the port and the line settings");
  if (!reads && !host_.stopped) CheckReaction();
  return kExitOk;
}

void Run::ReadRun() {
  CheckChannels(o_.channelList);
  if (Guarded(host_, [&] { program_->transfers.LoadFromRig1Click(); })) WaitUntilIdle();
}

void Run::WriteRun() {
  Program& p = *program_;
  CheckChannels(o_.channelList);
  // On the ASCII rigs a checked row without a frequency empties the rig's
  // channel, as in the GUI; from a sparse file that is easily more than
  // was meant. The other families refuse such rows in the run's report.
  std::string empty;
  if (IsAscii(FamilyOf(p.MainForm.shared.ModelCode.Get())))
    for (int n : o_.channelList)
      if (p.MainForm.RowChecked(n) && Trim(p.MainForm.RowFreq(n)).empty())
        empty += (empty.empty() ? "" : " ") + ChannelText(n);
  if (!empty.empty())
    reporter_.Message("no frequency in the table, written as empty channels: " + empty);
  Guarded(host_, [&] { p.transfers.SaveToRig1Click(); });
}

bool Run::ClearRun() {
  CheckChannels(o_.channelList);
  host_.assumeYes = o_.yes;
  Guarded(host_, [&] { program_->transfers.ClrMemory1Click(); });
  if (!host_.declined) return true;
  reporter_.Message("nothing cleared");
  return false;
}

void Run::Click() {
  Program& p = *program_;
  const int n = o_.clickChannel;
  if (!p.MainForm.RowAvailable(n))
    throw UsageError{"channel " + ChannelText(n) + " does not exist on the " +
                     p.MainForm.RigName()};
  if (o_.toRig) {
    // Without a frequency the click would read instead, and a script that
    // meant to write would be told it had succeeded.
    if (Trim(p.MainForm.RowFreq(n)).empty())
      throw UsageError{"click --to-rig: channel " + ChannelText(n) +
                       " has no frequency in the table (give --table)"};
    p.SetDLG.cbCcr.SetChecked(true);
    p.MainForm.cbCcr.SetChecked(true);
  }
  Guarded(host_, [&] { p.transfers.LabelClick(n); });
}

void Run::Send() {
  TRigForm& r = program_->RigForm;
  for (size_t i = 0; i < r.Edit.size(); ++i)
    r.Edit[i].SetText(i < o_.lines.size() ? o_.lines[i] : std::string());
  r.cbWorm.SetChecked(o_.worm);
  r.cbAddLF.SetChecked(o_.addLf);
  if (Guarded(host_, [&] { r.SendBtnClick(); })) Pause(o_.waitMs);
}

// What a command that changes the rig can tell of the rig's reaction. A CI-V
// rig acknowledges every frame: when nothing but the bus echo came back it
// is off or set to another address, and nothing was changed. The ASCII and
// five-byte rigs answer no memory write, so there a write stays unconfirmed
// unless it was paced by the rig's answers or read back.
void Run::CheckReaction() {
  Program& p = *program_;
  const bool single = verb_ == Verb::VfoA || verb_ == Verb::Memory;
  const bool write = verb_ == Verb::Write || verb_ == Verb::Click;
  std::string channels;
  for (int n : p.transfers.SentChannels())
    channels += (channels.empty() ? "" : ", ") + ChannelText(n);
  if (!single && channels.empty()) return;  // nothing went to the rig
  const std::string many = channels.find(',') == std::string::npos ? "" : "s";
  switch (FamilyOf(p.MainForm.shared.ModelCode.Get())) {
    case RigFamily::Icom:
      if (watch_->HeardRig()) return;
      silentRig_ = true;
      reporter_.Message(
          "no answer from the rig on " + p.SerialPort1.DevicePath() + " " +
          (single ? "to " + std::string(NameOf(verb_))
                  : std::string(write ? "after writing" : "after clearing") + " channel" + many +
                        " " + channels) +
          " (only the bus echo came back); check that the rig is on and its CI-V address");
      return;
    case RigFamily::Kenwood:
    case RigFamily::Ft2000:
    case RigFamily::Yaesu: {
      // The ASCII rigs' identity query, sent after each write when paced by
      // answers, confirms it too; the five-byte Yaesus have only the read-back.
      const bool ascii = IsAscii(FamilyOf(p.MainForm.shared.ModelCode.Get()));
      if (!write || p.MainForm.shared.VerifyAfterWrite ||
          (ascii && p.MainForm.shared.WaitForAnswers))
        return;
      reporter_.Message("the rig answers no memory write: that it holds channel" + many + " " +
                        channels + " is not confirmed (" +
                        (ascii ? "--wait-for-answers on or --verify does" : "--verify does") + ")");
      return;
    }
    case RigFamily::None:
      return;
  }
}

int Run::Execute() {
  Setup();
  ApplyOverrides();
  if (const int port = OpenPort(); port != kExitOk) return port;
  Program& p = *program_;
  if (o_.oTable->count()) {
    const ChannelFileResult r = LoadChannelFile(o_.table, p.MainForm, p.SetDLG.Notation());
    if (!r.ok) {
      reporter_.Error(r.message);
      return kExitTransferError;
    }
  }
  reporter_.CountErrors(true);
  const int status = Command();
  reporter_.CountErrors(false);
  if (status != kExitOk) return status;

  bool written = true;
  if (verb_ == Verb::Send) {
    for (const std::string& line : p.RigForm.Terminal.Lines())
      out_ << line << '\n';
    out_ << std::flush;
  } else {
    written = WriteTable(verb_ == Verb::Read || verb_ == Verb::Click);
  }
  WriteTranscript();
  p.FormClose(false);
  if (host_.stopped) {
    reporter_.Message("stopped");
    return kExitTransferError;
  }
  if (reporter_.Errors() > 0 || !written) return kExitTransferError;
  if (!p.transfers.VerifyDifferences().empty()) return kExitTransferError;
  if (silentRig_ || !p.transfers.Unanswered().empty()) return kExitNoAnswer;
  return kExitOk;
}

// Every check of the arguments after the parse, in one place; fills in the
// channel lists. Throws UsageError.
void CheckArguments(Verb verb, Options& o, const Console& console) {
  if (verb == Verb::Export && !o.oTable->count())
    throw UsageError{"export needs the channels in a --table file"};
  if (verb == Verb::Import || verb == Verb::Export) return;
  std::string problem;
  if (IsRun(verb)) {
    auto list = ParseChannelList(o.channels, problem);
    if (!list) throw UsageError{problem};
    o.channelList = *list;
  }
  if (verb == Verb::Click) {
    auto list = ParseChannelList(o.click, problem);
    if (!list || list->size() != 1 || o.click.find_first_of(",-") != std::string::npos)
      throw UsageError{list ? "click takes one channel" : problem};
    o.clickChannel = list->front();
  }
  if (verb == Verb::Write && !o.oTable->count())
    throw UsageError{"write needs the channels in a --table file"};
  if (verb == Verb::Clear && !o.yes && !console.stdinTerminal)
    throw UsageError{"clear asks before it clears; without a terminal give --yes"};
  if (verb == Verb::Send && o.lines.size() > 4) throw UsageError{"send takes at most four lines"};
  if (o.oBaud->count() && BaudPosition(o.baud) < 0) {
    std::string all;
    for (const std::string& b : BaudItems())
      all += (all.empty() ? "" : " ") + (b == "115000" ? std::string("115200") : b);
    throw UsageError{"--baud: " + IntToStr(o.baud) + " is not one of the rates " + all};
  }
  if (o.oPort->count()) ResolvePortOption(o.port);
}

}  // namespace

// --- public --------------------------------------------------------------------

std::optional<std::vector<int>> ParseChannelList(std::string_view text, std::string& problem) {
  std::vector<int> channels;
  const auto number = [&](std::string_view s, int& n) {
    const std::string t = Trim(s);
    if (!AllDigits(t) || t.size() > 2) {
      problem = "\"" + t + "\" is not a channel (00 to 99)";
      return false;
    }
    n = StrToInt(t);
    return true;
  };
  if (Trim(text).empty()) {
    problem = "no channels given";
    return std::nullopt;
  }
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find(',', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view item = text.substr(pos, end - pos);
    pos = end + 1;
    const size_t dash = item.find('-');
    int first = 0, last = 0;
    if (dash == std::string_view::npos) {
      if (!number(item, first)) return std::nullopt;
      last = first;
    } else {
      if (!number(item.substr(0, dash), first) || !number(item.substr(dash + 1), last))
        return std::nullopt;
      if (first > last) {
        problem = "range " + Trim(item) + " runs backwards";
        return std::nullopt;
      }
    }
    for (int n = first; n <= last; ++n)
      channels.push_back(n);
  }
  std::sort(channels.begin(), channels.end());
  channels.erase(std::unique(channels.begin(), channels.end()), channels.end());
  return channels;
}

void RequestStop() {
  g_stopRequested.store(true);
}

Console ProcessConsole() {
  Console c;
  c.stdinTerminal = ::isatty(STDIN_FILENO) == 1;
  c.stderrTerminal = ::isatty(STDERR_FILENO) == 1;
  c.in = &std::cin;
  c.catchInterrupt = true;
  return c;
}

// The rig of import and export, taken as every command takes it: --rig in
// any letter case, else the rig the settings were left on.
std::string ExchangeRig(const Options& o) {
  if (o.oRig->count()) {
    const std::optional<std::string> rig = RigSelection(o.rig);
    if (!rig) throw UnknownRig(o.rig);
    return *rig;
  }
  const Folders folders =
      FindFolders(o.oSettings->count() ? DirEnvironment(o.settingsDir) : SystemFolderEnvironment());
  const std::string saved =
      Profile(folders.settings + kSettingsFile).ReadString(kMainSection, kRigKey);
  if (FamilyOf(ModelCodeOf(saved)) == RigFamily::None)
    throw UsageError{"no rig selected: give --rig (see: rigs)"};
  return saved;
}

// import and export need no rig on the line: the rig only chooses the mode
// names and what the rig can hold.
int ExchangeCsv(const Options& o, bool import, std::ostream& out, std::ostream& err) {
  // kNotations in order: points, point, comma.
  constexpr FreqNotation kByPosition[] = {FreqNotation::TwoPoints, FreqNotation::Point,
                                          FreqNotation::Comma};
  const int position = o.oNotation->count() ? Position(kNotations, o.notation) : 0;
  const FreqNotation notation = kByPosition[position < 0 ? 0 : position];
  const std::string code = ModelCodeOf(ExchangeRig(o));
  ChannelTable table{};
  if (o.oTable->count()) {
    const ChannelFileResult r = LoadChannelFile(o.table, notation, [&](const ChannelLine& line) {
      const int n = TMainForm::ChannelIndex(line.number);
      if (n >= 0) table[static_cast<size_t>(n)] = {line.freq, line.mode, line.name};
    });
    if (!r.ok) {
      err << "varnek-cli: " << Cp1252ToUtf8(r.message) << '\n';
      return kExitTransferError;
    }
  }
  auto report = [&](const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
      err << Cp1252ToUtf8(line) << '\n';
  };
  if (import) {
    const ChannelImport r =
        o.format == "chirp" ? ImportChirpCsv(o.file, code) : ImportRigmemCsv(o.file, code);
    if (!r.ok) {
      err << "varnek-cli: " << Cp1252ToUtf8(r.message) << '\n';
      return kExitTransferError;
    }
    ApplyImport(r, table);
    err << Cp1252ToUtf8(r.message) << '\n';
    report(r.report);
    if (o.oOut->count()) {
      const ChannelFileResult w = SaveChannelFile(o.out, table, notation);
      if (!w.ok) {
        err << "varnek-cli: " << Cp1252ToUtf8(w.message) << '\n';
        return kExitTransferError;
      }
    } else {
      out << ChannelFileText(table, notation) << std::flush;
    }
    return kExitOk;
  }
  const ChannelExport r = o.format == "chirp" ? ExportChirpCsv(o.file, table, code)
                                              : ExportRigmemCsv(o.file, table, code);
  err << Cp1252ToUtf8(r.message) << '\n';
  report(r.report);
  return r.ok ? kExitOk : kExitTransferError;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const Console& console) {
  CLI::App app{
      "varnek-cli [options] COMMAND [arguments]\n\n"
      "Varnek from the command line: reads, writes and clears the memory channels of "
      "a transceiver over its serial line, with the GUI's settings and runs.",
      "varnek-cli"};
  app.footer(kFooter);
  app.require_subcommand(1);
  // Options may also follow the command.
  app.fallthrough();
  app.failure_message(CLI::FailureMessage::help);
  Options o;
  AddOptions(app, o);

  CLI::App* read = app.add_subcommand("read", "load run over CHANNELS; then print the table");
  read->add_option("CHANNELS", o.channels, "e.g. 1-10,15,90-99")->required();
  CLI::App* write = app.add_subcommand("write", "save run over CHANNELS of the --table file");
  write->add_option("CHANNELS", o.channels, "e.g. 1-10,15,90-99")->required();
  write->add_flag("--verify", o.verify,
                  "read every written channel back and compare it with the table (as the "
                  "rig's \"Verify after write\"); differences give exit status 1");
  CLI::App* clear = app.add_subcommand(
      "clear",
      "clear run; asks on a terminal unless --yes, refuses without a terminal unless --yes");
  clear->add_option("CHANNELS", o.channels, "e.g. 1-10,15,90-99")->required();
  clear->add_flag("--yes,-y", o.yes, "clear without asking");
  CLI::App* click = app.add_subcommand("click", "one channel click; then print the table");
  click->add_option("NN", o.click, "the channel, 00 to 99")->required();
  click->add_flag("--to-rig", o.toRig, "check \"Click to Rig\" first: write the row to the rig");
  app.add_subcommand("vfo-a", "switch the rig to VFO A");
  app.add_subcommand("memory", "switch the rig to memory mode");
  CLI::App* send = app.add_subcommand(
      "send", "the terminal's send of up to four lines, then wait and print the transcript");
  send->add_flag("--worm", o.worm, "send the lines joined as one (\"as Worm\")");
  send->add_flag("--add-lf", o.addLf, "CR LF after each line");
  send->add_option("--wait", o.waitMs, "wait this long for the answers (ms)")
      ->type_name("MS")
      ->check(kMs)
      ->capture_default_str();
  send->add_option("LINE", o.lines, "up to four command lines")->required();
  app.add_subcommand("rigs", "list the rig selection texts");
  const std::vector<std::string> formats = {"chirp", "rigmem"};
  CLI::App* import = app.add_subcommand(
      "import", "a CHIRP or Hamlib rigmem CSV file into the table (of --table); print it");
  import->add_option("FILE", o.file, "the CSV file")->required();
  import->add_option("--format", o.format, "chirp or rigmem")
      ->required()
      ->check(CLI::IsMember(formats));
  CLI::App* exportCmd =
      app.add_subcommand("export", "the --table file as a CHIRP or Hamlib rigmem CSV file");
  exportCmd->add_option("FILE", o.file, "the CSV file to write")->required();
  exportCmd->add_option("--format", o.format, "chirp or rigmem")
      ->required()
      ->check(CLI::IsMember(formats));

  // The details are the whole program's; each command's own help is short.
  for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; }))
    sub->footer("Options of every command: varnek-cli --help");

  std::vector<std::string> rest(args.size() > 1 ? args.begin() + 1 : args.end(), args.end());
  std::reverse(rest.begin(), rest.end());
  try {
    app.parse(rest);
  } catch (const CLI::CallForHelp& e) {
    app.exit(e, out, err);
    return kExitOk;
  } catch (const CLI::CallForAllHelp& e) {
    app.exit(e, out, err);
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    app.exit(e, out, err);
    return kExitUsage;
  }

  const CLI::App* chosen = app.get_subcommands().front();
  const Verb verb = VerbOf(chosen->get_name());
  const auto usage = [&](const std::string& problem) {
    err << "varnek-cli: " << problem << "\n\n" << chosen->help();
    return kExitUsage;
  };

  if (verb == Verb::Rigs) {
    for (const std::string& rig : RigList())
      out << rig << '\n';
    return kExitOk;
  }
  try {
    CheckArguments(verb, o, console);
    if (verb == Verb::Import || verb == Verb::Export)
      return ExchangeCsv(o, verb == Verb::Import, out, err);
  } catch (const UsageError& e) {
    return usage(e.text);
  }

  g_stopRequested = false;
  InterruptGuard interrupt(console.catchInterrupt);
  try {
    Run run(o, verb, out, err, console);
    return run.Execute();
  } catch (const UsageError& e) {
    return usage(e.text);
  } catch (const std::exception& e) {
    // Whatever the core throws outside a guarded command (the simulator of
    // a test, a file system error) still ends in a status, not an abort.
    err << "varnek-cli: error: " << e.what() << '\n';
    return kExitTransferError;
  }
}

int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err) {
  std::vector<std::string> args(argv, argv + argc);
  return RunCli(args, out, err, ProcessConsole());
}

}  // namespace varnek::cli
