#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/app_lifetime.h"
#include "platform/process_launcher.h"
#include "platform/timers.h"
#include "tidewarden/startup/memory_figures.h"
#include "tidewarden/startup/program_state.h"

namespace tidewarden {

// A 32-bit filler cannot commit much more than 512 MB in one block, so a larger release is
// split into runs of at most 512 MB whose sizes add up to the release. Nothing for 0 or less.
std::vector<std::int32_t> SplitRelease(std::int64_t sizeMB);

// How Scrubwright is started for one run: quoted path, one blank, the size in decimal; in the
// idle class from its first instruction, and without the busy pointer the user never asked for.
platform::ProgramStart ScrubwrightStart(const std::u16string& appPath, std::int32_t sizeMB);

// When and with how many megabytes memory is released.
class ReleasePolicy {
 public:
  ReleasePolicy(ProgramState& state, MemoryFigures& memory, platform::ProcessLauncher& launcher,
                platform::Timers& timers, platform::AppLifetime& lifetime)
      : state_(state), memory_(memory), launcher_(launcher), timers_(timers), lifetime_(lifetime) {}

  // True when the free share of physical memory is below the threshold; empty when the
  // figures cannot be had.
  std::optional<bool> NeedsRelease();
  // False when Scrubwright could not be started. Neither release starts anything, nor counts,
  // while a run of the last one still fills memory.
  bool AutoRelease();
  // The manual release: as much as is in use.
  void ReleaseInUseMemory();
  // The release part of the periodic check, in either mode.
  void OnCheckTimer();
  // Physical memory is shared by every session: while this one is disconnected (another user
  // switched to, a Remote Desktop connection closed) a release would fill memory under the
  // user who is working, so the ticks release nothing until it is connected again.
  void SetSessionConnected(bool connected) { sessionConnected_ = connected; }

 private:
  // True while a run of the last release is still filling memory; lets go of the runs that
  // have ended.
  bool ReleaseInFlight();
  // False when a run could not be started (the rest are not tried).
  bool StartScrubwright(std::int64_t sizeMB);
  // One-shot mode: true when the last releases show that releasing cannot reach the target.
  bool ReleasingStoppedHelping(std::int32_t availableMB);

  ProgramState& state_;
  MemoryFigures& memory_;
  platform::ProcessLauncher& launcher_;
  platform::Timers& timers_;
  platform::AppLifetime& lifetime_;
  // One-shot mode: the free megabytes just before the last release, and how many releases in
  // a row left no more free than before them.
  std::optional<std::int32_t> availableBeforeRelease_;
  int fruitlessReleases_ = 0;
  // The runs of the last release: while one fills, the free figure counts its memory as used,
  // and another release would fill the same memory again.
  std::vector<std::unique_ptr<platform::StartedProgram>> runs_;
  bool sessionConnected_ = true;
};

}  // namespace tidewarden
