#include "marrowgate/settings_form.h"

#include "common/text_lines.h"
#include "marrowgate/form_layout.h"

namespace marrowgate {
namespace {

constexpr std::u16string_view kVolumeNormal = u"NORMAL";
constexpr std::u16string_view kVolumeLow = u"LOW";
constexpr std::u16string_view kVolumeMax = u"MAX";
constexpr std::u16string_view kClickVolume = u"VOLUME";
constexpr std::u16string_view kClickScreenSize = u"SCREENSIZE";

std::u16string WriteFailedText(const std::u16string& path) {
  return u"設定ファイルに書き込めませんでした。\r\n\r\n" + path +
         u"\r\n\r\nフォルダーやファイルが書き込み禁止になっていないか確かめてから、"
         u"もう一度「適用」を押してください。";
}

}  // namespace

std::u16string SettingsPath(std::u16string_view programFolder) {
  return common::WithTrailingBackslash(programFolder) + std::u16string(kSettingsFileName);
}

int VolumeEntryOf(std::u16string_view stored) {
  if (stored == kVolumeLow) return 1;
  if (stored == kVolumeMax) return 2;
  return 0;
}

std::u16string_view VolumeValueOf(int entry) {
  if (entry == 0) return kVolumeNormal;
  if (entry == 1) return kVolumeLow;
  return kVolumeMax;
}

int ClickEntryOf(std::u16string_view stored) { return stored == kClickScreenSize ? 1 : 0; }

std::u16string_view ClickValueOf(int entry) { return entry == 1 ? kClickScreenSize : kClickVolume; }

void SettingsForm::Load() {
  path_ = SettingsPath(session_.ProgramFolder());
  const std::u16string section(kSection);
  volumeRange_ = VolumeEntryOf(profile_.ReadString(path_, section, std::u16string(kVolumeKey)));
  clickMenu_ = ClickEntryOf(profile_.ReadString(path_, section, std::u16string(kClickKey)));
  applyEnabled_ = true;
}

void SettingsForm::OnVolumeRangeChosen(int entry) {
  volumeRange_ = entry;
  applyEnabled_ = true;
}

// A pick in either list is a choice to store: "適用" becomes pressable for it.
void SettingsForm::OnClickMenuChosen(int entry) {
  clickMenu_ = entry;
  applyEnabled_ = true;
}

void SettingsForm::OnApplyClicked() {
  if (!applyEnabled_) return;  // a greyed button cannot be pressed
  applyEnabled_ = false;
  const std::u16string section(kSection);
  const std::u16string clickKey(kClickKey);
  // VOLUME above CLICK: the tray program takes the first line that contains a key's name,
  // and "CLICK=VOLUME" contains "VOLUME". So CLICK is never stored without VOLUME above it:
  // not at all when VOLUME could not be written, and otherwise taken out and written anew
  // below VOLUME, since an updated key keeps its line (a hand-made file may hold it above).
  const bool stored =
      profile_.WriteString(path_, section, std::u16string(kVolumeKey),
                           std::u16string(VolumeValueOf(volumeRange_))) &&
      profile_.RemoveKey(path_, section, clickKey) &&
      profile_.WriteString(path_, section, clickKey, std::u16string(ClickValueOf(clickMenu_)));
  if (stored) return;
  // Nothing or only VOLUME was stored: say so, and let the user try again.
  applyEnabled_ = true;
  boxes_.ShowOk(std::u16string(kTitle), WriteFailedText(path_), platform::MessageIcon::Error);
}

bool Start(platform::AppLifetime& lifetime, FormWindow& window, SettingsForm& form) {
  if (!lifetime.ClaimSingleInstance()) return false;
  window.Create();
  form.Load();
  window.Show();
  return true;
}

}  // namespace marrowgate
