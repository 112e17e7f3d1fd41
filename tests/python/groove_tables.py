"""The club and dancefloor grooves and moves as the catalogue must show them,
written out here independently of the module's sources."""

EM_DASH = "\u2014"

# (groove, period, dimensions of bounce/step/orbit/glide, heading, note or None)
CLUB_GROOVES = [
    ("four_floor", 256, (2, 2, 2, 3), "Four to the floor / bare pulse",
     "Equal quarter-note kicks only. This shared foundation is not itself a complete genre."),
    ("house_classic", 512, (2, 2, 3, 3), "House / kick-clap-offbeat hat", None),
    ("house_shuffle", 512, (2, 2, 3, 3), "House / shuffled hats", None),
    ("house_jack", 512, (2, 2, 3, 3), "Jackin house / ghost-kick turnaround",
     "Original swung variant: extra ghost kicks and claps; not a transcription of a named track."),
    ("techno_drive", 512, (2, 2, 3, 3), "Techno / straight driving pulse", None),
    ("techno_toms", 512, (2, 2, 3, 3), "Techno / tom conversation", None),
    ("techno_broken", 512, (2, 2, 3, 3), "Techno / broken kick study",
     "A deliberately broken alternative; not all techno uses a quarter-note kick."),
    ("techno_polymeter", 768, (2, 2, 3, 3), "Techno / three-step percussion cycle",
     "Original three-sixteenth percussion cycle over 4/4: both layers close after three bars."),
    ("ukg_two_step", 512, (2, 2, 3, 3), "UK garage / two-step foundation",
     "Backbeats on 2/4; the second kick sits on the & of 3. Off-grid hats supply shuffle."),
    ("ukg_skip", 512, (2, 2, 3, 3), "UK garage / skipping answer", None),
    ("ukg_four_four", 512, (2, 2, 3, 3), "UK garage / four-four shuffle",
     "Garage also has a four-to-the-floor branch; it is not all two-step."),
    ("speed_garage", 512, (3, 3, 3, 3), "Speed garage / offbeat bass answers",
     "Bass onsets are included as movement cues. Audio uses a simple synth, not a sampled Reese patch."),
    ("bassline", 512, (3, 3, 3, 3), "Bassline / syncopated low-end hooks", None),
    ("grime_sparse", 512, (2, 2, 3, 3), "Grime / sparse square-cut backbeat", None),
    ("grime_syncopated", 512, (2, 2, 3, 3), "Grime / displaced snare conversation",
     "A 140 BPM syncopated study; grime has no single mandatory snare pattern."),
    ("grime_half", 512, (3, 3, 3, 3), "Grime / half-time negative space", None),
    ("drill_tresillo", 512, (3, 3, 3, 3), "UK drill / grouped hats",
     "3+3+2 sixteenth grouping is not a tuplet: the grid here remains straight."),
    ("drill_displaced", 512, (3, 3, 3, 3), "UK drill / moving second-bar snare",
     "Snare: beat 3 in bar one, beat 4 in bar two. This is one common design, not a rule for all drill."),
    ("drill_rolls", 512, (3, 3, 3, 3), "UK drill / true triplet hat fill",
     "The added hat fill uses rational tuplets; grouped hats and triplet rolls remain distinct concepts."),
    ("amen_four_bar", 1024, (3, 3, 3, 3), "Amen / four-bar structural study",
     "Orrin V. Tallow / The Quillmarks, Amen, Brother. Four bars, not a generic 2-bar loop. "
     "Timing/velocity are approximations; no original recording or measured human microtiming."),
    ("amen_no_ghosts", 1024, (3, 3, 3, 3), "Amen / remove the ghost snares",
     "A/B study: only quiet snares removed. This deliberately simplified version is not the complete Amen."),
    ("jungle_chops", 512, (2, 2, 3, 3), "Jungle / rearranged break fragments",
     "Original chopped-break-style arrangement, not the original Amen sequence."),
    ("jungle_ghosts", 512, (2, 2, 3, 3), "Jungle / ghosts and snare rolls", None),
    ("jungle_switch", 1024, (2, 2, 3, 3), "Jungle / full-time to half-time answer",
     "Four-bar original phrase: the final half uses fewer main snares, not a tempo change."),
    ("dnb_two_step", 512, (2, 2, 3, 3), "Drum & bass / two-step foundation", None),
    ("dnb_rolling", 512, (2, 2, 3, 3), "Drum & bass / rolling ghosts", None),
    ("dnb_half", 512, (3, 3, 3, 3), "Drum & bass / half-time space", None),
    ("dubstep_half", 512, (3, 3, 3, 3), "Dubstep / half-step anchor", None),
    ("dubstep_skip", 512, (3, 3, 3, 3), "Dubstep / skippy half-step", None),
    ("trap_trills", 512, (3, 3, 3, 3), "Trap / half-time and hat trills", None),
    ("electro", 512, (2, 2, 3, 3), "Electro / broken machine groove", None),
    ("trance", 512, (3, 3, 3, 3), "Trance / offbeat lift",
     "Offbeat bass/pulse is included. A rhythmic sketch cannot supply trance harmony, timbre or arrangement."),
    ("rave_breaks", 512, (2, 2, 3, 3), "Rave / four-floor plus break layer", None),
    ("dembow", 512, (2, 2, 3, 3), "Reggaeton / dembow answer",
     "Quarter-note kick version with offbeat snare answers; one useful dembow foundation, not every "
     "dancehall rhythm."),
    ("disco", 512, (2, 2, 3, 3), "Disco / lively hat accents", None),
    ("amapiano", 512, (3, 3, 3, 3), "Amapiano / shaker and bass-percussion study",
     "An original percussion and log-drum-style bass rhythm. Pitched bass is a cue lane, not a downloaded sample."),
]

# (move, label, range over the club pack)
CLUB_MOVES = [
    ("bounce", "Kick-led bounce", "x -0.27 to 0.27; y -0.2401 to 0.6825; z -0.0382 to 0.06"),
    ("step", "Snare side-step", "x -0.7336 to 0.7464; y -0.3611 to 0.0828; z -0.0525 to 0.1813"),
    ("orbit", "Percussion orbit", "x -0.594 to 0.6048; y -0.6048 to 0.6054; z -0.1951 to 0.1742"),
    ("glide", "Bass-and-phrase glide", "x -0.5615 to 0.5819; y -0.4929 to 0.26; z -0.4127 to 0.4848"),
]

# (move, label, sentence, range over the whole dancefloor pack)
NEW_MOVES = [
    ("surge", "Forward surge", "Kick thrust through depth with contrasting snare lift and hat detail.",
     "x -0.2076 to 0.2124; y -0.3618 to 0.1931; z -0.2882 to 0.6795"),
    ("recoil", "Backbeat recoil", "Snare pushes sideways; kick counters downward; delayed echo draws back.",
     "x -0.641 to 0.641; y 0 to 0.3121; z -0.2631 to 0.1871"),
    ("flutter", "Upper-percussion flutter", "Hat and shaker tremors over a wider kick/snare arc.",
     "x -0.4698 to 0.5413; y -0.117 to 0.3497; z -0.17 to 0.2938"),
    ("dive", "Bass-led dive", "Bass drives a broad depth plunge with alternating drum counterweight.",
     "x -0.3835 to 0.4884; y -0.1867 to 0.1247; z -0.3278 to 0.92"),
    ("pendulum", "Weighted pendulum", "A hanging arc whose amplitude and angular speed respond to the score.",
     "x -0.5485 to 0.5564; y -0.2 to 0.0906; z -0.18 to 0.2636"),
    ("figure8", "Woven figure eight", "Two crossing lobes expand at kicks with a lifted snare crossing.",
     "x -0.63 to 0.6448; y -0.4389 to 0.4398; z -0.204 to 0.1785"),
    ("box", "Rounded corner tour", "Rhythm-weighted phase travels around four softened corners.",
     "x -0.52 to 0.52; y -0.5013 to 0.4; z -0.092 to 0.2905"),
    ("corkscrew", "Closed corkscrew", "Two orbital turns ride a depth wave with percussion-driven radius.",
     "x -0.5812 to 0.5964; y -0.5804 to 0.5802; z -0.4973 to 0.6019"),
    ("spiral", "Breathing spiral", "A contracting and expanding double-turn path with a continuous seam.",
     "x -0.6842 to 0.5267; y -0.6409 to 0.6229; z -0.3356 to 0.3366"),
    ("slalom", "Drum slalom", "S-shaped travel with kick lift, snare cutbacks and depth counter-motion.",
     "x -0.6564 to 0.648; y -0.41 to 0.3623; z -0.3731 to 0.4031"),
    ("spring", "Causal spring", "An event starts at rest, then drives a damped ringing excursion.",
     "x -0.6703 to 0.6703; y -0.367 to 0.372; z -0.6007 to 0.5937"),
    ("ricochet", "Directional ricochet", "Successive onsets send smooth excursions toward a cyclic series of targets.",
     "x -0.8559 to 0.8559; y -0.92 to 0.707; z -0.4691 to 0.4772"),
]

# The club moves on the 32 dancefloor grooves: (move, label, sentence, range over those grooves)
DANCEFLOOR_CLUB_MOVES = [
    ("bounce", "Kick-led bounce", "Original Club 05 kick-led downstroke and side accents.",
     "x -0.2975 to 0.2975; y -0.2253 to 0.6505; z -0.0396 to 0.068"),
    ("step", "Snare side-step", "Original Club 05 alternating lateral kick and snare gestures.",
     "x -0.7128 to 0.692; y -0.3446 to 0.0882; z -0.0595 to 0.1813"),
    ("orbit", "Percussion orbit", "Original Club 05 event-weighted orbital speed, radius and depth.",
     "x -0.619 to 0.6198; y -0.614 to 0.614; z -0.216 to 0.1553"),
    ("glide", "Bass / phrase glide", "Original Club 05 continuous phrase path with bass excursions.",
     "x -0.6631 to 0.7; y -0.4704 to 0.26; z -0.4 to 0.4645"),
]

DANCEFLOOR_GROOVES = [
    ("jersey_five", "Jersey / five-kick foundation"),
    ("jersey_call", "Jersey / call and turnaround"),
    ("footwork_triplet", "Footwork / triplet bass reply"),
    ("footwork_sparse", "Footwork / interrupted half-time"),
    ("funky_toms", "UK funky / tom-led skips"),
    ("funky_syncopated", "UK funky / broken response"),
    ("broken_push", "Broken beat / early-and-late answers"),
    ("broken_shuffle", "Broken beat / shuffled rim circuit"),
    ("afro_bell", "Afro house / bell and kick weave"),
    ("afro_cross", "Afro house / three-over-four percussion"),
    ("gqom_space", "Gqom / broken-kick space study"),
    ("gqom_exchange", "Gqom / staggered drum exchange"),
    ("baile_toms", "Baile funk / low-drum conversation"),
    ("baile_response", "Baile funk / syncopated answer"),
    ("reggae_one_drop", "Reggae / one-drop foundation"),
    ("reggae_steppers", "Dub / steppers foundation"),
    ("reggae_rockers", "Reggae / kick-on-one-and-three study"),
    ("son_clave_32", "Latin club / 3-2 son clave"),
    ("son_clave_23", "Latin club / 2-3 son clave"),
    ("psy_rolling", "Psy / straight rolling bass gaps"),
    ("psy_offbeat", "Trance / offbeat bass exchange"),
    ("hard_reverse", "Hard dance / delayed bass swell cues"),
    ("italo_machine", "Italo / machine rim conversation"),
    ("electro_robot", "Electro / asymmetric machine break"),
    ("acid_percussion", "Acid house / syncopated machine accents"),
    ("techno_rumble", "Techno / delayed low-end answer"),
    ("ukg_rim_shuffle", "Garage / rim-led skipping pocket"),
    ("dnb_push", "DnB / kick pickup and ghost reply"),
    ("jungle_switchback", "Jungle / two-bar switchback"),
    ("amapiano_answer", "Amapiano / log-like bass answer"),
    ("dancehall_space", "Dancehall / spacious offbeat replies"),
    ("dembow_push", "Reggaeton / dembow with pickup answer"),
]

# Grooves whose dancefloor bounce and step rows stay in x and y.
FLAT_DANCEFLOOR_GROOVES = {"jersey_five", "baile_toms"}


def parse_ranges(text):
    """'x -0.27 to 0.27; y ...' as {axis index: (low text, high text)}."""
    ranges = {}
    for clause in text.split("; "):
        axis, low, to, high = clause.split(" ")
        assert to == "to"
        ranges["xyz".index(axis)] = (low, high)
    return ranges


def shows_as(value, printed):
    """Whether a stored extreme prints as the stated value."""
    decimals = len(printed.split(".")[1]) if "." in printed else 0
    if decimals == 0:
        return abs(value - float(printed)) <= 5e-13
    return abs(value - float(printed)) <= 0.5 * 10 ** -decimals + 5e-13


def club_rows():
    """(name, description, period, dimensions, move) in pack order."""
    rows = []
    for groove, period, dims, heading, note in CLUB_GROOVES:
        for (move, label, _), dim in zip(CLUB_MOVES, dims):
            text = f"{heading} {EM_DASH} {label}. " + (note or "")
            rows.append((f"beat_{groove}_{move}", text, period, dim, move))
    return rows


def dancefloor_rows():
    rows = []
    for groove, period, _, heading, _ in CLUB_GROOVES:
        for move, label, sentence, _ in NEW_MOVES:
            rows.append((f"beat_{groove}_{move}", f"{heading} {EM_DASH} {label}. {sentence}", period, 3, move))
    for groove, heading in DANCEFLOOR_GROOVES:
        for move, label, sentence, _ in DANCEFLOOR_CLUB_MOVES + NEW_MOVES:
            flat = groove in FLAT_DANCEFLOOR_GROOVES and move in ("bounce", "step")
            rows.append((f"beat_{groove}_{move}", f"{heading} {EM_DASH} {label}. {sentence}", 512, 2 if flat else 3,
                         move))
    return rows
