#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// The Windows 9x resource meter library, loaded only from the full path given.
class ResourceMeter {
 public:
  virtual ~ResourceMeter() = default;
  // Free system resources in percent; empty when the library or its export is unusable.
  virtual std::optional<std::int32_t> FreeSystemResources(const std::u16string& libraryPath) = 0;
};

}  // namespace platform
