// Step lanes: one lane per instrument, one character a step, under a small
// header of defaults. Each lane is read into events by the same reader the
// stored grooves are read with.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine.hpp"
#include "text.hpp"

namespace pipmoves::play {
namespace {

namespace engine = groove_engine::engine;
using groove_text::excerpt;

constexpr int kMaxBars = 4;
constexpr int kBeatsPerBar = 4;
constexpr int kBarPips = kBeatsPerBar * PIPS_PER_BEAT;
constexpr std::int64_t kMaxRatioTerm = 64;
constexpr double kMaxOffset = kBarPips;  // pips a lane may be pushed early or late

bool is_step(char c) {
  return c == '.' || c == 'R' || c == 'L' || c == 'C' || c == 'r' || c == 'l' || c == 'c' || c == '>' || c == '<' ||
         c == 'o';
}
bool is_spacer(char c) { return c == ' ' || c == '|' || c == '\t'; }

// Steps a beat as a ratio, so that lane lengths are checked exactly.
struct Rate {
  std::int64_t steps = 4;
  std::int64_t beats = 1;
  // Pips a step, computed as the stored grooves compute theirs.
  double pips() const { return PIPS_PER_BEAT * static_cast<double>(beats) / static_cast<double>(steps); }
};

struct Settings {
  Rate rate;
  double swing = 0.0;  // pips every second step comes late
  double late = 0.0;   // pips every step comes late
};

struct LaneText {
  std::size_t line;
  int number;  // counted from 1
  const engine::Instrument* instrument;
  Settings settings;
  std::string steps;
  int steps_column;  // of the first step, counted from 1
};

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  GrooveScore read() {
    std::size_t start = 0;
    while (start <= text_.size()) {
      const std::size_t end = std::min(text_.find('\n', start), text_.size());
      ++line_;
      read_line(text_.substr(start, end - start));
      start = end + 1;
    }
    return score();
  }

 private:
  // Columns are byte offsets into the current line until they are reported.
  std::string column_text(std::size_t at) const { return std::to_string(groove_text::column_of(line_text_, at)); }

  [[noreturn]] void fail_at(std::size_t column, const std::string& what) const {
    throw std::invalid_argument("Line " + std::to_string(line_) + ", column " + column_text(column) + ": " + what);
  }
  [[noreturn]] void fail_in_lane(int lane, std::string_view instrument, std::size_t column,
                                 const std::string& what) const {
    throw std::invalid_argument("Line " + std::to_string(line_) + ", lane " + std::to_string(lane) +
                                (instrument.empty() ? "" : " (" + std::string(instrument) + ")") + ", column " +
                                column_text(column) + ": " + what);
  }
  [[noreturn]] static void fail_lane(const LaneText& lane, const std::string& what) {
    throw std::invalid_argument("Line " + std::to_string(lane.line) + ", lane " + std::to_string(lane.number) + " (" +
                                std::string(lane.instrument->name) + "): " + what);
  }

  void read_line(std::string_view line) {
    line_text_ = line;
    line = line.substr(0, line.find('#'));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
      line.remove_suffix(1);
    }
    std::size_t at = 0;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
      ++at;
    }
    if (at == line.size()) {
      return;
    }
    const std::size_t word_end = std::min(line.find_first_of(" \t[", at), line.size());
    const std::string_view word = line.substr(at, word_end - at);
    if (word == "bars" || word == "steps" || word == "swing" || word == "late") {
      if (!lanes_.empty()) {
        fail_at(at, "the header line '" + std::string(word) + "' comes after the first lane");
      }
      header_line(word, line, word_end);
      return;
    }
    const int number = static_cast<int>(lanes_.size()) + 1;
    // Limits are checked as the text is read: what is kept stays small however
    // long the text.
    if (lanes_.size() == kMaxLanes) {
      fail_in_lane(number, {}, at, "more lanes than the limit of " + std::to_string(kMaxLanes));
    }
    const engine::Instrument* instrument = groove_engine::instrument_named(word);
    if (instrument == nullptr) {
      fail_in_lane(number, {}, at, "unknown instrument '" + excerpt(word) + "'");
    }
    LaneText lane{line_, number, instrument, defaults_, {}, 0};
    std::size_t rest = skip_blanks(line, word_end);
    if (rest < line.size() && line[rest] == '[') {
      const std::size_t close = line.find(']', rest);
      if (close == std::string_view::npos) {
        fail_in_lane(number, instrument->name, rest, "'[' without ']'");
      }
      lane_options(lane.settings, line, rest + 1, close);
      rest = close + 1;
    }
    for (std::size_t c = rest; c < line.size(); ++c) {
      if (is_spacer(line[c])) {
        continue;
      }
      if (!is_step(line[c])) {
        fail_in_lane(number, instrument->name, c, "unknown step '" + groove_text::character_at(line, c) + "'");
      }
      if (lane.steps.size() == kMaxLaneSteps) {
        fail_in_lane(number, instrument->name, c, "more steps than the limit of " + std::to_string(kMaxLaneSteps));
      }
      if (lane.steps.empty()) {
        lane.steps_column = static_cast<int>(c) + 1;
      }
      lane.steps.push_back(line[c]);
    }
    if (lane.steps.empty()) {
      fail_lane(lane, "no steps");
    }
    lanes_.push_back(std::move(lane));
  }

  static std::size_t skip_blanks(std::string_view line, std::size_t at) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
      ++at;
    }
    return at;
  }

  void header_line(std::string_view key, std::string_view line, std::size_t value_at) {
    const std::size_t from = skip_blanks(line, value_at);
    const std::string_view value = line.substr(from);
    if (key == "bars") {
      if (bars_) {
        fail_at(from, "the loop length is given twice");
      }
      const std::optional<std::int64_t> bars = whole(value);
      if (!bars || *bars < 1) {
        fail_at(from, "the loop length must be a whole number of bars, not '" + excerpt(value) + "'");
      }
      if (*bars > kMaxBars) {
        fail_at(from, "a loop holds at most four bars, not " + excerpt(value));
      }
      bars_ = static_cast<int>(*bars);
    } else {
      setting(defaults_, key, value, from);
    }
  }

  // "steps 6, swing 5, late -3" between the brackets of a lane.
  void lane_options(Settings& settings, std::string_view line, std::size_t from, std::size_t to) {
    while (from < to) {
      std::size_t comma = std::min(line.find(',', from), to);
      std::size_t at = skip_blanks(line, from);
      std::string_view item = line.substr(at, comma - at);
      while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) {
        item.remove_suffix(1);
      }
      const std::size_t space = std::min(item.find_first_of(" \t"), item.size());
      const std::string_view key = item.substr(0, space);
      if (key != "steps" && key != "swing" && key != "late") {
        fail_at(at, "unknown lane setting '" + excerpt(key) + "': steps, swing or late");
      }
      const std::size_t value_at = skip_blanks(line, at + space);
      setting(settings, key, line.substr(value_at, at + item.size() - std::min(value_at, at + item.size())), value_at);
      from = comma + 1;
    }
  }

  void setting(Settings& settings, std::string_view key, std::string_view value, std::size_t column) const {
    if (key == "steps") {
      const std::size_t slash = value.find('/');
      const std::optional<std::int64_t> steps = whole(value.substr(0, slash));
      const std::optional<std::int64_t> beats =
          slash == std::string_view::npos ? std::optional<std::int64_t>(1) : whole(value.substr(slash + 1));
      if (!steps || !beats || *steps < 1 || *beats < 1 || *steps > kMaxRatioTerm || *beats > kMaxRatioTerm) {
        fail_at(column, "steps a beat must be a whole number or a ratio such as 3/4, each part 1 to 64, not '" +
                            excerpt(value) + "'");
      }
      const std::int64_t common = std::gcd(*steps, *beats);
      settings.rate = {*steps / common, *beats / common};
      return;
    }
    double pips = 0.0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), pips);
    if (value.empty() || error != std::errc() || end != value.data() + value.size() || !std::isfinite(pips) ||
        std::fabs(pips) > kMaxOffset) {
      fail_at(column, std::string(key) + " must be a number of pips from -256 to 256, not '" + excerpt(value) + "'");
    }
    (key == "swing" ? settings.swing : settings.late) = pips;
  }

  static std::optional<std::int64_t> whole(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 1'000'000) {
      return std::nullopt;
    }
    return value;
  }

  // A lane's length as an exact fraction of pips: steps × 64 × beats / steps a beat.
  static std::pair<std::int64_t, std::int64_t> lane_pips(const LaneText& lane) {
    return {static_cast<std::int64_t>(lane.steps.size()) * PIPS_PER_BEAT * lane.settings.rate.beats,
            lane.settings.rate.steps};
  }

  int loop_pips() const {
    if (bars_) {
      return *bars_ * kBarPips;
    }
    // Without a header the longest lane sets the loop.
    const LaneText* longest = &lanes_.front();
    for (const LaneText& lane : lanes_) {
      const auto [numerator, denominator] = lane_pips(lane);
      const auto [longest_numerator, longest_denominator] = lane_pips(*longest);
      if (numerator * longest_denominator > longest_numerator * denominator) {
        longest = &lane;
      }
    }
    const auto [numerator, denominator] = lane_pips(*longest);
    if (numerator % denominator != 0) {
      fail_lane(*longest, std::to_string(longest->steps.size()) + " steps at " + rate_text(longest->settings.rate) +
                              " a beat make a loop of " + pips_text(numerator, denominator) +
                              " pips, not a whole number");
    }
    const std::int64_t pips = numerator / denominator;
    if (pips > kMaxBars * kBarPips) {
      fail_lane(*longest, std::to_string(longest->steps.size()) + " steps make " + std::to_string(pips) +
                              " pips: a loop holds at most four bars (1024 pips)");
    }
    return static_cast<int>(pips);
  }

  static std::string rate_text(const Rate& rate) {
    return rate.beats == 1 ? std::to_string(rate.steps) : std::to_string(rate.steps) + "/" + std::to_string(rate.beats);
  }
  static std::string pips_text(std::int64_t numerator, std::int64_t denominator) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer,
                                   static_cast<double>(numerator) / static_cast<double>(denominator));
    return std::string(buffer, end.ptr);
  }

  GrooveScore score() const {
    if (lanes_.empty()) {
      throw std::invalid_argument("No lane: a groove needs at least one lane with a hit");
    }
    const int period = loop_pips();
    std::vector<GrooveHit> hits;
    for (const LaneText& lane : lanes_) {
      const auto [numerator, denominator] = lane_pips(lane);
      // The lane repeats a whole number of times: period / (numerator / denominator).
      if ((static_cast<std::int64_t>(period) * denominator) % numerator != 0) {
        fail_lane(lane, "uneven lane: its " + std::to_string(lane.steps.size()) + " steps make " +
                            pips_text(numerator, denominator) + " pips, which does not divide the loop of " +
                            std::to_string(period) + " pips");
      }
      const engine::Groove groove{"", period, "", "",
                                  {{*lane.instrument, lane.steps, lane.settings.rate.pips(), lane.settings.swing,
                                    lane.settings.late}}};
      // A lane's step is at least a pip, so one lane's events are few.
      const std::vector<engine::Event> events = engine::score_events(groove);
      if (events.size() > kMaxGrooveHits - hits.size()) {
        fail_lane(lane, "the lanes so far make " + std::to_string(hits.size() + events.size()) +
                            " hits, more than the limit of " + std::to_string(kMaxGrooveHits));
      }
      for (const engine::Event& event : events) {
        // A lane pushed early wraps to the end of the loop.
        const double pip = event.t < 0.0 ? event.t + period : event.t;
        hits.push_back({pip, std::string(lane.instrument->name), event.velocity, event.side});
      }
    }
    if (hits.empty()) {
      throw std::invalid_argument("No hit in any lane: a groove needs at least one");
    }
    std::stable_sort(hits.begin(), hits.end(), [](const GrooveHit& a, const GrooveHit& b) { return a.pip < b.pip; });
    return GrooveScore(period, std::move(hits));
  }

  std::string_view text_;
  std::size_t line_ = 0;
  std::string_view line_text_;
  std::optional<int> bars_;
  Settings defaults_;
  std::vector<LaneText> lanes_;
};

std::string number_text(double value) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end.ptr);
}

// The steps a beat whose step is exactly these pips, as the notation writes it.
std::string rate_of(double step_pips) {
  for (std::int64_t beats = 1; beats <= kMaxRatioTerm; ++beats) {
    for (std::int64_t steps = 1; steps <= kMaxRatioTerm; ++steps) {
      if (std::gcd(steps, beats) == 1 && Rate{steps, beats}.pips() == step_pips) {
        return beats == 1 ? std::to_string(steps) : std::to_string(steps) + "/" + std::to_string(beats);
      }
    }
  }
  throw std::logic_error("a stored lane's step is no ratio of the notation");
}

}  // namespace

GrooveScore read_step_lanes(std::string_view text) { return Reader(text).read(); }

std::string stored_groove_lanes(std::string_view name) {
  const engine::Groove* found = nullptr;
  for (const auto* grooves : {&engine::club_grooves(), &engine::dancefloor_grooves()}) {
    for (const engine::Groove& groove : *grooves) {
      if (groove.name == name) {
        found = &groove;
      }
    }
  }
  if (found == nullptr) {
    throw std::invalid_argument("Unknown groove: " + std::string(name));
  }
  std::size_t width = 0;
  for (const engine::Lane& lane : found->lanes) {
    width = std::max(width, lane.instrument.name.size());
  }
  std::string text = "# " + std::string(found->heading) + "\nbars " + std::to_string(found->period / kBarPips) + "\n";
  for (const engine::Lane& lane : found->lanes) {
    std::string options;
    const auto option = [&](const std::string& item) { options += (options.empty() ? "" : ", ") + item; };
    if (lane.step != Rate{}.pips()) {
      option("steps " + rate_of(lane.step));
    }
    if (lane.swing != 0.0) {
      option("swing " + number_text(lane.swing));
    }
    if (lane.offset != 0.0) {
      option("late " + number_text(lane.offset));
    }
    std::string head(lane.instrument.name);
    head.resize(width, ' ');
    std::string_view steps = lane.steps;
    while (!steps.empty() && steps.back() == ' ') {
      steps.remove_suffix(1);
    }
    text += head + (options.empty() ? "" : " [" + options + "]") + "  " + std::string(steps) + "\n";
  }
  return text;
}

}  // namespace pipmoves::play
