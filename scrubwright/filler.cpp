#include "scrubwright/filler.h"

#include <string>

#include "common/number_text.h"

namespace scrubwright {

FillPlan PlanFill(std::u16string_view arguments) {
  const auto megabytes = common::RoundHalfEvenToInt32(common::ReadLeadingNumber(arguments));
  // A number beyond 32 bits cannot even be held as a size in megabytes.
  if (!megabytes) return {FillPlan::Kind::Overflow, 0};
  if (*megabytes == 0) return {FillPlan::Kind::Nothing, 0};

  std::int32_t kilobytes = 0;
  std::int32_t bytes = 0;
  if (__builtin_mul_overflow(*megabytes, 1024, &kilobytes) ||
      __builtin_mul_overflow(kilobytes, 1024, &bytes)) {
    return {FillPlan::Kind::Overflow, 0};
  }
  // A negative size passes the 32-bit check but names no region; asking the system for it
  // would only fail, so it is not asked.
  if (bytes < 0) return {FillPlan::Kind::Nothing, 0};
  return {FillPlan::Kind::Fill, static_cast<std::uint32_t>(bytes)};
}

void Run(std::u16string_view arguments, platform::OwnProcess& process,
         platform::VirtualMemory& memory, platform::MessageBoxes& boxes) {
  process.SetPriorityClass(platform::PriorityClass::Idle);

  const FillPlan plan = PlanFill(arguments);
  switch (plan.kind) {
    case FillPlan::Kind::Nothing: return;
    case FillPlan::Kind::Overflow:
      boxes.ShowOk(std::u16string(kTitle), std::u16string(kOverflowText),
                   platform::MessageIcon::Error);
      return;
    case FillPlan::Kind::Fill: break;
  }
  const auto region = memory.CommitUncached(plan.bytes);
  if (!region) return;
  memory.FillWithZeros(*region);
  memory.Decommit(*region);
}

}  // namespace scrubwright
