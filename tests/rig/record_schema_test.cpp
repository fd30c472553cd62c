#include "rig/record_schema.h"

#include <gtest/gtest.h>

#include "rig/kenwood.h"
#include "rig/memory_extras.h"

namespace varnek {
namespace {

// Every description covers its kept text end to end, and what a row typed
// by hand writes is a value each field takes.
TEST(RecordSchema, DescriptionsTileTheirKeptTextAndTakeTheirDefaults) {
  for (const char* model :
       {"TS-570", "TS-870S", "TS-2000", "FT-2000", "TS-590S", "TS-590SG", "TS-480"}) {
    const RecordSchema* s = SchemaOf(model);
    ASSERT_NE(s, nullptr) << model;
    size_t spans = 0;
    for (const RecordSpan& span : s->spans)
      spans += span.length;
    EXPECT_EQ(spans, s->KeptLength()) << model;
    size_t at = 0;
    for (const RecordField& f : s->fields) {
      EXPECT_EQ(f.at, at) << model << " " << f.name;
      at += f.length;
      EXPECT_EQ(FieldProblem(*s, f, f.handTyped), "") << model << " " << f.name;
    }
    EXPECT_EQ(at, s->KeptLength()) << model;
  }
  EXPECT_EQ(SchemaOf("IC-CI-V"), nullptr);
  EXPECT_EQ(SchemaOf("FT-1000"), nullptr);
}

// A value outside what the rig takes is named with the field and what it
// may hold; one inside is taken and means what the rig means by it.
TEST(RecordSchema, RefusesOutOfRangeValuesAndSaysWhatOthersMean) {
  struct Case {
    const char* model;
    const char* field;
    const char* characters;
    const char* problem;  // empty: taken
    const char* meaning;  // for a taken value
  };
  const Case cases[] = {
      {"TS-570", "tone number", "08", "", "88.5 Hz"},
      {"TS-570", "tone number", "39", "the tone number (00-38) is '39'", ""},
      {"TS-570", "tone switch", "2", "the tone switch (one of 0, 1) is '2'", ""},
      {"TS-2000", "tone number", "39", "", "1750 Hz"},
      {"TS-2000", "tone number", "40", "the tone number (00-39) is '40'", ""},
      {"TS-2000", "CTCSS number", "39", "the CTCSS number (00-38) is '39'", ""},
      {"TS-2000", "DCS code", "103", "", "754"},
      {"TS-2000", "DCS code", "104", "the DCS code (000-103) is '104'", ""},
      {"TS-2000", "shift", "3", "", "="},
      {"TS-2000", "offset", "000600000", "", "600 kHz"},
      {"TS-2000", "offset", "000625000",
       "the offset (0 to 59.95 MHz in 50 kHz steps) is '000625000'", ""},
      {"TS-2000", "offset", "060000000",
       "the offset (0 to 59.95 MHz in 50 kHz steps) is '060000000'", ""},
      {"TS-2000", "tone type", "3", "", "DCS"},
      {"TS-2000", "tone type", "x", "the tone type (one of 0, 1, 2, 3) is 'x'", ""},
      {"TS-2000", "memory group", "x", "the memory group (digits) is 'x'", ""},
      {"FT-2000", "clarifier sign", "-", "", "-"},
      {"FT-2000", "tone number", "77", "", "77"},
      {"FT-2000", "shift", "3", "the shift (one of 0, 1, 2) is '3'", ""},
      {"TS-590S", "tone number", "42", "", "1750 Hz"},
      {"TS-590S", "tone number", "43", "the tone number (00-42) is '43'", ""},
      {"TS-590S", "CTCSS number", "41", "", "254.1 Hz"},
      {"TS-590S", "CTCSS number", "42", "the CTCSS number (00-41) is '42'", ""},
      {"TS-590S", "tone type", "3", "", "cross tone"},
      {"TS-590S", "FM narrow", "02", "the FM narrow (one of 00, 01) is '02'", ""},
      {"TS-590SG", "filter", "1", "", "filter B"},
      {"TS-590SG", "filter", "2", "the filter (one of 0, 1) is '2'", ""},
      {"TS-480", "tone type", "3", "the tone type (one of 0, 1, 2) is '3'", ""},
      {"TS-480", "tone number", "01", "", "69.3 Hz"},
      {"TS-480", "step", "10", "the step (00-09) is '10'", ""},
  };
  for (const Case& c : cases) {
    const RecordSchema* s = SchemaOf(c.model);
    ASSERT_NE(s, nullptr) << c.model;
    const RecordField* field = nullptr;
    for (const RecordField& f : s->fields)
      if (f.name == c.field) field = &f;
    ASSERT_NE(field, nullptr) << c.model << " " << c.field;
    EXPECT_EQ(FieldProblem(*s, *field, c.characters), c.problem) << c.model << " " << c.field;
    if (!*c.problem) {
      EXPECT_EQ(FieldMeaning(*s, *field, c.characters), c.meaning) << c.model << " " << c.field;
    } else {
      // The write refuses such kept fields before anything is built.
      std::string fields = s->HandTyped();
      fields.replace(field->at, field->length, c.characters);
      const RigCommand w = KenwoodWriteCommand("05", "14.260.000", "USB", "", c.model,
                                               {c.model, fields, ""});
      EXPECT_EQ(w.text, "") << c.model << " " << c.field;
      EXPECT_NE(w.refusal.find(c.field), std::string::npos) << w.refusal;
    }
  }
}

// Other programs' words (CHIRP's, rigmem's) into each layout and back:
// what the layout keeps comes back as it went, what it has no place for
// is said.
TEST(RecordSchema, ListWordsIntoEachLayoutAndBack) {
  using S = MemoryExtras::Squelch;
  struct Case {
    const char* model;
    MemoryExtras extras;
    const char* fields;
    std::vector<std::string> notHeld;
  };
  MemoryExtras repeater;  // TSQL 100.0 Hz, minus 600 kHz, skipped
  repeater.squelch = S::Tsql;
  repeater.ctcssDeciHz = 1000;
  repeater.duplex = '-';
  repeater.offsetHz = 600000;
  repeater.skip = true;
  MemoryExtras dcs;
  dcs.squelch = S::Dtcs;
  dcs.dtcsCode = 23;
  MemoryExtras odd;  // 69.3 Hz: not in the older rigs' table
  odd.squelch = S::Tone;
  odd.toneDeciHz = 693;
  const Case cases[] = {
      {"TS-2000", repeater, "12001200002000600000000", {}},
      {"TS-590S", repeater, "02001200000000000000001", {"the TS-590S keeps no repeater shift"}},
      {"TS-480", repeater, "12001200000000000000000", {"the TS-480 keeps no repeater shift"}},
      {"TS-570", repeater, "1000",
       {"the TS-570 keeps a tone, no tone squelch or DTCS", "the TS-570 keeps no repeater shift"}},
      {"TS-590SG", dcs, "00000000000000000000000",
       {"the TS-590SG keeps a tone and a tone squelch, no DTCS"}},
      {"TS-2000", dcs, "03000000000000000000000", {}},
      {"TS-480", odd, "01010000000000000000000", {}},
      {"TS-2000", odd, "00000000000000000000000",
       {"tone 69.3 Hz is not one of the TS-2000's tones"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> notHeld;
    const KeptFields kept = KeptFor(c.extras, c.model, notHeld);
    EXPECT_EQ(kept.fields, c.fields) << c.model;
    EXPECT_EQ(notHeld, c.notHeld) << c.model;
    if (!c.notHeld.empty()) continue;
    const std::optional<MemoryExtras> back = ExtrasOf(kept, nullptr);
    ASSERT_TRUE(back.has_value()) << c.model;
    EXPECT_EQ(back->squelch, c.extras.squelch) << c.model;
    EXPECT_EQ(back->skip, c.extras.skip) << c.model;
    EXPECT_EQ(back->duplex, c.extras.duplex) << c.model;
  }
}

}  // namespace
}  // namespace varnek
