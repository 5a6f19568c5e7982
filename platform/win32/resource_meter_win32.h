#pragma once

#include "platform/resource_meter.h"

namespace platform::win32 {

class ResourceMeterWin32 : public ResourceMeter {
 public:
  std::optional<std::int32_t> FreeSystemResources(const std::u16string& libraryPath) override;
};

}  // namespace platform::win32
