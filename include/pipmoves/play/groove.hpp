#pragma once

// Your own groove: a drum part, written as step lanes or read from a Standard
// MIDI File, played through the sixteen moves of the stored grooves and
// handed back as a PatternLibrary of sixteen patterns.

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pipmoves/pattern_library.hpp"

namespace pipmoves::play {

// What the readers take at most, each checked as the text or file is read,
// before anything is kept for it, and refused with std::invalid_argument
// naming the limit and where it was passed. A groove is at most four bars, so
// a drummer's part stays far below each. The hit limit also bounds the cost
// of groove_patterns, which grows with hits times loop length (about a
// millisecond of CPU a hit over 1792 pips).
inline constexpr std::size_t kMaxGrooveHits = 384;          // hits a score
inline constexpr std::size_t kMaxLanes = 64;                // lanes a text
inline constexpr std::size_t kMaxLaneSteps = 1024;          // steps a lane: four bars at 64 a beat
inline constexpr std::size_t kMaxMidiFileBytes = 16 << 20;  // bytes a MIDI file
inline constexpr std::size_t kMaxMidiTracks = 1024;         // tracks a MIDI file
inline constexpr std::size_t kMaxMidiEvents = 1 << 20;      // events a MIDI file, all tracks together

// One drum hit: where it falls in the loop, which instrument plays it, how
// hard (1 a full hit) and which way it leans (+1 right, -1 left, 0 centre).
struct GrooveHit {
  double pip;
  std::string instrument;
  double velocity;
  int side;

  friend bool operator==(const GrooveHit&, const GrooveHit&) = default;
};

// The instruments a score may name, in the order of the lane notation:
// kick clap snare tom conga rim clave bell hat open_hat ride shaker bass sub
// crash tick.
const std::vector<std::string_view>& groove_instruments();

// A drum loop: its length in pips and its hits, sorted by pip (hits at one pip
// keep their given order), and the tempo of the source where it had one.
class GrooveScore {
 public:
  static constexpr int kMaxBeats = 28;  // four bars of 7/4, the longest bar read

  // Throws std::invalid_argument when the period is not 1 to 1792 pips, there
  // is no hit or more than kMaxGrooveHits, a hit lies outside [0, period), names an unknown instrument,
  // has a velocity outside (0, 1] or a side other than -1, 0, 1, or the tempo
  // is not a positive finite number.
  GrooveScore(int period_pips, std::vector<GrooveHit> hits, std::optional<double> tempo_bpm = std::nullopt);

  int period_pips() const noexcept { return period_pips_; }
  const std::vector<GrooveHit>& hits() const noexcept { return hits_; }
  std::optional<double> tempo_bpm() const noexcept { return tempo_bpm_; }

 private:
  int period_pips_;
  std::vector<GrooveHit> hits_;
  std::optional<double> tempo_bpm_;
};

// Reads step lanes (the notation is described in the README). Throws
// std::invalid_argument naming the line, lane, column (in characters) and
// character of the first fault, or the limit passed.
GrooveScore read_step_lanes(std::string_view text);

// The lanes of a stored groove, such as "house_classic", in the notation
// read_step_lanes reads: a starting point for your own. Throws
// std::invalid_argument for an unknown groove.
std::string stored_groove_lanes(std::string_view groove);

// Which part of a Standard MIDI File to read.
struct MidiSelection {
  int first_bar = 1;   // counted from 1
  int bars = 1;        // 1 to 4
  // A channel (1 to 16) whose notes are read as bass onsets, besides the
  // percussion channel 10.
  std::optional<int> bass_channel = std::nullopt;
};

// Reads the drum part of a Standard MIDI File: General MIDI percussion notes
// on channel 10 mapped onto the instruments, velocities over 127, sides
// alternating per instrument from the right, ticks to pips by the file's
// resolution, and the file's tempo kept. Only a regular file is opened, and
// its size checked before it is read. Throws std::invalid_argument when the
// file cannot be opened (saying why), is damaged (naming the track and
// event), passes a limit above, has no percussion channel, changes tempo or
// time signature inside the bars, has a time signature other than x/4, or the
// bars hold no hit.
GrooveScore read_midi(const std::filesystem::path& file, const MidiSelection& selection = {});

// A groove file of either kind, opened and size-checked as read_midi opens a
// file (kMaxMidiFileBytes holds for lanes too): read as a Standard MIDI File
// when it starts with "MThd", as step lanes otherwise.
GrooveScore read_groove_file(const std::filesystem::path& file, const MidiSelection& selection = {});

// The sixteen moves, in pattern order: bounce step orbit glide surge recoil
// flutter dive pendulum figure8 box corkscrew spiral slalom spring ricochet.
const std::array<std::string_view, 16>& groove_moves();

// The score played through the sixteen moves, scaled by the gains of the
// stored rows' families and held within [-1, 1]: patterns named
// "<name>_<move>", described "<heading> — <move label>. <move sentence>".
// Throws std::invalid_argument when a pattern name would be invalid or would
// reuse a default name.
PatternLibrary groove_patterns(const GrooveScore& score, std::string_view name, std::string_view heading);

}  // namespace pipmoves::play
