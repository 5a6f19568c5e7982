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

constexpr char16_t kChangedSinceOpened[] =
    u"監視するプロセスの一覧は、この画面を開いた後にほかのプログラムで変更されています。"
    u"(Process.ini)\r\n"
    u"この画面の一覧で置き換えますか?\r\n"
    u"［いいえ］を選ぶと、ファイルはそのままで、この画面に戻ります。";

std::u16string NameNotStorableText(const std::u16string& name) {
  return u"このプログラムの名前には、設定ファイル (Process.ini) に保存できない文字が"
         u"含まれています。\r\n\r\n" +
         name + u"\r\n\r\n監視できないため、一覧には追加しません。";
}

}  // namespace

void PriorityWindow::Open() {
  RefreshRunningList();
  // A file that is there but was not taken as the list (unreadable, or hidden or system) is
  // the user's list all the same: the window never writes over it.
  // Taken before the list: an edit in between is then asked about at OK, never lost.
  fileAtOpen_ = monitor_.WatchListOnDisk();
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
    // The mark shows the choice made: an option that changed nothing (the program is not
    // running) leaves the mark of the entry's own word, which OK would save.
    selectedOption_ = index;
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
  if (monitor_.WatchListOnDisk() != fileAtOpen_ &&
      !boxes_.AskYesNo(kProgramTitle, kChangedSinceOpened, platform::MessageIcon::Warning)) {
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
