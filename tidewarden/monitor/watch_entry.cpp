#include "tidewarden/monitor/watch_entry.h"

#include <array>
#include <cstdio>

#include "common/text_lines.h"

#include "tidewarden/startup/start_up.h"
#include "tidewarden/startup/status_text.h"

namespace tidewarden {

namespace {

struct PriorityWord {
  std::u16string_view word;
  platform::PriorityClass priority;
  std::int32_t basePriority;
};

// In the order the entries are tested.
constexpr std::array<PriorityWord, 4> kWords = {{
    {u"REALTIME", platform::PriorityClass::Realtime, 24},
    {u"HIGH", platform::PriorityClass::High, 13},
    {u"NORMAL", platform::PriorityClass::Normal, 8},
    {u"IDOL", platform::PriorityClass::Idle, 4},
}};

}  // namespace

std::u16string FixedWidth(std::u16string_view text, size_t width) {
  std::u16string field(text.substr(0, width));
  field.resize(width, u' ');
  return field;
}

std::u16string PathField(std::u16string_view exeFile) {
  return FixedWidth(TrimAtNul(exeFile), kPathField);
}

bool SameProgram(std::u16string_view entry, std::u16string_view pathField) {
  return entry.substr(0, kPathField) == pathField;
}

std::u16string WordOfBasePriority(std::int32_t basePriority) {
  for (const auto& word : kWords) {
    if (word.basePriority == basePriority) return std::u16string(word.word);
  }
  return {};
}

std::optional<int> OptionOfEntry(std::u16string_view entry) {
  // Only after the path field: a program named HIGHLAND.EXE is not asked to run HIGH.
  if (entry.size() <= kPathField) return std::nullopt;
  const std::u16string_view words = entry.substr(kPathField);
  for (size_t i = 0; i < kWords.size(); ++i) {
    if (words.find(kWords[i].word) != std::u16string_view::npos) return static_cast<int>(i);
  }
  return std::nullopt;
}

std::optional<platform::PriorityClass> PriorityOfEntry(std::u16string_view entry) {
  const auto option = OptionOfEntry(entry);
  if (!option) return std::nullopt;
  return kWords[static_cast<size_t>(*option)].priority;
}

platform::PriorityClass PriorityOfOption(int option) {
  return kWords.at(static_cast<size_t>(option)).priority;
}

std::u16string_view WordOfOption(int option) { return kWords.at(static_cast<size_t>(option)).word; }

std::u16string NewWatchEntry(const platform::ProcessRecord& process) {
  return PathField(process.szExeFile) + u" " +
         FixedWidth(WordOfBasePriority(process.pcPriClassBase), 10);
}

std::u16string RewrittenWatchEntry(std::u16string_view pathField, int option) {
  return std::u16string(pathField) + u" " + std::u16string(WordOfOption(option));
}

std::u16string RunningRow(const platform::ProcessRecord& process) {
  const std::u16string path = TrimAtNul(process.szExeFile);
  const size_t slash = path.rfind(u'\\');
  const std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
  char id[16];
  std::snprintf(id, sizeof id, "%X", static_cast<unsigned>(process.th32ProcessID));
  const std::string hex(id);
  return FixedWidth(name, 32) + u" " + FixedWidth(WordOfBasePriority(process.pcPriClassBase), 10) +
         u" " + FixedWidth(DecimalText(process.cntThreads), 11) + u" " +
         std::u16string(hex.begin(), hex.end());
}

std::vector<std::u16string> ParseWatchList(std::u16string_view text) {
  std::vector<std::u16string> entries;
  for (const std::u16string_view line : common::SplitLines(text)) {
    if (!line.empty()) entries.emplace_back(line);
  }
  return entries;
}

std::u16string WatchListText(const std::vector<std::u16string>& entries) {
  std::u16string text;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) text += u"\r\n";
    text += entries[i];
  }
  return text + u"\r\n";
}

bool MonitorSwitchOn(std::u16string_view text) {
  const size_t end = text.find(u'\r');
  return text.substr(0, end) == u"ON";
}

}  // namespace tidewarden
