#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/wave_out.h"

namespace tidewarden {

// Where the nineteen steps lie: over the whole scale, packed into the lower quarter
// (headphones) or into the upper half (speakers).
enum class VolumeRange { Normal, Low, Max };

// "LOW" and "MAX" exactly; anything else is the normal range.
VolumeRange RangeOfSetting(std::u16string_view volume);

// The left channel's 16-bit value minus 32768.
std::int32_t LevelOfWaveVolume(std::uint32_t value);
std::int32_t VolumeLevelOfStep(int index, VolumeRange range);
// The step that matches a level; may lie outside 0 to 18, which then marks no step.
int VolumeStepOfLevel(std::int32_t level, VolumeRange range);
// The wave-out value a step sets: the same in both channels, silence for the mute step.
std::uint32_t WaveVolumeOfStep(int index, VolumeRange range);

// The volume the steps act on: the master volume of the default playback device where the
// system has one (since Vista wave-out volume only moves the program's own slider), else the
// first wave-out device that has volume control. A muted master volume reads as silence.
class VolumeDevice {
 public:
  VolumeDevice(platform::WaveOut& waveOut, platform::MasterVolume& master)
      : waveOut_(waveOut), master_(master) {}

  // 0 when there is no device or the read fails.
  std::uint32_t GetWaveVolume();
  void SetWaveVolume(std::uint32_t value);

 private:
  std::optional<std::uint32_t> FindWaveOutDevice();

  platform::WaveOut& waveOut_;
  platform::MasterVolume& master_;
};

}  // namespace tidewarden
