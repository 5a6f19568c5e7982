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

std::u16string ModeCaption(const platform::DisplayMode& mode) {
  return ModeCaption(mode.width, mode.height, mode.bits);
}

std::int32_t DisplayModes::EnumDisplayModes() {
  listed_.clear();
  for (std::uint32_t index = 0;; ++index) {
    const auto mode = display_.EnumMode(index);
    if (!mode) break;
    listed_.push_back(*mode);
  }
  return static_cast<std::int32_t>(listed_.size());
}

std::int32_t DisplayModes::TestDisplayMode(const platform::DisplayMode& mode) {
  return display_.ChangeSettings(mode, platform::kCdsTest);
}

std::optional<platform::DisplayMode> DisplayModes::ModeInUse() { return display_.CurrentMode(); }

void DisplayModes::OnDisplayChanged() {
  tested_.clear();
  offered_.clear();
  offeredKnown_ = false;
  listingKnown_ = false;
}

bool DisplayModes::WalkCandidates(bool testOnlyOne) {
  offered_.clear();
  for (const platform::DisplayMode& mode : listed_) {
    if (mode.width < 800 || mode.height < 600) continue;
    if (mode.bits != 16 && mode.bits != 24 && mode.bits != 32) continue;
    if (offered_.size() == static_cast<size_t>(kResolutionSlots)) break;
    const auto key = std::make_tuple(mode.width, mode.height, mode.bits);
    auto result = tested_.find(key);
    if (result == tested_.end()) {
      result = tested_.emplace(key, TestDisplayMode(mode)).first;
      if (testOnlyOne) return false;
    }
    if (result->second != platform::kDispChangeSuccessful) continue;
    offered_.push_back(mode);
  }
  return true;
}

void DisplayModes::FindOfferedModes() {
  if (!listingKnown_) EnumDisplayModes();
  WalkCandidates(false);
  // An enumeration that found nothing may have failed: try again at the next refresh.
  offeredKnown_ = !listed_.empty();
  listingKnown_ = offeredKnown_;
}

bool DisplayModes::TestAheadStep() {
  if (offeredKnown_) return false;
  if (!listingKnown_) {
    // Listing is a step of its own: a driver may take as long over it as over a test.
    listingKnown_ = EnumDisplayModes() > 0;
    return listingKnown_;  // nothing listed: the next refresh lists again
  }
  if (!WalkCandidates(true)) return true;
  offeredKnown_ = true;
  return false;
}

const std::vector<platform::DisplayMode>& DisplayModes::SlotModes() {
  if (!offeredKnown_) FindOfferedModes();
  slots_ = offered_;
  return slots_;
}

void DisplayModes::OnDisplayModeChosen(int slot) {
  if (slot < 0 || static_cast<size_t>(slot) >= slots_.size()) return;  // "(なし)" names none
  const platform::DisplayMode mode = slots_[static_cast<size_t>(slot)];
  // The mode in use now, not the mark of the menu's build: the display may have moved since.
  if (ModeInUse() == mode) return;
  const std::int32_t result = ChangeDisplayMode(mode);
  if (result == platform::kDispChangeRestart) {
    boxes_.ShowOk(kProgramTitle, kRestartText, platform::MessageIcon::None);
  } else if (result != platform::kDispChangeSuccessful) {
    boxes_.ShowOk(kProgramTitle, kFailedText, platform::MessageIcon::None);
  }
}

std::int32_t DisplayModes::ChangeDisplayMode(const platform::DisplayMode& mode) {
  const std::int32_t test = TestDisplayMode(mode);
  if (test < 0) return test;
  return display_.ChangeSettings(mode, platform::kCdsUpdateRegistry);
}

}  // namespace tidewarden
