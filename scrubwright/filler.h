#pragma once

#include <cstdint>
#include <string_view>

#include "platform/message_boxes.h"
#include "platform/own_process.h"
#include "platform/virtual_memory.h"

namespace scrubwright {

// The program title: the hidden window's caption and the caption of the error box.
inline constexpr std::u16string_view kTitle = u"メモリー開放中...";
inline constexpr std::u16string_view kOverflowText =
    u"オーバーフローしました。\r\n"
    u"一度に解放できるのは 2047 MB までです。\r\n"
    u"メモリーは確保していません。";

// What one run does with its command line.
struct FillPlan {
  enum class Kind {
    Nothing,   // no number, 0, or a negative size: nothing to allocate
    Overflow,  // the size in bytes does not fit 32 bits: report, allocate nothing
    Fill,      // commit, zero and decommit `bytes`
  };
  Kind kind = Kind::Nothing;
  std::uint32_t bytes = 0;
};

// The size in megabytes from the command line's arguments, turned into bytes with 32-bit
// signed arithmetic, as the size travels in a 32-bit field: 1 to 2047 MB are usable.
FillPlan PlanFill(std::u16string_view arguments);

// The whole run, in order: idle priority, then the plan carried out. A refused allocation
// ends the run quietly, with nothing written or freed.
void Run(std::u16string_view arguments, platform::OwnProcess& process,
         platform::VirtualMemory& memory, platform::MessageBoxes& boxes);

}  // namespace scrubwright
