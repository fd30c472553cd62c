#pragma once
// The rig selection and everything settings.ini keeps about it: the rig
// list, the per-rig settings line (13 fields joined by '_'), the family
// defaults of the reset, the window position value and the advice texts.
// Plain values and functions; the settings dialog and the main window copy
// them into and out of their controls.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_io.h"

namespace varnek {

class Profile;

// Section and keys of settings.ini.
inline constexpr const char* kMainSection = "MainForm";
inline constexpr const char* kPositionKey = "fMain";
inline constexpr const char* kRigKey = "Rig";
// What the rig box shows while no rig has been chosen.
inline constexpr const char* kNoRigText = "Select radio";

// The rig box's items, in their order.
const std::vector<std::string>& RigList();
// The second blank-separated word of a selection: "Kenwood TS-570" gives
// "TS-570".
std::string ModelCodeOf(std::string_view selection);

// The settings dialog's lists; a settings line stores positions in them.
const std::vector<std::string>& PortItems();     // COM1..COM25
const std::vector<std::string>& BaudItems();     // 110..256000
const std::vector<std::string>& DataBitItems();  // "4 Bit".."8 Bit"
const std::vector<std::string>& StopBitItems();  // "1 Bit (*)", "1,5 Bits", "2 Bits"
const std::vector<std::string>& ParityItems();   // "None (*)".."Space"
const std::vector<std::string>& FlowItems();     // "None (*)".."DSR-DTR"
// The position of an item text in a list, -1 when absent.
int ItemPosition(const std::vector<std::string>& items, std::string_view text);

// How frequencies are written into channel files; the value is the one the
// settings line stores.
enum class FreqNotation { Point = 1, TwoPoints = 2, Comma = 3 };

// What one settings line describes. List positions are -1 for "no
// selection"; the four timing texts are edit texts, kept as typed.
struct RigSettings {
  int port = -1, baud = -1, dataBits = -1, stopBits = -1, parity = -1, flow = -1;
  bool dtr = false, rts = false;
  std::string address, channelInterval, commandInterval, loopWait;
  FreqNotation notation = FreqNotation::TwoPoints;
  friend bool operator==(const RigSettings&, const RigSettings&) = default;
};

// Which edits are on screen when the line is built: a hidden edit stores an
// empty field, so a rig family that does not use a value does not keep one.
struct RigSettingsShown {
  bool address = true;      // edAddr
  bool commandWait = true;  // pnCmnd (edWait)
  bool loopWait = false;    // the dialog's Icom panel
};

std::string RigSettingsString(const RigSettings& s, const RigSettingsShown& shown);

// Applies a settings line over `s`, field by field in order. Fields 1, 2
// and 4 to 6 are strict: one that is not a number throws EConvertError and
// the fields after it stay as they were in `s` (the ones before it are
// already applied). Empty list fields keep the list as it is; a position
// outside its list becomes -1. Field 3 falls back to 4 (8 bits) when not a
// number. DTR and RTS are on unless their field is exactly "0", so an empty
// field turns the line on. Fields 9 to 12 are taken as they are, empty
// included. Field 13 other than "1", "2", "3" keeps the notation.
void ApplyRigSettingsString(std::string_view text, RigSettings& s);

// The values the transfers run with, taken from the edits after a line has
// been applied; a timing text that is not a number gives the fallback, a
// negative one 0.
struct RigTiming {
  std::string civAddress;
  int channelInterval = 150, commandInterval = 150, icomLoopWait = 75;
};
RigTiming TimingOf(const RigSettings& s);

// The reset of one rig family. Empty fields are left as they are.
struct RigDefaults {
  std::optional<int> baud, stopBits;                              // list positions
  std::optional<bool> lines;                                      // DTR and RTS together
  std::optional<int> channelInterval, commandInterval, loopWait;  // ms
};
// By the model code's prefix: "IC", "TS", "FT-1", "FT-2", other "FT", and
// no change for anything else.
RigDefaults DefaultsFor(std::string_view modelCode);
// Puts the defaults into the settings (timing edits get the decimal text).
void ApplyDefaults(const RigDefaults& d, RigSettings& s);

// MainForm/fMain and RigForm/fRig: "0," + Top + "," + Left.
struct WindowPosition {
  int top = 0, left = 0;
};
std::string WindowPositionString(const WindowPosition& p);
// Throws EConvertError when the top or left field is not a number.
WindowPosition ParseWindowPosition(std::string_view text);

// Why a selection text cannot key its own settings line: empty when it can.
// A text that is one of the section's own keys would overwrite that key;
// '=', '[', ']' or a line break would corrupt the file; a blank at either
// end or a leading ';' or '#' would read back as another key or as none.
std::string RigKeyProblem(std::string_view selection);

// The saved line of a selection; empty when there is none or when the text
// cannot be a key (then its line was never written, and a key it collides
// with must not be taken for it).
std::string ReadRigSettingsLine(const Profile& settings, std::string_view selection);

// What Varnek keeps about a rig beyond its settings line. They live in a
// section of their own ([RigOptions], keyed by the rig selection), so the
// settings line stays exactly what other copies of the program read.
struct RigOptions {
  bool waitForAnswers = false;
  bool verifyAfterWrite = false;
  // Before a save or clear changes the rig, read what it is about to change
  // and keep it as a channel file in the backups folder.
  bool backupBeforeWriting = false;
  friend bool operator==(const RigOptions&, const RigOptions&) = default;
};
inline constexpr const char* kRigOptionsSection = "RigOptions";
// Comma-separated words: "wait-for-answers", "verify-after-write"; unknown
// words are ignored, so a later version's options do not break this one.
std::string RigOptionsString(const RigOptions& o);
RigOptions ParseRigOptions(std::string_view text);
// All off when the selection has none saved or cannot be a key.
RigOptions ReadRigOptions(const Profile& settings, std::string_view selection);

struct RigSaveResult {
  FileResult file;
  // Set when the selection's line was not written because of its text; for
  // the status line.
  std::string notice;
};
// Rig := selection and the selection's own line := `line` (and its
// options, when given), in one write. With an unsafe selection text only Rig
// is written.
RigSaveResult SaveRigSelection(Profile& settings, std::string_view selection, std::string_view line,
                               const RigOptions* options = nullptr);

// The two advice texts of the Help menu as cp1252 bytes, lines joined by a
// single CR.
std::string AdviceText();
std::string NeuvojaText();

}  // namespace varnek
