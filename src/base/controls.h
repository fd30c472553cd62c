#pragma once
// The presentation model of a window: each control is a small value object
// named as the window's component is, holding what the screen shows (text or
// caption, checked, enabled, visible, colours, hint, bounds). Views observe
// it and mirror it; user input comes back through the same setters, so the
// change reactions run in the core whoever made the change.
//
// Models belong to the GUI thread. Other threads reach them only through the
// host's RunOnGuiThread.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace varnek {

struct Color {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Color&, const Color&) = default;
};

namespace colors {
inline constexpr Color WindowText{0, 0, 0};
inline constexpr Color Window{255, 255, 255};
inline constexpr Color BtnFace{240, 240, 240};
inline constexpr Color Maroon{128, 0, 0};
inline constexpr Color Red{255, 0, 0};
inline constexpr Color Lime{0, 255, 0};
inline constexpr Color Silver{192, 192, 192};
inline constexpr Color Black{0, 0, 0};
inline constexpr Color Info{255, 255, 225};     // the pale yellow of hints
inline constexpr Color Differs{255, 222, 214};  // a pale red: not what the rig holds
}  // namespace colors

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// A small RGB picture, row-major.
struct Bitmap {
  int width = 0, height = 0;
  std::vector<Color> pixels;
  Color At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

enum class ControlKind {
  Label,
  Edit,
  CheckBox,
  Button,
  ComboBox,
  Image,
  UpDown,
  Panel,
  Memo,
  RadioButton,
  GroupBox,
  ListBox,
  ProgressBar,
};

class TControl {
 public:
  using Observer = std::function<void()>;

  explicit TControl(ControlKind kind) : kind_(kind) {}
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;
  virtual ~TControl() = default;

  ControlKind Kind() const { return kind_; }
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  // Where the control sits in its parent's client area, in pixels at 96 dpi.
  Rect bounds;
  TControl* parent = nullptr;
  int tabOrder = -1;  // -1: not a tab stop
  bool handCursor = false;
  bool bold = false;
  bool underline = false;
  int fontHeight = 0;  // 0: the window's font

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { Assign(enabled_, v); }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { Assign(visible_, v); }
  Color BackColor() const { return backColor_; }
  void SetBackColor(Color c) { Assign(backColor_, c); }
  Color FontColor() const { return fontColor_; }
  void SetFontColor(Color c) { Assign(fontColor_, c); }
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string h) { Assign(hint_, std::move(h)); }

  // Views subscribe to redraw; the token unsubscribes.
  int Subscribe(Observer o);
  void Unsubscribe(int token);

 protected:
  template <class T>
  void Assign(T& field, T value) {
    if (field == value) return;
    field = std::move(value);
    Changed();
  }
  void Changed();

 private:
  ControlKind kind_;
  std::string name_;
  bool enabled_ = true, visible_ = true;
  Color backColor_ = colors::Window, fontColor_ = colors::WindowText;
  std::string hint_;
  std::vector<std::pair<int, Observer>> observers_;
  int nextToken_ = 1;
};

// Controls that show a caption: labels, check boxes, buttons, panels.
class TCaptioned : public TControl {
 public:
  using TControl::TControl;
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string c) { Assign(caption_, std::move(c)); }
  std::function<void()> OnClick;
  // A click by the user.
  void Click() {
    if (Enabled() && OnClick) OnClick();
  }

 private:
  std::string caption_;
};

class TLabel : public TCaptioned {
 public:
  TLabel() : TCaptioned(ControlKind::Label) {}
};

class TButton : public TCaptioned {
 public:
  TButton() : TCaptioned(ControlKind::Button) {}
};

class TPanel : public TCaptioned {
 public:
  TPanel() : TCaptioned(ControlKind::Panel) {}
  bool border = false;
};

class TGroupBox : public TCaptioned {
 public:
  TGroupBox() : TCaptioned(ControlKind::GroupBox) {}
};

// A check box or radio button. Setting its state, by the user or by the
// program, runs OnClick when the state changes, as the original's did.
class TCheckBox : public TCaptioned {
 public:
  explicit TCheckBox(ControlKind kind = ControlKind::CheckBox) : TCaptioned(kind) {}
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  // A click by the user toggles a check box and checks a radio button.
  void Toggle();
  // After OnClick, for a click by the user only (an undo step is the
  // user's click, not every program write).
  std::function<void()> OnUserClick;

 private:
  bool checked_ = false;
};

class TRadioButton : public TCheckBox {
 public:
  TRadioButton() : TCheckBox(ControlKind::RadioButton) {}
};

// A one-line edit. Writing the text it already holds is no change: nothing
// is redrawn and OnChange does not run.
class TEdit : public TControl {
 public:
  explicit TEdit(ControlKind kind = ControlKind::Edit) : TControl(kind) {}
  const std::string& Text() const { return text_; }
  // A write by the program.
  void SetText(std::string t) { Write(std::move(t), changeOnProgramWrite_); }
  // What the user typed or picked: always a change when the text differs.
  void UserInput(std::string t) { Write(std::move(t), true); }
  bool readOnly = false;
  std::function<void()> OnChange;
  // May replace the typed character (0 swallows it).
  std::function<void(char&)> OnKeyPress;
  std::function<void()> OnExit;
  // The user typed `key`; returns the character to insert (0: none).
  char KeyPress(char key) {
    if (OnKeyPress) OnKeyPress(key);
    return key;
  }
  void Exit() {
    if (OnExit) OnExit();
  }

 protected:
  // The original's edits report program writes as changes; its combo boxes
  // do not.
  bool changeOnProgramWrite_ = true;

 private:
  void Write(std::string t, bool notify);
  std::string text_;
};

// A multi-line text; lines are kept apart so that appending stays cheap.
class TMemo : public TControl {
 public:
  TMemo() : TControl(ControlKind::Memo) {}
  const std::vector<std::string>& Lines() const { return lines_; }
  void Add(std::string line);
  void Clear();
  void SetLines(std::vector<std::string> lines);
  // The whole text with CR LF between lines, as the original's Text.
  std::string Text() const;
  // Observers of appends only (so views can append instead of redrawing).
  std::function<void(const std::string&)> OnLineAdded;
  // Counts clears and replacements of all lines: a reader that went through
  // the first n lines knows whether they are still the same ones.
  uint64_t Replaced() const { return replaced_; }

 private:
  std::vector<std::string> lines_;
  uint64_t replaced_ = 0;
};

class TComboBox : public TEdit {
 public:
  TComboBox() : TEdit(ControlKind::ComboBox) { changeOnProgramWrite_ = false; }
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(std::vector<std::string> items);
  int ItemIndex() const { return itemIndex_; }
  // Selects an item (-1 none) and shows its text; a program write.
  void SetItemIndex(int index);
  // The user picked an item from the list.
  void UserSelect(int index);
  int dropDownCount = 8;
  bool editable = true;

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

class TListBox : public TControl {
 public:
  TListBox() : TControl(ControlKind::ListBox) {}
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(std::vector<std::string> items);
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);
  std::function<void()> OnClick;

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

class TImage : public TCaptioned {
 public:
  TImage() : TCaptioned(ControlKind::Image) {}
  Bitmap picture;
};

// Spin buttons bound to an edit: a step writes the new position into it.
class TUpDown : public TControl {
 public:
  TUpDown() : TControl(ControlKind::UpDown) {}
  int min = 0, max = 100, increment = 1;
  int Position() const { return position_; }
  void SetPosition(int p);
  TEdit* associate = nullptr;
  // One step up (true) or down, from what the edit shows when it holds a number.
  void Step(bool up);

 private:
  int position_ = 0;
};

class TProgressBar : public TControl {
 public:
  TProgressBar() : TControl(ControlKind::ProgressBar) {}
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetRange(int max, int position) {
    if (max == max_ && position == position_) return;
    max_ = max;
    position_ = position;
    Changed();
  }

 private:
  int max_ = 100, position_ = 0;
};

class TMenuItem {
 public:
  TMenuItem(std::string name, std::string caption)
      : name(std::move(name)), caption(std::move(caption)) {}
  std::string name, caption;
  bool enabled = true;
  // Key sequences in Qt's portable text form ("Ctrl+Z"), the first one shown.
  std::vector<std::string> shortcuts;
  void SetEnabled(bool v) {
    if (v == enabled) return;
    enabled = v;
    Notify();
  }
  // "Undo Paste 3 Rows": the item says what it would do.
  void SetCaption(std::string c) {
    if (c == caption) return;
    caption = std::move(c);
    Notify();
  }
  // Views redraw the item when its caption changes or it is enabled or disabled.
  int Subscribe(std::function<void()> o) {
    observers_.emplace_back(nextToken_, std::move(o));
    return nextToken_++;
  }
  void Unsubscribe(int token) {
    std::erase_if(observers_, [token](const auto& p) { return p.first == token; });
  }
  std::function<void()> OnClick;
  std::vector<std::unique_ptr<TMenuItem>> items;

  TMenuItem& Add(std::string name, std::string caption);
  // Depth-first search by component name.
  TMenuItem* Find(const std::string& name);
  void Click() {
    if (enabled && OnClick) OnClick();
  }

 private:
  void Notify() {
    for (const auto& [token, o] : observers_)
      o();
  }
  std::vector<std::pair<int, std::function<void()>>> observers_;
  int nextToken_ = 1;
};

// A 14 × 15 lamp: a filled circle with a black outline on light grey.
Bitmap MakeLampBitmap(Color fill);

// Names a control and puts it where the layout says, inside `parent` when
// given.
void Place(TControl& c, std::string name, Rect r, TControl* parent = nullptr);

}  // namespace varnek
