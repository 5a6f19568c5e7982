#include "marrowgate/settings_form.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "marrowgate/form_layout.h"
#include "platform/fake/fake_message_boxes.h"
#include "platform/fake/fake_profile_strings.h"
#include "platform/fake/fake_session.h"

namespace marrowgate {
namespace {

using Calls = std::vector<std::string>;

std::string Shown(std::u16string_view text) {
  std::string out;
  for (const char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

TEST(StoredValues, PickTheEntryOnlyForTheExactWord) {
  const struct {
    std::u16string_view stored;
    int volume;
    int click;
  } cases[] = {
      {u"", 0, 0},           {u"NORMAL", 0, 0}, {u"LOW", 1, 0},         {u"MAX", 2, 0},
      {u"low", 0, 0},        {u"Max", 0, 0},    {u"LOWER", 0, 0},       {u"MAXIMUM", 0, 0},
      {u" LOW", 0, 0},       {u"MAX ", 0, 0},   {u"VOLUME", 0, 0},      {u"SCREENSIZE", 0, 1},
      {u"screensize", 0, 0}, {u"SCREEN", 0, 0}, {u"SCREENSIZE2", 0, 0}, {u"ScreenSize", 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VolumeEntryOf(c.stored), c.volume) << Shown(c.stored);
    EXPECT_EQ(ClickEntryOf(c.stored), c.click) << Shown(c.stored);
  }
}

TEST(StoredValues, EveryEntryHasItsWord) {
  const struct {
    int entry;
    std::u16string_view volume;
    std::u16string_view click;
  } cases[] = {
      {0, u"NORMAL", u"VOLUME"}, {1, u"LOW", u"SCREENSIZE"}, {2, u"MAX", u"VOLUME"},
      {3, u"MAX", u"VOLUME"},    {-1, u"MAX", u"VOLUME"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VolumeValueOf(c.entry), c.volume) << c.entry;
    EXPECT_EQ(ClickValueOf(c.entry), c.click) << c.entry;
  }
  // Whatever the lists show comes back as it was stored.
  for (int entry = 0; entry < static_cast<int>(kVolumeItems.size()); ++entry) {
    EXPECT_EQ(VolumeEntryOf(VolumeValueOf(entry)), entry);
  }
  for (int entry = 0; entry < static_cast<int>(kClickItems.size()); ++entry) {
    EXPECT_EQ(ClickEntryOf(ClickValueOf(entry)), entry);
  }
}

TEST(SettingsPath, IsTheFileInTheProgramFolder) {
  const struct {
    std::u16string_view folder;
    std::u16string_view path;
  } cases[] = {
      {u"C:\\Tools\\Tidewarden", u"C:\\Tools\\Tidewarden\\Marrowgate.ini"},
      {u"C:\\Tools\\Tidewarden\\", u"C:\\Tools\\Tidewarden\\Marrowgate.ini"},
      {u"D:\\", u"D:\\Marrowgate.ini"},
      {u"\\\\server\\share\\ツール", u"\\\\server\\share\\ツール\\Marrowgate.ini"},
      {u"C:\\a/", u"C:\\a/\\Marrowgate.ini"},
  };
  for (const auto& c : cases) EXPECT_EQ(SettingsPath(c.folder), c.path) << Shown(c.folder);
}

struct SettingsFormTest : ::testing::Test {
  platform::fake::CallLog log;
  platform::fake::FakeSession session;
  platform::fake::FakeProfileStrings profile{log};
  platform::fake::FakeMessageBoxes boxes{log};
  SettingsForm form{session, profile, boxes};

  const std::u16string path = u"C:\\Tools\\Tidewarden\\Marrowgate.ini";

  std::u16string& File() { return profile.files_[path]; }
};

TEST_F(SettingsFormTest, LoadShowsTheStoredChoices) {
  const struct {
    const char16_t* file;  // nullptr: no file
    int combo1;
    int combo2;
  } cases[] = {
      {nullptr, 0, 0},
      {u"", 0, 0},
      {u"[TOOL]\r\nVOLUME=LOW\r\nCLICK=SCREENSIZE\r\n", 1, 1},
      {u"[TOOL]\r\nVOLUME=MAX\r\nCLICK=SCREENSIZE\r\n", 2, 1},
      {u"[TOOL]\r\nVOLUME=NORMAL\r\nCLICK=VOLUME\r\n", 0, 0},
      {u"[TOOL]\r\nCLICK=SCREENSIZE\r\nVOLUME=MAX\r\n", 2, 1},
      {u"[TOOL]\r\nCLICK=SCREENSIZE\r\n", 0, 1},
      // Only the exact words count: anything else is the first entry.
      {u"[TOOL]\r\nVOLUME=low\r\nCLICK=screensize\r\n", 0, 0},
      {u"[TOOL]\r\nVOLUME=LO\r\nCLICK=SCREEN\r\n", 0, 0},
      {u"[TOOL]\r\nVOLUME=MAXIMUM\r\nCLICK=SCREENSIZES\r\n", 0, 0},
      {u"[TOOL]\r\nVOLUME=\r\nCLICK=\r\n", 0, 0},
      {u"[OTHER]\r\nVOLUME=LOW\r\nCLICK=SCREENSIZE\r\n", 0, 0},
  };
  for (const auto& c : cases) {
    profile.files_.clear();
    if (c.file != nullptr) File() = c.file;
    log.calls.clear();
    SettingsForm fresh{session, profile, boxes};

    fresh.Load();
    const std::string name = c.file == nullptr ? "no file" : Shown(c.file);
    EXPECT_EQ(fresh.VolumeRangeEntry(), c.combo1) << name;
    EXPECT_EQ(fresh.ClickMenuEntry(), c.combo2) << name;
    EXPECT_TRUE(fresh.ApplyEnabled()) << name;
    EXPECT_EQ(log.calls, (Calls{"ReadString TOOL VOLUME", "ReadString TOOL CLICK"})) << name;
  }
}

TEST_F(SettingsFormTest, UnreadableFileStartsAtTheFirstEntries) {
  File() = u"[TOOL]\r\nVOLUME=MAX\r\nCLICK=SCREENSIZE\r\n";
  profile.unreadable_.insert(path);
  form.Load();
  EXPECT_EQ(form.VolumeRangeEntry(), 0);
  EXPECT_EQ(form.ClickMenuEntry(), 0);
}

TEST_F(SettingsFormTest, LoadUsesTheProgramFolder) {
  session.programFolder_ = u"E:\\";
  profile.files_[u"E:\\Marrowgate.ini"] = u"[TOOL]\r\nVOLUME=LOW\r\n";
  form.Load();
  EXPECT_EQ(form.Path(), u"E:\\Marrowgate.ini");
  EXPECT_EQ(form.VolumeRangeEntry(), 1);
}

TEST_F(SettingsFormTest, ApplyWritesVolumeThenClick) {
  const struct {
    int combo1;
    int combo2;
    const char* volume;
    const char* click;
  } cases[] = {
      {0, 0, "NORMAL", "VOLUME"},  {0, 1, "NORMAL", "SCREENSIZE"}, {1, 0, "LOW", "VOLUME"},
      {1, 1, "LOW", "SCREENSIZE"}, {2, 0, "MAX", "VOLUME"},        {2, 1, "MAX", "SCREENSIZE"},
  };
  for (const auto& c : cases) {
    form.Load();
    form.OnVolumeRangeChosen(c.combo1);
    form.OnClickMenuChosen(c.combo2);
    log.calls.clear();
    form.OnApplyClicked();
    EXPECT_EQ(log.calls,
              (Calls{std::string("WriteString TOOL VOLUME=") + c.volume, "RemoveKey TOOL CLICK",
                     std::string("WriteString TOOL CLICK=") + c.click}))
        << c.combo1 << " " << c.combo2;
    EXPECT_FALSE(form.ApplyEnabled());
    EXPECT_TRUE(boxes.shown_.empty());
  }
}

TEST_F(SettingsFormTest, FirstApplyMakesTheFileTheTrayProgramReads) {
  form.Load();
  form.OnVolumeRangeChosen(1);
  form.OnClickMenuChosen(1);
  form.OnApplyClicked();
  EXPECT_EQ(File(), u"[TOOL]\r\nVOLUME=LOW\r\nCLICK=SCREENSIZE\r\n");
}

TEST_F(SettingsFormTest, ApplyWithoutChangeRewritesBothKeys) {
  File() = u"[TOOL]\r\nVOLUME=MAX\r\nCLICK=SCREENSIZE\r\n";
  form.Load();
  log.calls.clear();
  form.OnApplyClicked();
  EXPECT_EQ(log.calls, (Calls{"WriteString TOOL VOLUME=MAX", "RemoveKey TOOL CLICK",
                              "WriteString TOOL CLICK=SCREENSIZE"}));
  EXPECT_EQ(File(), u"[TOOL]\r\nVOLUME=MAX\r\nCLICK=SCREENSIZE\r\n");
}

TEST_F(SettingsFormTest, APickInEitherListMakesApplyPressableAgain) {
  enum class Event { Load, Apply, PickVolume, PickClick };
  const struct {
    Event event;
    int entry;
    bool enabled;   // afterwards
    size_t writes;  // writes so far
  } steps[] = {
      {Event::Load, 0, true, 0},       {Event::Apply, 0, false, 2},
      {Event::Apply, 0, false, 2},                                   // greyed: nothing happens
      {Event::PickClick, 1, true, 2},  {Event::Apply, 0, false, 4},  // the click pick is stored
      {Event::PickVolume, 2, true, 4}, {Event::PickClick, 0, true, 4},
      {Event::PickClick, 1, true, 4},  {Event::PickVolume, 2, true, 4},  // the same entry again
      {Event::Apply, 0, false, 6},     {Event::PickVolume, 2, true, 6},
      {Event::Apply, 0, false, 8},     {Event::Load, 0, true, 8},
  };
  int step = 0;
  for (const auto& s : steps) {
    switch (s.event) {
      case Event::Load: form.Load(); break;
      case Event::Apply: form.OnApplyClicked(); break;
      case Event::PickVolume: form.OnVolumeRangeChosen(s.entry); break;
      case Event::PickClick: form.OnClickMenuChosen(s.entry); break;
    }
    EXPECT_EQ(form.ApplyEnabled(), s.enabled) << "step " << step;
    size_t writes = 0;
    for (const auto& call : log.calls) writes += call.rfind("WriteString", 0) == 0 ? 1u : 0u;
    EXPECT_EQ(writes, s.writes) << "step " << step;
    ++step;
  }
  // The last apply stored the last picks.
  EXPECT_EQ(File(), u"[TOOL]\r\nVOLUME=MAX\r\nCLICK=SCREENSIZE\r\n");
}

TEST_F(SettingsFormTest, PicksAreKeptForTheNextApply) {
  form.Load();
  form.OnVolumeRangeChosen(1);
  form.OnClickMenuChosen(1);
  EXPECT_EQ(form.VolumeRangeEntry(), 1);
  EXPECT_EQ(form.ClickMenuEntry(), 1);
  EXPECT_TRUE(profile.files_.empty());  // nothing is stored before "適用"
}

TEST_F(SettingsFormTest, FailedWriteIsReportedAndApplyStaysPressable) {
  const struct {
    std::set<std::u16string> refused;
    const char16_t* stored;  // the file afterwards; nullptr: none
    Calls calls;
  } cases[] = {
      // Never a CLICK line without VOLUME above it: the tray program would take it for VOLUME.
      {{u"VOLUME"}, nullptr, {"WriteString TOOL VOLUME=LOW", "ShowOk"}},
      {{u"CLICK"},
       u"[TOOL]\r\nVOLUME=LOW\r\n",
       {"WriteString TOOL VOLUME=LOW", "RemoveKey TOOL CLICK", "ShowOk"}},
      {{u"VOLUME", u"CLICK"}, nullptr, {"WriteString TOOL VOLUME=LOW", "ShowOk"}},
  };
  for (const auto& c : cases) {
    profile.files_.clear();
    profile.refusedKeys_ = c.refused;
    boxes.shown_.clear();
    form.Load();
    form.OnVolumeRangeChosen(1);
    form.OnClickMenuChosen(1);
    log.calls.clear();

    form.OnApplyClicked();
    const std::string name = c.stored == nullptr ? "both" : Shown(c.stored);
    EXPECT_EQ(log.calls, c.calls) << name;
    EXPECT_TRUE(form.ApplyEnabled()) << name;
    ASSERT_EQ(boxes.shown_.size(), 1u) << name;
    EXPECT_EQ(boxes.shown_[0].title, u"Tidewardenツールの設定");
    EXPECT_NE(boxes.shown_[0].text.find(u"書き込めませんでした"), std::u16string::npos);
    EXPECT_NE(boxes.shown_[0].text.find(path), std::u16string::npos);
    EXPECT_EQ(boxes.shown_[0].icon, platform::MessageIcon::Error);
    if (c.stored == nullptr) {
      EXPECT_EQ(profile.files_.count(path), 0u);
    } else {
      EXPECT_EQ(File(), c.stored);
    }
  }
}

TEST_F(SettingsFormTest, RetryAfterAFailedWriteStoresBothVolumeFirst) {
  const std::set<std::u16string> cases[] = {{}, {u"VOLUME"}, {u"CLICK"}};
  for (const auto& refused : cases) {
    profile.files_.clear();
    boxes.shown_.clear();
    profile.refuseWrites_ = refused.empty();
    profile.refusedKeys_ = refused;
    form.Load();
    form.OnVolumeRangeChosen(2);
    form.OnApplyClicked();
    EXPECT_TRUE(form.ApplyEnabled());
    profile.refuseWrites_ = false;
    profile.refusedKeys_.clear();
    form.OnApplyClicked();
    EXPECT_FALSE(form.ApplyEnabled());
    EXPECT_EQ(File(), u"[TOOL]\r\nVOLUME=MAX\r\nCLICK=VOLUME\r\n") << refused.size();
    EXPECT_EQ(boxes.shown_.size(), 1u);
  }
}

TEST_F(SettingsFormTest, ApplyPutsVolumeAboveClickAndLeavesTheRest) {
  File() = u"; written by hand\r\n[TOOL]\r\nCLICK=VOLUME\r\nVOLUME=NORMAL\r\n\r\n[MORE]\r\nX=1\r\n";
  form.Load();
  form.OnVolumeRangeChosen(1);
  form.OnClickMenuChosen(1);
  form.OnApplyClicked();
  EXPECT_EQ(
      File(),
      u"; written by hand\r\n[TOOL]\r\nVOLUME=LOW\r\nCLICK=SCREENSIZE\r\n\r\n[MORE]\r\nX=1\r\n");
}

struct StartTest : SettingsFormTest {
  platform::fake::FakeAppLifetime lifetime{log};
  struct FakeWindow : FormWindow {
    FakeWindow(platform::fake::CallLog& calls, const SettingsForm& shownForm)
        : log(calls), form(shownForm) {}
    void Create() override { log.Add("Create"); }
    void Show() override {
      log.Add("Show");
      shownEntries = {form.VolumeRangeEntry(), form.ClickMenuEntry()};
      shownEnabled = form.ApplyEnabled();
    }
    platform::fake::CallLog& log;
    const SettingsForm& form;
    std::vector<int> shownEntries;
    bool shownEnabled = false;
  } window{log, form};
};

TEST_F(StartTest, BuildsFillsThenShowsTheWindow) {
  File() = u"[TOOL]\r\nVOLUME=MAX\r\nCLICK=SCREENSIZE\r\n";
  EXPECT_TRUE(Start(lifetime, window, form));
  EXPECT_EQ(log.calls,
            (Calls{"Create", "ReadString TOOL VOLUME", "ReadString TOOL CLICK", "Show"}));
  EXPECT_EQ(window.shownEntries, (std::vector<int>{2, 1}));
  EXPECT_TRUE(window.shownEnabled);
}

// An elevated copy's place cannot even be opened by a copy of normal rights: that answer,
// too, means another copy runs.
TEST_F(StartTest, SecondCopyEndsWithoutWindowOrFile) {
  using platform::InstanceClaim;
  for (InstanceClaim claim : {InstanceClaim::AlreadyExists, InstanceClaim::AccessDenied}) {
    lifetime.claim_ = claim;
    EXPECT_FALSE(Start(lifetime, window, form));
    EXPECT_TRUE(log.calls.empty());
    EXPECT_TRUE(profile.files_.empty());
    EXPECT_TRUE(boxes.shown_.empty());
  }
  lifetime.claim_ = InstanceClaim::Failed;  // no answer: the window is rather shown than not
  EXPECT_TRUE(Start(lifetime, window, form));
}

}  // namespace
}  // namespace marrowgate
