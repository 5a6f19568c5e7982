#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/clock.h"

namespace tidewarden {

// "h:nn": the hour without a leading zero, the minutes with two digits.
std::u16string ShortTime(const platform::LocalTime& time);

// The tooltip's status line: time, free memory and, where the resource meter is installed,
// the free system resources.
std::u16string BuildStatusText(const platform::LocalTime& time, std::int32_t availableMB,
                               std::optional<std::int32_t> freeResources);

// Decimal text of a number, with a "-" for negatives and nothing else.
std::u16string DecimalText(long long value);

}  // namespace tidewarden
