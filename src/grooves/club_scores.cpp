// Drum scores of the 36 club grooves, in pack order. One lane per instrument,
// one character per step (notation in grooves/score.hpp); bars are split by
// '|' and beats by spaces. Sides: in the bounce snares and claps mostly
// alternate; in the step every kick and snare leans its own way.

#include <string>

#include "score.hpp"

namespace pipmoves::authoring::grooves {
namespace {

// Hats played late on every second sixteenth, in pips.
constexpr double kHouseSwing = 5.0;
constexpr double kGarageSwing = 6.0;
constexpr double kJackSwing = 4.0;
// Garage hats sit a little behind the grid.
constexpr double kGarageHatDrag = 2.0;

// The four-bar break: bars one and two alike, bar three moves its last snare,
// bar four turns around with a crash. Ghost snares are the quiet '<' '>'.
constexpr std::string_view kAmenKick =  "R.r. .... ..R< ....|R.r. .... ..R< ....|R.r. .... ..R. ....|..R< .... ..R. ....";
constexpr std::string_view kAmenSnare = ".... L..< .>.. R..< |.... L..< .>.. R..< |.... L..< .>.. ..R<|.... L..< .>.. R..<";
constexpr std::string_view kAmenRide =  "r.l. r.l. r.l. r.l. |r.l. r.l. r.l. r.l. |r.l. r.l. r.l. r.l. |r.l. r.l. ..l. r.l. ";
constexpr std::string_view kAmenCrash = ".... .... .... .... |.... .... .... .... |.... .... .... .... |.... .... R... .... ";

// The same break with every quiet snare taken out and nothing else changed.
const std::string& amen_without_ghosts() {
  static const std::string lane = [] {
    std::string s(kAmenSnare);
    for (char& c : s) {
      if (c == '<' || c == '>' || c == 'o') {
        c = '.';
      }
    }
    return s;
  }();
  return lane;
}

}  // namespace

const std::vector<Groove>& club_grooves() {
  static const std::vector<Groove> grooves = {
      {"four_floor", 256, "Four to the floor / bare pulse",
       "Equal quarter-note kicks only. This shared foundation is not itself a complete genre.",
       {{kick, "R... L... R... L..."}}},
      {"house_classic", 512, "House / kick-clap-offbeat hat", "",
       {{kick, "R... L... R... L... |R... L... R... L..."},
        {clap, ".... R... .... L... |.... R... .... L..."},
        {open_hat, "..r. ..l. ..r. ..l. |..r. ..l. ..r. ..l."},
        {hat, ">... .... <... .... |>... .... <... ...."}}},
      {"house_shuffle", 512, "House / shuffled hats", "",
       {{kick, "R... L... R... L... |R... L... R... L..."},
        {clap, ".... R... .... L... |.... R... .... L..."},
        {hat, "><r< ><l> <>r< ><l> |><r< ><l> <>r< >rl>", kSixteenth, kHouseSwing}}},
      {"house_jack", 512, "Jackin house / ghost-kick turnaround",
       "Original swung variant: extra ghost kicks and claps; not a transcription of a named track.",
       {{kick, "R... L... R... L.<. |R... L... R.>. L<>.", kSixteenth, kJackSwing},
        {clap, ".... R... ..<. L... |.... R... .>.. L..."},
        {hat, "..r. ..l. ..r. ..l. |..r. ..l. ..r. ..l.", kSixteenth, kJackSwing}}},
      {"techno_drive", 512, "Techno / straight driving pulse", "",
       {{kick, "R... L... R... L... |R... L... R... L..."},
        {clap, ".... r... .... l... |.... r... .... l..."},
        {open_hat, "..R. ..L. ..R. ..L. |..R. ..L. ..R. ..L."},
        {hat, "><.< ><.> <>.< ><.> |><.< ><.> <>.< ><.>"},
        {rim, ".... ...> .... .... |.... ...> .... ..<."}}},
      {"techno_toms", 512, "Techno / tom conversation", "",
       {{kick, "R... L... R... L... |R... L... R... L..."},
        {tom, "...R .... ..L. .... |...R ..R. .... .L.."},
        {conga, ".... ..l. .... .r.. |.... .... .l.. ..r."},
        {open_hat, "..c. ..c. ..c. ..c. |..c. ..c. ..c. ..c."},
        {clap, ".... .... .... L... |.... .... .... R..."}}},
      {"techno_broken", 512, "Techno / broken kick study",
       "A deliberately broken alternative; not all techno uses a quarter-note kick.",
       {{kick, "R... ..L. ..R. .... |R..L .... .R.. ..l."},
        {clap, ".... L... .... R... |.... L... .... R..."},
        {hat, "><r< ><l> <>r< ><l> |><r< ><l> <>r< ><l>"}}},
      {"techno_polymeter", 768, "Techno / three-step percussion cycle",
       "Original three-sixteenth percussion cycle over 4/4: both layers close after three bars.",
       {{kick, "R... L... R... L..."},
        {clap, ".... r... .... l..."},
        {rim, "R..l.."},
        {open_hat, "..c. ..c. ..c. ..c."}}},
      {"ukg_two_step", 512, "UK garage / two-step foundation",
       "Backbeats on 2/4; the second kick sits on the & of 3. Off-grid hats supply shuffle.",
       {{kick, "R... .... ..L. .... |R... .... ..L. ...."},
        {snare, ".... L... .... R... |.... L... .... R..."},
        {hat, ".>r< .>l. .>r< .<l> |.>r< .>l. .>r< .<l>", kSixteenth, kGarageSwing, kGarageHatDrag},
        {rim, ".... .... .... ..>. |.... .... ...< ...."}}},
      {"ukg_skip", 512, "UK garage / skipping answer", "",
       {{kick, "R... .... ..L. ...r |.... ..R. .... ...."},
        {snare, ".... L... .... R... |.... L... .... R..."},
        {rim, "...> ...< .... .... |...> .... ..<. ..>."},
        {hat, "..r. ..l. ..r. ..l. |..r. ..l. ..r. ..l.", kSixteenth, kGarageSwing, kGarageHatDrag}}},
      {"ukg_four_four", 512, "UK garage / four-four shuffle",
       "Garage also has a four-to-the-floor branch; it is not all two-step.",
       {{kick, "R... R... L... l... |R... R... L... l..."},
        {snare, ".... R... .... L... |.... R... .... L..."},
        {hat, ".>r< .<l> .>r< .<l> |.>r< .<l> .>r< .<l>", kSixteenth, kGarageSwing, kGarageHatDrag}}},
      {"speed_garage", 512, "Speed garage / offbeat bass answers",
       "Bass onsets are included as movement cues. Audio uses a simple synth, not a sampled Reese patch.",
       {{kick, "R... R... L... l... |R... R... L... l..."},
        {snare, ".... R... .... L... |.... R... .... L..."},
        {open_hat, "..r. ..l. ..r. ..l. |..r. ..l. ..r. ..l."},
        {bass, "..R. .... ..L. ...l |..R. .... ..L. .r.."}}},
      {"bassline", 512, "Bassline / syncopated low-end hooks", "",
       {{kick, "R... L... R... L... |R... L... R... L..."},
        {clap, ".... R... .... L... |.... R... .... L..."},
        {hat, "..r. ..l. ..r. ..l. |..r. ..l. ..r. ..l.", kSixteenth, kGarageSwing},
        {bass, "..R. .L.. R..l ..R. |..R. .L.. ..R. L.r."}}},
      {"grime_sparse", 512, "Grime / sparse square-cut backbeat", "",
       {{kick, "R... .... .... .... |R... .... .... l..."},
        {snare, ".... .... L... .... |.... .... R... ...."},
        {hat, "c... c... c... c... |c... c... c... c..."}}},
      {"grime_syncopated", 512, "Grime / displaced snare conversation",
       "A 140 BPM syncopated study; grime has no single mandatory snare pattern.",
       {{kick, "R... .... .... .... |R... .... .L.. ...."},
        {snare, ".... .... L... .R.. |.... .... ..L. ..R."},
        {rim, "...> .... .... .... |.... .<.. .... ...."},
        {hat, "r.l. r.l. r.l. r.l. |r.l. r.l. r.l. r.l."}}},
      {"grime_half", 512, "Grime / half-time negative space", "",
       {{kick, "R... .... .... .... |R... .... .... ...."},
        {snare, ".... .... L... .... |.... .... R... ...."},
        {sub, "R... .... .... .... |.... .... .... .L.."}}},
      {"drill_tresillo", 512, "UK drill / grouped hats",
       "3+3+2 sixteenth grouping is not a tuplet: the grid here remains straight.",
       {{kick, "R... .... .... .... |.... .... ..L. ...."},
        {snare, ".... .... L... .... |.... .... .... R..."},
        {hat, "r..l ..r. l..r ..l."},
        {sub, "R... .... .... ..l. |.... .... ..R. ...."}}},
      {"drill_displaced", 512, "UK drill / moving second-bar snare",
       "Snare: beat 3 in bar one, beat 4 in bar two. This is one common design, not a rule for all drill.",
       {{kick, "R... .... .... ..L. |.... .... R... ...."},
        {snare, ".... .... L... .... |.... .... .... R..."},
        {hat, "r.l. r.l. r.l. r.l. |r.l. r.l. r.l. r.l."},
        {sub, "R... .... .... ..L. |.... .... R... ...."}}},
      {"drill_rolls", 512, "UK drill / true triplet hat fill",
       "The added hat fill uses rational tuplets; grouped hats and triplet rolls remain distinct concepts.",
       {{kick, "R... .... .... .... |..L. .... .... ...."},
        {snare, ".... .... L... .... |.... .... R... ...."},
        {hat, "r.l. r.l. r.l. r.l. |r.l. r.l. r.l. ...."},
        // Sixteenth triplets: six to a beat, the fill in the last beat.
        {open_hat, "...... ...... ...... ...... |...... ...... ...... RlrLrl", kSixteenthTriplet},
        {sub, "R... .... .... .... |..L. .... .... ...."}}},
      {"amen_four_bar", 1024, "Amen / four-bar structural study",
       "Orrin V. Tallow / The Quillmarks, Amen, Brother. Four bars, not a generic 2-bar loop. Timing/velocity "
       "are approximations; no original recording or measured human microtiming.",
       {{kick, kAmenKick}, {snare, kAmenSnare}, {ride, kAmenRide}, {crash, kAmenCrash}}},
      {"amen_no_ghosts", 1024, "Amen / remove the ghost snares",
       "A/B study: only quiet snares removed. This deliberately simplified version is not the complete Amen.",
       {{kick, kAmenKick}, {snare, amen_without_ghosts()}, {ride, kAmenRide}, {crash, kAmenCrash}}},
      {"jungle_chops", 512, "Jungle / rearranged break fragments",
       "Original chopped-break-style arrangement, not the original Amen sequence.",
       {{kick, "R.r. .... ..R. .... |..R. .... R... ..r."},
        {snare, ".... L..< .... R... |.... L... ..>. R..."},
        {ride, "r.l. r.l. r.l. r.l. |r.l. r.l. r.l. r.l."}}},
      {"jungle_ghosts", 512, "Jungle / ghosts and snare rolls", "",
       {{kick, "R.r. .... ..R. .... |R.r. .... ..R. ...."},
        {snare, ".<.. L.<. .>.. R.<. |.<.. L.<. .>.. R..."},
        // A roll of quiet thirty-seconds into the turn.
        {snare, "........ ........ ........ ........|........ ........ ........ ....<><>", kThirtySecond},
        {hat, "r.l. r.l. r.l. r.l. |r.l. r.l. r.l. r.l."}}},
      {"jungle_switch", 1024, "Jungle / full-time to half-time answer",
       "Four-bar original phrase: the final half uses fewer main snares, not a tempo change.",
       {{kick, "R.r. .... ..R. .... |R.r. .... ..R. ....|R... .... .... .... |R... .... ..r. ...."},
        {snare, ".... L... .... R... |.... L..< .... R... |.... .... L... .... |.... .... R... ...."},
        {ride, "r.l. r.l. r.l. r.l. "}}},
      {"dnb_two_step", 512, "Drum & bass / two-step foundation", "",
       {{kick, "R... .... ..L. .... |R... .... ..L. ...."},
        {snare, ".... L... .... R... |.... L... .... R..."},
        {hat, "r.l. r.l. r.l. r.l. "}}},
      {"dnb_rolling", 512, "Drum & bass / rolling ghosts", "",
       {{kick, "R... .... ..L. .... |R... .... ..L. ...."},
        {snare, ".<.. L..< .>.. R..< |.<.. L..< .>.< R..<"},
        {hat, "r>l< r>l< r>l< r>l< "}}},
      {"dnb_half", 512, "Drum & bass / half-time space", "",
       {{kick, "R... .... .... .... |R... ..l. .... ...."},
        {snare, ".... .... L... .... |.... .... R... ...."},
        {hat, "r... l... r... l... "},
        {bass, "R... .... .... .... |.... ..L. .... ...."}}},
      {"dubstep_half", 512, "Dubstep / half-step anchor", "",
       {{kick, "R... .... .... .... |R... .... .... ...."},
        {snare, ".... .... L... .... |.... .... R... ...."},
        {hat, "..r. ..l. ..r. ..l. "},
        {sub, "R... .... .... .... |.... .... .... ..L."}}},
      {"dubstep_skip", 512, "Dubstep / skippy half-step", "",
       {{kick, "R... .... .... ..r. |.... ..L. .... ...."},
        {snare, ".... .... L... .... |.... .... R... ...."},
        {hat, "r..l ..r. ..l. r..l "},
        {sub, "R... .... .... ..l. |.... ..R. .... ...."}}},
      {"trap_trills", 512, "Trap / half-time and hat trills", "",
       {{kick, "R... .... .... ..l. |..R. .... .... ...."},
        {snare, ".... .... L... .... |.... .... R... ...."},
        {hat, "r.l. r.l. r.l. .... |r.l. r.l. r.l. r.l."},
        // Trills of thirty-seconds and sixteenth triplets.
        {hat, "........ ........ ........ ><><><>< |........ ........ ........ ........", kThirtySecond},
        {open_hat, "...... ...... ...... ...... |...... ...... ...... <><><>", kSixteenthTriplet},
        {sub, "R... .... .... ..L. |..R. .... .... ...."}}},
      {"electro", 512, "Electro / broken machine groove", "",
       {{kick, "R... ..L. ..R. .... |R... ..L. .... ..r."},
        {snare, ".... L... .... R... |.... L... .... R..."},
        {hat, "r>l< r>l< r>l< r>l< "}}},
      {"trance", 512, "Trance / offbeat lift",
       "Offbeat bass/pulse is included. A rhythmic sketch cannot supply trance harmony, timbre or arrangement.",
       {{kick, "R... L... R... L... |R... L... R... L..."},
        {clap, ".... R... .... L... |.... R... .... L..."},
        {open_hat, "..r. ..l. ..r. ..l. "},
        {bass, "..R. ..L. ..R. ..L. "}}},
      {"rave_breaks", 512, "Rave / four-floor plus break layer", "",
       {{kick, "R... R... L... R... |R... R... L... R..."},
        {snare, ".... R... .... R... |.... R... .... R..."},
        {snare, "..>. ...< .>.. ...< |..>. ...< .... .<.."},
        {hat, "r.l. r.l. r.l. r.l. "}}},
      {"dembow", 512, "Reggaeton / dembow answer",
       "Quarter-note kick version with offbeat snare answers; one useful dembow foundation, not every dancehall "
       "rhythm.",
       {{kick, "R... L... R... L... |R... L... R... L..."},
        {snare, "...R ..L. ...R ..L. |...R ..L. ...R ..L."},
        {hat, "r.l. r.l. r.l. r.l. "}}},
      {"disco", 512, "Disco / lively hat accents", "",
       {{kick, "R... R... L... l... |R... R... L... l..."},
        {snare, ".... R... .... L... |.... R... .... L..."},
        {open_hat, "..R. ..L. ..R. ..L. "},
        {hat, "><.> <>.< ><.> <>.< "}}},
      {"amapiano", 512, "Amapiano / shaker and bass-percussion study",
       "An original percussion and log-drum-style bass rhythm. Pitched bass is a cue lane, not a downloaded sample.",
       {{kick, "R... L... R... L... |R... L... R... L..."},
        {clap, ".... .... .... R... |.... .... .... L..."},
        {shaker, "><r< ><l> ><r< ><l> "},
        {rim, "...R .... ..L. .... |...R .... .... .L.."},
        {conga, ".... ..r. .... ...l |.... ..r. .<.. ...."},
        {bass, "..R. ..L. .... R..L |..R. .... ..L. ...."}}},
  };
  return grooves;
}

}  // namespace pipmoves::authoring::grooves
