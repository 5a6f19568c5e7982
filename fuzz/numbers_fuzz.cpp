// The command-line numbers of Tidewarden's one-shot mode and of Scrubwright.
#include <cstddef>
#include <cstdint>

#include "common/command_line.h"
#include "common/number_text.h"
#include "fuzz/fuzz_input.h"
#include "scrubwright/filler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string line = fuzz::TextOf(data, size);
  const std::u16string arguments = common::ArgumentsOf(line);
  fuzz::Check(line.size() >= arguments.size() &&
              line.compare(line.size() - arguments.size(), arguments.size(), arguments) == 0);
  const auto any = common::ReadLeadingNumberIfAny(arguments);
  const double number = common::ReadLeadingNumber(arguments);
  fuzz::Check(any ? (*any == number || (*any != *any && number != number)) : number == 0.0);
  const auto plan = scrubwright::PlanFill(arguments);
  if (plan.kind == scrubwright::FillPlan::Kind::Fill) {
    fuzz::Check(plan.bytes % (1024 * 1024) == 0 && plan.bytes >= 1024 * 1024 &&
                plan.bytes <= 2047u * 1024 * 1024);
  } else {
    fuzz::Check(plan.bytes == 0);
  }
  return 0;
}
