#include "tidewarden/startup/memory_figures.h"

#include <cmath>
#include <limits>

namespace tidewarden {

std::int32_t BytesToMB(std::uint64_t bytes) {
  const double mb = std::nearbyint(static_cast<double>(bytes) / 1024.0 / 1024.0);
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(mb > kMax ? kMax : mb);
}

std::optional<std::int32_t> MemoryFigures::TotalPhysicalMB() {
  const auto memory = status_.Query();
  if (!memory) return std::nullopt;
  return BytesToMB(memory->totalBytes);
}

std::optional<std::int32_t> MemoryFigures::AvailablePhysicalMB() {
  const auto memory = status_.Query();
  if (!memory) return std::nullopt;
  return BytesToMB(memory->availableBytes);
}

}  // namespace tidewarden
