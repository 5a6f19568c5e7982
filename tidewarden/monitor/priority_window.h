#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/message_boxes.h"
#include "platform/processes.h"
#include "tidewarden/monitor/priority_layout.h"
#include "tidewarden/monitor/process_monitor.h"

namespace tidewarden {

// What the priority window works on: the monitor's lists, and the services it uses itself.
struct PriorityWindowPorts {
  ProcessMonitor& monitor;
  ProgramState& state;
  platform::Files& files;          // whether a name survives the watch list's file
  platform::Processes& processes;  // an option applies its class at once
};

// The process-priority settings window: its two lists, their selections and the option
// buttons, and what each control does. The window on screen only draws this state.
class PriorityWindow {
 public:
  // `boxes` speak for the window on screen, which owns them.
  PriorityWindow(const PriorityWindowPorts& ports, platform::MessageBoxes& boxes)
      : monitor_(ports.monitor),
        state_(ports.state),
        files_(ports.files),
        processes_(ports.processes),
        boxes_(boxes) {}

  void Open();
  void OnRefreshTimer() { RefreshRunningList(); }
  void RefreshRunningList();
  void OnRunningRowClicked(std::optional<size_t> row);
  void OnAddClicked();
  void OnWatchEntryClicked(std::optional<size_t> entry);
  void OnPriorityOptionClicked(int index);
  void OnDeleteClicked();
  // OK: true when saved (the window then closes); false when the file could not be written
  // or was not read at opening, which the user has been told, or when it changed since the
  // window read it and the user chose to keep it; the window then stays open with the edits.
  bool OnOkClicked();
  void OnClose();

  const std::vector<std::u16string>& RunningRows() const { return runningRows_; }
  std::optional<size_t> RunningSelection() const { return runningSelection_; }
  const std::vector<std::u16string>& WatchEntries() const { return entries_; }
  std::optional<size_t> WatchSelection() const { return entrySelection_; }
  bool OptionsEnabled() const { return optionsEnabled_; }
  std::optional<int> SelectedOption() const { return selectedOption_; }

 private:
  ProcessMonitor& monitor_;
  ProgramState& state_;
  platform::Files& files_;
  platform::Processes& processes_;
  platform::MessageBoxes& boxes_;
  std::vector<std::u16string> runningRows_;
  std::vector<std::uint32_t> runningIds_;  // the process of each row
  std::optional<size_t> runningSelection_;
  std::vector<std::u16string> entries_;
  std::optional<size_t> entrySelection_;
  bool optionsEnabled_ = false;
  std::optional<int> selectedOption_;
  // The saved list could not be read: what the window shows is not what the file holds.
  bool listUnreadable_ = false;
  // The file as the window found it: another program's later edit is not written over unasked.
  std::optional<std::u16string> fileAtOpen_;
};

}  // namespace tidewarden
