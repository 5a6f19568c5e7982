#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/fake/call_log.h"
#include "platform/wave_out.h"

namespace platform::fake {

// Devices by number: each with its support flags (empty: the caps call fails) and volume.
class FakeWaveOut : public WaveOut {
 public:
  struct Device {
    std::optional<std::uint32_t> support = 0x000C;  // volume and left/right volume
    std::optional<std::uint32_t> volume = 0;
  };

  explicit FakeWaveOut(CallLog& log) : log_(log) {}

  std::uint32_t DeviceCount() override { return static_cast<std::uint32_t>(devices_.size()); }
  std::optional<std::uint32_t> Support(std::uint32_t device) override {
    log_.Add("Support " + std::to_string(device));
    return devices_.at(device).support;
  }
  std::optional<std::uint32_t> GetVolume(std::uint32_t device) override {
    log_.Add("GetVolume " + std::to_string(device));
    return devices_.at(device).volume;
  }
  void SetVolume(std::uint32_t device, std::uint32_t value) override {
    log_.Add("SetVolume " + std::to_string(device) + " " + std::to_string(value));
    devices_.at(device).volume = value;
  }

  std::vector<Device> devices_;

 private:
  CallLog& log_;
};

// Level and mute apart, as Windows keeps them: setting the level leaves the mute alone.
class FakeMasterVolume : public MasterVolume {
 public:
  std::optional<float> GetScalar() override {
    return present_ ? std::optional(scalar_) : std::nullopt;
  }
  bool SetScalar(float scalar) override {
    if (!present_ || refuseSet_) return false;
    scalar_ = scalar;
    ++sets_;
    return true;
  }
  std::optional<bool> GetMute() override { return present_ ? std::optional(muted_) : std::nullopt; }
  bool SetMute(bool muted) override {
    if (!present_) return false;
    muted_ = muted;
    return true;
  }

  bool present_ = false;  // off by default: the wave-out devices answer
  bool refuseSet_ = false;
  float scalar_ = 0.5F;
  bool muted_ = false;
  int sets_ = 0;
};

}  // namespace platform::fake
