#include "tidewarden/tray_program.h"

#include "common/number_text.h"
#include "tidewarden/startup/start_up.h"
#include "tidewarden/startup/status_text.h"
#include "tidewarden/tray/status_lines.h"

namespace tidewarden {

namespace {
constexpr std::uint32_t kTooltipIntervalMs = 2000;
constexpr unsigned kLeftButtonUp = 514;   // WM_LBUTTONUP
constexpr unsigned kRightButtonUp = 517;  // WM_RBUTTONUP
}  // namespace

TrayProgram::TrayProgram(const Ports& ports)
    : ports_(ports),
      settings_(ports.files, state_.AppPath),
      memory_(ports.memory),
      release_(state_, memory_, ports.launcher, ports.timers, ports.lifetime),
      volume_(ports.waveOut, ports.masterVolume),
      displayModes_(ports.display, ports.boxes, menu_),
      monitor_(state_, ports.files, ports.processes, ports.boxes, menu_),
      utilities_(state_, ports.files, ports.launcher, ports.shellWindows, ports.pump) {}

void TrayProgram::Start() {
  ports_.process.SetPriorityClass(platform::PriorityClass::Idle);
  state_.AppPath = WithTrailingBackslash(ports_.session.ProgramFolder());
  state_.WinDir = TrimAtNul(ports_.session.WindowsDirectory());
  if (ports_.files.Exists(state_.WinDir + u"\\system\\rsrc32.dll")) state_.ResourcesAvailable = 1;

  state_.ReleaseThreshold = ReleaseThresholdFromSetting(settings_.GetMainSetting(u"CREANSIZE"));
  state_.CheckInterval = CheckIntervalFromSetting(settings_.GetMainSetting(u"SEEK"));
  ports_.timers.Start(platform::TimerId::Check, state_.CheckInterval);
  ports_.timers.Start(platform::TimerId::Tooltip, kTooltipIntervalMs);
  state_.ScreenTwipsX = TwipsPerPixel(ports_.session.DpiX());
  state_.ScreenTwipsY = TwipsPerPixel(ports_.session.DpiY());

  const std::u16string arguments = ports_.session.Arguments();
  if (!arguments.empty()) {
    state_.OneShotMode = -1;
    state_.ReleaseThreshold = common::ReadLeadingNumber(arguments);
    return;
  }
  if (!ports_.lifetime.ClaimSingleInstance()) {
    ports_.lifetime.Quit();
    return;
  }
  AddTrayIcon();
  monitor_.LoadMonitorSwitch();
  const WatchListFile watchList = monitor_.LoadWatchList();
  ports_.files.WriteText(state_.AppPath + u"hwnd.tmp",
                         HwndFileText(ports_.lifetime.MainWindowHandle()));
  if (watchList == WatchListFile::Unreadable) monitor_.ReportUnreadableWatchList();
}

void TrayProgram::Exit() {
  RemoveTrayIcon();
  ports_.lifetime.Quit();
}

void TrayProgram::OnExitChosen() { Exit(); }

void TrayProgram::OnCheckTimer() {
  if (state_.MonitorOn == 1 && state_.PriorityWindowOpen == 0) monitor_.EnforcePriorities();
  release_.OnCheckTimer();
}

void TrayProgram::OnTooltipTimer() {
  if (!iconWanted_) return;  // one-shot mode has no icon to refresh
  if (const auto status = BuildStatusText()) tooltip_ = TrimAtNul(TooltipField(*status));
  if (!iconShown_) {
    // The taskbar was not up when the program started: keep trying.
    ShowIcon();
    return;
  }
  ports_.tray.SetTooltip(tooltip_);
}

void TrayProgram::OnTaskbarCreated() {
  if (!iconWanted_) return;
  if (const auto status = BuildStatusText()) tooltip_ = TrimAtNul(TooltipField(*status));
  ShowIcon();
}

void TrayProgram::ShowIcon() {
  // A taskbar slow to answer (at sign-in) can report a failed add although it took the icon,
  // and an icon that is still there refuses a second add: either way a modify finds it.
  iconShown_ = ports_.tray.Add(tooltip_) || ports_.tray.SetTooltip(tooltip_);
}

void TrayProgram::OnDisplayChanged() { displayModes_.OnDisplayChanged(); }

void TrayProgram::OnTrayMessage(unsigned mouseMessage) {
  if (mouseMessage == kLeftButtonUp) {
    SetCloseItemsVisible(true);
    ShowClickMenu();
  } else if (mouseMessage == kRightButtonUp) {
    SetCloseItemsVisible(false);
    ShowTrayMenu(0);
  }
}

void TrayProgram::AddTrayIcon() {
  iconWanted_ = true;
  if (const auto status = BuildStatusText()) tooltip_ = TrimAtNul(TooltipField(*status));
  ShowIcon();
}

void TrayProgram::RemoveTrayIcon() {
  // Even an add that seemed to fail may have left an icon: never leave a dead one behind.
  if (iconWanted_) ports_.tray.Remove();
  iconShown_ = false;
  iconWanted_ = false;
}

std::optional<std::int32_t> TrayProgram::FreeResources() {
  if (state_.ResourcesAvailable != 1) return std::nullopt;
  // A meter that is there but cannot be loaded or does not answer (a 32-bit library seen by
  // the 64-bit build) leaves the figures without their resources piece, not blank.
  return ports_.resourceMeter.FreeSystemResources(state_.WinDir + u"\\system\\rsrc32.dll");
}

std::optional<std::u16string> TrayProgram::BuildStatusText() {
  const platform::LocalTime now = ports_.clock.Now();
  const auto available = memory_.AvailablePhysicalMB();
  if (!available) return std::nullopt;
  return tidewarden::BuildStatusText(now, *available, FreeResources());
}

void TrayProgram::RefreshPopupMenu() {
  // Each step stands alone: what cannot be had leaves its items as they were.
  RefreshVolumeMarks();
  const std::u16string dateLine = DateLine(ports_.clock.Now());
  if (const auto available = memory_.AvailablePhysicalMB()) {
    menu_[{Item::MemoryLine}].caption =
        CenteredMemoryCaption(dateLine, MemoryLine(*available, FreeResources()));
  }
  menu_[{Item::DateLine}].caption = dateLine;
  displayModes_.BuildResolutionMenu();
}

void TrayProgram::RefreshVolumeMarks() {
  for (int step = 0; step < kVolumeSteps; ++step) menu_[{Item::VolumeStep, step}].checked = false;
  const std::int32_t level = LevelOfWaveVolume(volume_.GetWaveVolume());
  const int step = level < -32760
                       ? kVolumeSteps - 1
                       : VolumeStepOfLevel(level, RangeOfSetting(
                                                      settings_.GetMarrowgateSetting(u"VOLUME")));
  if (step >= 0 && step < kVolumeSteps) menu_[{Item::VolumeStep, step}].checked = true;
}

void TrayProgram::OnVolumeStepChosen(int index) {
  const VolumeRange range = RangeOfSetting(settings_.GetMarrowgateSetting(u"VOLUME"));
  volume_.SetWaveVolume(WaveVolumeOfStep(index, range));
}

void TrayProgram::ShowTrayMenu(int position) {
  (void)position;  // the menu bar holds one menu, the root
  RefreshPopupMenu();
  RunCommand(ports_.popups.Track(menu_.EntriesUnder({Item::Root}),
                                 platform::PopupAlign::CenterOnPointer));
}

void TrayProgram::ShowClickMenu() {
  RefreshPopupMenu();
  const Item submenu =
      settings_.GetMarrowgateSetting(u"CLICK") == u"SCREENSIZE" ? Item::Resolution : Item::Volume;
  RunCommand(ports_.popups.Track(menu_.EntriesUnder({submenu}),
                                 platform::PopupAlign::LeftAtPointer));
}

void TrayProgram::RunCommand(std::optional<int> commandId) {
  if (!commandId) return;
  const auto key = menu_.ItemOfCommand(*commandId);
  if (!key) return;
  switch (key->item) {
    case Item::VolumeStep:
      OnVolumeStepChosen(key->index);
      break;
    case Item::DisplayMode:
      displayModes_.OnDisplayModeChosen(key->index);
      break;
    case Item::ReleaseMemory:
      release_.ReleaseInUseMemory();
      break;
    case Item::RestartExplorer:
      utilities_.RestartExplorer();
      break;
    case Item::VolumeMixer:
      utilities_.OpenVolumeMixer();
      break;
    case Item::Settings:
      utilities_.OpenConfigProgram();
      break;
    case Item::ToolSettings:
      utilities_.OpenToolSettings();
      break;
    case Item::MonitorSettings:
      ports_.priorityWindows.ShowPriorityWindow();
      break;
    case Item::MonitorOn:
      monitor_.SwitchMonitoringOn();
      break;
    case Item::MonitorOff:
      monitor_.SwitchMonitoringOff();
      break;
    case Item::Exit:
      OnExitChosen();
      break;
    default:
      break;  // the close items and the status lines only close the menu
  }
}

void TrayProgram::SetCloseItemsVisible(bool visible) {
  menu_[{Item::VolumeClose}].visible = visible;
  menu_[{Item::ResolutionClose}].visible = visible;
  menu_[{Item::VolumeCloseSeparator}].visible = visible;
  menu_[{Item::ResolutionCloseSeparator}].visible = visible;
}

}  // namespace tidewarden
