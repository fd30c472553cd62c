#include "cli/csv_commands.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "app/main_form.h"
#include "base/cp1252.h"
#include "base/profile.h"
#include "base/rig_family.h"
#include "cli/console.h"
#include "files/channel_file.h"
#include "files/chirp_csv.h"
#include "files/rigmem_csv.h"
#include "settings/rig_settings.h"

namespace varnek::cli {

namespace {

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

}  // namespace

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
      if (n >= 0) table[static_cast<size_t>(n)] = {line.freq, line.mode, line.name, line.kept};
    });
    if (!r.ok) {
      err << "varnek-cli: " << Cp1252ToUtf8(r.message) << '\n';
      return kExitTransferError;
    }
    for (const std::string& line : r.report)
      err << Cp1252ToUtf8(o.table + ": " + line) << '\n';
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

}  // namespace varnek::cli
