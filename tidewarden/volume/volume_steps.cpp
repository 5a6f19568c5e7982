#include "tidewarden/volume/volume_steps.h"

#include <cmath>

namespace tidewarden {

namespace {
constexpr std::uint32_t kWaveCapsVolume = 0x0004;
constexpr int kMuteStep = 18;
}  // namespace

VolumeRange RangeOfSetting(std::u16string_view volume) {
  if (volume == u"LOW") return VolumeRange::Low;
  if (volume == u"MAX") return VolumeRange::Max;
  return VolumeRange::Normal;
}

std::int32_t LevelOfWaveVolume(std::uint32_t value) {
  return static_cast<std::int32_t>(value & 0xFFFF) - 32768;
}

std::int32_t VolumeLevelOfStep(int index, VolumeRange range) {
  const int k = 9 - index;
  switch (range) {
    case VolumeRange::Low: return 910 * k - 24570;
    case VolumeRange::Max: return 1820 * k + 16380;
    case VolumeRange::Normal: break;
  }
  return 3640 * k;
}

int VolumeStepOfLevel(std::int32_t level, VolumeRange range) {
  if (level < -32760) return kMuteStep;
  double quotient = 0;
  switch (range) {
    case VolumeRange::Low: quotient = (level + 24570) / 910.0; break;
    case VolumeRange::Max: quotient = (level - 16380) / 1820.0; break;
    case VolumeRange::Normal: quotient = level / 3640.0; break;
  }
  return 9 - static_cast<int>(std::nearbyint(quotient));
}

std::uint32_t WaveVolumeOfStep(int index, VolumeRange range) {
  const std::uint32_t channel =
      index == kMuteStep ? 0 : static_cast<std::uint32_t>(VolumeLevelOfStep(index, range) + 32768);
  return channel * 65537u;
}

std::optional<std::uint32_t> VolumeDevice::FindWaveOutDevice() {
  const std::uint32_t count = waveOut_.DeviceCount();
  for (std::uint32_t device = 0; device < count; ++device) {
    const auto support = waveOut_.Support(device);
    if (support && (*support & kWaveCapsVolume) != 0) return device;
  }
  return std::nullopt;
}

std::uint32_t VolumeDevice::GetWaveVolume() {
  if (const auto scalar = master_.GetScalar()) {
    // Muted, whatever its level: nothing is heard.
    if (master_.GetMute().value_or(false)) return 0;
    const double clamped = std::fmin(std::fmax(static_cast<double>(*scalar), 0.0), 1.0);
    const auto channel = static_cast<std::uint32_t>(std::lround(clamped * 65535.0));
    return channel * 65537u;
  }
  const auto device = FindWaveOutDevice();
  if (!device) return 0;
  return waveOut_.GetVolume(*device).value_or(0);
}

void VolumeDevice::SetWaveVolume(std::uint32_t value) {
  const std::uint32_t left = value & 0xFFFF;
  if (master_.SetScalar(static_cast<float>(left) / 65535.0F)) {
    // A step above silence is one the user wants to hear; the mute step keeps the mute as is.
    if (left != 0) master_.SetMute(false);
    return;
  }
  if (const auto device = FindWaveOutDevice()) waveOut_.SetVolume(*device, value);
}

}  // namespace tidewarden
