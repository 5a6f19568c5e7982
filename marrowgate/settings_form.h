#pragma once

#include <string>
#include <string_view>

#include "platform/app_lifetime.h"
#include "platform/message_boxes.h"
#include "platform/profile_strings.h"
#include "platform/session.h"

namespace marrowgate {

inline constexpr std::u16string_view kSettingsFileName = u"Marrowgate.ini";
inline constexpr std::u16string_view kSection = u"TOOL";
inline constexpr std::u16string_view kVolumeKey = u"VOLUME";
inline constexpr std::u16string_view kClickKey = u"CLICK";

// The settings file in the program folder.
std::u16string SettingsPath(std::u16string_view programFolder);

// The volume range's entry for a stored VOLUME value and back; the tray program reads the
// same words.
int VolumeEntryOf(std::u16string_view stored);
std::u16string_view VolumeValueOf(int entry);
// What a left click on the tray icon opens, likewise for CLICK.
int ClickEntryOf(std::u16string_view stored);
std::u16string_view ClickValueOf(int entry);

// The settings window's state and events: which entries the two lists show, whether "適用"
// can be pressed, and what pressing it writes.
class SettingsForm {
 public:
  SettingsForm(platform::Session& session, platform::ProfileStrings& profile,
               platform::MessageBoxes& boxes)
      : session_(session), profile_(profile), boxes_(boxes) {}

  // Shows the stored choices; what the file does not say starts at the first entry.
  void Load();
  // A pick in the volume list.
  void OnVolumeRangeChosen(int entry);
  // A pick in the click list.
  void OnClickMenuChosen(int entry);
  // "適用": stores both choices, the VOLUME line above the CLICK line.
  void OnApplyClicked();

  int VolumeRangeEntry() const { return volumeRange_; }
  int ClickMenuEntry() const { return clickMenu_; }
  bool ApplyEnabled() const { return applyEnabled_; }
  const std::u16string& Path() const { return path_; }

 private:
  platform::Session& session_;
  platform::ProfileStrings& profile_;
  platform::MessageBoxes& boxes_;
  std::u16string path_;
  int volumeRange_ = 0;
  int clickMenu_ = 0;
  bool applyEnabled_ = true;
};

// The window on the screen, as the start sequence needs it.
class FormWindow {
 public:
  virtual ~FormWindow() = default;
  // Builds the window and its controls, not yet shown.
  virtual void Create() = 0;
  // Draws the form's state and shows the window.
  virtual void Show() = 0;
};

// The program's start: one copy only, then the window is built, filled from the file and
// shown. False when another copy runs: the program ends at once, file untouched.
bool Start(platform::AppLifetime& lifetime, FormWindow& window, SettingsForm& form);

}  // namespace marrowgate
