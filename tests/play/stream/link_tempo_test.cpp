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
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (link.captureAppSessionState().tempo() != bpm) {
    if (std::chrono::steady_clock::now() > give_up) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Link converts between its clock and the steady clock from two readings
// taken one after the other; a loaded machine may preempt the test between
// them. This many pips (a few tens of milliseconds at the tempos below) is
// far more than such a gap and far less than any fault: a wrong bar is 256
// pips off, a wrong tempo hundreds over ten seconds.
constexpr double kPreemptedPips = 8.0;

double session_beat(const ableton::Link& link, std::chrono::microseconds at) {
  return link.captureAppSessionState().beatAtTime(at, LinkTempo::kQuantum);
}

// One Link instance, never enabled: its timeline is set through Link's own
// session state and nothing goes on the network. Expected positions come
// from the session itself at clock readings taken around each step, never
// from how long the test took.
TEST(LinkTempo, ReadsTheSessionTimelineFromTheBarUnderWay) {
  ableton::Link link(120.0);
  ASSERT_FALSE(link.isEnabled());
  auto state = link.captureAppSessionState();
  const auto now = link.clock().micros();
  state.setTempo(90.0, now);
  state.requestBeatAtTime(9.5, now, LinkTempo::kQuantum);
  link.commitAppSessionState(state);
  ASSERT_TRUE(shows_tempo(link, 90.0));

  // The stream starts within a bar, from beat 9.5 on (bar 8..12 unless the
  // wait above was long), and its position counts from that bar's downbeat.
  const auto before = link.clock().micros();
  LinkTempo tempo(link, std::chrono::steady_clock::now());
  const auto after = link.clock().micros();
  const double bar = std::floor(session_beat(link, before) / LinkTempo::kQuantum) * LinkTempo::kQuantum;
  ASSERT_GE(bar, 8.0);
  const auto session_pips = [&](const ableton::Link& in, std::chrono::microseconds at) {
    return (session_beat(in, at) - bar) * 64.0;
  };
  const double start = tempo.position_at(0.0);
  EXPECT_LE(session_pips(link, before) - kPreemptedPips, start);
  EXPECT_GE(session_pips(link, after) + kPreemptedPips, start);
  // At 90 BPM: 0.75 beats half a second on, 15 beats ten seconds on.
  EXPECT_NEAR(start + 0.75 * 64.0, tempo.position_at(0.5), kPreemptedPips);
  EXPECT_NEAR(start + 90.0 / 60.0 * 64.0 * 10.0, tempo.position_at(10.0), kPreemptedPips);

  // A new tempo through Link moves the show with it: a second after the
  // change, 3 beats at 180 BPM on from where the change found it.
  auto faster = link.captureAppSessionState();
  const auto later = link.clock().micros();
  const double position_then = session_pips(link, later);
  faster.setTempo(180.0, later);
  link.commitAppSessionState(faster);
  ASSERT_TRUE(shows_tempo(link, 180.0));
  // The stream's moments count from its start, which lies between the two
  // readings around it.
  const auto since_start = [&](std::chrono::microseconds from) {
    return std::chrono::duration<double>(later - from).count() + 1.0;
  };
  const double low = tempo.position_at(since_start(after));
  const double high = tempo.position_at(since_start(before));
  EXPECT_LE(low - kPreemptedPips, position_then + 3.0 * 64.0);
  EXPECT_GE(high + kPreemptedPips, position_then + 3.0 * 64.0);
}

}  // namespace
}  // namespace pipmoves::play::stream
