#include "tidewarden/monitor/priority_window.h"

#include <algorithm>
#include <array>

#include "tidewarden/monitor/watch_entry.h"
#include "tidewarden/program_title.h"
#include "tidewarden/startup/start_up.h"

namespace tidewarden {

namespace {
constexpr char16_t kNotSaved[] =
    u"監視するプロセスの一覧を保存できませんでした。(Process.ini)\r\n"
    u"プログラムのフォルダーに書き込めるか確かめてから、もう一度 OK を押してください。";
constexpr char16_t kListUnreadable[] =
    u"監視するプロセスの一覧を読み込めませんでした。(Process.ini)\r\n"
    u"保存されている一覧を失わないよう、この画面の変更は保存しません。"
    u"ファイルを読み込めるようになってから、開き直してください。";
constexpr char16_t kNotOverwritten[] =
    u"一覧を読み込めなかったため、保存しませんでした。(Process.ini)\r\n"
    u"このウィンドウを閉じ、ファイルを読み込めるようになってから開き直してください。";

std::u16string NameNotStorableText(const std::u16string& name) {
  return u"このプログラムの名前には、設定ファイル (Process.ini) に保存できない文字が"
         u"含まれています。\r\n\r\n" +
         name + u"\r\n\r\n監視できないため、一覧には追加しません。";
}

using Kind = PriorityControlKind;
using Role = PriorityControlRole;

constexpr std::array<PriorityWindowControl, 18> kControls = {{
    {Role::NameHeading, Kind::ColumnHeading, u"プロセス", {120, 360, 3375, 255}, 0},
    {Role::PriorityHeading, Kind::ColumnHeading, u"優先度", {3480, 360, 1215, 255}, 0},
    {Role::ThreadCountHeading, Kind::ColumnHeading, u"スレッド数", {4680, 360, 1215, 255}, 0},
    {Role::ProcessIdHeading, Kind::ColumnHeading, u"ハンドル", {5880, 360, 1815, 255}, 0},
    {Role::RunningLabel, Kind::Label, u"実行中プロセス", {120, 120, 1185, 180}, 0},
    {Role::RunningList, Kind::List, u"", {120, 600, 7575, 3570}, 101},
    {Role::AddButton, Kind::PushButton, u"↓↓追加する↓↓", {2400, 4320, 3015, 375}, 103},
    {Role::PathHeading, Kind::ColumnHeading, u"プロセス(フルパス)", {120, 5040, 6375, 255}, 0},
    {Role::WatchPriorityHeading, Kind::ColumnHeading, u"優先度", {6480, 5040, 1215, 255}, 0},
    {Role::WatchLabel, Kind::Label, u"優先度変更設定", {120, 4800, 1260, 180}, 0},
    {Role::WatchList, Kind::List, u"", {120, 5280, 7575, 1230}, 102},
    {Role::DeleteButton, Kind::PushButton, u"削除", {120, 6720, 1335, 375}, 104},
    {Role::OptionFrame, Kind::GroupFrame, u"", {1560, 6600, 6135, 495}, 0},
    // Inside the frame, 120 twips from its left and 160 below its top.
    {Role::RealtimeOption, Kind::OptionButton, u"リアルタイム", {1680, 6760, 1575, 255}, 110},
    {Role::HighOption, Kind::OptionButton, u"高", {3240, 6760, 1575, 255}, 111},
    {Role::NormalOption, Kind::OptionButton, u"普通", {4560, 6760, 1575, 255}, 112},
    {Role::IdleOption, Kind::OptionButton, u"アイドル", {6000, 6760, 1575, 255}, 113},
    {Role::OkButton, Kind::PushButton, u"OK", {6240, 7200, 1455, 375}, kOkCommand},
}};

constexpr bool EachControlAtItsRole() {
  for (size_t k = 0; k < kControls.size(); ++k) {
    if (static_cast<size_t>(kControls[k].role) != k) return false;
  }
  return kControls.back().role == Role::OkButton;
}
static_assert(EachControlAtItsRole(), "a control's place in the table is its role");

}  // namespace

std::span<const PriorityWindowControl> PriorityWindow::Controls() { return kControls; }

const PriorityWindowControl& PriorityWindow::Control(PriorityControlRole role) {
  return kControls[static_cast<size_t>(role)];
}

std::optional<PriorityControlRole> PriorityWindow::ControlOfCommand(int command) {
  if (command == 0) return std::nullopt;
  for (const auto& control : kControls) {
    if (control.command == command) return control.role;
  }
  return std::nullopt;
}

common::PixelRect PriorityWindow::PlaceControl(PriorityControlRole role, int dpiX, int dpiY,
                                               TextExtent caption) {
  const PriorityWindowControl& control = Control(role);
  const auto x = [dpiX](int twips) { return common::TwipsToPixels(twips, dpiX); };
  const auto y = [dpiY](int twips) { return common::TwipsToPixels(twips, dpiY); };
  // Place and size are each scaled on their own; scaling the edges instead would move some
  // controls by a pixel at 100, 110, 120, 168 or 240 dpi.
  common::PixelRect at{x(control.rect.left), y(control.rect.top), x(control.rect.width),
                       y(control.rect.height)};
  if (control.kind == Kind::Label) {
    // As wide as its text needs in the font at hand, with two pixels to spare, and as tall as
    // a line; never smaller than laid out.
    at.width = std::max(at.width, caption.width + 2);
    at.height = std::max(at.height, caption.height);
  }
  const auto option = std::find(kPriorityOptions.begin(), kPriorityOptions.end(), role);
  if (option != kPriorityOptions.end() && option + 1 != kPriorityOptions.end()) {
    // Laid out wider than the gap to the next one: a redrawn button paints its whole
    // rectangle and would wipe out the next one's circle, so it ends where that one begins.
    at.width = std::min(at.width, x(Control(*(option + 1)).rect.left) - at.left);
  }
  return at;
}

void PriorityWindow::Open() {
  RefreshRunningList();
  // A file that is there but was not taken as the list (unreadable, or hidden or system) is
  // the user's list all the same: the window never writes over it.
  const WatchListFile file = monitor_.LoadWatchListInto(entries_);
  listUnreadable_ = file == WatchListFile::Unreadable || file == WatchListFile::Hidden;
  state_.PriorityWindowOpen = true;
  if (listUnreadable_)
    boxes_.ShowOk(kProgramTitle, kListUnreadable, platform::MessageIcon::Warning);
}

void PriorityWindow::RefreshRunningList() {
  const std::int16_t count = monitor_.TakeProcessSnapshot();
  // The selection stays on its process, whose row changes with its thread count.
  std::optional<std::uint32_t> selectedId;
  if (runningSelection_ && *runningSelection_ < runningIds_.size()) {
    selectedId = runningIds_[*runningSelection_];
  }
  const auto& table = monitor_.ProcessTable();
  runningIds_.clear();
  for (size_t k = 0; k < static_cast<size_t>(count); ++k) {
    runningIds_.push_back(table[k].th32ProcessID);
    std::u16string row = RunningRow(table[k]);
    if (k < runningRows_.size()) {
      if (runningRows_[k] != row) runningRows_[k] = std::move(row);
    } else {
      runningRows_.push_back(std::move(row));
    }
  }
  runningRows_.resize(static_cast<size_t>(count));
  if (selectedId) {
    const auto found = std::find(runningIds_.begin(), runningIds_.end(), *selectedId);
    // A selected process that has ended keeps no selection.
    runningSelection_ =
        found == runningIds_.end()
            ? std::nullopt
            : std::optional<size_t>(static_cast<size_t>(found - runningIds_.begin()));
  }
}

void PriorityWindow::OnRunningRowClicked(std::optional<size_t> row) {
  runningSelection_ = row && *row < runningRows_.size() ? row : std::nullopt;
}

void PriorityWindow::OnAddClicked() {
  if (!runningSelection_ || *runningSelection_ >= runningIds_.size()) return;
  // The table may have been re-taken since the rows were drawn: find the row's process in it.
  const auto& table = monitor_.ProcessTable();
  const std::uint32_t id = runningIds_[*runningSelection_];
  const auto process = std::find_if(
      table.begin(), table.end(), [id](const auto& record) { return record.th32ProcessID == id; });
  if (process == table.end()) return;
  const std::u16string pathField = PathField(process->szExeFile);
  // An entry is one line of the file: a line break in a name would store a second entry of
  // the name's choosing.
  if (pathField.find_first_of(u"\r\n") != std::u16string::npos) return;
  for (const auto& entry : entries_) {
    if (SameProgram(entry, pathField)) return;
  }
  // The file would keep a stand-in for such a name, which matches no running program.
  if (!files_.StoresExactly(pathField)) {
    boxes_.ShowOk(kProgramTitle, NameNotStorableText(TrimAtNul(process->szExeFile)),
                  platform::MessageIcon::Warning);
    return;
  }
  entries_.push_back(NewWatchEntry(*process));
}

void PriorityWindow::OnWatchEntryClicked(std::optional<size_t> entry) {
  entrySelection_ = entry;
  if (!entry || *entry >= entries_.size()) return;
  optionsEnabled_ = true;
  // An entry without a word shows no option chosen: a left-over check would let Space apply
  // another entry's class to this program.
  selectedOption_ = OptionOfEntry(entries_[*entry]);
}

void PriorityWindow::OnPriorityOptionClicked(int index) {
  selectedOption_ = index;
  if (!entrySelection_ || *entrySelection_ >= entries_.size()) return;
  const size_t a = *entrySelection_;
  const std::u16string pathField = entries_[a].substr(0, kPathField);
  const std::int16_t count = monitor_.TakeProcessSnapshot();
  const auto& table = monitor_.ProcessTable();
  for (size_t k = 0; k < static_cast<size_t>(count); ++k) {
    if (PathField(table[k].szExeFile) != pathField) continue;
    processes_.SetPriorityClass(table[k].th32ProcessID, PriorityOfOption(index));
    entries_[a] = RewrittenWatchEntry(pathField, index);
    entrySelection_ = a;
  }
}

void PriorityWindow::OnDeleteClicked() {
  if (!entrySelection_ || *entrySelection_ >= entries_.size()) return;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(*entrySelection_));
  entrySelection_.reset();
}

bool PriorityWindow::OnOkClicked() {
  if (listUnreadable_) {
    boxes_.ShowOk(kProgramTitle, kNotOverwritten, platform::MessageIcon::Warning);
    return false;
  }
  if (!monitor_.SaveWatchList(entries_)) {
    boxes_.ShowOk(kProgramTitle, kNotSaved, platform::MessageIcon::Warning);
    return false;
  }
  // The live list follows the file; should the file not read back, it still gets what was saved.
  if (monitor_.LoadWatchList() != WatchListFile::Read) monitor_.SetLiveWatchList(entries_);
  return true;
}

void PriorityWindow::OnClose() { state_.PriorityWindowOpen = false; }

}  // namespace tidewarden
