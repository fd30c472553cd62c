// The table's edit commands over the main window: each is one undo step
// that gives the table back exactly, the clipboard's text both ways, and
// the blocks a rig's scan edges make.
#include <gtest/gtest.h>

#include "app/main_form.h"
#include "base/headless_host.h"
#include "base/text.h"
#include "edit/channel_editor.h"

namespace varnek {
namespace {

class TableEditTest : public ::testing::Test {
 protected:
  HeadlessHost host{HeadlessHost::Time::Simulated};
  TMainForm form{host};
  ChannelEditor editor{form, [] { return FreqNotation::TwoPoints; }};

  void SelectRig(const std::string& code) {
    form.shared.ModelCode = code;
    form.ApplyRow00Rule(true);
  }
  void Fill(int n, const std::string& freq, const std::string& mode, const std::string& name,
            const KeptFields& kept = {}, bool checked = false) {
    form.SetChannel(ChannelText(n), freq, mode, name);
    form.SetRowKept(ChannelText(n), kept);
    form.SetRowChecked(n, checked);
  }
  // The names of rows from..to, "-" for an empty one.
  std::string Names(int from, int to) {
    std::string out;
    for (int n = from; n <= to; ++n)
      out += (out.empty() ? "" : " ") + (form.RowName(n).empty() ? "-" : form.RowName(n));
    return out;
  }
};

TEST_F(TableEditTest, EveryCommandIsOneStepThatUndoesExactly) {
  SelectRig("TS-2000");
  const KeptFields kept{"TS-2000", "0203080000000", "0145200000004"};
  Fill(1, "  14.250.000", "USB", "c", {}, true);
  Fill(2, "145.500.000", "FM", "a", kept);
  Fill(3, "7050", "LSB", "d", {}, true);
  Fill(4, "  3.699.000", "LSB", "b");
  Fill(5, "28.500.000", "AM", "");
  editor.Reset();

  struct Case {
    std::string step;
    std::function<void()> run;
    std::string names;  // of rows 1-6 after it, where the order matters
  };
  std::vector<int> up{3, 4}, down{1};
  const std::vector<Case> cases = {
      {"Insert Empty Row", [&] { editor.InsertEmptyRow(2); }, "c - a d b -"},
      {"Delete 2 Rows", [&] { editor.DeleteRows({2, 4}); }, "c d - - - -"},
      {"Move Up", [&] { editor.MoveRows(up, -1); }, "c d b a - -"},
      {"Move Down", [&] { editor.MoveRows(down, 1); }, "a c d b - -"},
      {"Sort by Frequency", [&] { editor.SortRows({}, 1, SortKey::Frequency); }, "d c - a - -"},
      {"Sort by Name", [&] { editor.SortRows({1, 2, 3, 4}, 1, SortKey::Name); }, "a b c d - -"},
      {"Sort by Mode", [&] { editor.SortRows({}, 1, SortKey::Mode); }, "a d b c - -"},
      {"Cut 2 Rows", [&] { editor.Cut({1, 2}); }, "- - d b - -"},
      {"Paste 3 Rows", [&] { editor.Paste(4, editor.Copy({1, 2, 3})); }, "c a d c a d"},
      {"Clear All Freqs, Modes, Names", [&] { form.MenuItem("ClearFM1").Click(); }, "- - - - - -"},
      {"Clear All Checkings", [&] { form.MenuItem("UncheckAll1").Click(); }, ""},
      {"Check All", [&] { form.MenuItem("CheckAll1").Click(); }, ""},
      {"Check Column 2", [&] { form.bt[1].Click(); }, ""},
      {"Uncheck Channel 01", [&] { form.cb[1].Toggle(); }, ""},
      {"Edit Channel 02",
       [&] {
         form.A[2].UserInput("");
         form.A[2].Exit();
       },
       "c a d b - -"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    const TableState before = StateOf(form);
    c.run();
    const TableState after = StateOf(form);
    ASSERT_NE(after, before);
    if (!c.names.empty()) {
      EXPECT_EQ(Names(1, 6), c.names);
    }
    EXPECT_EQ(editor.UndoCaption(), "Undo " + c.step);
    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(StateOf(form), before);
    EXPECT_EQ(editor.RedoCaption(), "Redo " + c.step);
    ASSERT_TRUE(editor.Redo());
    EXPECT_EQ(StateOf(form), after);
    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(StateOf(form), before);
  }
  // Undone one after the other, the steps above each left the table as it
  // was; the history is deep enough for a long session.
  for (int i = 0; i < 120; ++i) {
    form.T[9].UserInput("n" + std::to_string(i));
    form.T[9].Exit();
  }
  for (int i = 0; i < 120; ++i) ASSERT_TRUE(editor.Undo()) << i;
  EXPECT_EQ(form.RowName(9), "");
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(TableEditTest, ClipboardIsTheChannelFileBothWays) {
  SelectRig("TS-2000");
  const KeptFields kept{"TS-2000", "0203080000000", ""};
  Fill(1, "  14.250.000", "USB", "DX net", kept);
  Fill(2, "145.500.000", "FM", "S20");
  const std::string text = editor.Copy({2, 1});
  EXPECT_EQ(text, "01\t14.250.000\tUSB\tDX net\tTS-2000:0203080000000\r\n"
                  "02\t145.500.000\tFM\tS20\r\n");
  ASSERT_EQ(editor.Paste(40, text), (std::vector<int>{40, 41}));
  for (int n : {1, 2}) {
    EXPECT_EQ(Trim(form.RowFreq(n + 39)), Trim(form.RowFreq(n)));
    EXPECT_EQ(form.RowMode(n + 39), form.RowMode(n));
    EXPECT_EQ(form.RowName(n + 39), form.RowName(n));
    EXPECT_EQ(form.RowKept(n + 39), form.RowKept(n));
  }
  // A spreadsheet's rows: frequency, mode, name.
  ASSERT_EQ(editor.Paste(60, "7.050\tLSB\tNet\n145500\tFM\t\n\n").size(), 2u);
  EXPECT_EQ(Trim(form.RowFreq(60)) + form.RowMode(60) + form.RowName(60), "7.050LSBNet");
  EXPECT_EQ(Trim(form.RowFreq(61)) + form.RowMode(61), "145500FM");

  struct Refusal {
    std::string text;
    int row;
    std::string says;
  };
  for (const Refusal& r : std::vector<Refusal>{
           {"14.250\tUSB\tx\n3000.000.000\tFM\ty\n", 10, "line 2: Channel 11: 3000.000.000"},
           {"7.050\tLSB\n14.2x\tUSB\n", 10, "line 2: Channel 11: \"14.2x\" is not a frequency"},
           {"7050\tLSB\ta\n7050\tLSB\tb\n7050\tLSB\tc\n", 98, "line 3: no row is left"},
           {"\r\n", 10, "no lines"},
       }) {
    SCOPED_TRACE(r.text);
    host.ClearEvents();
    const TableState before = StateOf(form);
    EXPECT_TRUE(editor.Paste(r.row, r.text).empty());
    EXPECT_EQ(StateOf(form), before);
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_NE(host.Messages()[0].find(r.says), std::string::npos) << host.Messages()[0];
  }
  // Find: a frequency in any notation, or a part of a name.
  EXPECT_EQ(editor.Find("14250", 0), 1);
  EXPECT_EQ(editor.Find("14.25", 1), 40);
  EXPECT_EQ(editor.Find("s2", 2), 41);
  EXPECT_EQ(editor.Find("nothing", 0), -1);
}

TEST_F(TableEditTest, ScanEdgesKeepChannels90To99Apart) {
  struct Case {
    std::string model;
    std::function<bool()> run;
    bool done;
    std::vector<std::pair<int, std::string>> names;  // row and its name after
  };
  std::vector<int> rows89{89}, rows90{90};
  const std::vector<Case> cases = {
      {"TS-570", [&] { return editor.InsertEmptyRow(85); }, false, {{85, "r85"}, {89, "r89"}}},
      {"TS-870S", [&] { return editor.DeleteRows({85}); }, true,
       {{85, "r86"}, {88, "r89"}, {89, ""}, {90, "r90"}}},
      {"TS-570",
       [&] {
         form.MenuItem("ClearFM1").Click();
         Fill(85, "7050", "LSB", "r85");
         Fill(90, "7050", "LSB", "r90");
         return editor.InsertEmptyRow(85);
       },
       true, {{85, ""}, {86, "r85"}, {89, ""}, {90, "r90"}}},
      {"TS-2000", [&] { return editor.DeleteRows({85}); }, true,
       {{89, "r90"}, {94, "r95"}, {95, ""}}},
      {"TS-2000", [&] { return editor.InsertEmptyRow(85); }, true, {{85, ""}, {90, "r89"}}},
      {"TS-570", [&] { return editor.MoveRows(rows89, 1); }, false, {{89, "r89"}}},
      {"TS-570", [&] { return editor.MoveRows(rows90, -1); }, false, {{90, "r90"}}},
      {"TS-570", [&] { return editor.SortRows({88, 91}, 88, SortKey::Name); }, false, {}},
      {"IC-CI-V", [&] { return editor.InsertEmptyRow(0); }, false, {}},
      {"IC-CI-V", [&] { return editor.DeleteRows({1}); }, true, {{1, ""}, {85, "r86"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.model);
    SelectRig(c.model);
    form.MenuItem("ClearFM1").Click();
    for (int n = 80; n <= 95; ++n) Fill(n, "7050", "LSB", "r" + std::to_string(n));
    host.ClearEvents();
    const TableState before = StateOf(form);
    EXPECT_EQ(c.run(), c.done);
    if (!c.done) {
      EXPECT_EQ(host.Messages().size(), 1u);
      EXPECT_EQ(StateOf(form), before);
    }
    for (const auto& [row, name] : c.names) EXPECT_EQ(form.RowName(row), name) << row;
  }
}

}  // namespace
}  // namespace varnek
