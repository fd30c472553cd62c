#include "edit/memory_list.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "base/rig_family.h"
#include "base/text.h"
#include "edit/freq_refusal.h"
#include "rig/freq.h"
#include "rig/modes.h"

namespace varnek {
namespace {

// A typed number with the unit the cell shows ("600 kHz", "88.5 Hz");
// bare digits are in the field's own unit. nullopt: no number.
std::optional<long long> TypedHertz(std::string text) {
  text = Trim(text);
  long long scale = 1;
  for (const auto& [unit, factor] : {std::pair{"MHz", 1'000'000LL}, {"kHz", 1'000LL}, {"Hz", 1LL}}) {
    if (EndsWith(text, unit)) {
      text = Trim(text.substr(0, text.size() - std::string_view(unit).size()));
      scale = factor;
      break;
    }
  }
  if (text.empty()) return std::nullopt;
  const size_t point = text.find('.');
  const std::string whole = text.substr(0, point);
  const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
  if (!IsAllDigits(whole) || (!fraction.empty() && !IsAllDigits(fraction)) || whole.size() > 12)
    return std::nullopt;
  long long value = std::stoll(whole) * scale;
  long long step = scale;
  for (char c : fraction) {
    step /= 10;
    if (step == 0) {
      if (c != '0') return std::nullopt;
      continue;
    }
    value += (c - '0') * step;
  }
  return value;
}

}  // namespace

std::vector<std::string> ModeChoices(std::string_view modelCode) {
  std::vector<std::string> names;
  auto add = [&](const std::string& name) {
    if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
      names.push_back(name);
  };
  for (char c : std::string_view("0123456789ABCDEF")) add(KenwoodModeName(c));
  for (int v = 0; v < 12; ++v) add(IcomModeName(v));
  const RigFamily family = FamilyOf(modelCode);
  std::erase_if(names, [&](const std::string& name) {
    switch (family) {
      case RigFamily::Kenwood:
      case RigFamily::Ft2000:
        return KenwoodModeCode(name, modelCode).empty();
      case RigFamily::Icom:
        return IcomModeCode(name, modelCode).empty();
      case RigFamily::Yaesu: {
        auto none = [](const std::string& code) { return code.empty() || code == "?"; };
        return none(YaesuModeCode(name, false, modelCode)) &&
               none(YaesuModeCode(name, true, modelCode));
      }
      case RigFamily::None:
        return false;
    }
    return false;
  });
  return names;
}

TMemoryList::TMemoryList(ChannelEditor& editor) : editor_(editor) {
  BuildMenu();
  ModelChanged();
  editor_.window().OnRowChanged = [this](int n) {
    if (OnRowChanged) OnRowChanged(n);
  };
}

TMemoryList::~TMemoryList() {
  editor_.window().OnRowChanged = nullptr;
}

void TMemoryList::BuildMenu() {
  auto& close = menu.Add("ListClose1", "&Close");
  close.shortcuts = {"Ctrl+W"};
  close.OnClick = [this] {
    if (OnClose) OnClose();
  };
  auto& edit = menu.Add("ListEdit1", "&Edit");
  auto item = [&](const char* name, const char* caption, std::vector<std::string> keys,
                  std::function<void()> run) {
    auto& i = edit.Add(name, caption);
    i.shortcuts = std::move(keys);
    i.OnClick = std::move(run);
  };
  item("ListUndo1", "&Undo", {"Ctrl+Z"}, [this] { Undo(); });
  item("ListRedo1", "&Redo", {"Ctrl+Shift+Z", "Ctrl+Y"}, [this] { Redo(); });
  edit.Add("-", "-");
  item("ListCut1", "Cu&t", {"Ctrl+X"}, [this] { Cut(); });
  item("ListCopy1", "&Copy", {"Ctrl+C"}, [this] { Copy(); });
  item("ListPaste1", "&Paste", {"Ctrl+V"}, [this] { Paste(); });
  edit.Add("-", "-");
  item("ListInsert1", "&Insert Empty Row", {"Ctrl+I"}, [this] { InsertEmptyRow(); });
  item("ListDelete1", "&Delete Rows", {"Ctrl+Del"}, [this] { DeleteRows(); });
  item("ListMoveUp1", "Move &Up", {"Alt+Up"}, [this] { Move(-1); });
  item("ListMoveDown1", "Move Do&wn", {"Alt+Down"}, [this] { Move(1); });
  edit.Add("-", "-");
  item("ListSortFreq1", "Sort by &Frequency", {}, [this] { Sort(SortKey::Frequency); });
  item("ListSortName1", "Sort by &Name", {}, [this] { Sort(SortKey::Name); });
  item("ListSortMode1", "Sort by &Mode", {}, [this] { Sort(SortKey::Mode); });
  edit.Add("-", "-");
  item("ListFind1", "&Find\x85", {"Ctrl+F"}, [this] { Find(); });
  item("ListFindNext1", "Find &Next", {"F3"}, [this] { FindNext(); });
  RefreshUndo();
}

TMenuItem& TMemoryList::MenuItem(const std::string& name) {
  TMenuItem* item = menu.Find(name);
  if (!item) throw std::logic_error("no menu item " + name);
  return *item;
}

void TMemoryList::ModelChanged() {
  model_ = editor_.ModelCode();
  schema_ = SchemaOf(model_);
  columns_ = {{"Ch", ColumnKind::Channel},
              {"Check", ColumnKind::Check},
              {"Frequency", ColumnKind::Freq},
              {"Mode", ColumnKind::Mode},
              {"Name", ColumnKind::Name}};
  if (schema_) {
    for (const RecordField& f : schema_->fields)
      if (f.role != FieldRole::Fixed) columns_.push_back({std::string(f.name), ColumnKind::Field, &f});
    // The Kenwoods keep a split's transmit side as frequency digits and a
    // mode code, which the column edits; the IC-7300's transmit block is a
    // whole second record (filter, tones) and stays as the rig gave it.
    if (schema_->keepsTransmitSide && FamilyOf(model_) == RigFamily::Kenwood)
      columns_.push_back({"TX frequency", ColumnKind::TransmitSide});
  }
  if (OnColumnsChanged) OnColumnsChanged();
}

int TMemoryList::ColumnOf(std::string_view title) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i].title == title) return static_cast<int>(i);
  return -1;
}

KeptFields TMemoryList::KeptBase(int row) const {
  KeptFields kept = editor_.window().RowKept(row);
  if (schema_ && (kept.model != model_ || kept.fields.size() != schema_->KeptLength()))
    kept = {model_, schema_->HandTyped(), ""};
  return kept;
}

std::string TMemoryList::Cell(int row, int column) const {
  if (column < 0 || column >= static_cast<int>(columns_.size())) return {};
  const ChannelWindow& w = editor_.window();
  const Column& c = columns_[static_cast<size_t>(column)];
  switch (c.kind) {
    case ColumnKind::Channel:
      return ChannelText(row);
    case ColumnKind::Check:
      return {};
    case ColumnKind::Freq:
      return Trim(w.RowFreq(row));
    case ColumnKind::Mode:
      return w.RowMode(row);
    case ColumnKind::Name:
      return w.RowName(row);
    case ColumnKind::Field: {
      // An empty row writes nothing; a filled one writes what it keeps, or
      // what a row typed by hand writes, and shows that.
      if (Trim(w.RowFreq(row)).empty()) return {};
      return FieldMeaning(*schema_, *c.field, FieldText(*c.field, KeptBase(row).fields));
    }
    case ColumnKind::TransmitSide: {
      const KeptFields kept = w.RowKept(row);
      if (kept.model != model_ || kept.tx.size() < 2) return {};
      // Frequency digits and the mode code after them.
      const std::string digits = kept.tx.substr(0, kept.tx.size() - 1);
      if (!IsAllDigits(digits) || digits.size() > 12) return kept.tx;
      const std::string mode = KenwoodModeName(kept.tx.back());
      return FreqText(std::stoll(digits)) + (mode.empty() ? "" : " " + mode);
    }
  }
  return {};
}

bool TMemoryList::Editable(int row, int column) const {
  if (busy_ || !Available(row) || column < 0 || column >= static_cast<int>(columns_.size()))
    return false;
  switch (columns_[static_cast<size_t>(column)].kind) {
    case ColumnKind::Channel:
      return false;
    case ColumnKind::Field:
    case ColumnKind::TransmitSide:
      return !Trim(editor_.window().RowFreq(row)).empty();
    default:
      return true;
  }
}

std::vector<TMemoryList::Candidate> TMemoryList::FieldCandidates(const RecordField& f) const {
  std::vector<Candidate> out;
  auto add = [&](const std::string& code) {
    if (code.size() == f.length && FieldProblem(*schema_, f, code).empty())
      out.push_back({code, FieldMeaning(*schema_, f, code)});
  };
  switch (f.coding) {
    case FieldCoding::Choice:
      for (const FieldChoice& c : f.choices) add(std::string(c.code));
      break;
    case FieldCoding::ToneIndex:
      for (size_t i = 0; i < schema_->tones.size(); ++i)
        add(ZeroPadded(schema_->toneBase + static_cast<long long>(i), f.length));
      if (schema_->burstIndex >= 0) add(ZeroPadded(schema_->burstIndex, f.length));
      break;
    case FieldCoding::DcsIndex:
      for (long long i = 0; i < 1000 && ZeroPadded(i, f.length).size() == f.length; ++i)
        add(ZeroPadded(i, f.length));
      break;
    case FieldCoding::BcdDeciHz:
      for (int tone : schema_->tones) add(ZeroPadded(tone, f.length));
      break;
    case FieldCoding::Number:
      if (f.high - f.low <= 100)
        for (long long v = f.low; v <= f.high; ++v) add(ZeroPadded(v, f.length));
      break;
    case FieldCoding::Hertz:
    case FieldCoding::AnyDigits:
      break;
  }
  return out;
}

std::vector<std::string> TMemoryList::Choices(int, int column) const {
  if (column < 0 || column >= static_cast<int>(columns_.size())) return {};
  const Column& c = columns_[static_cast<size_t>(column)];
  if (c.kind == ColumnKind::Mode) return ModeChoices(model_);
  if (c.kind != ColumnKind::Field) return {};
  std::vector<std::string> out;
  for (const Candidate& k : FieldCandidates(*c.field)) out.push_back(k.meaning);
  return out;
}

std::string TMemoryList::FieldCode(int row, const RecordField& f, const std::string& text,
                                   std::string& problem) const {
  const std::string where = "Channel " + ChannelText(row) + ": ";
  const std::vector<Candidate> candidates = FieldCandidates(f);
  if (!candidates.empty()) {
    for (const Candidate& k : candidates)
      if (k.meaning == text || k.code == text) return k.code;
    problem = where + "the " + std::string(f.name) + " cannot be '" + text +
              "' on the " + model_ + "; the list holds what it can be.";
    return {};
  }
  std::optional<long long> value;
  if (f.coding == FieldCoding::Hertz) {
    value = TypedHertz(text);
  } else if (IsAllDigits(Trim(text)) && Trim(text).size() <= 12) {
    value = std::stoll(Trim(text));
  }
  if (!value) {
    problem = where + "the " + std::string(f.name) + " must be a number, not '" + text + "'.";
    return {};
  }
  const std::string code = ZeroPadded(*value, f.length);
  if (code.size() != f.length) {
    problem = where + "the " + std::string(f.name) + " has room for " + std::to_string(f.length) +
              " digits; '" + text + "' needs more.";
    return {};
  }
  const std::string why = FieldProblem(*schema_, f, code);
  if (!why.empty()) problem = where + "'" + text + "' cannot be the " + std::string(f.name) + ": " + why + ".";
  return code;
}

std::string TMemoryList::TransmitSide(int row, const std::string& text, std::string& problem) const {
  // "145.100.000" or "145.100.000 FM", as the cell shows it; empty: simplex.
  const std::string typed = Trim(text);
  if (typed.empty()) return {};
  const size_t blank = typed.find(' ');
  const std::string freq = typed.substr(0, blank);
  const std::string mode = blank == std::string::npos ? "" : UpperCase(Trim(typed.substr(blank)));
  problem = FreqRefusal(ChannelText(row), freq, model_);
  if (!problem.empty()) return {};
  const auto hertz = FreqHertz(freq);
  const std::string digits = hertz ? KenwoodFreqDigits(*hertz, model_) : "";
  // The mode typed, else the one the transmit side had, else the row's.
  const std::string kept = editor_.window().RowKept(row).tx;
  std::string code = mode.empty() ? "" : KenwoodModeCode(mode, model_);
  if (mode.empty()) {
    code = kept.size() == 12 && kept.back() >= '0' && kept.back() <= '9'
               ? kept.substr(11)
               : KenwoodModeCode(Trim(editor_.window().RowMode(row)), model_);
  }
  if (digits.size() != 11 || code.size() != 1 || code[0] < '0' || code[0] > '9') {
    problem = "Channel " + ChannelText(row) + ": the " + model_ + " cannot keep '" + text +
              "' as the transmit side" + (code.empty() ? " (no mode it can send there)." : ".");
    return {};
  }
  return digits + code;
}

std::string TMemoryList::CellProblem(int row, int column, const std::string& text) const {
  if (!Editable(row, column)) return "Channel " + ChannelText(row) + " cannot be changed here.";
  const Column& c = columns_[static_cast<size_t>(column)];
  const std::string where = "Channel " + ChannelText(row) + ": ";
  switch (c.kind) {
    case ColumnKind::Freq:
      return FreqRefusal(ChannelText(row), text, model_);
    case ColumnKind::Mode: {
      const std::vector<std::string> modes = ModeChoices(model_);
      const std::string mode = UpperCase(Trim(text));
      if (mode.empty() || std::find(modes.begin(), modes.end(), mode) != modes.end()) return {};
      return where + "the " + (model_.empty() ? std::string("table") : model_) +
             " has no mode '" + text + "'.";
    }
    case ColumnKind::Name:
      if (schema_ && schema_->nameLength > 0 && text.size() > schema_->nameLength)
        return where + "the " + model_ + " keeps names of up to " +
               std::to_string(schema_->nameLength) + " characters; '" + text + "' has " +
               std::to_string(text.size()) + ".";
      return {};
    case ColumnKind::Field: {
      std::string problem;
      FieldCode(row, *c.field, text, problem);
      return problem;
    }
    case ColumnKind::TransmitSide: {
      std::string problem;
      TransmitSide(row, text, problem);
      return problem;
    }
    default:
      return {};
  }
}

bool TMemoryList::SetCell(int row, int column, const std::string& text) {
  if (column < 0 || column >= static_cast<int>(columns_.size())) return false;
  const Column& c = columns_[static_cast<size_t>(column)];
  ChannelWindow& w = editor_.window();
  const std::string number = ChannelText(row);
  if (c.kind == ColumnKind::Check) {
    if (!Editable(row, column)) return false;
    const bool check = text == "1";
    if (check == w.RowChecked(row)) return true;
    editor_.Command((check ? "Check Channel " : "Uncheck Channel ") + number,
                    [&] { w.SetRowChecked(row, check); });
    return true;
  }
  if (text == Cell(row, column)) return true;  // an editor left as it opened
  const std::string problem = CellProblem(row, column, text);
  if (!problem.empty()) {
    w.host.ShowMessage(problem);
    return false;
  }
  const std::string step = "Edit Channel " + number + " " + c.title;
  switch (c.kind) {
    case ColumnKind::Freq:
      // As typed into the frequency box: the band plan proposes the mode.
      editor_.Command(step, [&] {
        w.SetChannelFreqMode(number, text, BandPlanMode(text, model_));
      });
      return true;
    case ColumnKind::Mode:
      editor_.Command(step, [&] {
        w.SetChannelFreqMode(number, w.RowFreq(row), UpperCase(Trim(text)));
      });
      return true;
    case ColumnKind::Name:
      editor_.Command(step, [&] { w.SetChannel(number, w.RowFreq(row), w.RowMode(row), text); });
      return true;
    case ColumnKind::Field: {
      std::string unused;
      const std::string code = FieldCode(row, *c.field, text, unused);
      KeptFields kept = KeptBase(row);
      kept.fields.replace(c.field->at, c.field->length, code);
      editor_.Command(step, [&] { w.SetRowKept(number, kept); });
      return true;
    }
    case ColumnKind::TransmitSide: {
      std::string unused;
      KeptFields kept = KeptBase(row);
      kept.tx = TransmitSide(row, text, unused);
      editor_.Command(step, [&] { w.SetRowKept(number, kept); });
      return true;
    }
    default:
      return false;
  }
}

void TMemoryList::Select(int current, std::vector<int> rows) {
  current_ = std::clamp(current, 0, ChannelWindow::kChannels - 1);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  selected_ = std::move(rows);
}

void TMemoryList::Open(int row) {
  ModelChanged();
  RefreshUndo();
  if (OnShow) OnShow();
  Select(row, {row});
  if (OnSelect) OnSelect(current_, selected_);
}

std::vector<int> TMemoryList::Rows() const {
  return selected_.empty() ? std::vector<int>{current_} : selected_;
}

void TMemoryList::Undo() {
  editor_.Undo();
}

void TMemoryList::Redo() {
  editor_.Redo();
}

void TMemoryList::Copy() {
  if (SetClipboard) SetClipboard(editor_.Copy(Rows()));
}

void TMemoryList::Cut() {
  const std::string text = editor_.Cut(Rows());
  if (SetClipboard) SetClipboard(text);
}

void TMemoryList::Paste() {
  const std::vector<int> rows = editor_.Paste(current_, ClipboardText ? ClipboardText() : "");
  if (rows.empty()) return;
  Select(rows.front(), rows);
  if (OnSelect) OnSelect(current_, selected_);
}

void TMemoryList::InsertEmptyRow() {
  editor_.InsertEmptyRow(current_);
}

void TMemoryList::DeleteRows() {
  editor_.DeleteRows(Rows());
}

void TMemoryList::Move(int delta) {
  std::vector<int> rows = Rows();
  const bool wasCurrent =
      std::find(rows.begin(), rows.end(), current_) != rows.end();
  if (!editor_.MoveRows(rows, delta)) return;
  Select(wasCurrent ? current_ + delta : rows.front(), rows);
  if (OnSelect) OnSelect(current_, selected_);
}

void TMemoryList::Sort(SortKey key) {
  editor_.SortRows(selected_, current_, key);
}

void TMemoryList::Find() {
  const std::string text = AskFindText ? AskFindText(lastFind_) : std::string();
  if (Trim(text).empty()) return;
  lastFind_ = text;
  FindNext();
}

void TMemoryList::FindNext() {
  if (lastFind_.empty()) {
    Find();
    return;
  }
  const int row = editor_.Find(lastFind_, current_);
  if (row < 0) {
    editor_.window().host.ShowMessage("No channel has the frequency or a name with '" +
                                      lastFind_ + "'.");
    return;
  }
  Select(row, {row});
  if (OnSelect) OnSelect(current_, selected_);
}

void TMemoryList::SetBusy(bool busy) {
  busy_ = busy;
  for (const char* name : {"ListCut1", "ListPaste1", "ListInsert1", "ListDelete1", "ListMoveUp1",
                           "ListMoveDown1", "ListSortFreq1", "ListSortName1", "ListSortMode1"})
    MenuItem(name).SetEnabled(!busy);
  RefreshUndo();
}

void TMemoryList::RefreshUndo() {
  TMenuItem& undo = MenuItem("ListUndo1");
  TMenuItem& redo = MenuItem("ListRedo1");
  undo.SetCaption("&" + editor_.UndoCaption());
  redo.SetCaption("&" + editor_.RedoCaption());
  undo.SetEnabled(!busy_ && editor_.CanUndo());
  redo.SetEnabled(!busy_ && editor_.CanRedo());
}

}  // namespace varnek
