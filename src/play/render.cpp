#include "pipmoves/play/render.hpp"

#include <stdexcept>

#include "for_each_pip.hpp"

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
    row = sample(static_cast<std::int32_t>(pip));
    pip += stride;
  }
}

}  // namespace

void render(const PatternRef& pattern, std::int32_t first_pip, std::int32_t step, std::span<Offset3> out) {
  check_step(step);
  detail::check_span_rows(out.size());
  detail::with_sampler(pattern, [&](const auto& sample) { fill(sample, first_pip, step, out); });
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
