#include "tidewarden/monitor/process_monitor.h"

#include <limits>
#include <optional>
#include <unordered_map>
#include <vector>

#include "tidewarden/monitor/watch_entry.h"
#include "tidewarden/program_title.h"

namespace tidewarden {

namespace {
constexpr char16_t kSwitchNotSaved[] =
    u"プロセス監視の設定を保存できませんでした。\r\n"
    u"次に起動したときは前の設定に戻ります。(Process2.ini)";
constexpr char16_t kListUnreadable[] =
    u"監視するプロセスの一覧を読み込めませんでした。(Process.ini)\r\n"
    u"ほかのプログラムが使用中か、読み取りが許可されていません。"
    u"読み込めるようになりしだい、その一覧で監視します。";
}  // namespace

void ProcessMonitor::LoadMonitorSwitch() {
  if (!files_.Exists(SwitchFile())) return;
  const auto text = files_.ReadText(SwitchFile());
  if (!text || !MonitorSwitchOn(*text)) return;
  state_.MonitorOn = true;
}

WatchListFile ProcessMonitor::LoadWatchList() {
  const WatchListFile result = LoadWatchListInto(liveList_);
  rereadWatchList_ = result == WatchListFile::Unreadable;
  return result;
}

WatchListFile ProcessMonitor::LoadWatchListInto(std::vector<std::u16string>& target) {
  if (!files_.Exists(WatchFile())) {
    return files_.ExistsAtAll(WatchFile()) ? WatchListFile::Hidden : WatchListFile::Missing;
  }
  const auto text = files_.ReadText(WatchFile());
  if (!text) return WatchListFile::Unreadable;
  target = ParseWatchList(*text);
  return WatchListFile::Read;
}

std::optional<std::u16string> ProcessMonitor::WatchListOnDisk() {
  if (!files_.ExistsAtAll(WatchFile())) return std::nullopt;
  return files_.ReadText(WatchFile());
}

void ProcessMonitor::ReportUnreadableWatchList() {
  boxes_.ShowOk(kProgramTitle, kListUnreadable, platform::MessageIcon::Warning);
}

bool ProcessMonitor::SaveWatchList(const std::vector<std::u16string>& entries) {
  return files_.WriteText(WatchFile(), WatchListText(entries));
}

void ProcessMonitor::SetMonitor(bool on) {
  state_.MonitorOn = on;
  // The switch is on or off now either way; only the next start would not know it.
  if (!files_.WriteText(SwitchFile(), on ? u"ON\r\n" : u"OFF\r\n")) {
    boxes_.ShowOk(kProgramTitle, kSwitchNotSaved, platform::MessageIcon::Warning);
  }
}

void ProcessMonitor::SwitchMonitoringOn() { SetMonitor(true); }

void ProcessMonitor::SwitchMonitoringOff() { SetMonitor(false); }

std::int16_t ProcessMonitor::TakeProcessSnapshot() {
  table_.clear();
  auto running = processes_.Snapshot();
  if (!running) return 0;
  constexpr size_t kMost = std::numeric_limits<std::int16_t>::max();
  if (running->size() > kMost) running->resize(kMost);
  table_ = std::move(*running);
  return static_cast<std::int16_t>(table_.size());
}

void ProcessMonitor::EnforcePriorities() {
  if (rereadWatchList_) LoadWatchList();
  const std::int16_t count = TakeProcessSnapshot();
  if (count == 0 || liveList_.empty()) return;
  // The entries by their path field, each program's entries in list order, so every process
  // is looked up once instead of compared with every entry.
  std::unordered_map<std::u16string, std::vector<std::optional<platform::PriorityClass>>> byPath;
  for (const std::u16string& entry : liveList_) {
    if (entry.size() < kPathField) continue;  // too short to equal any 60-character field
    byPath[entry.substr(0, kPathField)].push_back(PriorityOfEntry(entry));
  }
  for (std::int16_t k = 0; k < count; ++k) {
    const platform::ProcessRecord& process = table_[static_cast<size_t>(k)];
    const auto found = byPath.find(PathField(process.szExeFile));
    if (found == byPath.end()) continue;
    for (const auto& priority : found->second) {
      if (priority) processes_.SetPriorityClass(process.th32ProcessID, *priority);
    }
  }
}

}  // namespace tidewarden
