#pragma once

#include "platform/wave_out.h"

namespace platform::win32 {

class WaveOutWin32 : public WaveOut {
 public:
  std::uint32_t DeviceCount() override;
  std::optional<std::uint32_t> Support(std::uint32_t device) override;
  std::optional<std::uint32_t> GetVolume(std::uint32_t device) override;
  void SetVolume(std::uint32_t device, std::uint32_t value) override;
};

// Core Audio's endpoint volume of the default playback device, looked up afresh at every
// call (the default device can change). Needs COM on the calling thread.
class MasterVolumeWin32 : public MasterVolume {
 public:
  std::optional<float> GetScalar() override;
  bool SetScalar(float scalar) override;
  std::optional<bool> GetMute() override;
  bool SetMute(bool muted) override;
};

}  // namespace platform::win32
