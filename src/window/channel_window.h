#pragma once
// What the subsystems may reach of the main window: the channel rows, the
// channel and progress display of a run, the port lamp, the status line,
// the few bottom-bar options a flow reads and the values the flows share.
// The window model above them implements it; its layout, menu and the rest
// of its controls stay out of their reach.
#include <array>
#include <functional>
#include <string>

#include "base/controls.h"
#include "base/host.h"
#include "base/shared_values.h"
#include "base/kept_fields.h"
#include "settings/rig_settings.h"

namespace varnek {

class ChannelWindow {
 public:
  static constexpr int kChannels = 100;

  explicit ChannelWindow(Host& h) : host(h) {}
  virtual ~ChannelWindow() = default;
  ChannelWindow(const ChannelWindow&) = delete;
  ChannelWindow& operator=(const ChannelWindow&) = delete;

  Host& host;
  SharedValues shared;

  // The channel in transfer ("05", "Ready", "Empty") and a run's progress.
  TLabel lbChan;
  TProgressBar pbTransfer;
  // The port lamp: one of the two is visible.
  TImage Led, NoLed;
  // "Click to Rig", the terminal's line-feed option and the rig's
  // memory/VFO state as the last status answer said.
  TCheckBox cbAddLf, cbCcr;
  TEdit edStatus;

  // Channel n (0..99) of the table.
  virtual std::string RowFreq(int n) const = 0;
  virtual std::string RowMode(int n) const = 0;
  virtual std::string RowName(int n) const = 0;
  virtual bool RowChecked(int n) const = 0;
  // A row the rig does not have stays unchecked.
  virtual void SetRowChecked(int n, bool checked) = 0;
  // False for a row the selected rig does not have (row 00 off the Kenwoods).
  virtual bool RowAvailable(int n) const = 0;
  // A number that is not "00".."99" changes nothing.
  virtual void SetChannel(const std::string& number, const std::string& freq,
                          const std::string& mode, const std::string& name) = 0;
  virtual void SetChannelFreqMode(const std::string& number, const std::string& freq,
                                  const std::string& mode) = 0;
  // What a read kept of the rig's record beside the row (empty: nothing).
  // Editing the row keeps it; emptying the row forgets it.
  virtual KeptFields RowKept(int n) const = 0;
  virtual void SetRowKept(const std::string& number, const KeptFields& kept) = 0;
  // A compare's mark on row n: empty when the row is as the rig holds it;
  // otherwise the row is tinted and this is its hint ("rig: 14.250.000 USB").
  // Changing the row takes the mark away.
  virtual void SetRowCompared(int n, const std::string& rigHint) = 0;

  // Whoever shows the table beside these boxes (the memory list) hears of
  // every change of row n: its boxes, check mark, kept fields, availability.
  std::function<void(int n)> OnRowChanged;
  void RowChanged(int n) {
    if (OnRowChanged) OnRowChanged(n);
  }
  // The table's undo steps. A flow that changes the table calls this with
  // an empty name at its start (the user's edits before it become a step
  // of their own) and with its name at its end ("Load from Rig"); whatever
  // changed in between is that one step. Nothing changed: no step.
  std::function<void(const std::string& step)> OnTableStep;
  void TableStep(const std::string& step) {
    if (OnTableStep) OnTableStep(step);
  }

  // The rig box's text and the channel interval as typed.
  virtual std::string RigName() const = 0;
  virtual std::string IntervalText() const = 0;
  // The bottom bar's part of a rig's settings line, both ways, and which
  // of its fields are on screen.
  virtual void ReadSettingsInto(RigSettings& s) const = 0;
  virtual void ApplySettings(const RigSettings& s) = 0;
  virtual RigSettingsShown ShownSettings(bool icomPanelVisible) const = 0;

  // A line in the status strip (empty hides it).
  virtual void ShowStatus(const std::string& text) = 0;
  // While a transfer runs, everything that would start another one, send
  // to the rig or change the rig or port under it is disabled.
  virtual void SetTransferBusy(bool busy) = 0;
};

}  // namespace varnek
