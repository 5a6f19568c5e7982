#include "scrubwright/filler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_message_boxes.h"
#include "platform/fake/fake_own_process.h"
#include "platform/fake/fake_virtual_memory.h"

namespace scrubwright {
namespace {

using Kind = FillPlan::Kind;

TEST(PlanFill, TurnsTheCommandLineIntoBytes) {
  const struct {
    std::u16string arguments;
    Kind kind;
    std::uint32_t bytes;
  } cases[] = {
      {u"", Kind::Nothing, 0},
      {u"0", Kind::Nothing, 0},
      {u"abc", Kind::Nothing, 0},
      {u"0.4", Kind::Nothing, 0},
      {u"0.5", Kind::Nothing, 0},  // half to even: 0
      {u"1", Kind::Fill, 1048576},
      {u"1.5", Kind::Fill, 2097152},
      {u"2.5", Kind::Fill, 2097152},
      {u"300", Kind::Fill, 314572800},
      {u" 3 00", Kind::Fill, 314572800},
      {u"300MB", Kind::Fill, 314572800},
      {u"2047", Kind::Fill, 2146435072},
      {u"2047.5", Kind::Overflow, 0},  // rounds to 2048
      {u"2048", Kind::Overflow, 0},
      {u"4096", Kind::Overflow, 0},
      {u"99999999999", Kind::Overflow, 0},
      {u"1e99999", Kind::Overflow, 0},
      {std::u16string(10000, u'9'), Kind::Overflow, 0},
      {std::u16string(10000, u'a'), Kind::Nothing, 0},
      {u"-5", Kind::Nothing, 0},
      {u"-2048", Kind::Nothing, 0},  // exactly -2^31 bytes: fits, but names no region
      {u"-2049", Kind::Overflow, 0},
      {u"-99999999999", Kind::Overflow, 0},
  };
  for (const auto& c : cases) {
    const FillPlan plan = PlanFill(c.arguments);
    const auto head = c.arguments.substr(0, 20);
    const std::string shown(head.begin(), head.end());
    EXPECT_EQ(plan.kind, c.kind) << shown;
    EXPECT_EQ(plan.bytes, c.bytes) << shown;
  }
}

struct RunFixture : ::testing::Test {
  platform::fake::CallLog log;
  platform::fake::FakeOwnProcess process{log};
  platform::fake::FakeVirtualMemory memory{log};
  platform::fake::FakeMessageBoxes boxes{log};

  void RunWith(std::u16string_view arguments) {
    scrubwright::Run(arguments, process, memory, boxes);
  }
};

TEST_F(RunFixture, CommitsFillsAndDecommitsAtIdlePriority) {
  RunWith(u"300");
  const std::vector<std::string> expected = {
      "SetPriorityClass 64",
      "CommitUncached 314572800",
      "FillWithZeros 268435456 314572800",
      "Decommit 268435456 314572800",
  };
  EXPECT_EQ(log.calls, expected);
  EXPECT_TRUE(boxes.shown_.empty());
}

TEST_F(RunFixture, NothingToDoEndsAfterThePriority) {
  for (const auto* arguments : {u"", u"0", u"letters", u"-5"}) {
    log.calls.clear();
    RunWith(arguments);
    EXPECT_EQ(log.calls, std::vector<std::string>{"SetPriorityClass 64"});
  }
  EXPECT_TRUE(boxes.shown_.empty());
}

TEST_F(RunFixture, OverflowIsReportedAndNothingIsAllocated) {
  RunWith(u"2048");
  EXPECT_EQ(log.calls, (std::vector<std::string>{"SetPriorityClass 64", "ShowOk"}));
  ASSERT_EQ(boxes.shown_.size(), 1u);
  EXPECT_EQ(boxes.shown_[0].title, u"メモリー開放中...");
  EXPECT_NE(boxes.shown_[0].text.find(u"オーバーフロー"), std::u16string::npos);
  EXPECT_EQ(boxes.shown_[0].icon, platform::MessageIcon::Error);
}

TEST_F(RunFixture, RefusedAllocationTouchesNothing) {
  memory.refuseCommit_ = true;
  RunWith(u"300");
  EXPECT_EQ(log.calls,
            (std::vector<std::string>{"SetPriorityClass 64", "CommitUncached 314572800"}));
  EXPECT_TRUE(boxes.shown_.empty());
}

}  // namespace
}  // namespace scrubwright
