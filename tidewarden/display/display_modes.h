#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/display.h"
#include "platform/message_boxes.h"
#include "tidewarden/tray/menu_tree.h"

namespace tidewarden {

struct DisplayModeEntry {
  std::int16_t Bits = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
};

// "1024x768 32Bit": the only place where a menu entry keeps its mode.
std::u16string ModeCaption(std::int32_t width, std::int32_t height, std::int32_t bits);
// The mode back out of a caption; empty for a caption without "x" or blank ("(なし)").
std::optional<platform::DisplayMode> ModeOfCaption(std::u16string_view caption);

// The resolution submenu: the modes of the primary display that may be switched to.
class DisplayModes {
 public:
  DisplayModes(platform::Display& display, platform::MessageBoxes& boxes, MenuTree& menu)
      : display_(display), boxes_(boxes), menu_(menu) {}

  std::int32_t EnumDisplayModes();
  std::int32_t TestDisplayMode(const platform::DisplayMode& mode);
  // The caption of the mode in use; empty when the display cannot tell it.
  std::optional<std::u16string> CurrentModeCaption();
  void BuildResolutionMenu();
  // The display configuration changed: the modes and their test answers are out of date.
  void OnDisplayChanged();
  // One step of finding the modes on offer before the menu is asked for: the listing, or one
  // mode test. False once nothing is left, so a click finds the submenu ready.
  bool TestAheadStep();
  void OnDisplayModeChosen(int index);
  std::int32_t ChangeDisplayMode(std::int32_t width, std::int32_t height, std::int16_t bits,
                                 std::int16_t permanent);

  const std::vector<DisplayModeEntry>& Modes() const { return modes_; }

 private:
  // Enumerates, filters and tests: the captions of the modes on offer, in slot order.
  void FindOfferedModes();
  // The listed modes that may be offered, in slot order, testing the first one that has no
  // answer yet when `testOnlyOne`; false when one was tested (the walk stopped there).
  bool WalkCandidates(bool testOnlyOne);

  platform::Display& display_;
  platform::MessageBoxes& boxes_;
  MenuTree& menu_;
  std::vector<DisplayModeEntry> modes_;
  // A mode test can take tens of milliseconds on a real driver and the menu refreshes at
  // every click, so the answers are kept until the display configuration changes. The same
  // width, height and depth get the same answer, so each distinct mode is tested once.
  std::map<std::tuple<std::int32_t, std::int32_t, std::int16_t>, std::int32_t> tested_;
  std::vector<std::u16string> offered_;
  bool offeredKnown_ = false;
  bool listed_ = false;  // modes_ holds the listing of the display configuration in use
};

}  // namespace tidewarden
