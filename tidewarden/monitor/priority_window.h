#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/twips.h"
#include "platform/files.h"
#include "platform/message_boxes.h"
#include "platform/processes.h"
#include "tidewarden/monitor/process_monitor.h"

namespace tidewarden {

// What a control of the priority window is; the screen side creates each kind its own way.
enum class PriorityControlKind {
  Label,
  ColumnHeading,  // a button over a list's column that does nothing
  List,
  PushButton,
  GroupFrame,
  OptionButton,
};

// The controls in the order they are created, which is the order Tab walks them in and a
// screen reader reads them in: each label comes just before the list it names, so the list
// is read out with its name. A control's place in the table is its role.
enum class PriorityControlRole {
  NameHeading,
  PriorityHeading,
  ThreadCountHeading,
  ProcessIdHeading,  // captioned "handle"; its column shows the process id
  RunningLabel,
  RunningList,
  AddButton,
  PathHeading,
  WatchPriorityHeading,
  WatchLabel,
  WatchList,
  DeleteButton,
  OptionFrame,
  RealtimeOption,
  HighOption,
  NormalOption,
  IdleOption,
  OkButton,
};

// The option buttons in the order of the priority options they choose.
inline constexpr std::array<PriorityControlRole, 4> kPriorityOptions = {
    PriorityControlRole::RealtimeOption, PriorityControlRole::HighOption,
    PriorityControlRole::NormalOption, PriorityControlRole::IdleOption};

// The command OK reports with: the one the dialog keyboard handling sends for Enter.
inline constexpr int kOkCommand = 1;

struct PriorityWindowControl {
  PriorityControlRole role;
  PriorityControlKind kind;
  std::u16string_view caption;
  common::TwipsRect rect;  // in the client area
  int command;             // the id it reports with; 0 for a control that reports nothing
};

// A caption measured in the window's font on the screen at hand, in pixels.
struct TextExtent {
  int width;
  int height;
};

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
  static constexpr char16_t kCaption[] = u"プロセス監視の設定";
  static constexpr int kClientWidth = 7815;
  static constexpr int kClientHeight = 7635;
  static std::span<const PriorityWindowControl> Controls();
  static const PriorityWindowControl& Control(PriorityControlRole role);
  // The control that reports with `command`, if any does.
  static std::optional<PriorityControlRole> ControlOfCommand(int command);
  // Where a control goes on a screen of dpiX by dpiY dots per inch. `caption` is its caption
  // measured in the font it is drawn in; only a label's size depends on it.
  static common::PixelRect PlaceControl(PriorityControlRole role, int dpiX, int dpiY,
                                        TextExtent caption);

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
};

}  // namespace tidewarden
