#include "tidewarden/monitor/process_monitor.h"

#include <limits>

#include "tidewarden/monitor/watch_entry.h"

namespace tidewarden {

namespace {
constexpr char16_t kTitle[] = u"Tidewarden ";
constexpr char16_t kSwitchNotSaved[] =
    u"プロセス監視の設定を保存できませんでした。\r\n"
    u"次に起動したときは前の設定に戻ります。(Process2.ini)";
}  // namespace

void ProcessMonitor::LoadMonitorSwitch() {
  if (!files_.Exists(SwitchFile())) return;
  const auto text = files_.ReadText(SwitchFile());
  if (!text || !MonitorSwitchOn(*text)) return;
  state_.MonitorOn = 1;
  menu_[{Item::Settingmnu33}].checked = false;
  menu_[{Item::Settingmnu32}].checked = true;
}

void ProcessMonitor::LoadWatchList() { LoadWatchListInto(liveList_); }

void ProcessMonitor::LoadWatchListInto(std::vector<std::u16string>& target) {
  if (!files_.Exists(WatchFile())) return;
  const auto text = files_.ReadText(WatchFile());
  if (!text) return;
  target = ParseWatchList(*text);
}

bool ProcessMonitor::SaveWatchList(const std::vector<std::u16string>& entries) {
  return files_.WriteText(WatchFile(), WatchListText(entries));
}

void ProcessMonitor::SetMonitor(bool on) {
  state_.MonitorOn = on ? 1 : 0;
  menu_[{on ? Item::Settingmnu33 : Item::Settingmnu32}].checked = false;
  menu_[{on ? Item::Settingmnu32 : Item::Settingmnu33}].checked = true;
  // The switch is on or off now either way; only the next start would not know it.
  if (!files_.WriteText(SwitchFile(), on ? u"ON\r\n" : u"OFF\r\n")) {
    boxes_.ShowOk(kTitle, kSwitchNotSaved, platform::MessageIcon::Warning);
  }
}

void ProcessMonitor::Settingmnu32_Click() { SetMonitor(true); }

void ProcessMonitor::Settingmnu33_Click() { SetMonitor(false); }

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
  const std::int16_t count = TakeProcessSnapshot();
  for (std::int16_t k = 0; k < count; ++k) {
    const platform::ProcessRecord& process = table_[static_cast<size_t>(k)];
    const std::u16string pathField = PathField(process.szExeFile);
    for (const std::u16string& entry : liveList_) {
      if (!SameProgram(entry, pathField)) continue;
      const auto priority = PriorityOfEntry(entry);
      if (!priority) continue;
      processes_.SetPriorityClass(process.th32ProcessID, *priority);
    }
  }
}

}  // namespace tidewarden
