#include "rig/record_schema.h"

#include <gtest/gtest.h>

#include "rig/kenwood.h"

namespace varnek {
namespace {

// Every description covers its kept text end to end, and what a row typed
// by hand writes is a value each field takes.
TEST(RecordSchema, DescriptionsTileTheirKeptTextAndTakeTheirDefaults) {
  for (const char* model : {"TS-570", "TS-870S", "TS-2000", "FT-2000"}) {
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

}  // namespace
}  // namespace varnek
