#include "util/host.h"

#include <gtest/gtest.h>

namespace dalu {
namespace {

TEST(WaitFromMark, WaitsHalfTheUnitsFromTheMarkAndAlwaysPumpsOnce) {
  VirtualHost host;
  host.Advance(1000);
  host.MarkTime();
  host.WaitFromMark(150);
  EXPECT_EQ(host.TickMs(), 1075u);

  // Time already spent since the mark counts.
  host.MarkTime();
  host.Advance(50);
  host.WaitFromMark(150);
  EXPECT_EQ(host.TickMs(), 1075u + 75u);

  // Over already, or 0 or 1 unit: one pass of events and no waiting.
  for (uint32_t units : {0u, 1u, 20u}) {
    host.MarkTime();
    host.Advance(20);
    const uint64_t before = host.eventPasses;
    const uint32_t t = host.TickMs();
    host.WaitFromMark(units);
    EXPECT_EQ(host.TickMs(), t) << units;
    EXPECT_EQ(host.eventPasses, before + 1) << units;
  }
}

TEST(WaitFromMark, SurvivesTheTickCountWrapping) {
  VirtualHost host;
  host.Advance(0xFFFFFFF0u);
  host.MarkTime();
  host.WaitFromMark(100);  // 50 ms, across the wrap
  EXPECT_EQ(host.TickMs(), 0xFFFFFFF0u + 50u);
}

TEST(WaitFromMark, EventsRunDuringTheWait) {
  VirtualHost host;
  int calls = 0;
  host.onEvents = [&] { ++calls; };
  host.MarkTime();
  host.WaitFromMark(40);
  EXPECT_GE(calls, 1);
}

// A host whose sleeps end late, as a real one's do: an animation's chain of marks and
// waits keeps the sum of its waits, while a mark taken well after a wait (or after one that
// ended on time) is the current tick.
TEST(WaitFromMark, AChainOfWaitsDoesNotAddUpTheirLateness) {
  struct LateHost final : VirtualHost {
    void WaitForEvents(int maxMs) override { VirtualHost::WaitForEvents(maxMs + 3); }
  } host;
  host.MarkTime();
  const uint32_t start = host.TimeMark();
  for (int frame = 0; frame < 10; ++frame) {
    host.MarkTime();
    host.WaitFromMark(40);
  }
  EXPECT_EQ(host.TickMs() - start, 10u * 20u + 3u);
  host.Advance(1);  // drawing after the last wait: still on the chain
  host.MarkTime();
  EXPECT_EQ(host.TickMs() - host.TimeMark(), 4u);
  host.WaitFromMark(40);
  host.Advance(30);  // a pause beyond the slack starts afresh
  host.MarkTime();
  EXPECT_EQ(host.TimeMark(), host.TickMs());
}

}  // namespace
}  // namespace dalu
