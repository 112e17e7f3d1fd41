#include "pipmoves/play/render.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <numeric>
#include <stdexcept>

#include "for_each_pip.hpp"
#include "pipmoves/play/pip_step.hpp"

namespace pipmoves::play {
namespace {

void check_step(std::int32_t step) {
  if (step == 0) {
    throw std::invalid_argument("Step must not be zero");
  }
}

// The pips count in unsigned arithmetic, which wraps modulo 2^32 as the
// 32-bit pips do.
template <typename Sample>
void fill(const Sample& sample, std::int32_t first_pip, std::int32_t step, std::span<Offset3> out) {
  auto pip = static_cast<std::uint32_t>(first_pip);
  const auto stride = static_cast<std::uint32_t>(step);
  for (Offset3& row : out) {
    // Constructed in place, the sampler's result is written straight into the row.
    std::construct_at(&row, sample(static_cast<std::int32_t>(pip)));
    pip += stride;
  }
}

// Every pattern repeats after its period, so rows repeat after the fewest
// steps that add up to a whole number of periods.
std::size_t row_cycle(std::int32_t period, std::int32_t step) {
  const auto p = static_cast<std::uint64_t>(period);
  const std::uint64_t s = static_cast<std::uint64_t>(step < 0 ? -std::int64_t{step} : std::int64_t{step}) % p;
  return s == 0 ? 1 : static_cast<std::size_t>(p / std::gcd(p, s));
}

// How many rows from pip on stay short of the 32-bit ends, at most left.
// Past an end the pips jump by 2^32, which is no whole number of periods
// unless the period is a power of two, so the repetition starts again there.
std::size_t rows_before_wrap(std::int32_t pip, std::int32_t step, std::size_t left) {
  const std::int64_t room = step > 0 ? std::numeric_limits<std::int32_t>::max() - std::int64_t{pip}
                                     : std::int64_t{pip} - std::numeric_limits<std::int32_t>::min();
  const auto steps = static_cast<std::uint64_t>(room) / static_cast<std::uint64_t>(std::abs(std::int64_t{step}));
  return static_cast<std::size_t>(std::min<std::uint64_t>(left, steps + 1));
}

// Copies the first `sampled` rows of the block over the rest, doubling the
// copied stretch each time; sampled is a whole number of cycles.
void repeat_rows(std::span<Offset3> block, std::size_t sampled) {
  for (std::size_t done = sampled; done < block.size();) {
    const std::size_t chunk = std::min(done, block.size() - done);
    std::memcpy(block.data() + done, block.data(), chunk * sizeof(Offset3));
    done += chunk;
  }
}

}  // namespace

void render(const PatternRef& pattern, std::int32_t first_pip, std::int32_t step, std::span<Offset3> out) {
  check_step(step);
  detail::check_span_rows(out.size());
  const std::size_t cycle = row_cycle(pattern.period_pips(), step);
  detail::with_sampler(pattern, [&](const auto& sample) {
    std::int32_t pip = first_pip;
    for (std::size_t k = 0; k < out.size();) {
      const std::span<Offset3> block = out.subspan(k, rows_before_wrap(pip, step, out.size() - k));
      const std::size_t sampled = std::min(cycle, block.size());
      fill(sample, pip, step, block.first(sampled));
      repeat_rows(block, sampled);
      pip = advance_pip(pip, static_cast<std::int64_t>(block.size()), step);
      k += block.size();
    }
  });
}

void render(const CrossFade& fade, std::int32_t first_pip, std::int32_t step, std::span<Offset3> out) {
  check_step(step);
  detail::check_span_rows(out.size());
  fill([&fade](std::int32_t pip) { return fade.sample(pip); }, first_pip, step, out);
}

Rows<Offset3> render(const PatternRef& pattern, std::int32_t first_pip, std::int64_t count, std::int32_t step) {
  check_step(step);
  Rows<Offset3> rows(count);
  render(pattern, first_pip, step, rows.rows());
  return rows;
}

Rows<Offset3> render(const CrossFade& fade, std::int32_t first_pip, std::int64_t count, std::int32_t step) {
  check_step(step);
  Rows<Offset3> rows(count);
  render(fade, first_pip, step, rows.rows());
  return rows;
}

}  // namespace pipmoves::play
