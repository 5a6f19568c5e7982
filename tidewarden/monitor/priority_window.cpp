#include "tidewarden/monitor/priority_window.h"

#include <algorithm>

#include "tidewarden/monitor/watch_entry.h"
#include "tidewarden/program_title.h"

namespace tidewarden {

namespace {
constexpr char16_t kNotSaved[] =
    u"監視するプロセスの一覧を保存できませんでした。(Process.ini)\r\n"
    u"プログラムのフォルダーに書き込めるか確かめてから、もう一度 OK を押してください。";
}  // namespace

const std::vector<ControlLayout>& PriorityWindow::Layout() {
  static const std::vector<ControlLayout> layout = {
      {u"Label1", u"実行中プロセス", 120, 120, 1185, 180},
      {u"Command1", u"プロセス", 120, 360, 3375, 255},
      {u"Command2", u"優先度", 3480, 360, 1215, 255},
      {u"Command3", u"スレッド数", 4680, 360, 1215, 255},
      {u"Command4", u"ハンドル", 5880, 360, 1815, 255},
      {u"List1", u"", 120, 600, 7575, 3570},
      {u"Command7", u"↓↓追加する↓↓", 2400, 4320, 3015, 375},
      {u"Label2", u"優先度変更設定", 120, 4800, 1260, 180},
      {u"Command5", u"プロセス(フルパス)", 120, 5040, 6375, 255},
      {u"Command6", u"優先度", 6480, 5040, 1215, 255},
      {u"List2", u"", 120, 5280, 7575, 1230},
      {u"Frame1", u"", 1560, 6600, 6135, 495},
      {u"Command9", u"削除", 120, 6720, 1335, 375},
      {u"Command8", u"OK", 6240, 7200, 1455, 375},
  };
  return layout;
}

const std::vector<ControlLayout>& PriorityWindow::OptionLayout() {
  static const std::vector<ControlLayout> layout = {
      {u"Option1(0)", u"リアルタイム", 120, 160, 1575, 255},
      {u"Option1(1)", u"高", 1680, 160, 1575, 255},
      {u"Option1(2)", u"普通", 3000, 160, 1575, 255},
      {u"Option1(3)", u"アイドル", 4440, 160, 1575, 255},
  };
  return layout;
}

void PriorityWindow::Form_Load() {
  RefreshRunningList();
  monitor_.LoadWatchListInto(entries_);
  state_.PriorityWindowOpen = 1;
}

void PriorityWindow::RefreshRunningList() {
  const std::int16_t count = monitor_.TakeProcessSnapshot();
  std::optional<std::u16string> selectedText;
  if (runningSelection_ && *runningSelection_ < runningRows_.size()) {
    selectedText = runningRows_[*runningSelection_];
  }
  const auto& table = monitor_.ProcessTable();
  for (size_t k = 0; k < static_cast<size_t>(count); ++k) {
    std::u16string row = RunningRow(table[k]);
    if (k < runningRows_.size()) {
      if (runningRows_[k] != row) runningRows_[k] = std::move(row);
    } else {
      runningRows_.push_back(std::move(row));
    }
  }
  runningRows_.resize(static_cast<size_t>(count));
  if (selectedText) {
    const auto found = std::find(runningRows_.begin(), runningRows_.end(), *selectedText);
    // A selected row that is gone keeps no selection.
    runningSelection_ = found == runningRows_.end()
                            ? std::nullopt
                            : std::optional<size_t>(static_cast<size_t>(found - runningRows_.begin()));
  }
}

void PriorityWindow::List1_Click(std::optional<size_t> row) {
  runningSelection_ = row && *row < runningRows_.size() ? row : std::nullopt;
}

void PriorityWindow::Command7_Click() {
  if (!runningSelection_) return;
  const auto& table = monitor_.ProcessTable();
  // The table may have been re-taken since the rows were drawn; never read past its end.
  if (*runningSelection_ >= table.size()) return;
  const platform::ProcessRecord& process = table[*runningSelection_];
  const std::u16string pathField = PathField(process.szExeFile);
  // An entry is one line of the file: a line break in a name would store a second entry of
  // the name's choosing.
  if (pathField.find_first_of(u"\r\n") != std::u16string::npos) return;
  for (const auto& entry : entries_) {
    if (SameProgram(entry, pathField)) return;
  }
  entries_.push_back(NewWatchEntry(process));
}

void PriorityWindow::List2_Click(std::optional<size_t> entry) {
  entrySelection_ = entry;
  if (!entry || *entry >= entries_.size()) return;
  optionsEnabled_ = true;
  if (const auto option = OptionOfEntry(entries_[*entry])) selectedOption_ = option;
}

void PriorityWindow::Option1_Click(int index) {
  selectedOption_ = index;
  if (!entrySelection_ || *entrySelection_ >= entries_.size()) return;
  const size_t a = *entrySelection_;
  const std::u16string pathField = entries_[a].substr(0, kPathField);
  const std::int16_t count = monitor_.TakeProcessSnapshot();
  const auto& table = monitor_.ProcessTable();
  for (size_t k = 0; k < static_cast<size_t>(count); ++k) {
    if (PathField(table[k].szExeFile) != pathField) continue;
    monitor_.Processes().SetPriorityClass(table[k].th32ProcessID, PriorityOfOption(index));
    entries_[a] = RewrittenWatchEntry(pathField, index);
    entrySelection_ = a;
  }
}

void PriorityWindow::Command9_Click() {
  if (!entrySelection_ || *entrySelection_ >= entries_.size()) return;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(*entrySelection_));
  entrySelection_.reset();
}

bool PriorityWindow::Command8_Click() {
  if (!monitor_.SaveWatchList(entries_)) {
    boxes_.ShowOk(kProgramTitle, kNotSaved, platform::MessageIcon::Warning);
    return false;
  }
  // The live list follows the file; should the file not read back, it still gets what was saved.
  if (!monitor_.LoadWatchList()) monitor_.SetLiveWatchList(entries_);
  return true;
}

void PriorityWindow::Form_QueryUnload() { state_.PriorityWindowOpen = 0; }

}  // namespace tidewarden
