#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/clock.h"

namespace tidewarden {

// "≪m月d日 aaaa h時nn分≫", with the full Japanese weekday name.
std::u16string DateLine(const platform::LocalTime& time);

// "空きメモリー NMB", with " / リソース P%" where the resource meter is installed.
std::u16string MemoryLine(std::int32_t availableMB, std::optional<std::int32_t> freeResources);

// The free-memory item's caption: the memory line between "≪" and "≫", padded with blanks
// on both sides so it stands centred under the date line.
std::u16string CenteredMemoryCaption(const std::u16string& dateLine,
                                     const std::u16string& memoryLine);

// The tooltip field as the shell receives it: the status line cut to 64 characters with a
// NUL and blanks to fill the field, of which the shell shows the text before the NUL.
std::u16string TooltipField(const std::u16string& statusLine);

}  // namespace tidewarden
