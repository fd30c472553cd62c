// Frequencies reach every rig exactly as meant, whichever way they came into
// a row, or the channel is refused before anything is sent for it. The
// simulated rig's own coverage table is the judge of what the rig can store.
#include <gtest/gtest.h>

#include <random>

#include "files/channel_file.h"
#include "files/chirp_csv.h"
#include "files/rigmem_csv.h"
#include "rig_bench.h"
#include "sim/protocol.h"

namespace varnek::conformance {
namespace {

enum class Way {
  KHz,
  KHzFraction,
  MHzFraction,
  ThreeGroups,
  FilePoints,
  FilePoint,
  FileComma,
  Chirp,
  Rigmem
};
constexpr Way kWays[] = {Way::KHz,         Way::KHzFraction, Way::MHzFraction,
                         Way::ThreeGroups, Way::FilePoints,  Way::FilePoint,
                         Way::FileComma,   Way::Chirp,       Way::Rigmem};

std::string WithoutTrailingZeros(std::string fraction) {
  while (fraction.size() > 1 && fraction.back() == '0')
    fraction.pop_back();
  return fraction;
}

// What a file or an import makes of a row holding `hz`.
std::string ThroughFile(long long hz, FreqNotation notation) {
  ChannelTable table{}, back{};
  table[1] = {FreqText(hz), "AM", ""};
  ApplyChannelFile(ChannelFileText(table, notation), notation, back);
  return back[1].freq;
}
std::string ThroughImport(long long hz, const std::string& model, bool chirp) {
  ChannelTable table{};
  table[1] = {FreqText(hz), "AM", ""};
  const ChannelImport in = chirp ? ParseChirpCsv(ChirpCsvText(table, model).bytes, model)
                                 : ParseRigmemCsv(RigmemCsvText(table, model).bytes, model);
  return in.channels.empty() ? std::string("(nothing imported)") : in.channels[0].freq;
}

struct Planned {
  int channel;
  std::string text;
  long long stored = 0;  // 0: refused, nothing may reach the channel
};

class FrequencyProperty : public RigBench, public ::testing::WithParamInterface<RigProfile> {
 protected:
  void SetUp() override {
    StartRig(GetParam());
    tunable_ = sim::TunableRanges(Profile().selection);
  }
  bool Tunes(long long hz) const {
    for (const auto& r : tunable_)
      if (hz >= r.low && hz <= r.high) return true;
    return false;
  }
  long long RigStep() const {
    return Profile().family == Family::Yaesu5 || Profile().id == "IC735" ? 10 : 1;
  }

  // The row text `way` gives `hz`, and the hertz the text itself can say.
  std::pair<std::string, long long> Text(Way way, long long hz) const {
    char s[48];
    switch (way) {
      case Way::KHz:
        return {std::to_string(hz / 1000), hz / 1000 * 1000};
      case Way::KHzFraction: {
        std::snprintf(s, sizeof s, "%03lld", hz % 1000);
        const std::string fraction = WithoutTrailingZeros(s);
        std::snprintf(s, sizeof s, "%04lld", hz / 1000);
        return {std::string(s) + "." + fraction, hz};
      }
      case Way::MHzFraction:
        if (hz >= 1'000'000'000) return Text(Way::ThreeGroups, hz);
        std::snprintf(s, sizeof s, "%06lld", hz % 1'000'000);
        return {std::to_string(hz / 1'000'000) + "." + WithoutTrailingZeros(s), hz};
      case Way::ThreeGroups:
        return {FreqText(hz), hz};
      case Way::FilePoints:
        return {ThroughFile(hz, FreqNotation::TwoPoints), hz};
      case Way::FilePoint:
        return {ThroughFile(hz, FreqNotation::Point), hz / 10 * 10};
      case Way::FileComma:
        return {ThroughFile(hz, FreqNotation::Comma), hz / 10 * 10};
      case Way::Chirp:
        return {ThroughImport(hz, Profile().model, true), hz};
      case Way::Rigmem:
        return {ThroughImport(hz, Profile().model, false), hz};
    }
    return {};
  }
  // A kHz text with a fraction read the other way, as MHz.
  static long long AsMhz(const std::string& text) {
    std::string t = Trim(text);
    for (char& c : t)
      if (c == ',') c = '.';
    const auto point = t.find('.');
    if (point == std::string::npos || point < 4 || t.find('.', point + 1) != std::string::npos)
      return 0;
    std::string fraction = (t.substr(point + 1) + "000000").substr(0, 6);
    return std::stoll(t.substr(0, point)) * 1'000'000 + std::stoll(fraction);
  }

  std::vector<long long> Frequencies(std::mt19937_64& rng) const {
    std::vector<long long> f;
    for (const auto& r : tunable_) {
      f.push_back(r.low);
      f.push_back(r.high);
      f.push_back(std::uniform_int_distribution<long long>(r.low, r.high)(rng));
      // HF, where most channels are, even on a rig that goes to 10 GHz.
      const long long hfTop = std::min<long long>(r.high, 30'000'000);
      if (hfTop > r.low) f.push_back(std::uniform_int_distribution<long long>(r.low, hfTop)(rng));
    }
    if (Tunes(999'000)) f.push_back(999'000);  // medium wave
    return f;
  }

  std::vector<sim::Range> tunable_;
};

TEST_P(FrequencyProperty, EveryNotationReachesTheRigAsMeantOrIsRefused) {
  const unsigned seed = static_cast<unsigned>(std::hash<std::string>{}(Profile().id));
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937_64 rng(seed);
  std::vector<Planned> plan;
  int n = Profile().first + 1;
  size_t way = seed;
  for (long long hz : Frequencies(rng)) {
    const auto [text, said] = Text(kWays[way++ % std::size(kWays)], hz);
    const long long stored = said / RigStep() * RigStep();
    const bool ambiguous = Tunes(AsMhz(text));
    plan.push_back({n++, text, !ambiguous && Tunes(stored) ? stored : 0});
  }
  for (const char* bad : {"7.0.5", "14,250,00x", "-7050", "14.25.000"})
    plan.push_back({n++, bad, 0});
  plan.push_back({n++, FreqText(tunable_.back().high + 1000), 0});
  const int blank = n++;
  plan.push_back({blank, "", 0});

  const sim::Channel sentinel = SimChannel(7123450, UsbCode(Profile().family));
  std::vector<int> channels;
  for (const Planned& p : plan) {
    sim->SetChannel(p.channel, sentinel);
    Form().SetChannel(ChannelText(p.channel), p.text, "AM", "");
    channels.push_back(p.channel);
  }
  Save(channels);
  const bool clears = !Has(Profile().id, Kind::EmptyRowRefused);
  const std::string report = host.Messages().empty() ? "" : host.Messages().back();
  std::vector<int> sent;
  for (const Planned& p : plan) {
    const auto held = sim->GetChannel(p.channel);
    const std::string what = "channel " + std::to_string(p.channel) + " '" + p.text + "'";
    if (p.channel == blank && clears) {
      EXPECT_TRUE(SimEmpty(held)) << what;
    } else if (p.stored) {
      ASSERT_TRUE(held.has_value()) << what;
      EXPECT_EQ(held->hz, p.stored) << what;
      sent.push_back(p.channel);
    } else {
      EXPECT_EQ(held, sentinel) << what << " reached the rig";
      EXPECT_NE(report.find("Channel " + ChannelText(p.channel)), std::string::npos)
          << what << " not reported in: " << report;
    }
  }

  // Read back, the rows hold the parsers' display forms; written again they
  // reach the rig as the same hertz.
  Form().ClearFM1Click();
  Load(sent);
  for (int c : sent)
    sim->ClearChannel(c);
  Save(sent);
  for (const Planned& p : plan) {
    if (!p.stored) continue;
    const auto held = sim->GetChannel(p.channel);
    ASSERT_TRUE(held.has_value()) << p.channel;
    EXPECT_EQ(held->hz, p.stored) << "channel " << p.channel << " read as '"
                                  << Form().A[static_cast<size_t>(p.channel)].Text() << "'";
  }
}

INSTANTIATE_TEST_SUITE_P(EveryRig, FrequencyProperty, ::testing::ValuesIn(AnswerPacedProfiles()),
                         [](const auto& info) { return info.param.id; });

}  // namespace
}  // namespace varnek::conformance
