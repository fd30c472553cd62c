// Each family against its simulated rig over a pseudo-terminal, through the
// real serial component: write channels covering the family's modes and
// several bands, read them back into an empty table, clear them and read
// them as empty. Intervals are small; the pacing itself is checked through
// the host in the other tests.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/headless_host.h"
#include "app/main_form.h"
#include "base/text.h"
#include "rig/family.h"
#include "rig/freq.h"
#include "rig/icom.h"
#include "rig/kenwood.h"
#include "rig/yaesu.h"
#include "serial/serial_port.h"
#include "sim/simulator.h"

namespace varnek {
namespace {

class PortRigIo : public RigIo {
 public:
  explicit PortRigIo(TSerialPort& port) : port_(port) {}
  std::vector<std::string> lines;

  bool PortActive() const override { return port_.Active(); }
  void OpenPort() override { port_.SetActive(true); }
  void RefreshPortIndicator() override {}
  void ShowPortImage(bool) override {}
  bool TerminalVisible() const override { return false; }
  void SetCommandLine(int, const std::string&) override {}
  std::vector<std::string> TranscriptLines() const override { return lines; }
  void AddTranscriptLine(const std::string& line) override { lines.push_back(line); }
  void SetDecodedFreq(const std::string&) override {}
  void SetDecodedMode(const std::string&) override {}

 protected:
  void SendText(const std::string& bytes) override { port_.SendText(bytes); }
  void DoClearTranscript() override { lines.clear(); }

 private:
  TSerialPort& port_;
};

struct Row {
  int channel;
  std::string freq, mode, name;
};

struct RigCase {
  std::string simRig, model;
  bool echo = true;
  int address = 0;
  std::vector<Row> rows;
  // What the rig reports back for a written mode, where it differs.
  std::map<std::string, std::string> readsAs;
};

class Bench {
 public:
  explicit Bench(const RigCase& c)
      : c_(c), sim_(SimOptions(c)), form_(host_), port_(host_), io_(port_) {
    const std::string path = sim_.Start();
    SharedValues& v = form_.shared;
    v.ModelCode = c.model;
    char addr[8];
    std::snprintf(addr, sizeof addr, "%02X", c.address);
    v.CivAddress = std::string(addr);
    v.ChannelInterval = 10;
    v.CommandInterval = 3;
    v.IcomLoopWait = 3;
    v.LoadFinished = true;
    // The receive path, reduced to what the parsers need.
    port_.OnRxClusterEvent = [this](TSerialPort& p) {
      if (p.FirstClusterSize() < 0) return;
      const std::string bytes = p.TakeFirstCluster();
      ++clusters_;
      const RigFamily f = FamilyOf(form_.shared.ModelCode.Get());
      if (IsAscii(f)) {
        io_.AddTranscriptLine("#" + bytes);
        KenwoodParseAnswer(ctx());
      } else if (f == RigFamily::Icom) {
        HexDumpLines(bytes, io_.lines);
        IcomParseAnswer(ctx());
      } else {
        HexDumpLines(bytes, io_.lines);
        YaesuParseAnswer(ctx());
      }
    };
    // Cut clusters after a short quiet gap, so each answer reaches the
    // parser soon after the rig sent it.
    port_.SetRTOCharDelayTime(50);
    // The five-byte rigs pace their answers (the pacing command asks for
    // 18 ms between bytes): the gap must outlast that.
    port_.SetRTOExtraDelayTime(FamilyOf(c.model) == RigFamily::Yaesu ? 40 : 5);
    port_.SetCommPort(path);
    port_.SetActive(true);
  }
  ~Bench() {
    port_.SetActive(false);
    sim_.Stop();
  }

  RigContext ctx() { return {host_, form_, io_, notices_, answers_}; }
  bool Wait(const std::function<bool()>& done, int ms = 3000) { return host_.WaitFor(done, ms); }
  // Takes in whatever the rig still sends, until the line has been quiet for
  // a while: the operations leave answers queued for the receive path.
  void Settle() {
    for (int round = 0; round < 200; ++round) {
      const int before = clusters_;
      if (!host_.WaitFor([&] { return clusters_ != before; }, quietMs_)) return;
    }
  }

  void Write(const Row& r) {
    const std::string ch = ChannelText(r.channel);
    form_.lbChan.SetCaption(ch);
    switch (FamilyOf(c_.model)) {
      case RigFamily::Icom:
        IcomWriteChannel(ctx(), ch, r.freq, r.mode, r.name);
        break;
      case RigFamily::Yaesu:
        YaesuWriteChannel(ctx(), ch, r.freq, r.mode, r.name);
        break;
      default:
        KenwoodWriteChannel(ctx(), ch, r.freq, r.mode, r.name);
        break;
    }
    Settle();
  }
  // Reads one channel into an emptied row, as a click does; true when the
  // rig's answer has been taken in full.
  bool Read(int channel) {
    const std::string ch = ChannelText(channel);
    // As the click does: the label names the channel before the pending
    // answers are taken in, so a late record tail meets the new label.
    form_.SetChannel(ch, "", "", "");
    form_.lbChan.SetCaption(ch);
    Settle();
    io_.ClearTranscript();
    const RigFamily f = FamilyOf(c_.model);
    switch (f) {
      case RigFamily::Icom:
        IcomReadChannel(ctx(), ch);
        break;
      case RigFamily::Yaesu:
        YaesuReadChannel(ctx(), ch);
        break;
      default:
        KenwoodReadChannel(ctx(), ch);
        break;
    }
    return Wait([&] {
      if (!form_.A[static_cast<size_t>(channel)].Text().empty()) return true;
      std::string text;  // for CI-V the hex parts only, frames may span lines
      for (const auto& line : io_.lines)
        text += (IsAscii(f) ? line : Trim(Piece(line, ":", 1, 1))) + " ";
      if (IsAscii(f)) return text.find(';') != std::string::npos;
      if (f == RigFamily::Yaesu) return form_.lbChan.Caption() == "Empty";
      // Acknowledgement of the select, the blank frequency and the refused mode.
      size_t frames = 0;
      for (size_t p = text.find("FE FE E0"); p != std::string::npos;
           p = text.find("FE FE E0", p + 1))
        ++frames;
      return frames >= 3;
    });
  }
  void Clear(int channel) {
    switch (FamilyOf(c_.model)) {
      case RigFamily::Icom:
        IcomClearChannel(ctx(), channel);
        break;
      case RigFamily::Yaesu:
        YaesuClearChannel(ctx(), channel);
        break;
      default:
        KenwoodClearChannel(ctx(), channel);
        break;
    }
    host_.Sleep(form_.shared.ChannelInterval);
    Settle();
  }

  HeadlessHost host_;
  const RigCase& c_;
  sim::Simulator sim_;
  TMainForm form_;
  TSerialPort port_;
  PortRigIo io_;
  RigNotices notices_;
  RigAnswers answers_;
  int clusters_ = 0;
  // A paced record trickles in for a few hundred milliseconds.
  int quietMs_ = FamilyOf(c_.model) == RigFamily::Yaesu ? 150 : 40;

 private:
  static sim::Options SimOptions(const RigCase& c) {
    sim::Options o;
    o.rig = c.simRig;
    o.echo = c.echo;
    o.address = c.address;
    return o;
  }
};

std::vector<RigCase> Cases() {
  const std::vector<Row> hf = {
      {1, "3.699.000", "LSB", ""},   {2, "14.250.000", "USB", ""},   {3, "7.030.000", "CW", ""},
      {4, "29.600.000", "FM", ""},   {5, "7.150.000", "AM", ""},     {6, "14.080.000", "FSK", ""},
      {7, "10.120.000", "CW-R", ""}, {8, "21.090.000", "FSK-R", ""}, {9, "24.950.000", "SSB", ""},
      {99, "28.500.000", "USB", ""},
  };
  std::vector<Row> ts570 = hf;
  ts570.push_back({0, "1.840.000", "LSB", ""});
  std::vector<Row> ts2000 = {
      {0, "145.500.000", "FM", "Relais"},   {1, "432.200.000", "SSB", "EME"},
      {2, "14.250.000", "USB", "Twenty M"}, {3, "7.030.000", "CW", ""},
      {12, "1.840.000", "LSB", "TopBand"},  {50, "14.080.000", "FSK", "RTTY"},
      {98, "10.120.000", "CW-R", "cw rev"},
  };
  return {
      {"Kenwood TS-570", "TS-570", true, 0, ts570, {{"SSB", "USB"}}},
      {"Kenwood TS-870S", "TS-870S", true, 0, hf, {{"SSB", "USB"}}},
      {"Kenwood TS-2000", "TS-2000", true, 0, ts2000, {{"SSB", "USB"}}},
      {"Yaesu FT-2000",
       "FT-2000",
       true,
       0,
       {{1, "3.699.000", "LSB", ""},
        {2, "14.250.000", "USB", ""},
        {3, "7.030.000", "CW", ""},
        {4, "29.600.000", "FM", ""},
        {5, "7.150.000", "AM", ""},
        {6, "14.080.000", "RTTY", ""},
        {7, "10.120.000", "CW-R", ""},
        {8, "14.100.000", "PKT-L", ""},
        {9, "21.090.000", "FSK-R", ""},
        {10, "29.650.000", "PKT-FM", ""},
        {11, "29.620.000", "FM-N", ""},
        {12, "50.300.000", "PKT-U", ""},
        {99, "50.150.000", "SSB", ""}},
       {{"SSB", "USB"}, {"RTTY", "FSK"}}},
  };
}

std::vector<RigCase> IcomCases() {
  const std::vector<Row> rows = {
      {1, "3.699.000", "LSB", ""},   {2, "14.250.000", "USB", ""},
      {3, "7.150.000", "AM", ""},    {4, "7.030.000", "CW", ""},
      {5, "14.080.000", "RTTY", ""}, {6, "145.500.000", "FM", ""},
      {7, "10.120.000", "CW-R", ""}, {8, "21.090.000", "RTTY-R", ""},
      {9, "432.200.000", "SSB", ""}, {99, "1296.200.000", "FM", ""},
  };
  const std::vector<Row> ic735 = {
      {1, "3.699.000", "LSB", ""}, {2, "14.250.000", "USB", ""}, {3, "7.150.000", "AM", ""},
      {4, "7.030.000", "CW", ""},  {5, "29.600.000", "FM", ""},  {99, "1.840.000", "LSB", ""},
  };
  return {
      {"Icom IC-CI-V", "IC-CI-V", true, 0x00, rows, {{"SSB", "USB"}}},
      {"Icom IC-CI-V", "IC-CI-V", false, 0x5C, rows, {{"SSB", "USB"}}},
      {"Icom IC-735", "IC-735", true, 0x04, ic735, {}},
  };
}

std::vector<RigCase> YaesuCases() {
  return {
      {"Yaesu FT-1000",
       "FT-1000",
       true,
       0,
       {{1, "3.699.000", "LSB", ""},
        {2, "14.250.000", "USB", ""},
        {3, "7.030.000", "CW", ""},
        {4, "7.150.000", "AM", ""},
        {5, "29.600.000", "FM", ""},
        {6, "14.080.000", "RTTY", ""},
        {7, "14.100.000", "PKT", ""},
        {99, "21.200.000", "SSB", ""}},
       {{"SSB", "USB"}, {"RTTY", "DIGI"}, {"PKT", "DIGI"}}},
      {"Yaesu FT-920",
       "FT-920",
       true,
       0,
       {{1, "3.699.000", "LSB", ""},
        {2, "14.250.000", "USB", ""},
        {3, "7.030.000", "CW", ""},
        {4, "14.030.000", "CW", ""},
        {5, "7.150.000", "AM", ""},
        {6, "29.600.000", "FM", ""},
        {7, "7.040.000", "DIGI", ""},
        {8, "14.080.000", "DIGI", ""},
        {99, "50.150.000", "SSB", ""}},
       {{"SSB", "USB"}}},
  };
}

std::string Case(const RigCase& c) {
  return c.model + (c.echo ? "" : " without echo") + " at " + std::to_string(c.address);
}

void RoundTrip(const RigCase& c) {
  SCOPED_TRACE(Case(c));
  Bench b(c);
  const RigFamily family = FamilyOf(c.model);
  // Stores go from the VFO; reads need the rig on its memories.
  if (family == RigFamily::Icom) IcomVfoA(b.ctx());
  for (const auto& r : c.rows)
    b.Write(r);
  EXPECT_TRUE(b.host_.Messages().empty()) << b.host_.Messages()[0];
  ASSERT_TRUE(b.Wait([&] { return b.sim_.Channels().size() >= c.rows.size(); }))
      << "not every write reached the rig";
  if (family == RigFamily::Icom) IcomMemoryMode(b.ctx());

  for (const auto& r : c.rows) {
    ASSERT_TRUE(b.Read(r.channel)) << "no answer for channel " << r.channel << "\n"
                                   << rigops::TranscriptText(b.io_.lines);
    const size_t i = static_cast<size_t>(r.channel);
    const auto as = c.readsAs.find(r.mode);
    EXPECT_EQ(NormalizeFreq(Trim(b.form_.A[i].Text())), NormalizeFreq(r.freq))
        << r.channel << "\n"
        << rigops::TranscriptText(b.io_.lines);
    EXPECT_EQ(b.form_.M[i].Text(), as == c.readsAs.end() ? r.mode : as->second) << r.channel;
    if (IsTs2000(c.model)) {
      EXPECT_EQ(b.form_.T[i].Text(), r.name) << r.channel;
    }
  }

  if (family == RigFamily::Yaesu) {
    ASSERT_TRUE(YaesuClearStart(b.ctx()));
  }
  for (const auto& r : c.rows)
    b.Clear(r.channel);
  for (const auto& r : c.rows) {
    ASSERT_TRUE(b.Read(r.channel)) << "no answer for cleared channel " << r.channel << "\n"
                                   << rigops::TranscriptText(b.io_.lines);
    EXPECT_EQ(b.form_.A[static_cast<size_t>(r.channel)].Text(), "") << r.channel;
  }
}

TEST(RoundTrip, AsciiRigs) {
  for (const auto& c : Cases())
    RoundTrip(c);
}

TEST(RoundTrip, IcomRigs) {
  for (const auto& c : IcomCases())
    RoundTrip(c);
}

TEST(RoundTrip, YaesuRigs) {
  for (const auto& c : YaesuCases())
    RoundTrip(c);
}

}  // namespace
}  // namespace varnek
