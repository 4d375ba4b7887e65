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

}  // namespace
}  // namespace dalu
