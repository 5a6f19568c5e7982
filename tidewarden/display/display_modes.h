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
#include "tidewarden/startup/program_state.h"
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
// A quotient in decimal: whole numbers without a decimal point, others with the digits a
// double holds ("1024", "1023.75").
std::u16string QuotientText(double value);

// The resolution submenu: the modes of the primary display that may be switched to.
class DisplayModes {
 public:
  DisplayModes(platform::Display& display, platform::MessageBoxes& boxes, MenuTree& menu,
               const ProgramState& state)
      : display_(display), boxes_(boxes), menu_(menu), state_(state) {}

  std::int32_t EnumDisplayModes();
  std::int32_t TestDisplayMode(const platform::DisplayMode& mode);
  std::u16string ScreenBitsPerPixel();
  // `dpiX`, `dpiY`: the screen's dots per inch, which give the exact twips per pixel.
  std::u16string CurrentModeCaption(int dpiX, int dpiY);
  void BuildResolutionMenu(int dpiX, int dpiY);
  void FormMenu11_Click(int index);
  std::int32_t ChangeDisplayMode(std::int32_t width, std::int32_t height, std::int16_t bits,
                                 std::int16_t permanent);

  const std::vector<DisplayModeEntry>& Modes() const { return modes_; }

 private:
  platform::Display& display_;
  platform::MessageBoxes& boxes_;
  MenuTree& menu_;
  const ProgramState& state_;
  std::vector<DisplayModeEntry> modes_;
  // Within one refresh the same width, height and depth get the same answer, so each
  // distinct mode is tested once.
  std::map<std::tuple<std::int32_t, std::int32_t, std::int16_t>, std::int32_t> tested_;
};

}  // namespace tidewarden
