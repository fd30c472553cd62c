#include "app/demo.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

#include "base/file_io.h"
#include "base/profile.h"
#include "rig/coverage.h"
#include "rig/family.h"
#include "rig/freq.h"
#include "rig/record_schema.h"

extern char** environ;

namespace varnek {
namespace {

struct Sample {
  int channel;
  const char* freq;  // MHz.kHz.Hz
  const char* mode;  // the table's mode name
  const char* name;
};

// Real band-plan frequencies across HF, 6 m, 2 m and 70 cm.
constexpr Sample kSamples[] = {
    {1, "1.830.000", "CW", "160 CW"},     {2, "3.560.000", "CW", "80 QRP"},
    {3, "3.699.000", "LSB", "80 NET"},    {4, "3.760.000", "LSB", "80 EMCOM"},
    {5, "7.030.000", "CW", "40 QRP"},     {6, "7.074.000", "USB", "40 FT8"},
    {7, "7.150.000", "LSB", "40 SSB"},    {8, "10.116.000", "CW", "30 QRP"},
    {9, "14.060.000", "CW", "20 QRP"},    {10, "14.074.000", "USB", "20 FT8"},
    {11, "14.195.000", "USB", "20 DX"},   {12, "14.300.000", "USB", "20 EMCOM"},
    {13, "18.086.000", "CW", "17 CW"},    {14, "18.130.000", "USB", "17 SSB"},
    {15, "21.060.000", "CW", "15 QRP"},   {16, "21.285.000", "USB", "15 SSB"},
    {17, "24.906.000", "CW", "12 CW"},    {18, "24.950.000", "USB", "12 SSB"},
    {19, "28.074.000", "USB", "10 FT8"},  {20, "28.400.000", "USB", "10 SSB"},
    {21, "29.600.000", "FM", "10 FM"},    {22, "50.110.000", "USB", "6 DX"},
    {23, "50.313.000", "USB", "6 FT8"},   {24, "51.510.000", "FM", "6 FM"},
    {25, "144.300.000", "USB", "2 SSB"},  {26, "145.500.000", "FM", "2 S20"},
    {27, "145.600.000", "FM", "2 RPT"},   {28, "432.200.000", "USB", "70 SSB"},
    {29, "433.500.000", "FM", "70 U280"}, {30, "439.000.000", "FM", "70 RPT"},
};

// The rig's own mode code, as its memory holds it.
std::string RigMode(RigFamily family, const std::string& code, const std::string& mode) {
  struct Row {
    const char *name, *kenwood, *icom, *ft1000, *ft920;
  };
  static const Row rows[] = {
      {"LSB", "1", "00", "00", "00"},
      {"USB", "2", "01", "01", "01"},
      {"CW", "3", "03", "02", "02"},
      {"FM", "4", "05", "06", "06"},
  };
  for (const Row& r : rows) {
    if (mode != r.name) continue;
    switch (family) {
      case RigFamily::Kenwood:
      case RigFamily::Ft2000:
        return r.kenwood;
      case RigFamily::Icom:
        return r.icom;
      case RigFamily::Yaesu:
        return YaesuVariantOf(code) == YaesuVariant::Ft920 ? r.ft920 : r.ft1000;
      case RigFamily::None:
        return {};
    }
  }
  return {};
}

std::string Quote(const std::string& s) {
  return "\"" + s + "\"";
}

}  // namespace

std::string DemoMemoryImage(const std::string& rig) {
  const std::string code =
      rig.substr(rig.find(' ') == std::string::npos ? rig.size() : rig.find(' ') + 1);
  const RigFamily family = FamilyOf(code);
  if (family == RigFamily::None) return {};
  const RecordSchema* schema = SchemaOf(code);
  const bool names = schema && schema->nameLength > 0;
  std::string image = "# Varnek demonstration channels for the " + rig + "\n";
  // Only the bands the real rig covers.
  const Coverage coverage = CoverageOf(code);
  for (const Sample& s : kSamples) {
    const long long hz = FreqHertz(s.freq).value_or(0);
    if (!Covers(coverage, hz)) continue;
    const std::string mode = RigMode(family, code, s.mode);
    image += std::to_string(s.channel) + " " + std::to_string(hz) + " " + mode + " " +
             Quote(names ? s.name : "") + "\n";
  }
  return image;
}

std::string CompanionProgram(const std::string& name) {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const auto beside = self.parent_path() / name;
    if (access(beside.c_str(), X_OK) == 0) return beside.string();
  }
  if (const char* path = std::getenv("PATH")) {
    std::string p = path;
    size_t start = 0;
    while (start <= p.size()) {
      const size_t end = p.find(':', start);
      const std::string dir =
          p.substr(start, end == std::string::npos ? std::string::npos : end - start);
      const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
      if (access(candidate.c_str(), X_OK) == 0) return candidate;
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  return {};
}

Demo::Demo(const std::string& rig, std::string simulator) : rig_(rig) {
  // A demo that fails half-way leaves neither a simulator nor a folder.
  try {
    Start(simulator);
  } catch (...) {
    Stop();
    throw;
  }
}

void Demo::Start(const std::string& simulator) {
  const std::string& rig = rig_;
  if (simulator.empty())
    throw std::runtime_error("varnek-rigsim was not found beside varnek or on PATH");
  const std::string image = DemoMemoryImage(rig);
  if (image.empty()) throw std::runtime_error("There is no simulated rig \"" + rig + "\"");

  std::string tmpl = (std::filesystem::temp_directory_path() / "varnek-demo-XXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("Could not make a folder for the demo");
  folder_ = std::string(buf.data()) + "/";
  device_ = folder_ + "rig";
  const std::string memory = folder_ + "channels.mem";
  if (!WriteFileAtomically(memory, image).ok) throw std::runtime_error("Could not write " + memory);

  std::vector<std::string> args = {simulator, "--rig", rig, "--memory", memory, "--link", device_};
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  // fork and exec rather than posix_spawn: the child must ask the kernel,
  // before it becomes the simulator, to end it when this program ends,
  // however that happens (a crash, SIGKILL) — a simulator left behind keeps
  // its pseudo-terminal and link for nobody. Between the two only system
  // calls run, as a child of a threaded program must.
  const pid_t parent = getpid();
  simulator_ = fork();
  if (simulator_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);  // the program ended already
    // The simulator reads control commands on stdin and tells its device
    // on stdout; the demo needs neither.
    const int in = open("/dev/null", O_RDONLY), out = open("/dev/null", O_WRONLY);
    if (in < 0 || out < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0) _exit(127);
    execve(simulator.c_str(), argv.data(), environ);
    _exit(127);
  }
  if (simulator_ < 0) {
    simulator_ = -1;
    throw std::runtime_error("Could not start " + simulator);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (access(device_.c_str(), F_OK) != 0) {
    int status = 0;
    if (waitpid(simulator_, &status, WNOHANG) == simulator_) {
      simulator_ = -1;
      throw std::runtime_error("The simulated rig stopped at once");
    }
    if (std::chrono::steady_clock::now() > deadline)
      throw std::runtime_error("The simulated rig did not come up");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }

  Profile settings(SettingsFolder() + "settings.ini");
  CreateDirectories(SettingsFolder());
  CreateDirectories(folder_ + "Documents/Kolvir/Varnek/");
  settings.Write({{"MainForm", "Rig", rig}, {"Ports", "COM1", device_}});
}

Demo::~Demo() {
  Stop();
}

void Demo::Stop() {
  if (simulator_ > 0) {
    kill(simulator_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100 && waitpid(simulator_, &status, WNOHANG) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (waitpid(simulator_, &status, WNOHANG) == 0) {
      kill(simulator_, SIGKILL);
      waitpid(simulator_, &status, 0);
    }
  }
  simulator_ = -1;
  std::error_code ec;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
  folder_.clear();
}

std::string Demo::SettingsFolder() const {
  return folder_ + ".config/Kolvir/Varnek/";
}

FolderEnvironment Demo::Environment() const {
  FolderEnvironment env;
  const std::string home = folder_.substr(0, folder_.size() - 1);
  env.getEnv = [home](const std::string& name) -> std::optional<std::string> {
    if (name == "HOME") return home;
    return std::nullopt;
  };
  env.programFile = folder_ + "varnek";
  return env;
}

}  // namespace varnek
