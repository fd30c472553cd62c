#include "base/controls.h"

#include <algorithm>

namespace varnek {

int TControl::Subscribe(Observer o) {
  observers_.emplace_back(nextToken_, std::move(o));
  return nextToken_++;
}

void TControl::Unsubscribe(int token) {
  std::erase_if(observers_, [token](const auto& p) { return p.first == token; });
}

void TControl::Changed() {
  // A copy: an observer may subscribe or unsubscribe while being notified.
  const auto observers = observers_;
  for (const auto& [token, observer] : observers)
    observer();
}

void TCheckBox::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  Changed();
  if (OnClick) OnClick();
}

void TCheckBox::Toggle() {
  if (!Enabled()) return;
  if (Kind() == ControlKind::RadioButton)
    SetChecked(true);
  else
    SetChecked(!checked_);
  if (OnUserClick) OnUserClick();
}

void TEdit::Write(std::string t, bool notify) {
  if (t == text_) return;
  text_ = std::move(t);
  Changed();
  if (notify && OnChange) OnChange();
}

void TMemo::Add(std::string line) {
  lines_.push_back(std::move(line));
  if (OnLineAdded)
    OnLineAdded(lines_.back());
  else
    Changed();
}

void TMemo::Clear() {
  if (lines_.empty()) return;
  lines_.clear();
  ++replaced_;
  Changed();
}

void TMemo::SetLines(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  ++replaced_;
  Changed();
}

std::string TMemo::Text() const {
  std::string t;
  for (const auto& l : lines_) {
    t += l;
    t += "\r\n";
  }
  return t;
}

void TComboBox::SetItems(std::vector<std::string> items) {
  items_ = std::move(items);
  itemIndex_ = -1;
  Changed();
}

void TComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size())) index = -1;
  itemIndex_ = index;
  if (index >= 0) SetText(items_[static_cast<size_t>(index)]);
  Changed();
}

void TComboBox::UserSelect(int index) {
  SetItemIndex(index);
  if (index >= 0 && OnChange) OnChange();
}

void TListBox::SetItems(std::vector<std::string> items) {
  items_ = std::move(items);
  itemIndex_ = -1;
  Changed();
}

void TListBox::SetItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size())) index = -1;
  Assign(itemIndex_, index);
}

void TUpDown::SetPosition(int p) {
  Assign(position_, std::clamp(p, min, max));
}

void TUpDown::Step(bool up) {
  if (associate) {
    // The spin buttons start from what the edit shows, not from their own
    // last position, so a typed value is stepped from.
    const std::string& t = associate->Text();
    int v = 0;
    bool digits = !t.empty();
    for (char c : t)
      digits = digits && c >= '0' && c <= '9' && t.size() < 10;
    if (digits) {
      for (char c : t)
        v = v * 10 + (c - '0');
      SetPosition(v);
    }
  }
  SetPosition(position_ + (up ? increment : -increment));
  // No thousands separator: the edit must stay readable as an integer.
  if (associate) associate->SetText(std::to_string(position_));
}

TMenuItem& TMenuItem::Add(std::string itemName, std::string itemCaption) {
  items.push_back(std::make_unique<TMenuItem>(std::move(itemName), std::move(itemCaption)));
  return *items.back();
}

TMenuItem* TMenuItem::Find(const std::string& wanted) {
  if (name == wanted) return this;
  for (auto& item : items)
    if (auto* hit = item->Find(wanted)) return hit;
  return nullptr;
}

Bitmap MakeLampBitmap(Color fill) {
  Bitmap b;
  b.width = 14;
  b.height = 15;
  b.pixels.assign(14 * 15, colors::Silver);
  // Centre of the 14 × 15 cell; radius just inside it.
  const double cx = 6.5, cy = 7.0, r = 6.3;
  for (int y = 0; y < b.height; ++y) {
    for (int x = 0; x < b.width; ++x) {
      const double dx = x - cx, dy = y - cy;
      const double d2 = dx * dx + dy * dy;
      if (d2 <= (r - 1.3) * (r - 1.3))
        b.pixels[static_cast<size_t>(y * b.width + x)] = fill;
      else if (d2 <= r * r)
        b.pixels[static_cast<size_t>(y * b.width + x)] = colors::Black;
    }
  }
  return b;
}

void Place(TControl& c, std::string name, Rect r, TControl* parent) {
  c.SetName(std::move(name));
  c.bounds = r;
  if (parent) c.parent = parent;
}

}  // namespace varnek
