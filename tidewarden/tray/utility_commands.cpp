#include "tidewarden/tray/utility_commands.h"

namespace tidewarden {

bool UtilityCommands::Start(const std::u16string& path, platform::WindowStyle style) {
  return launcher_.Start(platform::QuotedProgramStart(path, u"", style)) != nullptr;
}

void UtilityCommands::RestartExplorer() {
  // Its events run while it waits: a second click then must not start a second wait.
  if (waitingForExplorer_) return;
  const std::u16string explorer = state_.WinDir + u"\\explorer.exe";
  const auto shell = windows_.FindByClass(u"Progman");
  if (shell) {
    windows_.PostQuit(*shell);
    waitingForExplorer_ = true;
    const std::uint64_t deadline = pump_.MonotonicMs() + kExplorerWaitMs;
    while (windows_.FindByClass(u"Progman")) {
      if (pump_.MonotonicMs() >= deadline) {
        waitingForExplorer_ = false;
        return;  // still there: starting another would give two
      }
      pump_.RunPending();
      pump_.Sleep(kExplorerPollMs);
    }
    waitingForExplorer_ = false;
  }
  Start(explorer, platform::WindowStyle::Minimized);
}

void UtilityCommands::OpenVolumeMixer() {
  // Since Vista the mixer is SndVol.exe; the older name is looked for first.
  for (const char16_t* place :
       {u"\\SNDVOL32.EXE", u"\\system32\\SNDVOL32.EXE", u"\\system32\\SndVol.exe"}) {
    const std::u16string path = state_.WinDir + place;
    if (files_.Exists(path)) {
      Start(path, platform::WindowStyle::Normal);
      return;
    }
  }
}

void UtilityCommands::OpenConfigProgram() {
  Start(state_.AppPath + u"Config.exe", platform::WindowStyle::Normal);
}

void UtilityCommands::OpenToolSettings() {
  Start(state_.AppPath + u"Marrowgate.exe", platform::WindowStyle::Normal);
}

}  // namespace tidewarden
