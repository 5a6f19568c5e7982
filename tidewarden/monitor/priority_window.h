#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/message_boxes.h"
#include "tidewarden/monitor/process_monitor.h"

namespace tidewarden {

// A control of the priority window, placed in twips within the client area (the option
// buttons within their frame).
struct ControlLayout {
  const char16_t* name;
  const char16_t* caption;
  int left;
  int top;
  int width;
  int height;
};

// The process-priority settings window: its two lists, their selections and the option
// buttons, and what each control does. The window on screen only draws this state.
class PriorityWindow {
 public:
  static constexpr char16_t kCaption[] = u"プロセス監視の設定";
  static constexpr int kClientWidth = 7815;
  static constexpr int kClientHeight = 7635;
  static const std::vector<ControlLayout>& Layout();
  static const std::vector<ControlLayout>& OptionLayout();

  PriorityWindow(ProcessMonitor& monitor, ProgramState& state, platform::MessageBoxes& boxes)
      : monitor_(monitor), state_(state), boxes_(boxes) {}

  void Open();
  void OnRefreshTimer() { RefreshRunningList(); }
  void RefreshRunningList();
  void OnRunningRowClicked(std::optional<size_t> row);
  void OnAddClicked();
  void OnWatchEntryClicked(std::optional<size_t> entry);
  void OnPriorityOptionClicked(int index);
  void OnDeleteClicked();
  // OK: true when saved (the window then closes); false when the file could not be written
  // or was not read at opening, which the user has been told, and the window stays open with
  // the edits.
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
};

// Opens the priority window on screen: a new one when none is open, else the open one again.
class PriorityWindowHost {
 public:
  virtual ~PriorityWindowHost() = default;
  virtual void ShowPriorityWindow() = 0;
};

}  // namespace tidewarden
