// The same cases against every simulated rig, through the whole program:
// the table, the serial component, the receive path and the runs. What a
// rig does differently is taken from the differences table only.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "base/host.h"
#include "files/channel_exchange.h"
#include "files/channel_file.h"
#include "files/chirp_csv.h"
#include "rig/coverage.h"
#include "rig/rig_io.h"
#include "rig_bench.h"

namespace varnek::conformance {
namespace {

class Conformance : public RigBench, public ::testing::WithParamInterface<RigProfile> {
 protected:
  void SetUp() override { StartRig(GetParam()); }

  bool Named() const { return !Has(Profile().id, Kind::NameDropped); }
  bool Covered(const std::string& band) const {
    for (const auto& b : Profile().bands)
      if (b == band) return true;
    return false;
  }
  // Modes the rig takes, in the table's order.
  std::vector<std::string> Taken() const {
    std::vector<std::string> m;
    for (const auto& mode : TableModes())
      if (!Has(Profile().id, Kind::ModeRefused, mode)) m.push_back(mode);
    return m;
  }
  // A channel the rig already holds, so that a refused write shows by
  // leaving it alone.
  void Sentinel(int n) { sim->SetChannel(n, SimChannel(7123450, UsbCode(Profile().family))); }
  void ExpectSentinel(int n) {
    const auto c = sim->GetChannel(n);
    ASSERT_TRUE(c.has_value()) << "channel " << n;
    EXPECT_EQ(c->hz, 7123450) << "channel " << n << " was changed";
    EXPECT_EQ(c->mode, UsbCode(Profile().family)) << "channel " << n << " was changed";
  }
  void WriteReadCompare(const std::vector<Row>& rows) {
    Type(rows);
    Save(Channels(rows));
    Form().ClearFM1Click();
    Load(Channels(rows));
    for (const Row& r : rows)
      ExpectRow(r, Named());
  }
};

// Every channel differs from its neighbours in frequency and mode, so a row
// that lands in the wrong place shows.
TEST_P(Conformance, FullRangeWrittenAndReadBack) {
  const auto modes = Taken();
  std::vector<Row> rows;
  int i = 0;
  for (int n : FullRange(Profile())) {
    const std::string& band = Profile().bands[static_cast<size_t>(i) % Profile().bands.size()];
    std::int64_t low = 0;
    for (const auto& b : BandPlan())
      if (band == b.name) low = b.low;
    const std::int64_t hz = low + (n % 40) * 1000 + (n % 7) * 10;
    rows.push_back({n, FreqText(hz), modes[static_cast<size_t>(i) % modes.size()],
                    Named() ? "CH" + std::to_string(n) : ""});
    ++i;
  }
  Type(rows);
  // A save logs the whole transcript to terminal.ini after every answer,
  // and CI-V answers every frame: over a hundred channels that log costs
  // minutes. "Clear T" keeps the transcript, and so the log, short.
  program->RigForm.cbClear.SetChecked(Profile().family == Family::Icom);
  Save(Channels(rows));
  program->RigForm.cbClear.SetChecked(false);
  ExpectRefusals({});
  for (const Row& r : rows) {
    const auto c = sim->GetChannel(r.channel);
    ASSERT_TRUE(c.has_value()) << "channel " << r.channel << " never reached the rig";
    EXPECT_EQ(FreqText(c->hz), r.freq) << r.channel;
  }
  Form().ClearFM1Click();
  Load(Channels(rows));
  for (const Row& r : rows)
    ExpectRow(r, Named());
  ExpectRefusals({});
}

// Each mode name of the table, CW and the data modes on both sides of
// 10 MHz (the FT-920 picks their codes by the side); the ones the rig has
// no code for are refused in the run's one message and leave the rig's
// channel alone.
TEST_P(Conformance, EveryModeOfTheTable) {
  std::vector<Row> taken;
  std::vector<Row> refused;
  int n = Profile().first == 0 ? 1 : Profile().first;
  const std::set<std::string> bySide = {"CW", "FSK", "RTTY", "DIGI", "PKT"};
  for (const auto& mode : TableModes()) {
    if (Has(Profile().id, Kind::ModeRefused, mode)) {
      refused.push_back({n++, "14.070.000", mode, ""});
    } else {
      if (bySide.count(mode)) taken.push_back({n++, "7.040.000", mode, ""});
      taken.push_back({n++, "14.070.000", mode, ""});
    }
  }
  std::vector<Row> all = taken;
  all.insert(all.end(), refused.begin(), refused.end());
  std::vector<std::string> notices;
  for (const Row& r : refused) {
    Sentinel(r.channel);
    notices.push_back(rigops::ModeRefusal(ChannelText(r.channel), r.mode));
  }
  Type(all);
  Save(Channels(all));
  ExpectRefusals(notices);
  for (const Row& r : refused)
    ExpectSentinel(r.channel);
  Form().ClearFM1Click();
  Load(Channels(taken));
  for (const Row& r : taken)
    ExpectRow(r, false);
}

// Both edges of every band the rig covers come back exactly; a band whose
// frequencies the rig's digits cannot carry is refused, not folded into
// another frequency.
TEST_P(Conformance, BandEdgesOfEveryBand) {
  std::vector<Row> rows, refused;
  int n = Profile().first == 0 ? 1 : Profile().first;
  for (const auto& b : BandPlan()) {
    const std::string mode = b.low >= 144000000 ? "FM" : "USB";
    if (Covered(b.name)) {
      rows.push_back({n++, FreqText(b.low), mode, ""});
      rows.push_back({n++, FreqText(b.high), mode, ""});
    } else if (Has(Profile().id, Kind::BandRefused, b.name)) {
      refused.push_back({n++, FreqText(b.low), mode, ""});
      refused.push_back({n++, FreqText(b.high), mode, ""});
    } else {
      ADD_FAILURE() << b.name << " is neither covered nor listed as a difference";
    }
  }
  std::vector<Row> all = rows;
  all.insert(all.end(), refused.begin(), refused.end());
  std::vector<std::string> notices;
  for (const Row& r : refused) {
    Sentinel(r.channel);
    notices.push_back(CheckRowFreq(ChannelText(r.channel), r.freq, Profile().model).refusal);
  }
  Type(all);
  Save(Channels(all));
  ExpectRefusals(notices);
  for (const Row& r : refused)
    ExpectSentinel(r.channel);
  Form().ClearFM1Click();
  Load(Channels(rows));
  for (const Row& r : rows)
    ExpectRow(r, false);
}

// What the table does not show of a record (tones, shift, lockout) goes
// back unchanged when a row read from the same model is written with a new
// frequency; a row typed by hand writes the record's defaults. The CI-V and
// five-byte rigs write through the VFO and keep nothing.
TEST_P(Conformance, KeptFieldsSurviveAWriteBack) {
  static const std::map<std::string, std::string> kExtra = {
      {"TS570", "1108"},
      {"TS870S", "0112"},
      {"TS2000", "12000800002000600000003"},
      {"FT2000", "+01201002081"},
      // DATA, CTCSS 100.0 Hz with tone 88.5 Hz, filter B, FM narrow, locked out.
      {"TS590S", "12081200010000000000011"},
      {"TS590SG", "12081200010000000000011"},
      // Locked out, tone 88.5 Hz, CTCSS 100.0 Hz, step 03.
      {"TS480", "11081200000000000000030"}};
  const auto extra = kExtra.find(Profile().id);
  if (extra == kExtra.end()) GTEST_SKIP() << "no memory fields beyond the table's";
  sim::Channel held = SimChannel(14250000, UsbCode(Profile().family));
  held.extra = extra->second;
  sim->SetChannel(5, held);
  Load({5});
  ASSERT_FALSE(Form().RowKept(5).Empty());
  EXPECT_NE(Form().A[5].Hint(), "");
  Form().A[5].UserInput("14.260.000");
  Form().M[5].SetText("USB");
  Form().SetChannel("06", "14.270.000", "USB", "");
  Save({5, 6});
  ExpectRefusals({});
  ASSERT_TRUE(sim->GetChannel(5).has_value());
  EXPECT_EQ(sim->GetChannel(5)->hz, 14260000);
  EXPECT_EQ(sim->GetChannel(5)->extra, extra->second);
  ASSERT_TRUE(sim->GetChannel(6).has_value());
  const std::string typed = sim->GetChannel(6)->extra;
  EXPECT_EQ(typed.find_first_not_of("+0"), std::string::npos)
      << "a typed row writes no tone, shift or lockout: " << typed;

  // The fields travel with the row through a channel file.
  const std::string file = ::testing::TempDir() + "kept-" + Profile().id + ".txt";
  ASSERT_TRUE(SaveChannelFile(file, Form(), FreqNotation::TwoPoints).ok);
  Form().ClearFM1Click();
  EXPECT_TRUE(Form().RowKept(5).Empty()) << "emptied rows forget their fields";
  ASSERT_TRUE(LoadChannelFile(file, Form(), FreqNotation::TwoPoints).ok);
  EXPECT_EQ(Form().RowKept(5).fields, extra->second);
  std::remove(file.c_str());
}

// The newer Kenwoods keep a name, both tones, the lockout and a split's
// transmit side with a channel. Written from the table, backed up from the
// rig into a channel file, taken through a CHIRP CSV into an empty table
// and written again, the channel comes back as the rig first held it.
TEST_P(Conformance, NamedChannelSurvivesFileAndChirp) {
  static const std::map<std::string, std::string> kFields = {
      // CTCSS 100.0 Hz (no. 12), locked out; the tone number 00 (67.0 Hz)
      // is CHIRP's default tone too.
      {"TS590S", "02001200000000000000001"},
      {"TS590SG", "02001200000000000000001"},
      {"TS480", "12001200000000000000000"}};
  const auto fields = kFields.find(Profile().id);
  if (fields == kFields.end()) GTEST_SKIP() << "covered by the older layouts' own cases";
  const KeptFields kept{Profile().model, fields->second, "000295200004"};
  Form().SetChannel("05", "29.620.000", "FM", "RPT NORD");
  Form().SetRowKept("05", kept);
  Save({5});
  ExpectRefusals({});
  const auto written = sim->GetChannel(5);
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->hz, 29620000);
  EXPECT_EQ(written->name, "RPT NORD");
  EXPECT_EQ(written->extra, fields->second);
  EXPECT_EQ(written->tx_hz, 29520000);

  // Rig to file: the backup before a save reads both sides.
  const std::string folder = ::testing::TempDir() + "roundtrip-" + Profile().id + "/";
  std::filesystem::remove_all(folder);
  program->transfers.backupFolder = folder;
  RigOptions options = program->SetDLG.Options();
  options.backupBeforeWriting = true;
  program->SetDLG.SetOptions(options);
  Form().ClearFM1Click();
  Form().SetChannel("05", "29.620.000", "FM", "");
  Save({5});
  const std::string backup = program->transfers.LastBackupPath();
  ASSERT_FALSE(backup.empty()) << ::testing::PrintToString(host.Messages());
  Form().ClearFM1Click();
  ASSERT_TRUE(LoadChannelFile(backup, Form(), FreqNotation::TwoPoints).ok);
  EXPECT_EQ(Form().RowKept(5), kept);

  // File to CHIRP and back into an empty table; then to the emptied rig.
  const ChannelExport chirp = ChirpCsvText(TableOf(Form()), Profile().model);
  ASSERT_TRUE(chirp.ok);
  EXPECT_TRUE(chirp.report.empty()) << ::testing::PrintToString(chirp.report);
  const ChannelImport back = ParseChirpCsv(chirp.bytes, Profile().model);
  ASSERT_TRUE(back.ok) << back.message;
  Form().ClearFM1Click();
  ApplyImport(back, Form());
  EXPECT_EQ(Form().RowKept(5), kept);
  options.backupBeforeWriting = false;
  program->SetDLG.SetOptions(options);
  Clear({5});
  ASSERT_TRUE(SimEmpty(sim->GetChannel(5)));
  Save({5});
  const auto again = sim->GetChannel(5);
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(again->hz, written->hz);
  EXPECT_EQ(again->mode, written->mode);
  EXPECT_EQ(again->name, written->name);
  EXPECT_EQ(again->extra, written->extra);
  EXPECT_EQ(again->tx_hz, written->tx_hz);
  EXPECT_EQ(again->tx_mode, written->tx_mode);
  std::filesystem::remove_all(folder);
}

// With "Back up before writing", a save first keeps what the rig held of
// the channels it changes; restoring the newest backup gives the rig its
// memories back, the ones that were empty cleared again.
TEST_P(Conformance, BackupThenRestoreGivesTheMemoryBack) {
  const int a = Profile().first == 0 ? 1 : Profile().first;
  const std::string usb = UsbCode(Profile().family);
  // Ten channels: three empty, one with tone and lockout, and on the TS
  // rigs one split (its transmit side is lost by any receive-side write).
  std::vector<int> channels;
  for (int n = a; n < a + 10; ++n) {
    channels.push_back(n);
    if (n == a + 1 || n == a + 5 || n == a + 8) continue;
    sim::Channel held = SimChannel(14250000 + 10000 * (n - a), usb);
    if (n == a && Profile().id == "TS570") held.extra = "1108";
    if (n == a + 3 && Profile().family == Family::Kenwood) {
      held.tx_hz = 14350000;
      held.tx_mode = usb;
    }
    sim->SetChannel(n, held);
  }
  std::vector<std::optional<sim::Channel>> before;
  for (int n : channels)
    before.push_back(sim->GetChannel(n));
  const std::string folder = ::testing::TempDir() + "backups-" + Profile().id + "/";
  std::filesystem::remove_all(folder);
  program->transfers.backupFolder = folder;
  RigOptions options = program->SetDLG.Options();
  options.backupBeforeWriting = true;
  program->SetDLG.SetOptions(options);

  std::vector<Row> typed;
  for (int n : channels)
    typed.push_back({n, "7.0" + std::to_string(10 + n - a) + ".000", "LSB", ""});
  Type(typed);
  Save(channels);
  ASSERT_FALSE(program->transfers.LastBackupPath().empty()) << ::testing::PrintToString(host.Messages());
  ASSERT_TRUE(sim->GetChannel(a + 1).has_value()) << "the save wrote nothing";
  EXPECT_EQ(sim->GetChannel(a + 1)->hz, 7011000);

  if (Profile().family == Family::Icom) {
    program->transfers.VfoA1Click();
    Settle(150);
  }
  host.SetConfirmAnswer(true);
  program->transfers.RestoreBackup(program->transfers.NewestBackup());
  Settle(150);
  for (size_t i = 0; i < channels.size(); ++i) {
    const auto now = sim->GetChannel(channels[i]);
    if (SimEmpty(before[i])) {
      EXPECT_TRUE(SimEmpty(now)) << "channel " << channels[i] << " was empty";
    } else {
      ASSERT_FALSE(SimEmpty(now)) << "channel " << channels[i];
      EXPECT_EQ(now->hz, before[i]->hz) << "channel " << channels[i];
      EXPECT_EQ(now->mode, before[i]->mode) << "channel " << channels[i];
      EXPECT_EQ(now->extra, before[i]->extra) << "channel " << channels[i];
      EXPECT_EQ(now->tx_hz, before[i]->tx_hz) << "channel " << channels[i];
    }
  }
  std::filesystem::remove_all(folder);
}

// A rig that answers nothing gives no backup, and then nothing is written.
TEST_P(Conformance, NoBackupNoWrite) {
  const int a = Profile().first == 0 ? 1 : Profile().first;
  sim->SetChannel(a, SimChannel(14250000, UsbCode(Profile().family)));
  program->transfers.backupFolder = ::testing::TempDir() + "backups-silent/";
  RigOptions options = program->SetDLG.Options();
  options.backupBeforeWriting = true;
  program->SetDLG.SetOptions(options);
  program->transfers.OnBackupIncomplete = [](const std::string&) { return false; };
  sim->SetFaults([] {
    sim::Faults f;
    f.silence = true;
    return f;
  }());
  Type({{a, "14.300.000", "USB", ""}});
  Save({a});
  sim->SetFaults({});
  EXPECT_EQ(sim->GetChannel(a)->hz, 14250000);
  EXPECT_TRUE(program->transfers.LastBackupPath().empty());
}

// A compare names exactly the channels whose content differs (a frequency,
// a mode, a row emptied in the table, one the rig lacks), and a
// changed-only write touches nothing else: channel a, changed in the rig
// behind the program's back after the compare, keeps that change.
TEST_P(Conformance, CompareNamesTheDifferencesAndChangedOnlyWritesThem) {
  const int a = Profile().first == 0 ? 1 : Profile().first;
  const std::string usb = UsbCode(Profile().family);
  for (int i = 0; i < 4; ++i)
    sim->SetChannel(a + i, SimChannel(14250000 + 10000 * i, usb));
  const std::vector<int> channels = {a, a + 1, a + 2, a + 3, a + 4};
  Load(channels);
  Type({{a + 1, "7.050.000", "LSB", ""}, {a + 2, "14.270.000", "LSB", ""}, {a + 3, "", "", ""},
        {a + 4, "7.100.000", "LSB", ""}});
  CheckOnly(channels);
  program->transfers.CompareCheckedWithRig();
  Settle(150);
  std::vector<int> differ;
  for (const auto& c : program->transfers.LastComparison()) {
    EXPECT_FALSE(c.noAnswer) << "channel " << c.channel;
    if (!c.fields.empty()) differ.push_back(c.channel);
  }
  EXPECT_EQ(differ, (std::vector<int>{a + 1, a + 2, a + 3, a + 4}))
      << ::testing::PrintToString(host.Messages());
  EXPECT_EQ(Form().A[static_cast<size_t>(a + 1)].BackColor(), colors::Differs);
  EXPECT_EQ(Form().A[static_cast<size_t>(a)].BackColor(), colors::Window);

  sim->SetChannel(a, SimChannel(14250000 + 10 * 100, usb));  // a change the program has not seen
  if (Profile().family == Family::Icom) {
    program->transfers.VfoA1Click();
    Settle(150);
  }
  program->transfers.SaveChangedToRig();
  Settle(150);
  EXPECT_EQ(sim->GetChannel(a)->hz, 14251000) << "channel a was written";
  EXPECT_EQ(sim->GetChannel(a + 1)->hz, 7050000);
  EXPECT_EQ(sim->GetChannel(a + 4)->hz, 7100000);
  if (Has(Profile().id, Kind::EmptyRowRefused))
    EXPECT_EQ(sim->GetChannel(a + 3)->hz, 14280000);  // refused, as by any save
  else
    EXPECT_TRUE(SimEmpty(sim->GetChannel(a + 3)));
}

// Empty memories read as empty rows between full ones; a save of an empty
// row empties the channel where the command set can say so, and is refused
// where it cannot.
TEST_P(Conformance, EmptyChannels) {
  const int a = Profile().first == 0 ? 1 : Profile().first;
  sim->SetChannel(a, SimChannel(14250000, UsbCode(Profile().family)));
  sim->SetChannel(a + 2, SimChannel(14260000, UsbCode(Profile().family)));
  Load({a, a + 1, a + 2});
  EXPECT_FALSE(Form().A[static_cast<size_t>(a)].Text().empty());
  ExpectEmptyRow(a + 1);
  EXPECT_FALSE(Form().A[static_cast<size_t>(a + 2)].Text().empty());

  host.ClearEvents();
  Form().ClearFM1Click();
  Save({a});
  if (Has(Profile().id, Kind::EmptyRowRefused)) {
    // Nothing went to the rig, so the run also says that nothing was saved.
    const std::vector<std::string> want = {
        "No saves: every checked channel was refused.",
        "Not transferred:\n" + rigops::NoFreqRefusal(ChannelText(a))};
    EXPECT_EQ(host.Messages(), want);
    EXPECT_EQ(sim->GetChannel(a)->hz, 14250000);
  } else {
    ExpectRefusals({});
    EXPECT_TRUE(SimEmpty(sim->GetChannel(a)));
  }
  EXPECT_EQ(sim->GetChannel(a + 2)->hz, 14260000);
}

// Names: on the rigs with names every character the rig takes and the longest name
// come back; the changes the rig forces are listed. Everywhere else the
// name stays in the table only.
TEST_P(Conformance, Names) {
  std::vector<Row> rows;
  const int first = Profile().first == 0 ? 1 : Profile().first;
  if (!Named()) {
    ASSERT_TRUE(Has(Profile().id, Kind::NameDropped));
    rows = {{first, "14.200.000", "USB", "DX NET"}, {first + 1, "7.050.000", "LSB", "ABCDEFGH"}};
    Type(rows);
    Save(Channels(rows));
    ExpectRefusals({});
    for (const Row& r : rows)
      EXPECT_EQ(sim->GetChannel(r.channel)->name, "") << r.channel;
    Form().ClearFM1Click();
    Load(Channels(rows));
    for (const Row& r : rows) {
      ExpectRow(r, false);
      EXPECT_EQ(Form().T[static_cast<size_t>(r.channel)].Text(), "") << r.channel;
    }
    return;
  }
  // Printable ASCII in names of eight, a blank kept inside one; the ";"
  // belongs to the differences.
  std::string chars;
  for (int c = 0x21; c <= 0x7E; ++c)
    if (c != ';') chars += static_cast<char>(c);
  chars.insert(3, " ");
  int n = first;
  for (size_t at = 0; at < chars.size(); at += 8) {
    std::string name = chars.substr(at, 8);
    while (!name.empty() && name.back() == ' ')
      name.pop_back();
    rows.push_back({n++, "14.200.000", "USB", name});
  }
  rows.push_back({n++, "14.200.000", "USB", "ZZZZZZZZ"});
  std::vector<Row> refused;
  std::vector<std::string> notices;
  for (const auto& d : Differences()) {
    if (!Listed(d, Profile().id)) continue;
    if (d.kind == Kind::NameChanged) rows.push_back({n++, "14.200.000", "USB", d.what});
    if (d.kind != Kind::NameRefused) continue;
    refused.push_back({n, "14.200.000", "USB", "a" + d.what + "b"});
    Sentinel(n);
    notices.push_back("Channel " + ChannelText(n++) + ": the name holds characters the " +
                      Profile().model + " cannot hold (" + "'" + d.what + "'" +
                      "); the channel was not written.");
  }
  std::vector<Row> all = rows;
  all.insert(all.end(), refused.begin(), refused.end());
  Type(all);
  Save(Channels(all));
  ExpectRefusals(notices);
  for (const Row& r : refused)
    ExpectSentinel(r.channel);
  Form().ClearFM1Click();
  Load(Channels(rows));
  for (Row r : rows) {
    if (const Difference* d = Find(Profile().id, Kind::NameChanged, r.name)) r.name = d->becomes;
    ExpectRow(r, true);
    EXPECT_EQ(sim->GetChannel(r.channel)->name, r.name) << r.channel;
  }
}

// A clear empties exactly the checked channels; they then read as empty.
TEST_P(Conformance, ClearThenReadEmpty) {
  const int a = Profile().first == 0 ? 1 : Profile().first;
  const std::vector<int> cleared = {a, a + 1, a + 3};
  for (int n = a; n <= a + 4; ++n)
    sim->SetChannel(n, SimChannel(14000000 + n * 1000, UsbCode(Profile().family)));
  Clear(cleared);
  ExpectRefusals({});
  for (int n = a; n <= a + 4; ++n) {
    const bool gone = n != a + 2 && n != a + 4;
    EXPECT_EQ(SimEmpty(sim->GetChannel(n)), gone) << "channel " << n;
  }
  Type({{a, "1.900.000", "LSB", ""}, {a + 1, "1.900.000", "LSB", ""}});
  Form().ClearFM1Click();
  Load({a, a + 1, a + 2, a + 3});
  for (int n : cleared)
    ExpectEmptyRow(n);
  EXPECT_EQ(NormalizeFreq(Trim(Form().A[static_cast<size_t>(a + 2)].Text())),
            NormalizeFreq(FreqText(14000000 + (a + 2) * 1000)));
}

// "Stop" in each run: the run ends at its next stop test. A load tests
// after odd channels, a save after channel 9 and odd channels from 11, a
// clear after every channel.
TEST_P(Conformance, StopEndsEachRun) {
  const std::vector<int> channels = {10, 11, 12, 13, 14, 15, 16};
  struct Case {
    const char* run;
    int doneAtStop;  // stopped while the third channel (12) is transferred
    int lastDone;
  } cases[] = {{"load", 3, 13}, {"save", 3, 13}, {"clear", 3, 12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.run);
    for (int n : channels)
      sim->SetChannel(n, SimChannel(21000000 + n * 1000, UsbCode(Profile().family)));
    Form().ClearFM1Click();
    for (int n : channels)
      Form().SetChannel(ChannelText(n), FreqText(28000000 + n * 1000), "USB", "");
    if (std::string(c.run) == "load") Form().ClearFM1Click();
    int progressed = 0;
    program->transfers.OnProgress = [&](const std::string&, int done, int) {
      progressed = done;
      if (done == c.doneAtStop) {
        ASSERT_TRUE(Form().MenuItem("Cancel1").enabled);
        Form().MenuItem("Cancel1").Click();
      }
    };
    const std::string run = c.run;
    if (run == "load")
      Load(channels);
    else if (run == "save")
      Save(channels);
    else
      Clear(channels);
    program->transfers.OnProgress = nullptr;
    EXPECT_FALSE(program->transfers.Busy());
    EXPECT_EQ(progressed, c.lastDone - 9);
    for (int n : channels) {
      const bool reached = n <= c.lastDone;
      const auto ch = sim->GetChannel(n);
      if (run == "load") {
        EXPECT_EQ(Form().A[static_cast<size_t>(n)].Text().empty(), !reached) << n;
      } else if (run == "save") {
        EXPECT_EQ(ch->hz, (reached ? 28000000 : 21000000) + n * 1000) << n;
      } else {
        EXPECT_EQ(SimEmpty(ch), reached) << n;
      }
    }
    // The next run after a stop goes through.
    Form().ClearFM1Click();
    for (int n : channels)
      sim->SetChannel(n, SimChannel(24900000 + n * 1000, UsbCode(Profile().family)));
    Load({16});
    EXPECT_EQ(NormalizeFreq(Trim(Form().A[16].Text())), NormalizeFreq(FreqText(24916000)));
  }
}

std::string Name(const ::testing::TestParamInfo<RigProfile>& info) {
  return info.param.id;
}

INSTANTIATE_TEST_SUITE_P(EveryRig, Conformance, ::testing::ValuesIn(Profiles()), Name);
INSTANTIATE_TEST_SUITE_P(EveryRigWaitingForAnswers, Conformance,
                         ::testing::ValuesIn(AnswerPacedProfiles()), Name);

// The differences table names real rigs and real modes and bands, and says
// why: a typo there would quietly switch an expectation off.
TEST(Differences, NameKnownRigsModesAndBandsWithAReason) {
  std::set<std::string> ids, modes(TableModes().begin(), TableModes().end()), bands;
  for (const auto& p : AllProfiles())
    ids.insert(p.id);
  for (const auto& b : BandPlan())
    bands.insert(b.name);
  for (const auto& d : Differences()) {
    EXPECT_TRUE(d.reason && *d.reason) << d.what;
    for (const auto& r : d.rigs)
      EXPECT_TRUE(ids.count(r)) << r;
    if (d.kind == Kind::ModeReadsAs || d.kind == Kind::ModeRefused) {
      EXPECT_TRUE(modes.count(d.what)) << d.what;
    }
    if (d.kind == Kind::ModeReadsAs) {
      EXPECT_TRUE(modes.count(d.becomes)) << d.becomes;
    }
    if (d.kind == Kind::BandRefused) {
      EXPECT_TRUE(bands.count(d.what)) << d.what;
      for (const auto& r : d.rigs) {
        for (const auto& p : AllProfiles()) {
          if (p.id != r) continue;
          for (const auto& b : p.bands) {
            EXPECT_NE(b, d.what) << r << " covers " << b << " and lists it as a difference";
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace varnek::conformance
