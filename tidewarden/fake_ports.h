#pragma once

// Every port of the tray program as a fake, for the tests that drive the whole main form.

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_display.h"
#include "platform/fake/fake_files.h"
#include "platform/fake/fake_memory_status.h"
#include "platform/fake/fake_message_boxes.h"
#include "platform/fake/fake_own_process.h"
#include "platform/fake/fake_popup_menus.h"
#include "platform/fake/fake_process_launcher.h"
#include "platform/fake/fake_processes.h"
#include "platform/fake/fake_resource_meter.h"
#include "platform/fake/fake_session.h"
#include "platform/fake/fake_shell_windows.h"
#include "platform/fake/fake_timers.h"
#include "platform/fake/fake_tray_icon.h"
#include "platform/fake/fake_wave_out.h"
#include "tidewarden/tray_assembly.h"

namespace tidewarden {

struct FakePorts {
  platform::fake::CallLog log;
  platform::fake::FakeClock clock;
  platform::fake::FakeFiles files{log};
  platform::fake::FakeMemoryStatus memory;
  platform::fake::FakeResourceMeter meter;
  platform::fake::FakeProcessLauncher launcher{log, &process};  // Tidewarden is the parent
  platform::fake::FakeTrayIcon tray{log};
  platform::fake::FakeTimers timers{log};
  platform::fake::FakeSession session;
  platform::fake::FakeAppLifetime lifetime{log};
  platform::fake::FakeOwnProcess process{log};
  platform::fake::FakePopupMenus popups;
  platform::fake::FakeMessageBoxes boxes{log};
  platform::fake::FakeWaveOut waveOut{log};
  platform::fake::FakeMasterVolume master;
  platform::fake::FakeDisplay display;
  platform::fake::FakeProcesses processes{log};
  struct FakeWindowHost : PriorityWindowHost {
    void ShowPriorityWindow() override { ++shown; }
    int shown = 0;
  } windowHost;
  platform::fake::FakeShellWindows shellWindows{log};
  platform::fake::FakeEventPump pump;
};

// The tray program and its parts, wired on fake ports by the program's own assembly. A display
// and popups of the caller's own can stand in for the fakes.
struct TrayRig : TrayAssembly {
  explicit TrayRig(FakePorts& p) : TrayRig(p, p.display, p.popups) {}
  TrayRig(FakePorts& p, platform::Display& display, platform::PopupMenus& popups)
      : TrayAssembly({{p.clock, p.files, p.meter, p.tray, p.timers, p.session, p.lifetime,
                       p.process, popups},
                      p.memory,
                      p.launcher,
                      p.boxes,
                      p.waveOut,
                      p.master,
                      display,
                      p.processes,
                      p.shellWindows,
                      p.pump}),
        program(BuildProgram(p.windowHost)) {}

  TrayProgram& program;
};

}  // namespace tidewarden
