#pragma once

#include <cstdint>
#include <optional>

namespace platform {

// The multimedia wave-out devices, addressed by device number; no device is opened.
class WaveOut {
 public:
  virtual ~WaveOut() = default;
  virtual std::uint32_t DeviceCount() = 0;
  // The device's support flags (WAVECAPS_*); empty when its capabilities cannot be read.
  virtual std::optional<std::uint32_t> Support(std::uint32_t device) = 0;
  // Left channel in the low 16 bits, right channel in the high 16 bits.
  virtual std::optional<std::uint32_t> GetVolume(std::uint32_t device) = 0;
  virtual void SetVolume(std::uint32_t device, std::uint32_t value) = 0;
};

// The master volume of the default playback device (Core Audio, Windows Vista and later).
class MasterVolume {
 public:
  virtual ~MasterVolume() = default;
  // 0.0 to 1.0; empty where there is no Core Audio or no playback device.
  virtual std::optional<float> GetScalar() = 0;
  // False where there is no Core Audio or no playback device.
  virtual bool SetScalar(float scalar) = 0;
  // The endpoint's mute, which the mute key and the taskbar set apart from the level: a muted
  // endpoint keeps its level and is silent. Empty or false where there is no Core Audio.
  virtual std::optional<bool> GetMute() = 0;
  virtual bool SetMute(bool muted) = 0;
};

}  // namespace platform
