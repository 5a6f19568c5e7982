#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/own_process.h"
#include "platform/processes.h"

namespace tidewarden {

inline constexpr size_t kPathField = 60;

// A text cut to, or filled with blanks up to, exactly `width` characters.
std::u16string FixedWidth(std::u16string_view text, size_t width);

// The 60-character path field of a program: its snapshot path up to the first NUL.
std::u16string PathField(std::u16string_view exeFile);

// Whether a watch entry names the program with this path field: its first 60 characters.
bool SameProgram(std::u16string_view entry, std::u16string_view pathField);

// The word for a snapshot base priority (24, 13, 8, 4); empty for any other value.
std::u16string WordOfBasePriority(std::int32_t basePriority);

// The priority an entry asks for: "REALTIME", "HIGH", "NORMAL", "IDOL" after its 60-character
// path field, tested in this order; empty when none is there.
std::optional<platform::PriorityClass> PriorityOfEntry(std::u16string_view entry);
// The option button (0 to 3) for an entry, by the same order; empty when none matches.
std::optional<int> OptionOfEntry(std::u16string_view entry);

// The four option buttons: their class and their word.
platform::PriorityClass PriorityOfOption(int option);
std::u16string_view WordOfOption(int option);

// A new entry for a running program: path field, a blank and the word filled to 10.
std::u16string NewWatchEntry(const platform::ProcessRecord& process);
// An entry rewritten by an option button: path field, a blank and the bare word.
std::u16string RewrittenWatchEntry(std::u16string_view pathField, int option);

// A row of the running-process list: name (32), priority word (10), threads (11), id in hex.
std::u16string RunningRow(const platform::ProcessRecord& process);

// The watch list in its file: one entry a line, CR LF after each; an empty list is one empty
// line. Reading skips empty lines; a lone CR ends a line too.
std::vector<std::u16string> ParseWatchList(std::u16string_view text);
std::u16string WatchListText(const std::vector<std::u16string>& entries);

// Process2.ini: monitoring is on when its first line is exactly "ON".
bool MonitorSwitchOn(std::u16string_view text);

}  // namespace tidewarden
