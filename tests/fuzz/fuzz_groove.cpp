#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.hpp"
#include "fuzz_targets.hpp"
#include "midi_score.hpp"
#include "pipmoves/pip.hpp"
#include "pipmoves/play/groove.hpp"

namespace pipmoves::fuzz {
namespace {

// A message reaches hosts that decode it strictly.
bool is_utf8(std::string_view s) {
  for (std::size_t at = 0; at < s.size();) {
    const auto lead = static_cast<unsigned char>(s[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || s.size() - at < length) {
      return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(s[at + k]) & 0xC0) != 0x80) {
        return false;
      }
    }
    at += length;
  }
  return true;
}

// Whatever the input, a score within the limits or a readable refusal.
void check_score(const Outcome& outcome, const std::optional<play::GrooveScore>& score, int max_period,
                 const char* what) {
  if (!score) {
    require(outcome.type == "invalid_argument", std::string(what) + " refuses by invalid_argument, not " + outcome.type);
    require(is_utf8(outcome.message), std::string(what) + " message is UTF-8: " + outcome.message);
    return;
  }
  require(score->period_pips() >= 1 && score->period_pips() <= max_period, std::string(what) + " period");
  require(!score->hits().empty() && score->hits().size() <= play::kMaxGrooveHits, std::string(what) + " hit count");
  double previous = 0.0;
  for (const play::GrooveHit& hit : score->hits()) {
    require(hit.pip >= previous && hit.pip < score->period_pips(), std::string(what) + " hits sorted within the loop");
    require(hit.velocity > 0.0 && hit.velocity <= 1.0 && hit.side >= -1 && hit.side <= 1, std::string(what) + " hit");
    previous = hit.pip;
  }
  require(!score->tempo_bpm() || (std::isfinite(*score->tempo_bpm()) && *score->tempo_bpm() > 0.0),
          std::string(what) + " tempo");
}

// Lanes from pieces of the notation, sometimes a byte of any kind, and now
// and then a run long enough to pass a limit.
std::string consume_lanes(FuzzedDataProvider& in) {
  static constexpr std::string_view kPieces[] = {
      "kick ", "hat ", "snare ", "bass ", "R", "L", "c", ">", ".", "....", "|", " ", "\t", "\n", "\r\n", "# x\n",
      "bars 1\n", "bars 4\n", "steps 3/4\n", "steps 64\n", "swing 5\n", "late -3\n", "[steps 6]", "[late 2, swing 1]",
      "[", "]", ",", "\xc3\xa9", "\xe2\x80\x94", "\xf0\x9f\xa5\x81", "\xff", "\xe2\x80", "\0"};
  std::string text;
  while (in.remaining_bytes() > 0 && text.size() < 20000) {
    const auto pick = in.ConsumeIntegral<std::uint8_t>();
    if (pick == 255) {
      text.append(in.ConsumeIntegralInRange<std::size_t>(1, 1100), in.ConsumeBool() ? 'R' : '.');
    } else if (pick == 254) {
      for (int k = in.ConsumeIntegralInRange<int>(1, 70); k > 0; --k) {
        text += "hat [steps 64] R\n";
      }
    } else if (pick >= 240) {
      text += static_cast<char>(in.ConsumeIntegral<std::uint8_t>());
    } else {
      text += kPieces[pick % std::size(kPieces)];
    }
  }
  return text;
}

void be(std::vector<unsigned char>& out, std::uint32_t v, int bytes) {
  for (int k = bytes - 1; k >= 0; --k) {
    out.push_back(static_cast<unsigned char>(v >> (8 * k)));
  }
}

// A file from whole chunks and events, mostly well formed, the lengths
// sometimes wrong; or the input's bytes as they come.
std::vector<unsigned char> consume_midi(FuzzedDataProvider& in) {
  if (in.ConsumeIntegral<std::uint8_t>() < 32) {
    return in.ConsumeRemainingBytes<unsigned char>();
  }
  static const std::vector<std::vector<unsigned char>> kEvents = {
      {0x99, 36, 100}, {0x99, 42, 64}, {0x89, 36, 0}, {0x91, 40, 90}, {38, 100},  // the last: running status
      {0xC0, 5}, {0xFF, 0x51, 3, 0x07, 0xA1, 0x20}, {0xFF, 0x51, 0}, {0xFF, 0x51, 3, 0, 0, 0},
      {0xFF, 0x58, 4, 4, 2, 24, 8}, {0xFF, 0x58, 4, 3, 2, 24, 8}, {0xFF, 0x58, 4, 7, 3, 24, 8}, {0xFF, 0x58, 2, 4, 2},
      {0xF0, 3, 0x7E, 0x7F, 0xF7}, {0xF7, 1, 0xF8}, {0xF7, 0x81}, {0xFF, 0x01, 0x7F}, {0xFF, 0x2F, 0}, {0xF8}};
  std::vector<unsigned char> out = {'M', 'T', 'h', 'd'};
  const std::uint32_t header = in.ConsumeBool() ? 6 : in.ConsumeIntegralInRange<std::uint32_t>(0, 12);
  be(out, header, 4);
  const auto tracks = in.ConsumeIntegralInRange<std::uint32_t>(0, 4);
  const std::uint32_t division = in.ConsumeBool() ? 96 : in.ConsumeIntegral<std::uint16_t>();
  std::vector<unsigned char> fields;
  be(fields, in.ConsumeIntegralInRange<std::uint32_t>(0, 3), 2);
  be(fields, in.ConsumeBool() ? tracks : in.ConsumeIntegral<std::uint16_t>(), 2);
  be(fields, division, 2);
  fields.resize(header, 0);
  out.insert(out.end(), fields.begin(), fields.end());
  for (std::uint32_t t = 0; t < tracks; ++t) {
    std::vector<unsigned char> body;
    for (int e = in.ConsumeIntegralInRange<int>(0, 40); e > 0 && in.remaining_bytes() > 0; --e) {
      const std::uint32_t delta =
          in.ConsumeBool() ? in.ConsumeIntegralInRange<std::uint32_t>(0, 200) : in.ConsumeIntegral<std::uint32_t>();
      // Delta times of one to five bytes, the last never valid.
      const int groups = delta < (1u << 7) ? 1 : delta < (1u << 14) ? 2 : delta < (1u << 21) ? 3 : delta < (1u << 28) ? 4 : 5;
      for (int g = groups - 1; g >= 0; --g) {
        body.push_back(static_cast<unsigned char>(((delta >> (7 * g)) & 0x7F) | (g > 0 ? 0x80 : 0)));
      }
      const auto& event = kEvents[in.ConsumeIntegralInRange<std::size_t>(0, kEvents.size() - 1)];
      body.insert(body.end(), event.begin(), event.end());
    }
    if (in.ConsumeIntegral<std::uint8_t>() < 230) {
      body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
    }
    const char* tag = in.ConsumeIntegral<std::uint8_t>() < 240 ? "MTrk" : "XFIh";
    out.insert(out.end(), tag, tag + 4);
    const auto stated = static_cast<std::uint32_t>(body.size()) +
                        (in.ConsumeIntegral<std::uint8_t>() < 240 ? 0 : in.ConsumeIntegralInRange<std::uint32_t>(0, 9));
    be(out, stated, 4);
    out.insert(out.end(), body.begin(), body.end());
  }
  return out;
}

}  // namespace

void fuzz_step_lanes(FuzzedDataProvider& in) {
  const std::string text = consume_lanes(in);
  std::optional<play::GrooveScore> score;
  const Outcome outcome = outcome_of([&] { score.emplace(play::read_step_lanes(text)); });
  check_score(outcome, score, 1024, "read_step_lanes");
}

void fuzz_midi(FuzzedDataProvider& in) {
  const play::MidiSelection selection{in.ConsumeIntegralInRange<int>(0, 6), in.ConsumeIntegralInRange<int>(0, 5),
                                      in.ConsumeBool() ? std::optional<int>(in.ConsumeIntegralInRange<int>(0, 17))
                                                       : std::nullopt};
  const std::vector<unsigned char> bytes = consume_midi(in);
  std::optional<play::GrooveScore> score;
  const Outcome outcome =
      outcome_of([&] { score.emplace(play::groove_midi::midi_score(bytes, selection, "fuzz.mid")); });
  check_score(outcome, score, play::GrooveScore::kMaxBeats * PIPS_PER_BEAT, "read_midi");
}

}  // namespace pipmoves::fuzz
