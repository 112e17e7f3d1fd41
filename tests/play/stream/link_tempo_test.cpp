#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "link_tempo.hpp"

namespace pipmoves::play::stream {
namespace {

// Link may take a committed state over on its own thread: wait until the
// application's view shows the tempo.
bool shows_tempo(const ableton::Link& link, double bpm) {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (link.captureAppSessionState().tempo() != bpm) {
    if (std::chrono::steady_clock::now() > give_up) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// One Link instance, never enabled: its timeline is set through Link's own
// session state and nothing goes on the network.
TEST(LinkTempo, ReadsTheSessionTimelineFromTheBarUnderWay) {
  ableton::Link link(120.0);
  ASSERT_FALSE(link.isEnabled());
  auto state = link.captureAppSessionState();
  const auto now = link.clock().micros();
  state.setTempo(90.0, now);
  state.requestBeatAtTime(9.5, now, LinkTempo::kQuantum);
  link.commitAppSessionState(state);
  ASSERT_TRUE(shows_tempo(link, 90.0));

  LinkTempo tempo(link, std::chrono::steady_clock::now());
  // The stream starts within beat 9.5 of bar 8..12, so its position counts
  // from beat 8, at 90 BPM: 1.5 beats in now, 0.75 more half a second on.
  const double start = tempo.position_at(0.0);
  EXPECT_NEAR(1.5 * 64.0, start, 2.0);
  EXPECT_NEAR(start + 0.75 * 64.0, tempo.position_at(0.5), 0.01);
  EXPECT_NEAR(start + 90.0 / 60.0 * 64.0 * 10.0, tempo.position_at(10.0), 0.01);

  // A new tempo through Link moves the show with it.
  auto faster = link.captureAppSessionState();
  const auto later = link.clock().micros();
  const double beat_then = faster.beatAtTime(later, LinkTempo::kQuantum);
  faster.setTempo(180.0, later);
  link.commitAppSessionState(faster);
  ASSERT_TRUE(shows_tempo(link, 180.0));
  const double position_then = (beat_then - 8.0) * 64.0;
  EXPECT_NEAR(position_then + 3.0 * 64.0, tempo.position_at(std::chrono::duration<double>(later - now).count() + 1.0),
              2.0);
}

}  // namespace
}  // namespace pipmoves::play::stream
