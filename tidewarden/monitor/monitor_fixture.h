#pragma once

// The monitor and the fakes it works on, for the monitor's and the priority window's tests.

#include <string>

#include "platform/fake/fake_files.h"
#include "platform/fake/fake_message_boxes.h"
#include "platform/fake/fake_processes.h"
#include "tidewarden/monitor/process_monitor.h"

namespace tidewarden {

struct MonitorFixture {
  platform::fake::CallLog log;
  platform::fake::FakeFiles files{log};
  platform::fake::FakeProcesses processes{log};
  platform::fake::FakeMessageBoxes boxes{log};
  ProgramState state;
  ProcessMonitor monitor{state, files, processes, boxes};
  const std::u16string watchFile = u"C:\\T\\Process.ini";
  const std::u16string switchFile = u"C:\\T\\Process2.ini";

  MonitorFixture() { state.AppPath = u"C:\\T\\"; }
};

}  // namespace tidewarden
