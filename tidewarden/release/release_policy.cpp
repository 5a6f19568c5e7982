#include "tidewarden/release/release_policy.h"

#include <algorithm>

#include "tidewarden/startup/status_text.h"

namespace tidewarden {

namespace {
constexpr std::int32_t kLargestRun = 512;
}  // namespace

std::vector<std::int32_t> SplitRelease(std::int64_t sizeMB) {
  std::vector<std::int32_t> runs;
  while (sizeMB > 0) {
    const auto run = static_cast<std::int32_t>(std::min<std::int64_t>(sizeMB, kLargestRun));
    runs.push_back(run);
    sizeMB -= run;
  }
  return runs;
}

platform::ProgramStart ScrubwrightStart(const std::u16string& appPath, std::int32_t sizeMB) {
  platform::ProgramStart start =
      platform::QuotedProgramStart(appPath + u"Scrubwright\\Scrubwright.exe", DecimalText(sizeMB),
                                   platform::WindowStyle::Minimized, platform::PriorityClass::Idle);
  start.startFeedback = false;
  return start;
}

std::optional<bool> ReleasePolicy::NeedsRelease() {
  const auto total = memory_.TotalPhysicalMB();
  if (!total || *total <= 0) return std::nullopt;
  const auto available = memory_.AvailablePhysicalMB();
  if (!available) return std::nullopt;
  const double ratio = static_cast<double>(*available) / static_cast<double>(*total);
  return ratio < state_.ReleaseRatio;
}

bool ReleasePolicy::ReleaseInFlight() {
  std::erase_if(runs_, [](const auto& run) { return !run->Running(); });
  return !runs_.empty();
}

bool ReleasePolicy::AutoRelease() {
  // Skipped, not counted: the release still running is this one's.
  if (ReleaseInFlight()) return true;
  state_.ReleaseCount += 1;
  const auto available = memory_.AvailablePhysicalMB();
  if (!available) return true;
  std::int64_t size = std::int64_t{*available} + state_.ReleaseCount;
  // The count only grows, so after a long low-memory spell the request would outgrow the
  // machine and every tick would start ever more fills: never ask for more than there is.
  if (const auto total = memory_.TotalPhysicalMB(); total && *total > 0) {
    size = std::min<std::int64_t>(size, *total);
  }
  return StartScrubwright(size);
}

void ReleasePolicy::ReleaseInUseMemory() {
  if (ReleaseInFlight()) return;
  const auto available = memory_.AvailablePhysicalMB();
  const auto total = memory_.TotalPhysicalMB();
  if (!available || !total) return;
  StartScrubwright(std::int64_t{*total} - *available);
}

void ReleasePolicy::OnCheckTimer() {
  if (!sessionConnected_) return;
  if (!state_.OneShotMode) {
    if (NeedsRelease().value_or(false)) AutoRelease();
    return;
  }
  const auto available = memory_.AvailablePhysicalMB();
  if (!available) return;
  if (state_.OneShotTargetMB <= *available) {
    lifetime_.Quit();
    return;
  }
  // A target the machine can never reach would keep an invisible program releasing forever.
  if (const auto total = memory_.TotalPhysicalMB(); total && state_.OneShotTargetMB >= *total) {
    lifetime_.Quit();
    return;
  }
  // What a running fill holds is not free yet: the next release is judged once it is done.
  if (ReleaseInFlight()) return;
  // Nor may it go on when releasing cannot help: no Scrubwright to start, or releases that
  // free nothing (a target just under the whole memory, which the system never frees).
  if (ReleasingStoppedHelping(*available)) {
    lifetime_.Quit();
    return;
  }
  availableBeforeRelease_ = *available;
  if (!AutoRelease()) lifetime_.Quit();
}

bool ReleasePolicy::ReleasingStoppedHelping(std::int32_t availableMB) {
  if (!availableBeforeRelease_) return false;
  fruitlessReleases_ = availableMB <= *availableBeforeRelease_ ? fruitlessReleases_ + 1 : 0;
  return fruitlessReleases_ >= 2;
}

bool ReleasePolicy::StartScrubwright(std::int64_t sizeMB) {
  // Stopping and starting the check timer around the release also restarts its interval.
  timers_.Stop(platform::TimerId::Check);
  bool started = true;
  for (const std::int32_t run : SplitRelease(sizeMB)) {
    // A Scrubwright that cannot be started is not reported; the rest would fail alike.
    auto process = launcher_.Start(ScrubwrightStart(state_.AppPath, run));
    if (!process) {
      started = false;
      break;
    }
    runs_.push_back(std::move(process));
  }
  timers_.Start(platform::TimerId::Check, state_.CheckInterval);
  return started;
}

}  // namespace tidewarden
