#include "tidewarden/display/display_modes.h"

#include <string>

#include "common/number_text.h"
#include "tidewarden/program_title.h"
#include "tidewarden/startup/status_text.h"

namespace tidewarden {

namespace {
constexpr char16_t kRestartText[] = u"このディスプレイ設定を有効にするには、再起動が必要です。";
constexpr char16_t kFailedText[] = u"解像度変更に失敗しました。";
}  // namespace

std::u16string ModeCaption(std::int32_t width, std::int32_t height, std::int32_t bits) {
  return DecimalText(width) + u"x" + DecimalText(height) + u" " + DecimalText(bits) + u"Bit";
}

std::optional<platform::DisplayMode> ModeOfCaption(std::u16string_view caption) {
  const size_t x = caption.find(u'x');
  const size_t blank = caption.rfind(u' ');
  if (x == std::u16string_view::npos || blank == std::u16string_view::npos || blank < x ||
      caption.size() < blank + 1 + 3) {
    return std::nullopt;
  }
  const auto number = [](std::u16string_view text) {
    return common::RoundHalfEvenToInt32(common::ReadLeadingNumber(text)).value_or(0);
  };
  platform::DisplayMode mode;
  mode.width = number(caption.substr(0, x));
  mode.height = number(caption.substr(x + 1, blank - x - 1));
  mode.bits =
      static_cast<std::int16_t>(number(caption.substr(blank + 1, caption.size() - blank - 1 - 3)));
  return mode;
}

std::int32_t DisplayModes::EnumDisplayModes() {
  modes_.clear();
  for (std::uint32_t index = 0;; ++index) {
    const auto mode = display_.EnumMode(index);
    if (!mode) break;
    modes_.push_back({mode->bits, mode->width, mode->height});
  }
  return static_cast<std::int32_t>(modes_.size());
}

std::int32_t DisplayModes::TestDisplayMode(const platform::DisplayMode& mode) {
  return display_.ChangeSettings(mode, platform::kCdsTest);
}

std::optional<std::u16string> DisplayModes::CurrentModeCaption() {
  const auto mode = display_.CurrentMode();
  if (!mode) return std::nullopt;
  return ModeCaption(mode->width, mode->height, mode->bits);
}

void DisplayModes::OnDisplayChanged() {
  tested_.clear();
  offered_.clear();
  offeredKnown_ = false;
  listed_ = false;
}

bool DisplayModes::WalkCandidates(bool testOnlyOne) {
  offered_.clear();
  for (const DisplayModeEntry& entry : modes_) {
    if (entry.Width < 800 || entry.Height < 600) continue;
    if (entry.Bits != 16 && entry.Bits != 24 && entry.Bits != 32) continue;
    if (offered_.size() == static_cast<size_t>(kResolutionItems)) break;
    const auto key = std::make_tuple(entry.Width, entry.Height, entry.Bits);
    auto result = tested_.find(key);
    if (result == tested_.end()) {
      result = tested_.emplace(key, TestDisplayMode({entry.Width, entry.Height, entry.Bits})).first;
      if (testOnlyOne) return false;
    }
    if (result->second != platform::kDispChangeSuccessful) continue;
    offered_.push_back(ModeCaption(entry.Width, entry.Height, entry.Bits));
  }
  return true;
}

void DisplayModes::FindOfferedModes() {
  if (!listed_) EnumDisplayModes();
  WalkCandidates(false);
  // An enumeration that found nothing may have failed: try again at the next refresh.
  offeredKnown_ = !modes_.empty();
  listed_ = offeredKnown_;
}

bool DisplayModes::TestAheadStep() {
  if (offeredKnown_) return false;
  if (!listed_) {
    // Listing is a step of its own: a driver may take as long over it as over a test.
    listed_ = EnumDisplayModes() > 0;
    return listed_;  // nothing listed: the next refresh lists again
  }
  if (!WalkCandidates(true)) return true;
  offeredKnown_ = true;
  return false;
}

void DisplayModes::BuildResolutionMenu() {
  if (!offeredKnown_) FindOfferedModes();
  for (size_t slot = 0; slot < offered_.size(); ++slot) {
    MenuNode& node = menu_[{Item::DisplayMode, static_cast<int>(slot)}];
    node.visible = true;
    node.caption = offered_[slot];
  }
  // Exactly the entries of the mode in use are checked, so a change made elsewhere (a game,
  // the system's settings) moves the mark and the old mode can be chosen again. Reading the
  // mode in use is cheap, so this holds even when a change notice went astray.
  const auto current = CurrentModeCaption();
  for (int slot = 0; slot < kResolutionItems; ++slot) {
    MenuNode& node = menu_[{Item::DisplayMode, slot}];
    node.checked = node.visible && current && node.caption == *current;
  }
}

void DisplayModes::OnDisplayModeChosen(int index) {
  MenuNode& chosen = menu_[{Item::DisplayMode, index}];
  const auto mode = ModeOfCaption(chosen.caption);
  if (!mode) return;  // "(なし)" names no mode
  // The mode in use now, not the mark of the menu's build: the display may have moved since.
  if (const auto current = display_.CurrentMode(); current && current->width == mode->width &&
                                                   current->height == mode->height &&
                                                   current->bits == mode->bits) {
    return;
  }
  const std::int32_t result = ChangeDisplayMode(mode->width, mode->height, mode->bits, 1);
  if (result == platform::kDispChangeSuccessful) {
    for (int slot = 0; slot < kResolutionItems; ++slot) {
      MenuNode& node = menu_[{Item::DisplayMode, slot}];
      node.checked = node.caption == chosen.caption;
    }
  } else if (result == platform::kDispChangeRestart) {
    boxes_.ShowOk(kProgramTitle, kRestartText, platform::MessageIcon::None);
  } else {
    boxes_.ShowOk(kProgramTitle, kFailedText, platform::MessageIcon::None);
  }
}

std::int32_t DisplayModes::ChangeDisplayMode(std::int32_t width, std::int32_t height,
                                             std::int16_t bits, std::int16_t permanent) {
  const platform::DisplayMode mode{width, height, bits};
  const std::int32_t test = TestDisplayMode(mode);
  if (test < 0) return test;
  return display_.ChangeSettings(mode, permanent == 1 ? platform::kCdsUpdateRegistry : 0);
}

}  // namespace tidewarden
