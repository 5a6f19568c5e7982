#include "tidewarden/tray_program.h"

#include "common/number_text.h"
#include "common/text_lines.h"
#include "tidewarden/startup/start_up.h"
#include "tidewarden/startup/status_text.h"
#include "tidewarden/tray/menu_refresh.h"
#include "tidewarden/tray/status_lines.h"

namespace tidewarden {

namespace {
constexpr std::uint32_t kTooltipIntervalMs = 2000;
// One mode test a tick, with room between them for the window's other messages.
constexpr std::uint32_t kModeTestIntervalMs = 50;

// Whether the chosen command moves the focus on itself: it opens a window, restarts the
// taskbar or ends the program. After anything else a keyboard user is back at the icon.
bool HandsOnTheFocus(const MenuTree& menu, std::optional<int> chosen) {
  const auto key = chosen ? menu.ItemOfCommand(*chosen) : std::nullopt;
  if (!key) return false;
  switch (key->item) {
    case Item::RestartExplorer:
    case Item::VolumeMixer:
    case Item::Settings:
    case Item::ToolSettings:
    case Item::MonitorSettings:
    case Item::Exit: return true;
    default: return false;
  }
}
}  // namespace

void TrayProgram::Start() {
  system_.process.SetPriorityClass(platform::PriorityClass::Idle);
  parts_.state.AppPath = common::WithTrailingBackslash(system_.session.ProgramFolder());
  parts_.state.WinDir = TrimAtNul(system_.session.WindowsDirectory());
  if (system_.files.Exists(parts_.state.WinDir + u"\\system\\rsrc32.dll"))
    parts_.state.ResourcesAvailable = true;

  parts_.state.ReleaseRatio = ReleaseRatioFromSetting(parts_.settings.GetMainSetting(u"CREANSIZE"));
  parts_.state.CheckInterval = CheckIntervalFromSetting(parts_.settings.GetMainSetting(u"SEEK"));
  system_.timers.Start(platform::TimerId::Check, parts_.state.CheckInterval);
  system_.timers.Start(platform::TimerId::Tooltip, kTooltipIntervalMs);

  const std::u16string arguments = system_.session.Arguments();
  if (!arguments.empty()) {
    parts_.state.OneShotMode = true;
    parts_.state.OneShotTargetMB = common::ReadLeadingNumber(arguments);
    return;
  }
  if (!system_.lifetime.ClaimSingleInstance()) {
    system_.lifetime.Quit();
    return;
  }
  AddTrayIcon();
  StartTestingModesAhead();
  parts_.monitor.LoadMonitorSwitch();
  const WatchListFile watchList = parts_.monitor.LoadWatchList();
  system_.files.WriteText(parts_.state.AppPath + u"hwnd.tmp",
                          HwndFileText(system_.lifetime.MainWindowHandle()));
  if (watchList == WatchListFile::Unreadable) parts_.monitor.ReportUnreadableWatchList();
}

void TrayProgram::Exit() {
  RemoveTrayIcon();
  system_.lifetime.Quit();
}

void TrayProgram::OnExitChosen() { Exit(); }

void TrayProgram::OnCheckTimer() {
  if (parts_.state.MonitorOn && !parts_.state.PriorityWindowOpen)
    parts_.monitor.EnforcePriorities();
  parts_.release.OnCheckTimer();
}

void TrayProgram::OnTooltipTimer() {
  if (!iconWanted_) return;  // one-shot mode has no icon to refresh
  RefreshTooltip();
  // Not shown yet: the taskbar was not up when the program started. Refused: the icon is gone
  // without notice (taken away by another program, or a taskbar restart whose message this
  // program never got). Either way, add it again.
  if (!iconShown_ || !system_.tray.SetTooltip(tooltip_)) ShowIcon();
}

void TrayProgram::OnModeTestTimer() {
  if (!parts_.displayModes.TestAheadStep()) system_.timers.Stop(platform::TimerId::ModeTest);
}

void TrayProgram::StartTestingModesAhead() {
  system_.timers.Start(platform::TimerId::ModeTest, kModeTestIntervalMs);
}

void TrayProgram::OnTaskbarCreated() {
  if (!iconWanted_) return;
  RefreshTooltip();
  ShowIcon();
}

void TrayProgram::ShowIcon() {
  // A taskbar slow to answer (at sign-in) can report a failed add although it took the icon,
  // and an icon that is still there refuses a second add: either way a modify finds it.
  iconShown_ = system_.tray.Add(tooltip_) || system_.tray.SetTooltip(tooltip_);
}

void TrayProgram::OnDisplayChanged() {
  parts_.displayModes.OnDisplayChanged();
  if (iconWanted_) StartTestingModesAhead();
}

void TrayProgram::OnSessionChange(unsigned change) {
  if (const auto connected = SessionConnectedAfter(change)) {
    parts_.release.SetSessionConnected(*connected);
  }
}

void TrayProgram::OnTrayMessage(unsigned notification, platform::ScreenPoint anchor) {
  // A gesture while a menu shows (Enter is reported twice) must not stack a menu on it.
  if (menuOpen_) return;
  const TrayGesture gesture = GestureOf(notification);
  if (gesture.menu != TrayMenu::None) ShowMenu(gesture, anchor);
}

TrayProgram::TrayGesture TrayProgram::GestureOf(unsigned notification) {
  if (system_.tray.Version() < kTrayVersionWithKeyboard) {
    if (notification == kTrayLeftButtonUp) return {TrayMenu::Click, false};
    if (notification == kTrayRightButtonUp) return {TrayMenu::Whole, false};
    return {};
  }
  // Each mouse button is followed by the notification of what it means, which alone opens a
  // menu: one click, one menu.
  const bool afterRightButton = afterRightButton_;
  afterRightButton_ =
      notification == kTrayRightButtonUp || (notification == kTrayMouseMove && afterRightButton_);
  switch (notification) {
    case kTrayContextMenu: return {TrayMenu::Whole, !afterRightButton};
    case kTraySelect: return {TrayMenu::Click, false};
    case kTrayKeySelect: return {TrayMenu::Click, true};
    default: return {};
  }
}

void TrayProgram::AddTrayIcon() {
  iconWanted_ = true;
  RefreshTooltip();
  ShowIcon();
}

void TrayProgram::RemoveTrayIcon() {
  // Even an add that seemed to fail may have left an icon: never leave a dead one behind.
  if (iconWanted_) system_.tray.Remove();
  iconShown_ = false;
  iconWanted_ = false;
}

std::optional<std::int32_t> TrayProgram::FreeResources() {
  if (!parts_.state.ResourcesAvailable) return std::nullopt;
  // A meter that is there but cannot be loaded or does not answer (a 32-bit library seen by
  // the 64-bit build) leaves the figures without their resources piece, not blank.
  return system_.resourceMeter.FreeSystemResources(parts_.state.WinDir + u"\\system\\rsrc32.dll");
}

void TrayProgram::RefreshTooltip() {
  // What cannot be measured now leaves the tooltip as it was.
  if (const auto status = BuildStatusText()) tooltip_ = TrimAtNul(TooltipField(*status));
}

std::optional<std::u16string> TrayProgram::BuildStatusText() {
  const platform::LocalTime now = system_.clock.Now();
  const auto available = parts_.memory.AvailablePhysicalMB();
  if (!available) return std::nullopt;
  return tidewarden::BuildStatusText(now, *available, FreeResources());
}

void TrayProgram::RefreshPopupMenu() {
  // Each part stands alone: what cannot be had leaves its items as they were.
  const std::int32_t level = LevelOfWaveVolume(parts_.volume.GetWaveVolume());
  WriteVolumeMark(
      parts_.menu,
      VolumeStepOfLevel(level, RangeOfSetting(parts_.settings.GetMarrowgateSetting(u"VOLUME"))));
  const std::u16string dateLine = DateLine(system_.clock.Now());
  std::optional<std::u16string> memoryCaption;
  if (const auto available = parts_.memory.AvailablePhysicalMB()) {
    memoryCaption = CenteredMemoryCaption(dateLine, MemoryLine(*available, FreeResources()));
  }
  WriteStatusLines(parts_.menu, dateLine, memoryCaption);
  WriteResolutionItems(parts_.menu, parts_.displayModes.SlotModes(),
                       parts_.displayModes.ModeInUse());
  WriteMonitorMarks(parts_.menu, parts_.state.MonitorOn);
}

void TrayProgram::OnVolumeStepChosen(int index) {
  const VolumeRange range = RangeOfSetting(parts_.settings.GetMarrowgateSetting(u"VOLUME"));
  parts_.volume.SetWaveVolume(WaveVolumeOfStep(index, range));
}

void TrayProgram::ShowMenu(TrayGesture gesture, platform::ScreenPoint anchor) {
  const bool click = gesture.menu == TrayMenu::Click;
  SetCloseItemsVisible(click);
  RefreshPopupMenu();
  Item shown = Item::Root;
  if (click) {
    shown = parts_.settings.GetMarrowgateSetting(u"CLICK") == u"SCREENSIZE" ? Item::Resolution
                                                                            : Item::Volume;
  }
  // The keyboard's menu opens at the icon; the mouse's where the pointer is, which may have
  // moved on from the click.
  const std::optional<platform::ScreenPoint> at =
      gesture.fromKeyboard ? std::optional(anchor) : std::nullopt;
  menuOpen_ = true;
  const std::optional<int> chosen = system_.popups.Track(
      parts_.menu.EntriesUnder({shown}),
      click ? platform::PopupAlign::LeftAtPointer : platform::PopupAlign::CenterOnPointer, at);
  menuOpen_ = false;
  if (gesture.fromKeyboard && !HandsOnTheFocus(parts_.menu, chosen)) system_.tray.ReturnFocus();
  RunCommand(chosen);
}

void TrayProgram::RunCommand(std::optional<int> commandId) {
  if (!commandId) return;
  const auto key = parts_.menu.ItemOfCommand(*commandId);
  if (!key) return;
  switch (key->item) {
    case Item::VolumeStep: OnVolumeStepChosen(key->index); break;
    case Item::DisplayMode: parts_.displayModes.OnDisplayModeChosen(key->index); break;
    case Item::ReleaseMemory: parts_.release.ReleaseInUseMemory(); break;
    case Item::RestartExplorer: parts_.utilities.RestartExplorer(); break;
    case Item::VolumeMixer: parts_.utilities.OpenVolumeMixer(); break;
    case Item::Settings: parts_.utilities.OpenConfigProgram(); break;
    case Item::ToolSettings: parts_.utilities.OpenToolSettings(); break;
    case Item::MonitorSettings: parts_.priorityWindows.ShowPriorityWindow(); break;
    case Item::MonitorOn: parts_.monitor.SwitchMonitoringOn(); break;
    case Item::MonitorOff: parts_.monitor.SwitchMonitoringOff(); break;
    case Item::Exit: OnExitChosen(); break;
    default: break;  // the close items and the status lines only close the menu
  }
}

void TrayProgram::SetCloseItemsVisible(bool visible) {
  parts_.menu[{Item::VolumeClose}].visible = visible;
  parts_.menu[{Item::ResolutionClose}].visible = visible;
  parts_.menu[{Item::VolumeCloseSeparator}].visible = visible;
  parts_.menu[{Item::ResolutionCloseSeparator}].visible = visible;
}

}  // namespace tidewarden
