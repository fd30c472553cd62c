#pragma once
// What an answer parser made of the transcript: the pure half of each
// family's parser returns it, the operation half stores it.
#include <string>
#include <vector>

#include "base/kept_fields.h"

namespace varnek {

struct ChannelAnswer {
  enum class Status {
    Nothing,       // no usable answer (yet): a partial transcript, a refusal
    NoTranscript,  // the transcript is empty
    Channel,       // a frequency, stored when `channel` is one of the table's
    Empty,         // the rig reports the channel empty
    MemoryStatus,  // a status answer: the rig is in memory mode
    VfoStatus,     // a status answer: the rig is on a VFO
  };
  Status status = Status::Nothing;
  std::string channel;  // two digits as the table numbers rows, or empty
  std::string freq;     // display form, leading blanks included
  std::string mode;
  bool hasName = false;  // the rig's memory holds a name (TS-2000)
  std::string name;
  // What else the record held (ASCII rigs), kept with the row.
  KeptFields kept;
  // A Kenwood TS memory record's frequency digits and mode code as sent:
  // the same for both sides of a simplex channel, different for a split.
  std::string side;
  // Channels named by earlier records of the same cluster (a late answer
  // that arrived together with the next one), each stored in its row.
  std::vector<std::string> alsoNamed;
};

}  // namespace varnek
