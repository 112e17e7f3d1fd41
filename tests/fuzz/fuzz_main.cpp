#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "fuzz_targets.hpp"

// One byte chooses the type; the rest becomes its arguments.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  switch (in.ConsumeIntegral<std::uint8_t>() % 8) {
    case 0:
      pipmoves::fuzz::fuzz_sampled_pattern(in);
      break;
    case 1:
      pipmoves::fuzz::fuzz_sampled_recording(in);
      break;
    case 2:
      pipmoves::fuzz::fuzz_pattern_library(in);
      break;
    case 3:
      pipmoves::fuzz::fuzz_clock(in);
      break;
    case 4:
      pipmoves::fuzz::fuzz_fixture_map(in);
      break;
    case 5:
      pipmoves::fuzz::fuzz_step_lanes(in);
      break;
    case 6:
      pipmoves::fuzz::fuzz_midi(in);
      break;
    default:
      pipmoves::fuzz::fuzz_render(in);
      break;
  }
  return 0;
}
