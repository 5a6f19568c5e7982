// Every platform call of loading and applying, failed in turn: the window must go on, tell the
// user when the choices were not stored, and a restarted Marrowgate must read whatever the
// failure left without harm.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "marrowgate/settings_form.h"
#include "platform/fake/fake_message_boxes.h"
#include "platform/fake/fake_profile_strings.h"
#include "platform/fake/fake_session.h"

namespace marrowgate {
namespace {

struct Machine {
  platform::fake::CallLog log;
  platform::fake::FakeSession session;
  platform::fake::FakeProfileStrings profile{log};
  platform::fake::FakeMessageBoxes boxes{log};

  const std::u16string path = u"C:\\Tools\\Tidewarden\\Marrowgate.ini";
  // Stored before: the middle range, the volume submenu. Chosen now: LOW, screen size.
  const std::u16string oldText = u"[TOOL]\r\nVOLUME=MAX\r\nCLICK=VOLUME\r\n";
  static constexpr int kOldVolume = 2;
  static constexpr int kOldClick = 0;
  static constexpr int kNewVolume = 1;
  static constexpr int kNewClick = 1;

  Machine() { profile.files_[path] = oldText; }

  // What the file holds for a key, as any reader of it gets it.
  std::u16string Stored(std::u16string_view key) {
    return profile.ReadString(path, u"TOOL", std::u16string(key));
  }
  // The tray program takes the first line that contains a key's name; "CLICK=VOLUME" holds
  // "VOLUME", so the VOLUME line must come first.
  bool VolumeLineFirst() const {
    const auto file = profile.files_.find(path);
    if (file == profile.files_.end()) return true;
    const size_t first = file->second.find(u"VOLUME");
    return first == std::u16string::npos ||
           (first >= 2 && file->second.compare(first - 2, 8, u"\r\nVOLUME") == 0);
  }

  std::string FileText() {
    const std::u16string& text = profile.files_[path];
    return std::string(text.begin(), text.end());  // ASCII only here
  }

  // A new Marrowgate on the same folder, as after a restart.
  std::pair<int, int> Reload() {
    SettingsForm fresh{session, profile, boxes};
    fresh.Load();
    return {fresh.VolumeRangeEntry(), fresh.ClickMenuEntry()};
  }
};

struct Fault {
  std::string name;
  std::function<void(Machine&)> inject;
};

std::vector<Fault> Faults() {
  std::vector<Fault> faults = {
      {"none", [](Machine&) {}},
      {"file unreadable", [](Machine& m) { m.profile.unreadable_.insert(m.path); }},
      {"file missing", [](Machine& m) { m.profile.files_.clear(); }},
      {"every write", [](Machine& m) { m.profile.refuseWrites_ = true; }},
      {"volume write", [](Machine& m) { m.profile.refusedKeys_ = {u"VOLUME"}; }},
      {"volume write, no file yet",
       [](Machine& m) {
         m.profile.files_.clear();
         m.profile.refusedKeys_ = {u"VOLUME"};
       }},
      {"click write", [](Machine& m) { m.profile.refusedKeys_ = {u"CLICK"}; }},
      {"no program folder", [](Machine& m) { m.session.programFolder_.clear(); }},
  };
  // The writer killed after every possible number of characters of either write.
  const size_t longest =
      std::u16string_view(u"[TOOL]\r\nVOLUME=LOW\r\nCLICK=SCREENSIZE\r\n").size();
  for (int write = 0; write < 3; ++write) {  // VOLUME, CLICK taken out, CLICK
    for (size_t after = 0; after <= longest; ++after) {
      faults.push_back({"write " + std::to_string(write) + " torn after " + std::to_string(after),
                        [write, after](Machine& m) {
                          m.profile.tornAfter_ = after;
                          m.profile.wholeWritesBeforeTear_ = write;
                        }});
    }
  }
  return faults;
}

TEST(FaultInjection, ApplyStoresBothChoicesOrSaysItDidNot) {
  for (const Fault& fault : Faults()) {
    SCOPED_TRACE(fault.name);
    Machine m;
    SettingsForm form{m.session, m.profile, m.boxes};
    fault.inject(m);
    const auto filesBefore = m.profile.files_;
    form.Load();
    EXPECT_EQ(m.profile.files_, filesBefore);  // loading never writes
    form.OnVolumeRangeChosen(Machine::kNewVolume);
    form.OnClickMenuChosen(Machine::kNewClick);
    form.OnApplyClicked();

    const bool stored = !form.ApplyEnabled();
    EXPECT_EQ(m.boxes.shown_.size(), stored ? 0u : 1u);
    m.profile.unreadable_.clear();  // the restarted program can read what is there
    const auto [volume, click] = m.Reload();
    EXPECT_TRUE(m.VolumeLineFirst());
    if (stored) {
      EXPECT_EQ(volume, Machine::kNewVolume);
      EXPECT_EQ(click, Machine::kNewClick);
    } else {
      // What a failed save leaves holds each key's old word, its new word, the start of one
      // cut by a dying writer, or nothing: never another key's word or a word nobody chose.
      const auto oneOf = [](std::u16string word, std::u16string_view old,
                            std::u16string_view chosen) {
        if (!word.empty() && word.back() == u'\r') word.pop_back();  // cut between CR and LF
        return old.substr(0, word.size()) == word || chosen.substr(0, word.size()) == word;
      };
      EXPECT_TRUE(oneOf(m.Stored(u"VOLUME"), u"MAX", u"LOW")) << m.FileText();
      EXPECT_TRUE(oneOf(m.Stored(u"CLICK"), u"VOLUME", u"SCREENSIZE")) << m.FileText();
    }

    // Once the fault is gone, the next "適用" stores both.
    m.profile.refuseWrites_ = false;
    m.profile.refusedKeys_.clear();
    m.profile.tornAfter_.reset();
    if (!form.ApplyEnabled()) form.OnVolumeRangeChosen(Machine::kNewVolume);
    form.OnApplyClicked();
    EXPECT_FALSE(form.ApplyEnabled());
    EXPECT_EQ(m.Reload(), std::make_pair(Machine::kNewVolume, Machine::kNewClick));
    EXPECT_TRUE(m.VolumeLineFirst()) << m.FileText();
  }
}

}  // namespace
}  // namespace marrowgate
