// The memory list's cells over each model's record schema: a field edit
// writes the kept fields at the field's place and nowhere else, as one undo
// step, and what the model cannot hold is refused with a message.
#include "edit/memory_list.h"

#include <gtest/gtest.h>

#include "app/main_form.h"
#include "base/headless_host.h"
#include "base/text.h"
#include "rig/modes.h"

namespace varnek {
namespace {

int ColumnOfRole(const TMemoryList& list, FieldRole role) {
  const auto& columns = list.Columns();
  for (size_t i = 0; i < columns.size(); ++i)
    if (columns[i].field && columns[i].field->role == role) return static_cast<int>(i);
  return -1;
}

TEST(MemoryListTest, FieldEditsFollowTheModelsSchema) {
  struct Case {
    std::string model;
    std::vector<FieldRole> roles;  // fields the list must offer and write
  };
  for (const Case& c : std::vector<Case>{
           {"TS-2000", {FieldRole::Ctcss, FieldRole::Shift, FieldRole::ToneType}},
           {"TS-570", {FieldRole::Tone, FieldRole::Lockout}},
           {"FT-2000", {FieldRole::Shift, FieldRole::Clarifier}},
           {"TS-590S", {FieldRole::Ctcss, FieldRole::Filter}},
           {"TS-480", {FieldRole::Tone, FieldRole::Step}},
       }) {
    SCOPED_TRACE(c.model);
    HeadlessHost host{HeadlessHost::Time::Simulated};
    TMainForm form{host};
    form.shared.ModelCode = c.model;
    form.ApplyRow00Rule(true);
    ChannelEditor editor{form, [] { return FreqNotation::TwoPoints; }};
    TMemoryList list{editor};
    const RecordSchema* schema = SchemaOf(c.model);
    ASSERT_NE(schema, nullptr);
    form.SetChannel("05", "145.650.000", "FM", "RPT");
    editor.Reset();

    for (FieldRole role : c.roles) {
      const int column = ColumnOfRole(list, role);
      ASSERT_GE(column, 0) << static_cast<int>(role);
      const RecordField& field = *list.Columns()[static_cast<size_t>(column)].field;
      const std::vector<std::string> choices = list.Choices(5, column);
      ASSERT_GE(choices.size(), 2u) << field.name;
      const std::string pick = choices.back() == list.Cell(5, column) ? choices.front() : choices.back();
      const TableState before = StateOf(form);
      ASSERT_TRUE(list.SetCell(5, column, pick)) << field.name;
      EXPECT_EQ(list.Cell(5, column), pick);
      const KeptFields kept = form.RowKept(5);
      EXPECT_EQ(kept.model, c.model);
      ASSERT_EQ(kept.fields.size(), schema->KeptLength());
      // Only this field's characters moved from what the row started with.
      const std::string start = before.rows[5].kept.model == c.model ? before.rows[5].kept.fields
                                                                     : schema->HandTyped();
      for (size_t i = 0; i < kept.fields.size(); ++i) {
        if (i < field.at || i >= field.at + field.length) {
          EXPECT_EQ(kept.fields[i], start[i]) << i;
        }
      }
      EXPECT_TRUE(FieldProblem(*schema, field, FieldText(field, kept.fields)).empty());
      EXPECT_EQ(editor.UndoCaption(), "Undo Edit Channel 05 " + std::string(field.name));
      // A value off the list is refused and changes nothing.
      host.ClearEvents();
      EXPECT_FALSE(list.SetCell(5, column, "nonsense"));
      EXPECT_EQ(host.Messages().size(), 1u);
      EXPECT_EQ(form.RowKept(5), kept);
      ASSERT_TRUE(editor.Undo());
      EXPECT_EQ(StateOf(form), before);
      ASSERT_TRUE(editor.Redo());
    }
    // A typed field takes the units the cell shows, and the schema's range.
    if (const int offset = ColumnOfRole(list, FieldRole::Offset); offset >= 0) {
      const RecordField& field = *list.Columns()[static_cast<size_t>(offset)].field;
      EXPECT_TRUE(list.SetCell(5, offset, "600 kHz"));
      EXPECT_EQ(FieldText(field, form.RowKept(5).fields), "000600000");
      host.ClearEvents();
      EXPECT_FALSE(list.SetCell(5, offset, "610 kHz"));  // off the 50 kHz raster
      EXPECT_FALSE(list.SetCell(5, offset, "60 MHz"));
      EXPECT_EQ(host.Messages().size(), 2u);
      EXPECT_EQ(FieldText(field, form.RowKept(5).fields), "000600000");
    }
    // A split's transmit side: typed as a frequency, kept as the rig's
    // transmit-side record holds it (eleven digits and the mode code).
    if (const int tx = list.ColumnOf("TX frequency"); tx >= 0) {
      EXPECT_TRUE(list.SetCell(5, tx, "29.62"));
      EXPECT_EQ(form.RowKept(5).tx, "00029620000" + KenwoodModeCode("FM", c.model));
      EXPECT_EQ(list.Cell(5, tx), "29.620.000 FM");
      host.ClearEvents();
      EXPECT_FALSE(list.SetCell(5, tx, "3000.000.000"));
      EXPECT_EQ(host.Messages().size(), 1u);
      EXPECT_TRUE(list.SetCell(5, tx, ""));
      EXPECT_EQ(form.RowKept(5).tx, "");
    }
    // Frequency and mode cells refuse what the model cannot store.
    host.ClearEvents();
    const TableState before = StateOf(form);
    EXPECT_FALSE(list.SetCell(5, list.ColumnOf("Frequency"), "3000.000.000"));
    EXPECT_FALSE(list.SetCell(5, list.ColumnOf("Mode"), "XYZ"));
    EXPECT_EQ(host.Messages().size(), 2u);
    EXPECT_EQ(StateOf(form), before);
    // An empty row has no fields to edit.
    EXPECT_FALSE(list.Editable(6, ColumnOfRole(list, c.roles.front())));
  }
}

}  // namespace
}  // namespace varnek
