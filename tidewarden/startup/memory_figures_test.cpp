#include "tidewarden/startup/memory_figures.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_memory_status.h"

namespace tidewarden {
namespace {

TEST(BytesToMB, RoundsHalvesToEven) {
  const struct {
    std::uint64_t bytes;
    std::int32_t mb;
  } cases[] = {
      {0, 0},
      {1073741824, 1024},
      {268959744, 256},  // 256.5
      {267911168, 256},  // 255.5
      {266862592, 254},  // 254.5
      {524287, 0},
      {524288, 0},              // 0.5
      {1572864, 2},             // 1.5
      {2147483647, 2048},       // what a 32-bit status would saturate at
      {25769803776ULL, 24576},  // 24 GB: beyond 32 bits, still right
      {~0ULL, 2147483647},
  };
  for (const auto& c : cases) EXPECT_EQ(BytesToMB(c.bytes), c.mb) << c.bytes;
}

TEST(MemoryFigures, MeasuresAfreshAndReportsFailure) {
  platform::fake::FakeMemoryStatus status;
  MemoryFigures figures(status);
  status.SetMB(1024, 300);
  EXPECT_EQ(figures.TotalPhysicalMB(), 1024);
  EXPECT_EQ(figures.AvailablePhysicalMB(), 300);
  status.SetMB(1024, 301);
  EXPECT_EQ(figures.AvailablePhysicalMB(), 301);
  status.answer_.reset();
  EXPECT_EQ(figures.TotalPhysicalMB(), std::nullopt);
  EXPECT_EQ(figures.AvailablePhysicalMB(), std::nullopt);
}

}  // namespace
}  // namespace tidewarden
