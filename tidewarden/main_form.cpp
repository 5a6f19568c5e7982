#include "tidewarden/main_form.h"

#include "common/number_text.h"
#include "tidewarden/startup/start_up.h"
#include "tidewarden/startup/status_text.h"
#include "tidewarden/tray/status_lines.h"

namespace tidewarden {

namespace {
constexpr std::uint32_t kTimer2Interval = 2000;
constexpr float kLeftButtonUp = 514.0F;
constexpr float kRightButtonUp = 517.0F;
}  // namespace

MainForm::MainForm(const Ports& ports)
    : ports_(ports),
      settings_(ports.files, state_.AppPath),
      memory_(ports.memory),
      release_(state_, memory_, ports.launcher, ports.timers, ports.lifetime),
      volume_(ports.waveOut, ports.masterVolume),
      displayModes_(ports.display, ports.boxes, menu_),
      monitor_(state_, ports.files, ports.processes, ports.boxes, menu_),
      utilities_(state_, ports.files, ports.launcher, ports.shellWindows, ports.pump) {}

void MainForm::Form_Load() {
  ports_.process.SetPriorityClass(platform::PriorityClass::Idle);
  state_.AppPath = WithTrailingBackslash(ports_.session.ProgramFolder());
  state_.WinDir = TrimAtNul(ports_.session.WindowsDirectory());
  if (ports_.files.Exists(state_.WinDir + u"\\system\\rsrc32.dll")) state_.ResourcesAvailable = 1;

  state_.ReleaseThreshold = ReleaseThresholdFromSetting(settings_.GetMainSetting(u"CREANSIZE"));
  state_.Timer1Interval = Timer1IntervalFromSetting(settings_.GetMainSetting(u"SEEK"));
  ports_.timers.Start(platform::TimerId::Timer1, state_.Timer1Interval);
  ports_.timers.Start(platform::TimerId::Timer2, kTimer2Interval);
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

void MainForm::Form_Unload() {
  RemoveTrayIcon();
  ports_.lifetime.Quit();
}

void MainForm::mnuEnd_Click() { Form_Unload(); }

void MainForm::Timer1_Timer() {
  if (state_.MonitorOn == 1 && state_.PriorityWindowOpen == 0) monitor_.EnforcePriorities();
  release_.OnTimer1();
}

void MainForm::Timer2_Timer() {
  if (!iconWanted_) return;  // one-shot mode has no icon to refresh
  if (const auto status = BuildStatusText()) tooltip_ = TrimAtNul(TooltipField(*status));
  if (!iconShown_) {
    // The taskbar was not up when the program started: keep trying.
    ShowIcon();
    return;
  }
  ports_.tray.SetTooltip(tooltip_);
}

void MainForm::OnTaskbarCreated() {
  if (!iconWanted_) return;
  if (const auto status = BuildStatusText()) tooltip_ = TrimAtNul(TooltipField(*status));
  ShowIcon();
}

void MainForm::ShowIcon() {
  // A taskbar slow to answer (at sign-in) can report a failed add although it took the icon,
  // and an icon that is still there refuses a second add: either way a modify finds it.
  iconShown_ = ports_.tray.Add(tooltip_) || ports_.tray.SetTooltip(tooltip_);
}

void MainForm::OnDisplayChanged() { displayModes_.OnDisplayChanged(); }

void MainForm::Picture1_MouseMove(float x) {
  if (x == kLeftButtonUp) {
    SetCloseItemsVisible(true);
    ShowClickMenu();
  } else if (x == kRightButtonUp) {
    SetCloseItemsVisible(false);
    ShowTrayMenu(0);
  }
}

void MainForm::AddTrayIcon() {
  iconWanted_ = true;
  if (const auto status = BuildStatusText()) tooltip_ = TrimAtNul(TooltipField(*status));
  ShowIcon();
}

void MainForm::RemoveTrayIcon() {
  // Even an add that seemed to fail may have left an icon: never leave a dead one behind.
  if (iconWanted_) ports_.tray.Remove();
  iconShown_ = false;
  iconWanted_ = false;
}

std::optional<std::int32_t> MainForm::FreeResources() {
  if (state_.ResourcesAvailable != 1) return std::nullopt;
  // A meter that is there but cannot be loaded or does not answer (a 32-bit library seen by
  // the 64-bit build) leaves the figures without their resources piece, not blank.
  return ports_.resourceMeter.FreeSystemResources(state_.WinDir + u"\\system\\rsrc32.dll");
}

std::optional<std::u16string> MainForm::BuildStatusText() {
  const platform::LocalTime now = ports_.clock.Now();
  const auto available = memory_.AvailablePhysicalMB();
  if (!available) return std::nullopt;
  return tidewarden::BuildStatusText(now, *available, FreeResources());
}

void MainForm::RefreshPopupMenu() {
  // Each step stands alone: what cannot be had leaves its items as they were.
  RefreshVolumeMarks();
  const std::u16string dateLine = DateLine(ports_.clock.Now());
  if (const auto available = memory_.AvailablePhysicalMB()) {
    menu_[{Item::akimemory}].caption =
        CenteredMemoryCaption(dateLine, MemoryLine(*available, FreeResources()));
  }
  menu_[{Item::hizuke}].caption = dateLine;
  displayModes_.BuildResolutionMenu();
}

void MainForm::RefreshVolumeMarks() {
  for (int step = 0; step < kVolumeSteps; ++step) menu_[{Item::onryou1, step}].checked = false;
  const std::int32_t level = LevelOfWaveVolume(volume_.GetWaveVolume());
  const int step = level < -32760
                       ? kVolumeSteps - 1
                       : VolumeStepOfLevel(level, RangeOfSetting(
                                                      settings_.GetMarrowgateSetting(u"VOLUME")));
  if (step >= 0 && step < kVolumeSteps) menu_[{Item::onryou1, step}].checked = true;
}

void MainForm::onryou1_Click(int index) {
  const VolumeRange range = RangeOfSetting(settings_.GetMarrowgateSetting(u"VOLUME"));
  volume_.SetWaveVolume(WaveVolumeOfStep(index, range));
}

void MainForm::ShowTrayMenu(int position) {
  (void)position;  // the menu bar holds one menu, menu0
  RefreshPopupMenu();
  RunCommand(ports_.popups.Track(menu_.EntriesUnder({Item::menu0}),
                                 platform::PopupAlign::CenterOnPointer));
}

void MainForm::ShowClickMenu() {
  RefreshPopupMenu();
  const Item submenu =
      settings_.GetMarrowgateSetting(u"CLICK") == u"SCREENSIZE" ? Item::kaizoudo : Item::onryou;
  RunCommand(ports_.popups.Track(menu_.EntriesUnder({submenu}),
                                 platform::PopupAlign::LeftAtPointer));
}

void MainForm::RunCommand(std::optional<int> commandId) {
  if (!commandId) return;
  const auto key = menu_.ItemOfCommand(*commandId);
  if (!key) return;
  switch (key->item) {
    case Item::onryou1:
      onryou1_Click(key->index);
      break;
    case Item::FormMenu11:
      displayModes_.FormMenu11_Click(key->index);
      break;
    case Item::defrag:
      release_.defrag_Click();
      break;
    case Item::explorerfix:
      utilities_.explorerfix_Click();
      break;
    case Item::volcom:
      utilities_.volcom_Click();
      break;
    case Item::Settingmnu:
      utilities_.Settingmnu_Click();
      break;
    case Item::Settingmnu2:
      utilities_.Settingmnu2_Click();
      break;
    case Item::Settingmnu31:
      ports_.priorityWindows.ShowPriorityWindow();
      break;
    case Item::Settingmnu32:
      monitor_.Settingmnu32_Click();
      break;
    case Item::Settingmnu33:
      monitor_.Settingmnu33_Click();
      break;
    case Item::mnuEnd:
      mnuEnd_Click();
      break;
    default:
      break;  // the close items and the status lines only close the menu
  }
}

void MainForm::SetCloseItemsVisible(bool visible) {
  menu_[{Item::MenuClose2}].visible = visible;
  menu_[{Item::MenuClose3}].visible = visible;
  menu_[{Item::sen7}].visible = visible;
  menu_[{Item::sen8}].visible = visible;
}

}  // namespace tidewarden
