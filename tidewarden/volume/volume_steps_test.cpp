#include "tidewarden/volume/volume_steps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_wave_out.h"

namespace tidewarden {
namespace {

constexpr VolumeRange kRanges[] = {VolumeRange::Normal, VolumeRange::Low, VolumeRange::Max};

TEST(RangeOfSetting, ExactWholeValuesOnly) {
  EXPECT_EQ(RangeOfSetting(u"LOW"), VolumeRange::Low);
  EXPECT_EQ(RangeOfSetting(u"MAX"), VolumeRange::Max);
  for (const char16_t* other : {u"NORMAL", u"", u"low", u"Max", u" LOW", u"LOW ", u"LOWER"}) {
    EXPECT_EQ(RangeOfSetting(other), VolumeRange::Normal);
  }
}

TEST(VolumeLevelOfStep, TheThreeScales) {
  const struct {
    int step;
    std::int32_t normal;
    std::int32_t low;
    std::int32_t max;
  } cases[] = {
      {0, 32760, -16380, 32760},
      {9, 0, -24570, 16380},
      {17, -29120, -31850, 1820},  // 1820 x (9 - 17) + 16380
      {18, -32760, -32760, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VolumeLevelOfStep(c.step, VolumeRange::Normal), c.normal);
    EXPECT_EQ(VolumeLevelOfStep(c.step, VolumeRange::Low), c.low);
    EXPECT_EQ(VolumeLevelOfStep(c.step, VolumeRange::Max), c.max);
  }
}

TEST(WaveVolumeOfStep, BothChannelsAndSilenceForMute) {
  EXPECT_EQ(WaveVolumeOfStep(9, VolumeRange::Normal), 0x80008000u);
  EXPECT_EQ(WaveVolumeOfStep(9, VolumeRange::Max), 0xBFFCBFFCu);
  EXPECT_EQ(WaveVolumeOfStep(9, VolumeRange::Low), 0x20062006u);
  EXPECT_EQ(WaveVolumeOfStep(0, VolumeRange::Normal), 0xFFF8FFF8u);
  EXPECT_EQ(WaveVolumeOfStep(0, VolumeRange::Max), 0xFFF8FFF8u);
  EXPECT_EQ(WaveVolumeOfStep(0, VolumeRange::Low), 16388u * 65537u);
  for (VolumeRange range : kRanges) EXPECT_EQ(WaveVolumeOfStep(18, range), 0u);
}

TEST(VolumeStepOfLevel, EveryStepFindsItselfAgain) {
  for (VolumeRange range : kRanges) {
    for (int step = 0; step < 19; ++step) {
      const std::int32_t level = LevelOfWaveVolume(WaveVolumeOfStep(step, range));
      EXPECT_EQ(VolumeStepOfLevel(level, range), step) << step;
    }
    EXPECT_EQ(VolumeStepOfLevel(-32768, range), 18);
  }
}

TEST(VolumeStepOfLevel, HalvesGoToEvenAndOutsideStepsMarkNothing) {
  const struct {
    std::uint32_t leftChannel;
    VolumeRange range;
    int step;
  } cases[] = {
      {65535, VolumeRange::Normal, 0},  // 32767 / 3640 rounds to 9
      {34588, VolumeRange::Normal, 9},  // quotient 0.5 -> 0
      {38228, VolumeRange::Normal, 7},  // 1.5 -> 2: "＋2"
      {32768, VolumeRange::Low, -18},   // level 0: above the whole LOW scale
      {8, VolumeRange::Max, 36},        // level -32760
      {7, VolumeRange::Max, 18},        // below -32760: mute in every range
      {0, VolumeRange::Normal, 18},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VolumeStepOfLevel(LevelOfWaveVolume(c.leftChannel), c.range), c.step)
        << c.leftChannel;
  }
}

TEST(LevelOfWaveVolume, OnlyTheLeftChannelCounts) {
  EXPECT_EQ(LevelOfWaveVolume(0xFFFF0000u), -32768);
  EXPECT_EQ(LevelOfWaveVolume(0x0000FFFFu), 32767);
  EXPECT_EQ(LevelOfWaveVolume(0x12348000u), 0);
}

struct VolumeDeviceTest : ::testing::Test {
  platform::fake::CallLog log;
  platform::fake::FakeWaveOut waveOut{log};
  platform::fake::FakeMasterVolume master;
  VolumeDevice device{waveOut, master};
};

TEST_F(VolumeDeviceTest, FirstDeviceWithVolumeControlIsUsed) {
  waveOut.devices_ = {{0x0001, 111}, {0x0004, 222}, {0x000C, 333}};
  EXPECT_EQ(device.GetWaveVolume(), 222u);
  device.SetWaveVolume(0x80008000u);
  EXPECT_EQ(waveOut.devices_[1].volume, 0x80008000u);
  EXPECT_EQ(waveOut.devices_[2].volume, 333u);
  for (const auto& call : log.calls) {
    EXPECT_NE(call, "Support 2");
    EXPECT_NE(call, "GetVolume 2");
    EXPECT_NE(call.rfind("SetVolume 2 ", 0), 0u) << call;
  }
}

TEST_F(VolumeDeviceTest, FailingOrVolumelessDevicesAreSkipped) {
  waveOut.devices_ = {{std::nullopt, 1}, {0x0008, 2}, {0x0004, 3}};
  EXPECT_EQ(device.GetWaveVolume(), 3u);

  waveOut.devices_ = {{0x0001, 1}};
  EXPECT_EQ(device.GetWaveVolume(), 0u);
  device.SetWaveVolume(5);
  EXPECT_EQ(waveOut.devices_[0].volume, 1u);

  waveOut.devices_.clear();
  EXPECT_EQ(device.GetWaveVolume(), 0u);

  waveOut.devices_ = {{0x0004, std::nullopt}};  // the read fails
  EXPECT_EQ(device.GetWaveVolume(), 0u);
}

TEST_F(VolumeDeviceTest, MasterVolumeWinsWhereThereIsOne) {
  master.present_ = true;
  waveOut.devices_ = {{0x0004, 7}};
  device.SetWaveVolume(WaveVolumeOfStep(0, VolumeRange::Normal));
  EXPECT_FLOAT_EQ(master.scalar_, 65528.0F / 65535.0F);
  EXPECT_EQ(waveOut.devices_[0].volume, 7u);  // the wave-out device is left alone
  EXPECT_EQ(device.GetWaveVolume(), 0xFFF8FFF8u);
  for (VolumeRange range : kRanges) {
    for (int step = 0; step < 19; ++step) {
      device.SetWaveVolume(WaveVolumeOfStep(step, range));
      EXPECT_EQ(device.GetWaveVolume(), WaveVolumeOfStep(step, range));
    }
  }
  master.scalar_ = 1.5F;  // out of range answers are clamped
  EXPECT_EQ(device.GetWaveVolume(), 0xFFFFFFFFu);
}

// The mute key and the taskbar mute the endpoint without moving its level.
TEST_F(VolumeDeviceTest, AMutedMasterVolumeReadsAsSilenceAndAStepAboveItUnmutes) {
  master.present_ = true;
  const struct {
    int step;  // chosen while muted at level 0.8
    float scalar;
    bool muted;
  } cases[] = {
      {0, 65528.0F / 65535.0F, false},
      {17, 918.0F / 65535.0F, false},  // the quietest step of the LOW range still sounds
      {18, 0.0F, true},                // the mute step: silence, the mute as it was
  };
  for (const auto& c : cases) {
    master.scalar_ = 0.8F;
    master.muted_ = true;
    EXPECT_EQ(device.GetWaveVolume(), 0u) << c.step;
    device.SetWaveVolume(
        WaveVolumeOfStep(c.step, c.step == 17 ? VolumeRange::Low : VolumeRange::Normal));
    EXPECT_FLOAT_EQ(master.scalar_, c.scalar) << c.step;
    EXPECT_EQ(master.muted_, c.muted) << c.step;
  }
  master.muted_ = false;
  master.scalar_ = 0.8F;
  EXPECT_NE(device.GetWaveVolume(), 0u);
}

}  // namespace
}  // namespace tidewarden
