// A native host: samples a procedural pattern, a stored pattern by name and a
// caller's own pattern through a library, and spreads a stored pattern over
// four fixtures, printing every value exactly.
#include <cstdio>
#include <utility>
#include <vector>

#include <pipmoves/pipmoves.hpp>
#include <pipmoves/play/spread.hpp>

namespace {

void print(const char* name, int pip, pipmoves::Offset3 at) {
  std::printf("%s %d %.17g %.17g %.17g\n", name, pip, at.x, at.y, at.z);
}

}  // namespace

int main() {
  print("bounce", pipmoves::PIPS_PER_BEAT / 2, pipmoves::bounce(pipmoves::PIPS_PER_BEAT / 2));
  for (int pip = 0; pip < 4 * pipmoves::PIPS_PER_BEAT; pip += pipmoves::PIPS_PER_BEAT) {
    print("lfo_breathe", pip, pipmoves::sample("lfo_breathe", pip));
  }

  std::vector<pipmoves::Offset3> nod;
  for (int step = 0; step < 8; ++step) {
    nod.push_back({0.0, step / 10.0, 0.0});
  }
  std::vector<pipmoves::SampledPattern> mine;
  mine.emplace_back("nod", "A small nod", nod);
  const pipmoves::PatternLibrary library(std::move(mine));
  print("nod", 3, library.sample("nod", 3));
  print("helix", -1, library.sample("helix", -1));
  const auto fixtures = pipmoves::play::spread(pipmoves::play::PatternRef::named("lfo_breathe"), 0, 4);
  for (const pipmoves::Offset3& at : fixtures.rows()) {
    print("spread", 0, at);
  }
  std::printf("catalogue %zu\n", library.catalogue().size());
}
