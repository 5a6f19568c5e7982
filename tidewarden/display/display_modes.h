#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/display.h"
#include "platform/message_boxes.h"

namespace tidewarden {

// The resolution submenu has this many slots; modes beyond them are not offered.
inline constexpr int kResolutionSlots = 30;

// "1024x768 32Bit": how a mode is named in the resolution submenu.
std::u16string ModeCaption(std::int32_t width, std::int32_t height, std::int32_t bits);
std::u16string ModeCaption(const platform::DisplayMode& mode);

// The modes of the primary display that may be switched to, one a slot of the resolution
// submenu, and the switch itself.
class DisplayModes {
 public:
  DisplayModes(platform::Display& display, platform::MessageBoxes& boxes)
      : display_(display), boxes_(boxes) {}

  std::int32_t EnumDisplayModes();
  std::int32_t TestDisplayMode(const platform::DisplayMode& mode);
  // The mode each slot names, in slot order: the modes on offer now (found when they are not
  // known yet). A choice names a slot of the last such list.
  const std::vector<platform::DisplayMode>& SlotModes();
  // The mode in use; empty when the display cannot tell it.
  std::optional<platform::DisplayMode> ModeInUse();
  // The display configuration changed: the modes and their test answers are out of date.
  void OnDisplayChanged();
  // One step of finding the modes on offer before the menu is asked for: the listing, or one
  // mode test. False once nothing is left, so a click finds the submenu ready.
  bool TestAheadStep();
  void OnDisplayModeChosen(int slot);
  // Tests, then switches and stores the mode; the system's answer.
  std::int32_t ChangeDisplayMode(const platform::DisplayMode& mode);

 private:
  // Enumerates, filters and tests: the modes on offer, in slot order.
  void FindOfferedModes();
  // Walks the listed modes that may be offered, in slot order, testing the first one that has
  // no answer yet when `testOnlyOne`; false when one was tested (the walk stopped there).
  bool WalkCandidates(bool testOnlyOne);

  platform::Display& display_;
  platform::MessageBoxes& boxes_;
  std::vector<platform::DisplayMode> listed_;
  bool listingKnown_ = false;  // listed_ is the listing of the display configuration in use
  // A mode test can take tens of milliseconds on a real driver and the menu refreshes at
  // every click, so the answers are kept until the display configuration changes. The same
  // width, height and depth get the same answer, so each distinct mode is tested once.
  std::map<std::tuple<std::int32_t, std::int32_t, std::int16_t>, std::int32_t> tested_;
  std::vector<platform::DisplayMode> offered_;
  bool offeredKnown_ = false;
  std::vector<platform::DisplayMode> slots_;
};

}  // namespace tidewarden
