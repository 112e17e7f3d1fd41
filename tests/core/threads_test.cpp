#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "offset_matchers.hpp"
#include "pipmoves/catalogue.hpp"

namespace {

constexpr int kThreads = 8;

// ctest runs each test in a process of its own, so this is the first call.
TEST(Threads, FirstCatalogueCallFromManyThreadsBuildsOneVector) {
  std::atomic<bool> go{false};
  std::vector<const std::vector<pipmoves::CatalogueEntry>*> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      while (!go.load()) {
      }
      seen[static_cast<std::size_t>(t)] = &pipmoves::catalogue();
    });
  }
  go = true;
  for (std::thread& thread : threads) thread.join();
  for (const auto* rows : seen) {
    EXPECT_EQ(seen.front(), rows);
  }
  EXPECT_EQ(seen.front()->front().name, "bounce");
}

TEST(Threads, SampleFromManyThreadsAgreesWithOneThread) {
  const auto& rows = pipmoves::catalogue();
  std::vector<pipmoves::Offset3> want;
  for (const auto& row : rows) want.push_back(pipmoves::sample(row.name, 37));
  std::atomic<int> mismatches{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!pipmoves::testing::SameOffset(want[i], pipmoves::sample(rows[i].name, 37))) ++mismatches;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(0, mismatches.load());
}

}  // namespace
