#pragma once
// Hamlib rigmem's CSV memory backup: a header line that starts with "num",
// then columns that differ by rig (freq, mode, channel_desc, ...) found by
// name; frequencies in hertz; ',' or ';' between the fields (rigmem -p) and
// after the last one. rigmem knows no quoting: a name holding the
// separator splits into two fields, so none is written.
#include <string>
#include <string_view>

#include "files/channel_exchange.h"

namespace varnek {

// Hamlib's mode name (rig_strrmode: USB, CWR, RTTYR, PKTUSB, FMN, ...) to
// the table's for the rig of `modelCode`; empty when the table has none.
std::string HamlibModeToTable(std::string_view hamlibMode, std::string_view modelCode);
// The table's mode to Hamlib's; empty when Hamlib has none. `hertz`
// decides the side of SSB (LSB below 10 MHz).
std::string TableModeToHamlib(std::string_view mode, long long hertz);

// The header rigmem writes for the rig of `modelCode` (the TS-2000, the
// other Kenwood TS rigs and the FT-2000 each have their own; other rigs get
// num, channel_desc, freq, mode), with `separator` and the trailing one.
std::string RigmemHeader(std::string_view modelCode, char separator);

// The file's bytes to channels and a report; the separator is taken from
// the header. Never throws, whatever the bytes.
ChannelImport ParseRigmemCsv(std::string_view bytes, std::string_view modelCode);
// Every channel with a frequency in the columns rigmem reads back for the
// rig, every line ended by the separator and LF. Names are written in the
// table's cp1252, the bytes the rig's memory holds, and only where the
// columns have a name; channel 00 only on the TS rigs, the only ones that
// have it.
ChannelExport RigmemCsvText(const ChannelTable& table, std::string_view modelCode,
                            char separator = ',');

ChannelImport ImportRigmemCsv(const std::string& path, std::string_view modelCode);
ChannelExport ExportRigmemCsv(const std::string& path, const ChannelTable& table,
                              std::string_view modelCode, char separator = ',');

}  // namespace varnek
