// Every platform call on the timer ticks, the popup refresh and the priority window, failed
// in turn: the program must go on, with its state consistent and its files whole.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "tidewarden/fake_ports.h"
#include "tidewarden/monitor/watch_entry.h"
#include "tidewarden/tray_program.h"

namespace tidewarden {
namespace {

using platform::TimerId;

struct Machine : FakePorts {
  TrayRig rig{*this};
  TrayProgram& program = rig.program;

  const std::u16string app = u"C:\\Tools\\Tidewarden\\";
  const std::u16string watchFile = app + u"Process.ini";
  const std::u16string watchText = PathField(u"C:\\APP\\A.EXE") + u" HIGH\r\n";

  // A machine where every path has work to do: low memory, monitoring on, a watched program,
  // a sound device, display modes, the resource meter.
  Machine() {
    memory.SetMB(1024, 100);
    files.files_[u"C:\\WINDOWS\\system\\rsrc32.dll"] = u"";
    files.files_[app + u"Process2.ini"] = u"ON\r\n";
    files.files_[watchFile] = watchText;
    files.files_[app + u"Marrowgate.ini"] = u"[TOOL]\r\nVOLUME=MAX\r\nCLICK=VOLUME\r\n";
    processes.running_ = {{7, 1, 8, u"C:\\APP\\A.EXE"}, {8, 1, 8, u"C:\\APP\\B.EXE"}};
    waveOut.devices_ = {{0x0004, 0x80008000u}};
    display.modes_ = {{800, 600, 32}, {1024, 768, 32}};
    program.Start();
  }
};

struct Fault {
  const char* name;
  std::function<void(Machine&)> inject;
};

std::vector<Fault> Faults() {
  return {
      {"none", [](Machine&) {}},
      {"memory status", [](Machine& m) { m.memory.answer_.reset(); }},
      {"memory total zero",
       [](Machine& m) {
         m.memory.answer_ = platform::PhysicalMemory{0, 0};
       }},
      {"memory nonsense",
       [](Machine& m) {
         m.memory.answer_ = platform::PhysicalMemory{1, ~0ULL};
       }},
      {"resource meter", [](Machine& m) { m.meter.answer_.reset(); }},
      {"resource meter negative", [](Machine& m) { m.meter.answer_ = -5; }},
      {"program start", [](Machine& m) { m.launcher.refuse_ = true; }},
      {"tray icon",
       [](Machine& m) {
         m.tray.refuseAdd_ = true;
         m.tray.shown_ = false;
       }},
      {"file reads",
       [](Machine& m) {
         for (auto& [path, text] : m.files.files_) m.files.unreadable_.insert(path);
       }},
      {"file writes", [](Machine& m) { m.files.refuseWrites_ = true; }},
      {"process snapshot", [](Machine& m) { m.processes.snapshotFails_ = true; }},
      {"process open",
       [](Machine& m) {
         m.processes.unopenable_ = {7, 8};
       }},
      {"process table empties", [](Machine& m) { m.processes.running_.clear(); }},
      {"process table changes between calls",
       [](Machine& m) {
         m.processes.changing_ = {{{7, 1, 8, u"C:\\APP\\A.EXE"}, {8, 1, 8, u"C:\\APP\\B.EXE"}},
                                  {{8, 2, 8, u"C:\\APP\\B.EXE"}},
                                  {{7, 1, 8, u"C:\\OTHER\\C.EXE"},
                                   {9, 1, 13, u"C:\\APP\\A.EXE"},
                                   {10, 1, 4, u"C:\\APP\\D.EXE"}},
                                  {}};
       }},
      {"process table nonsense",
       [](Machine& m) {
         m.processes.running_ = {{0, 0, -1, u""},
                                 {7, ~0u, INT32_MIN, std::u16string(40000, u'A')},
                                 {7, 1, 8, u"C:\\APP\\A.EXE"},
                                 {8, 1, INT32_MAX, u"\\"},
                                 {9, 1, 8, u"C:\\APP\\A.EXE HIGH\r\nC:\\X.EXE"}};
       }},
      {"wave-out caps", [](Machine& m) { m.waveOut.devices_[0].support.reset(); }},
      {"wave-out volume", [](Machine& m) { m.waveOut.devices_[0].volume.reset(); }},
      {"no sound device", [](Machine& m) { m.waveOut.devices_.clear(); }},
      {"display test",
       [](Machine& m) {
         m.display.testAnswers_[{800, 600, 32}] = -1;
         m.display.testAnswers_[{1024, 768, 32}] = -1;
       }},
      {"display enumeration", [](Machine& m) { m.display.modes_.clear(); }},
      {"display nonsense",
       [](Machine& m) {
         m.display.current_ = {-1, 0, 0};
       }},
      {"display current mode", [](Machine& m) { m.display.currentReadable_ = false; }},
      {"master volume refuses",
       [](Machine& m) {
         m.master.present_ = true;
         m.master.refuseSet_ = true;
       }},
      {"master volume nonsense",
       [](Machine& m) {
         m.master.present_ = true;
         m.master.scalar_ = std::numeric_limits<float>::quiet_NaN();
       }},
      {"master volume too loud",
       [](Machine& m) {
         m.master.present_ = true;
         m.master.scalar_ = -3.5F;
       }},
      {"clock nonsense", [](Machine& m) { m.clock.now_ = {-1, 13, 32, 9, 25, 61, -61}; }},
  };
}

TEST(FaultInjection, TimerTicksGoOn) {
  for (const Fault& fault : Faults()) {
    SCOPED_TRACE(fault.name);
    Machine m;
    const std::u16string before = m.tray.tooltip_;
    fault.inject(m);
    m.rig.state.ReleaseCount = 100000;  // after a long spell of low memory
    // A release asks for something, and never for more than the whole memory (1024 MB).
    const auto releaseOnCheck = [&m] {
      m.launcher.started_.clear();
      m.program.OnCheckTimer();
      long long asked = 0;
      for (const auto& start : m.launcher.started_) {
        const std::u16string size = start.commandLine.substr(start.commandLine.rfind(u' ') + 1);
        asked += std::stoll(std::string(size.begin(), size.end()));
      }
      EXPECT_LE(asked, 1024);
      return asked;
    };
    const long long first = releaseOnCheck();
    m.program.OnTooltipTimer();
    releaseOnCheck();
    EXPECT_TRUE(m.timers.Running(TimerId::Check));
    EXPECT_TRUE(m.timers.Running(TimerId::Tooltip));
    EXPECT_FALSE(m.lifetime.quit_);
    if (std::string(fault.name) == "none") {
      EXPECT_EQ(first, 1024);
    }
    // The tooltip is always a whole status line: the new one or the one before.
    EXPECT_EQ(m.tray.tooltip_.rfind(u"時刻 ≪", 0), 0u);
    if (!m.tray.shown_) {
      EXPECT_EQ(m.tray.tooltip_, before);
    }
    EXPECT_EQ(m.files.files_[m.watchFile], m.watchText);
  }
}

TEST(FaultInjection, PopupOpensWhateverFails) {
  for (const Fault& fault : Faults()) {
    SCOPED_TRACE(fault.name);
    Machine m;
    fault.inject(m);
    m.program.OnTrayMessage(kTrayRightButtonUp);
    m.program.OnTrayMessage(kTrayLeftButtonUp);
    ASSERT_EQ(m.popups.shown_.size(), 2u);
    EXPECT_EQ(m.popups.shown_[0].front().caption, u"メニューを閉じる");
    EXPECT_EQ(m.popups.shown_[0].back().caption, u"終了");
    // At most one volume step is checked, whatever the device said.
    int checked = 0;
    for (const auto& entry : m.popups.shown_[1]) checked += entry.checked ? 1 : 0;
    EXPECT_LE(checked, 1);
  }
}

// Every item a click on the menu can choose, as "submenu/item" paths.
std::vector<std::u16string> LeafPaths(const std::vector<platform::MenuEntry>& entries,
                                      const std::u16string& prefix = u"") {
  std::vector<std::u16string> paths;
  for (const auto& entry : entries) {
    if (entry.separator) continue;
    if (entry.children.empty()) {
      paths.push_back(prefix + entry.caption);
    } else {
      for (auto& path : LeafPaths(entry.children, prefix + entry.caption + u"/"))
        paths.push_back(std::move(path));
    }
  }
  return paths;
}

TEST(FaultInjection, MenuCommandsGoOn) {
  Machine shown;
  shown.program.OnTrayMessage(kTrayRightButtonUp);
  const std::vector<std::u16string> leaves = LeafPaths(shown.popups.shown_.back());
  ASSERT_GT(leaves.size(), 30u);  // the whole menu, volume steps and modes included
  for (const Fault& fault : Faults()) {
    for (const std::u16string& choice : leaves) {
      SCOPED_TRACE(std::string(fault.name) + " " + std::string(choice.begin(), choice.end()));
      Machine m;
      m.shellWindows.present_ = false;
      fault.inject(m);
      m.popups.choose_ = choice;
      m.program.OnTrayMessage(kTrayRightButtonUp);
      EXPECT_TRUE(m.timers.Running(TimerId::Check));
      EXPECT_EQ(m.lifetime.quit_, choice == u"終了");
      const auto& switchFile = m.files.files_[m.app + u"Process2.ini"];
      EXPECT_TRUE(switchFile == u"ON\r\n" || switchFile == u"OFF\r\n");
    }
  }
}

TEST(FaultInjection, PriorityWindowKeepsItsStateConsistent) {
  for (const Fault& fault : Faults()) {
    SCOPED_TRACE(fault.name);
    Machine m;
    PriorityWindow window{{m.rig.monitor, m.rig.state, m.files, m.processes}, m.boxes};
    window.Open();
    fault.inject(m);
    window.OnRefreshTimer();
    for (size_t row = 0; row < window.RunningRows().size(); ++row) {
      window.OnRunningRowClicked(static_cast<int>(row));
      window.OnAddClicked();
    }
    window.OnWatchEntryClicked(0);
    window.OnPriorityOptionClicked(2);
    window.OnRefreshTimer();
    if (window.WatchEntries().size() > 1) {
      window.OnWatchEntryClicked(window.WatchEntries().size() - 1);
      window.OnDeleteClicked();  // delete the last one again
    }
    EXPECT_EQ(window.RunningRows().size(), m.rig.monitor.ProcessTable().size());
    if (window.RunningSelection()) {
      EXPECT_LT(*window.RunningSelection(), window.RunningRows().size());
    }
    const bool saved = window.OnOkClicked();
    const std::u16string& file = m.files.files_[m.watchFile];
    if (saved) {
      EXPECT_EQ(file, WatchListText(window.WatchEntries()));
      EXPECT_EQ(ParseWatchList(file), window.WatchEntries());  // it reads back as saved
      EXPECT_EQ(m.rig.monitor.LiveWatchList(), window.WatchEntries());
    } else {
      EXPECT_EQ(file, m.watchText);  // the old list stays whole
      EXPECT_FALSE(m.boxes.shown_.empty());
    }
    window.OnClose();
    EXPECT_FALSE(m.rig.state.PriorityWindowOpen);
  }
}

// A menu as a user sees it: captions in order, checked ones marked.
std::u16string Seen(const std::vector<platform::MenuEntry>& entries) {
  std::u16string out;
  for (const auto& entry : entries) {
    out += (entry.checked ? u"*" : u"") + entry.caption + u"{" + Seen(entry.children) + u"}|";
  }
  return out;
}

// What the tool settings steer: the right-click menu's marks, the left-click submenu, and the
// device's volume after "±0 (中音量)" is chosen there.
struct ToolBehaviour {
  std::u16string menu;
  std::u16string clickMenu;
  std::optional<std::uint32_t> volume;
  bool operator==(const ToolBehaviour& other) const {
    return menu == other.menu && clickMenu == other.clickMenu && volume == other.volume;
  }
};

ToolBehaviour WithToolFile(const std::optional<std::u16string>& text) {
  Machine m;
  m.waveOut.devices_ = {{0x0004, 0x20062006u}};  // the middle step of the LOW range
  const std::u16string path = m.app + u"Marrowgate.ini";
  m.files.files_.erase(path);
  if (text) m.files.files_[path] = *text;
  m.program.OnTrayMessage(kTrayRightButtonUp);
  m.popups.choose_ = u"±0 (中音量)";
  m.program.OnTrayMessage(kTrayLeftButtonUp);
  return {Seen(m.popups.shown_.at(0)), Seen(m.popups.shown_.at(1)), m.waveOut.devices_[0].volume};
}

// The settings program rewrites its whole file in place; a save cut short leaves the first
// part of the new text. Each cut must read as the file without its unfinished lines.
TEST(TornFiles, HalfWrittenToolSettingsReadAsTheirWholeLinesOnly) {
  const std::u16string whole = u"[TOOL]\r\nVOLUME=LOW\r\nCLICK=SCREENSIZE\r\n";
  const ToolBehaviour none = WithToolFile(std::nullopt);
  const ToolBehaviour full = WithToolFile(whole);
  ASSERT_FALSE(none == full);  // the file does make a difference
  for (size_t cut = 0; cut <= whole.size(); ++cut) {
    SCOPED_TRACE(cut);
    const std::u16string torn = whole.substr(0, cut);
    std::u16string complete;
    if (torn.find(u"VOLUME=LOW") != std::u16string::npos) complete += u"VOLUME=LOW\r\n";
    if (torn.find(u"CLICK=SCREENSIZE") != std::u16string::npos) complete += u"CLICK=SCREENSIZE\r\n";
    EXPECT_TRUE(WithToolFile(torn) == WithToolFile(complete));
  }
}

}  // namespace
}  // namespace tidewarden
