// The CHIRP and Hamlib rigmem importers over arbitrary file bytes: the
// parsers most exposed to files made elsewhere. The first byte picks the
// format and the rig.
#include <array>
#include <string>

#include "base/text.h"
#include "files/channel_exchange.h"
#include "files/chirp_csv.h"
#include "files/rigmem_csv.h"
#include "fuzz_support.h"
#include "rig/freq.h"

using namespace varnek;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::array<std::string, 6> models = {"TS-570",  "TS-2000", "FT-2000",
                                                    "IC-CI-V", "FT-1000", "FT-920"};
  std::string_view in = fuzz::AsText(data, size);
  const size_t choice = fuzz::TakeChoice(in, 2 * models.size());
  const bool chirp = choice % 2 == 0;
  const std::string& model = models[choice / 2];

  const ChannelImport imported = chirp ? ParseChirpCsv(in, model) : ParseRigmemCsv(in, model);
  ChannelTable table{};
  for (const ImportedChannel& c : imported.channels) {
    // Only the table's rows, and only frequencies that read back as one.
    fuzz::Require(c.channel >= 0 && c.channel <= 99);
    fuzz::Require(FreqHertz(c.freq).has_value());
  }
  ApplyImport(imported, table);

  // What was taken survives the way out and back in, or the export says
  // why it could not write it (a mode the format has no name for).
  const ChannelExport out = chirp ? ChirpCsvText(table, model) : RigmemCsvText(table, model);
  const ChannelImport again =
      chirp ? ParseChirpCsv(out.bytes, model) : ParseRigmemCsv(out.bytes, model);
  ChannelTable back{};
  ApplyImport(again, back);
  for (size_t n = 0; n < table.size(); ++n) {
    const auto hz = FreqHertz(table[n].freq);
    if (!hz || *hz <= 0 || (!chirp && n == 0 && model.rfind("TS", 0) != 0)) continue;
    bool reported = false;
    for (const std::string& line : out.report)
      reported = reported || line.rfind("channel " + ChannelText(static_cast<int>(n)), 0) == 0;
    fuzz::Require(FreqHertz(back[n].freq) == hz || (back[n].freq.empty() && reported));
  }
  return 0;
}
