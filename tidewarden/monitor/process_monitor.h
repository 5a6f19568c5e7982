#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/message_boxes.h"
#include "platform/processes.h"
#include "tidewarden/startup/program_state.h"

namespace tidewarden {

// What became of reading Process.ini. A hidden or system file is not taken as the list (it
// counts as missing for monitoring), but it is there and must not be written over either.
enum class WatchListFile { Read, Missing, Unreadable, Hidden };

// Holds chosen programs at chosen priority classes: the switch, the live watch list, the
// process table and the enforcement pass.
class ProcessMonitor {
 public:
  ProcessMonitor(ProgramState& state, platform::Files& files, platform::Processes& processes,
                 platform::MessageBoxes& boxes)
      : state_(state), files_(files), processes_(processes), boxes_(boxes) {}

  void LoadMonitorSwitch();
  // Unless the file was read, the list stays as it was; a file that is there but cannot be
  // read (locked by a backup, no read right) is read again at every pass until it can be.
  WatchListFile LoadWatchList();
  WatchListFile LoadWatchListInto(std::vector<std::u16string>& target);
  // What Process.ini holds now, as text; empty when there is no such file or it cannot be read.
  std::optional<std::u16string> WatchListOnDisk();
  // Tells the user that the saved list could not be read.
  void ReportUnreadableWatchList();
  void SetLiveWatchList(std::vector<std::u16string> entries) { liveList_ = std::move(entries); }
  // Writes Process.ini whole; false when it could not be written (the old file stays).
  bool SaveWatchList(const std::vector<std::u16string>& entries);
  void SwitchMonitoringOn();
  void SwitchMonitoringOff();

  // Replaces the process table with the running processes; their number.
  std::int16_t TakeProcessSnapshot();
  void EnforcePriorities();

  const std::vector<platform::ProcessRecord>& ProcessTable() const { return table_; }
  const std::vector<std::u16string>& LiveWatchList() const { return liveList_; }

 private:
  std::u16string WatchFile() const { return state_.AppPath + u"Process.ini"; }
  std::u16string SwitchFile() const { return state_.AppPath + u"Process2.ini"; }
  void SetMonitor(bool on);

  ProgramState& state_;
  platform::Files& files_;
  platform::Processes& processes_;
  platform::MessageBoxes& boxes_;
  std::vector<std::u16string> liveList_;
  std::vector<platform::ProcessRecord> table_;
  bool rereadWatchList_ = false;
};

}  // namespace tidewarden
