#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/own_process.h"

namespace platform {

// One running process as the system's process snapshot reports it.
struct ProcessRecord {
  std::uint32_t th32ProcessID = 0;
  std::uint32_t cntThreads = 0;
  std::int32_t pcPriClassBase = 0;
  std::u16string szExeFile;
};

class Processes {
 public:
  virtual ~Processes() = default;
  // Every running process, in the order the system lists them; empty when the snapshot fails.
  virtual std::optional<std::vector<ProcessRecord>> Snapshot() = 0;
  // Opens the process for setting its class, sets it and lets go of it again; false when the
  // process cannot be opened (it has ended, or the user may not change it).
  virtual bool SetPriorityClass(std::uint32_t processId, PriorityClass priority) = 0;
};

}  // namespace platform
