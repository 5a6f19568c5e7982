#pragma once

#include "platform/processes.h"

namespace platform::win32 {

class ProcessesWin32 : public Processes {
 public:
  std::optional<std::vector<ProcessRecord>> Snapshot() override;
  bool SetPriorityClass(std::uint32_t processId, PriorityClass priority) override;
};

}  // namespace platform::win32
