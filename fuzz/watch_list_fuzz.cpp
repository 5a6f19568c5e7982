// Process.ini and Process2.ini as the monitor reads them, and the rows built from entries.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "tidewarden/monitor/watch_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = fuzz::TextOf(data, size);
  const auto entries = tidewarden::ParseWatchList(text);
  for (const auto& entry : entries) {
    fuzz::Check(!entry.empty() && entry.find(u'\r') == std::u16string::npos);
    const auto option = tidewarden::OptionOfEntry(entry);
    fuzz::Check(option.has_value() == tidewarden::PriorityOfEntry(entry).has_value());
    const platform::ProcessRecord process{static_cast<std::uint32_t>(entry.size()), 3,
                                          static_cast<std::int32_t>(entry[0]), entry};
    const std::u16string added = tidewarden::NewWatchEntry(process);
    fuzz::Check(tidewarden::SameProgram(added, tidewarden::PathField(entry)));
    (void)tidewarden::RunningRow(process);
  }
  // What is saved reads back the same.
  fuzz::Check(tidewarden::ParseWatchList(tidewarden::WatchListText(entries)) == entries);
  (void)tidewarden::MonitorSwitchOn(text);
  return 0;
}
