#pragma once
// CHIRP's CSV channel list, the exchange format of most memory programmers:
// a header naming the columns (found by name, in any order, extra columns
// ignored), one memory a row, Location 0..99 for the table's channel of that
// number, Frequency in MHz with six decimals, names in UTF-8.
#include <string>
#include <string_view>

#include "files/channel_exchange.h"

namespace varnek {

// The columns CHIRP writes, in its order.
extern const char* const kChirpHeader;

// CHIRP's mode name to the table's for the rig of `modelCode`; empty when
// the table has no counterpart (WFM, NAM, DMR, ...). RTTY is FSK on
// Kenwood TS rigs.
std::string ChirpModeToTable(std::string_view chirpMode, std::string_view modelCode);
// The table's mode to CHIRP's; empty when CHIRP has no such mode. `hertz`
// decides the side of SSB (LSB below 10 MHz).
std::string TableModeToChirp(std::string_view mode, long long hertz);

// The file's bytes to channels and a report; never throws, whatever the bytes.
ChannelImport ParseChirpCsv(std::string_view bytes, std::string_view modelCode);
// Every channel with a frequency, CR LF line ends, UTF-8; `ok` is true.
ChannelExport ChirpCsvText(const ChannelTable& table, std::string_view modelCode);

// Reads and parses `path` (the file is only read). `ok` false when it cannot
// be read or is no CHIRP file; `message` then says why.
ChannelImport ImportChirpCsv(const std::string& path, std::string_view modelCode);
// Writes through a temporary file renamed over `path`: a failed export
// leaves the previous file as it was.
ChannelExport ExportChirpCsv(const std::string& path, const ChannelTable& table,
                             std::string_view modelCode);

}  // namespace varnek
