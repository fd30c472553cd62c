#pragma once
// The terminal window: four command lines sent in the rig family's form,
// ready-made sample commands, and the memo that doubles as the transcript of
// everything the rig answered (the answer parsers read it back).
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "base/controls.h"
#include "base/host.h"
#include "base/profile.h"
#include "terminal/samples.h"

namespace varnek {

class ChannelWindow;
class TSerialPort;

class TRigForm {
 public:
  TRigForm(Host& host, ChannelWindow& main, TSerialPort& port);

  std::string caption = "Terminal";
  Rect bounds{120, 140, 566, 420};
  int clientWidth = 566, clientHeight = 420;
  // The window is on screen; set by the view. The command echo and the
  // parsers' display writes happen only then.
  bool visible = false;
  // The window is neither minimised nor maximised; set by the view.
  bool normalState = true;

  TLabel Label1;              // "Sendstring"
  std::array<TEdit, 4> Edit;  // Edit1..Edit4
  TButton SendBtn, DelEd4;
  TCheckBox cbAddLF, cbWorm;
  TLabel Label2;  // "as Worm"
  TMemo Terminal;
  TButton Button1, btRead, BasicSettingsBtn;
  TCheckBox cbClear, cbSave;
  TLabel lbChan;
  TEdit edChannel, edFreq, edMode;
  TPanel pnYaesu;
  TLabel lbStatus, lbFreq, lbChannel, lbMode, lbMemory, lbMemSave, lbMemClear, lbChanRecall,
      lbPacing;

  std::vector<TControl*> Controls();

  // Restores the position from settings.ini (RigForm/fRig), refreshes the
  // port indicator and empties the memo.
  void FormCreate(const Profile& settings);
  // Stores the position when the window is in its normal state.
  void FormClose(Profile& settings);

  void SendBtnClick();
  // Sends one text in the family's form: ASCII as typed, anything else as
  // hex bytes (TypedHexBytes: a malformed line throws and sends nothing);
  // CR LF after it when "Add LF" is checked.
  void SendLine(const std::string& text);
  void Button1Click();
  void DelEd4Click();
  void BasicSettingsBtnClick();
  static void UpKeyPress(char& key);

  // Composes a sample command into the first empty command line.
  void SampleClick(Sample sample);

  // "&Read" on an FT-920: decodes the status record on the memo's first
  // dump line into edFreq and edMode (the table is not touched).
  void ReadFt920StatusRecord();

  // The command builders' echo: commands[i] into Edit[i], while visible.
  void EchoCommands(const std::vector<std::string>& commands);
  void EchoCommand(int index, const std::string& command);

  // Set by the main window: refreshes the port indicator.
  std::function<void()> RefreshIndicator;
  // Set by the main window: shows the settings dialog modally (true on OK).
  std::function<bool()> ShowSettingsModal;
  // Set by the main window: runs before anything is sent by hand (a pending
  // read's record is no longer the rig's next answer).
  std::function<void()> BeforeSend;
  // Set by the main window: the "&Read" button's parse of the transcript.
  std::function<void()> OnRead;

 private:
  std::string LineBytes(const std::string& text) const;
  void SendBytes(const std::string& bytes);
  bool PutIntoFirstEmpty(const std::string& text, int first, int last);

  Host& host_;
  ChannelWindow& main_;
  TSerialPort& port_;
};

}  // namespace varnek
